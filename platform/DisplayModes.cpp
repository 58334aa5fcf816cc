// Sorting of display sizes.
#include "platform/DisplayModes.h"

#include <algorithm>

std::vector<DisplaySize> distinctDisplaySizes(std::vector<DisplaySize> sizes) {
    std::sort(sizes.begin(), sizes.end(), [](const DisplaySize& a, const DisplaySize& b) {
        if (a.width != b.width) return a.width > b.width;
        return a.height > b.height;
    });
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    return sizes;
}
