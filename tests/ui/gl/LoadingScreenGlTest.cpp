// The loading screen in a headless window: the splash phases of the first load, the progress view
// with its rolling sphere, the window kept alive on every report, and vertical sync around the load.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "engine/ClickMessage.h"
#include "engine/FakePlatform.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "engine/PercentLoadedMessage.h"
#include "graphics/GlStartup.h"
#include "graphics/gl/GlContext.h"
#include "physics/Body.h"
#include "ui/LoadingScreen.h"

namespace {

class LoadingScreenTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        initializeGraphics();
        saved = {firstLoad, windowActive, viewportWidth, viewportHeight};
        viewportWidth = GlContext::width;
        viewportHeight = GlContext::height;
        windowActive = true;
        window.now = 100000;
    }
    void TearDown() override {
        firstLoad = saved.firstLoad;
        windowActive = saved.windowActive;
        viewportWidth = saved.width;
        viewportHeight = saved.height;
    }

    void report(float progress) { sendMessage(new PercentLoadedMessage(progress), true); }
    // A report late enough after the previous frame to be drawn at once.
    void reportLater(float progress) {
        window.now += 40;
        report(progress);
    }

    // Pixels of a rectangle as RGBA, rows from the bottom.
    static bool anyPixel(int x, int y, int w, int h, bool (*test)(const std::uint8_t*)) {
        auto pixels = GlContext::readPixels(x, y, w, h);
        for (std::size_t i = 0; i < pixels.size(); i += 4)
            if (test(&pixels[i])) return true;
        return false;
    }
    static bool dark(const std::uint8_t* p) { return p[0] < 80 && p[1] < 80 && p[2] < 80; }
    static bool bright(const std::uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; }
    static std::vector<std::uint8_t> corner() { return GlContext::readPixels(1, GlContext::height - 2, 1, 1); }

    struct Saved {
        bool firstLoad;
        bool windowActive;
        int width;
        int height;
    } saved{};
    FakePlatform window;
};

TEST_F(LoadingScreenTest, TheFirstLoadOpensOnTheMakersLogo) {
    firstLoad = true;
    auto screen = std::make_unique<LoadingScreen>();
    EXPECT_TRUE(loadingScreenUp);
    EXPECT_EQ(0, window.swapInterval);
    EXPECT_EQ(1, window.swaps);
    EXPECT_EQ(LoadingScreen::View::makerLogo, screen->currentView(currentTime));
    auto c = corner();
    EXPECT_GT(c[0], 250);
    EXPECT_GT(c[2], 250);
    // The lettering across the middle of a white screen.
    EXPECT_TRUE(anyPixel(0, GlContext::height / 2 - 8, GlContext::width, 16, &dark));
    EXPECT_EQ(0, GlContext::drainErrors());

    screen.reset();
    EXPECT_FALSE(loadingScreenUp);
    EXPECT_EQ(1, window.swapInterval);
}

TEST_F(LoadingScreenTest, SplashPhasesFollowTheClock) {
    firstLoad = true;
    LoadingScreen screen;
    window.now += 2400;
    report(0.1f);
    EXPECT_EQ(LoadingScreen::View::makerLogo, screen.currentView(currentTime));
    window.now += 200;  // 2.6 s: the group logo starts its own 2.5 s
    report(0.2f);
    EXPECT_TRUE(bright(corner().data()));
    window.now += 2400;
    report(0.3f);
    EXPECT_EQ(LoadingScreen::View::groupLogo, screen.currentView(currentTime));
    window.now += 200;
    report(0.4f);
    // The progress view: grey round the loading picture.
    auto c = corner();
    EXPECT_NEAR(51, c[0], 2);
    EXPECT_NEAR(51, c[1], 2);
    EXPECT_NEAR(0.3f, screen.progressAtSplashEnd, 1e-6f);
    EXPECT_EQ(5, window.swaps);
}

TEST_F(LoadingScreenTest, ReportsKeepTheWindowAliveAndRollTheSphere) {
    firstLoad = false;
    LoadingScreen screen;
    EXPECT_EQ(LoadingScreen::View::progress, screen.currentView(currentTime));
    const int pumpsBefore = window.pumps;
    window.now += 1234;
    report(0.05f);
    EXPECT_EQ(pumpsBefore + 1, window.pumps);
    EXPECT_DOUBLE_EQ(101.234, currentTime);
    const Body& sphere = *screen.progressSphere.body;
    EXPECT_NEAR(-0.65f + 1.25f * 0.05f, sphere.position.x(), 1e-6f);
    EXPECT_FLOAT_EQ(-0.7f, sphere.position.y());
    EXPECT_LT(sphere.rotation.z(), 0.0f);  // rolled to the right: clockwise

    // Going back rolls it the other way.
    const float turned = sphere.rotation.z();
    reportLater(0.02f);
    EXPECT_GT(sphere.rotation.z(), turned);
    EXPECT_LT(sphere.rotation.z(), 0.0f);
    EXPECT_EQ(3, window.swaps);
}

TEST_F(LoadingScreenTest, TheSphereIsDrawnWhereTheProgressPutsIt) {
    firstLoad = false;
    LoadingScreen screen;
    // The sphere's own viewport at the start and at the end of its path, on its track.
    const int startX = static_cast<int>((1.0f - 0.65f) * 0.5f * GlContext::width);
    const int endX = static_cast<int>((1.0f + 0.60f) * 0.5f * GlContext::width);
    const int trackY = static_cast<int>((1.0f - 0.7f) * 0.5f * GlContext::height);
    auto area = [trackY](int x) { return GlContext::readPixels(x - 4, trackY - 4, 8, 8); };
    auto differs = [](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
        int changed = 0;
        for (std::size_t i = 0; i < a.size(); i += 4)
            if (std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) > 60) ++changed;
        return changed > 8;
    };
    reportLater(0.0f);
    const auto startWithSphere = area(startX);
    const auto endWithoutSphere = area(endX);
    reportLater(1.0f);
    const auto startWithoutSphere = area(startX);
    const auto endWithSphere = area(endX);
    EXPECT_TRUE(differs(startWithSphere, startWithoutSphere));
    EXPECT_TRUE(differs(endWithSphere, endWithoutSphere));
    // Away from the path nothing moves.
    reportLater(0.0f);
    const auto top = GlContext::readPixels(0, GlContext::height - 8, 8, 8);
    reportLater(1.0f);
    EXPECT_FALSE(differs(top, GlContext::readPixels(0, GlContext::height - 8, 8, 8)));
    EXPECT_EQ(0, GlContext::drainErrors());
}

TEST_F(LoadingScreenTest, AnInactiveWindowIsNotDrawnButStillPumpedAndMoved) {
    firstLoad = false;
    windowActive = false;
    LoadingScreen screen;
    EXPECT_EQ(0, window.swaps);
    report(1.0f);
    EXPECT_EQ(0, window.swaps);
    EXPECT_EQ(1, window.pumps);
    EXPECT_NEAR(0.6f, screen.progressSphere.body->position.x(), 1e-6f);
}

TEST_F(LoadingScreenTest, ContinueKeysAndClicksShowTheHintDuringTheSplash) {
    firstLoad = true;
    LoadingScreen screen;
    sendMessage(new KeyboardMessage(7, 'A'), true);
    EXPECT_FALSE(screen.continuePressed);
    sendMessage(new KeyboardMessage(7, 32), true);
    EXPECT_TRUE(screen.continuePressed);
    screen.continuePressed = false;
    sendMessage(new KeyboardMessage(7, -25), true);
    EXPECT_TRUE(screen.continuePressed);
    screen.continuePressed = false;
    sendMessage(new ClickMessage(10, -3), true);
    EXPECT_TRUE(screen.continuePressed);

    // The small black mark at the lower right of the logo frame.
    reportLater(0.5f);
    const int hintX = static_cast<int>((1.0f + 0.75f / 0.95f / 0.7265f / 2.0f) * 0.5f * GlContext::width);
    const int hintY = static_cast<int>((1.0f - 0.6f / 0.95f / 0.7265f) * 0.5f * GlContext::height);
    EXPECT_TRUE(anyPixel(hintX - 2, hintY - 2, 4, 4, &dark));
}

TEST_F(LoadingScreenTest, DrawsWhateverTheLevelLeftOfCullingAndMultisampling) {
    firstLoad = false;
    LoadingScreen screen;
    reportLater(0.5f);
    const auto plain = GlContext::readPixels(0, 0, GlContext::width, GlContext::height);
    // A level's scene leaves back faces culled (clockwise ones here, the picture's own winding).
    glEnable(GL_MULTISAMPLE);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    reportLater(0.5f);
    EXPECT_TRUE(plain == GlContext::readPixels(0, 0, GlContext::width, GlContext::height));
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    glFrontFace(GL_CCW);
    glDisable(GL_CULL_FACE);
    glDisable(GL_MULTISAMPLE);
    reportLater(0.6f);
    EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(0, GlContext::drainErrors());
}

// A long load reports far more often than a software renderer can draw: the window is pumped at every
// report, but frames come at most thirty times a second, the first and the last always among them, and
// the last one shows where the load ended.
TEST_F(LoadingScreenTest, ManyReportsDrawAtMostThirtyFramesASecond) {
    firstLoad = false;
    auto screen = std::make_unique<LoadingScreen>();
    EXPECT_EQ(1, window.swaps);
    int closeRequests = 0;
    window.onPump = [&closeRequests] { ++closeRequests; };
    const int reports = 2000;
    for (int i = 1; i <= reports; ++i) {
        window.now += 1;  // two seconds of loading in all
        report(static_cast<float>(i) / reports);
    }
    EXPECT_EQ(reports, window.pumps);
    EXPECT_EQ(reports, closeRequests);
    // A frame every 34 ms at the millisecond clock: 58 in two seconds, plus the first.
    EXPECT_GE(window.swaps, 55);
    EXPECT_LE(window.swaps, 62);
    EXPECT_NEAR(0.6f, screen->progressSphere.body->position.x(), 1e-6f);

    // The final report, in the same millisecond as the one before, moves the sphere back to its start: the frame is
    // held back, then drawn when the load ends.
    const int startX = static_cast<int>((1.0f - 0.65f) * 0.5f * GlContext::width);
    const int trackY = static_cast<int>((1.0f - 0.7f) * 0.5f * GlContext::height);
    const auto withoutSphere = GlContext::readPixels(startX - 4, trackY - 4, 8, 8);
    const int before = window.swaps;
    report(0.0f);
    EXPECT_EQ(before, window.swaps);
    screen.reset();
    EXPECT_EQ(before + 1, window.swaps);
    EXPECT_EQ(1, window.swapInterval);
    EXPECT_TRUE(withoutSphere != GlContext::readPixels(startX - 4, trackY - 4, 8, 8));

    // A load whose every frame was drawn draws nothing more at its end; a splash frame of the first
    // load is held back just the same.
    firstLoad = true;
    auto splash = std::make_unique<LoadingScreen>();
    window.now += 5;
    report(0.5f);
    EXPECT_EQ(before + 2, window.swaps);
    window.now += 40;
    report(0.6f);
    EXPECT_EQ(before + 3, window.swaps);
    splash.reset();
    EXPECT_EQ(before + 3, window.swaps);
    EXPECT_EQ(0, GlContext::drainErrors());
}

TEST_F(LoadingScreenTest, TheHandlersGoWithTheScreen) {
    firstLoad = false;
    { LoadingScreen screen; }
    report(0.5f);
    EXPECT_EQ(0, window.pumps);
    EXPECT_EQ(1, window.swaps);
}

}  // namespace
