// Display sizes as the options and full screen use them: distinct, largest first.
#pragma once

#include <vector>

struct DisplaySize {
    int width;
    int height;
    bool operator==(const DisplaySize& other) const { return width == other.width && height == other.height; }
};

// Sorted by width, then height, both descending, with duplicates (modes that differ only in
// refresh rate or pixel format) removed.
std::vector<DisplaySize> distinctDisplaySizes(std::vector<DisplaySize> sizes);
