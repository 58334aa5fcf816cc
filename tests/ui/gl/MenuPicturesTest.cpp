// The menu pictures drawn at build time beside the binaries (the normal build makes them, as the game
// needs them): the key table of the first how-to-play page lines its descriptions up in one column.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/PngFile.h"

TEST(MenuPictures, TheHowToPlayKeyTableLinesUpItsDescriptions) {
    const PixelImage page = readPngImage(std::string(TOVIK_BINARY_DIR) + "/MenuArt/howToPlay1.png");
    ASSERT_FALSE(page.empty());
    ASSERT_EQ(4, page.channels);
    // The page's text starts 290 pixels left of the middle; its lines stand 29 pixels apart below 404,
    // the key rows being the fourth to the ninth. Past the widest key, the first lettering in each row
    // is where its description begins.
    const int textLeft = static_cast<int>(page.width) / 2 - 290;
    std::vector<int> starts;
    for (int line = 4; line <= 9; ++line) {
        const int baseline = 404 - 29 * line;
        int first = -1;
        for (int x = textLeft + 95; x < textLeft + 300 && first < 0; ++x)
            for (int y = baseline - 2; y <= baseline + 12 && first < 0; ++y)
                if (page.pixels[page.offset(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y))] > 120) first = x;
        ASSERT_GE(first, 0) << "no description in key row " << line;
        starts.push_back(first);
    }
    for (std::size_t i = 1; i < starts.size(); ++i)
        EXPECT_NEAR(starts[i], starts[0], 3) << "key row " << i + 4 << " begins its description elsewhere";
}
