// The particles' sprite sheets as shipped: emitters blend with source factor one, so every sheet
// must be premultiplied by alpha (no texel brighter than its alpha) or transparent texels draw squares.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/PngFile.h"

namespace {

// The picture of every "Animation" record of a resource file.
std::vector<std::string> animationSheets(const std::string& resourceFile) {
    std::ifstream file(resourceFile);
    EXPECT_TRUE(file) << resourceFile;
    std::vector<std::string> sheets;
    bool inAnimation = false;
    std::string line;
    while (std::getline(file, line)) {
        // An unindented line names the next resource.
        if (!line.empty() && line[0] != '\t' && line[0] != ' ') inAnimation = false;
        std::istringstream words(line);
        std::string word;
        if (!(words >> word)) continue;
        if (word == "Animation") inAnimation = true;
        if (inAnimation && word == "fileName" && (words >> word)) sheets.push_back(word);
    }
    return sheets;
}

TEST(ParticleSheets, EveryAnimationSheetIsPremultiplied) {
    std::vector<std::string> sheets = animationSheets("Content/Resources/graphics.res");
    for (const std::string& sheet : animationSheets("Content/Resources/effects.res")) sheets.push_back(sheet);
    ASSERT_GE(sheets.size(), 2u);  // the smoke ring and the smoke puff at least

    for (const std::string& sheet : sheets) {
        SCOPED_TRACE(sheet);
        const PixelImage image = readPngImage(sheet);
        ASSERT_FALSE(image.empty());
        ASSERT_EQ(image.channels, 4);
        int brighter = 0;
        int transparent = 0;
        for (std::uint32_t y = 0; y < image.height; ++y) {
            for (std::uint32_t x = 0; x < image.width; ++x) {
                const unsigned char* texel = &image.pixels[image.offset(x, y)];
                if (texel[3] == 0) ++transparent;
                for (int c = 0; c < 3; ++c)
                    if (texel[c] > texel[3]) ++brighter;
            }
        }
        EXPECT_GT(transparent, 0);  // a sheet without clear texels would prove nothing here
        EXPECT_EQ(brighter, 0);
    }
}

}  // namespace
