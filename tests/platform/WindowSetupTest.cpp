// Window set-up without a display: the multisample fallback order, display-size sorting, the choice
// of the full-screen size.
#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "graphics/GlStartup.h"
#include "platform/DisplayModes.h"
#include "platform/MultisampleFallback.h"

namespace {

using Counts = std::vector<int>;

// A display that lists given sizes and accepts only some of them.
class FakeDisplay : public DisplayModeControl {
public:
    std::vector<FullscreenMode> modes;
    std::vector<std::pair<unsigned, unsigned>> refused;
    std::vector<std::pair<unsigned, unsigned>> tested;
    std::vector<std::pair<unsigned, unsigned>> entered;

    std::vector<FullscreenMode> displayModes() override { return modes; }
    bool testFullscreenMode(unsigned width, unsigned height) override {
        tested.emplace_back(width, height);
        for (auto& r : refused)
            if (r.first == width && r.second == height) return false;
        return true;
    }
    bool enterFullscreen(unsigned width, unsigned height) override {
        entered.emplace_back(width, height);
        return testFullscreenMode(width, height);
    }
};

}  // namespace

TEST(MultisampleFallback, CountsRunFromTheSettingThroughLowerPowersOfTwoToNone) {
    EXPECT_EQ(multisampleSampleCounts(8), (Counts{8, 4, 2, 0}));
    EXPECT_EQ(multisampleSampleCounts(6), (Counts{6, 4, 2, 0}));
    EXPECT_EQ(multisampleSampleCounts(3), (Counts{3, 2, 0}));
    EXPECT_EQ(multisampleSampleCounts(2), (Counts{2, 0}));
    EXPECT_EQ(multisampleSampleCounts(16), (Counts{16, 8, 4, 2, 0}));
    EXPECT_EQ(multisampleSampleCounts(1), (Counts{0}));
    EXPECT_EQ(multisampleSampleCounts(0), (Counts{0}));
    EXPECT_EQ(multisampleSampleCounts(-4), (Counts{4, 2, 0}));
    Counts extreme = multisampleSampleCounts(INT_MIN);
    ASSERT_EQ(extreme.size(), 32u);
    EXPECT_EQ(extreme[0], INT_MAX);
    EXPECT_EQ(extreme[1], 1 << 30);
    EXPECT_EQ(extreme[30], 2);
    EXPECT_EQ(extreme[31], 0);
}

TEST(MultisampleFallback, WindowCreationIsRetriedUntilACountIsAccepted) {
    Counts tried;
    int granted = createWithSampleFallback(8, [&](int samples) {
        tried.push_back(samples);
        return samples <= 4;  // as llvmpipe does
    });
    EXPECT_EQ(granted, 4);
    EXPECT_EQ(tried, (Counts{8, 4}));

    tried.clear();
    EXPECT_EQ(createWithSampleFallback(6, [&](int samples) {
                  tried.push_back(samples);
                  return samples == 0;
              }),
              0);
    EXPECT_EQ(tried, (Counts{6, 4, 2, 0}));

    tried.clear();
    EXPECT_EQ(createWithSampleFallback(1, [&](int samples) {
                  tried.push_back(samples);
                  return false;
              }),
              -1);
    EXPECT_EQ(tried, (Counts{0}));
}

TEST(DisplayModes, SizesAreDistinctAndLargestFirst) {
    std::vector<DisplaySize> listed = {{1280, 1024}, {1920, 1080}, {1600, 900}, {1920, 1080}, {1920, 1200}, {800, 600}};
    std::vector<DisplaySize> expected = {{1920, 1200}, {1920, 1080}, {1600, 900}, {1280, 1024}, {800, 600}};
    EXPECT_EQ(distinctDisplaySizes(listed), expected);
    EXPECT_TRUE(distinctDisplaySizes({}).empty());
}

TEST(FullscreenMode, TheLargestAcceptedSizeIsChosen) {
    FakeDisplay display;
    display.modes = {{1920, 1080}, {1600, 900}, {1280, 1024}};
    setDisplayModeControl(&display);

    FullscreenMode mode = findFullscreenMode();
    EXPECT_EQ(mode.width, 1920u);
    EXPECT_EQ(mode.height, 1080u);

    display.refused = {{1920, 1080}};
    mode = findFullscreenMode();
    EXPECT_EQ(mode.width, 1600u);
    EXPECT_EQ(mode.height, 900u);

    display.refused = {{1920, 1080}, {1600, 900}, {1280, 1024}};
    mode = findFullscreenMode();
    EXPECT_EQ(mode.width, 0u);
    EXPECT_EQ(mode.height, 0u);

    setDisplayModeControl(nullptr);
    mode = findFullscreenMode();
    EXPECT_EQ(mode.width, 0u);
}
