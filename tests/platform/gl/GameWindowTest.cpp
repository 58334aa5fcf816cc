// The game window on SDL's headless driver: window and context, graphics start-up, the messages of
// the first appearance and of a resize, mouse capture, the close signal, full-screen choice, the
// property bars drawn into the scene, and the teardown on shut-down.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>

#include <csignal>
#include <vector>

#include "core/Configuration.h"
#include "engine/EventHandler.h"
#include "engine/MainLoop.h"
#include "engine/MouseMoveMessage.h"
#include "engine/Platform.h"
#include "graphics/GlStartup.h"
#include "platform/TweakBarLayer.h"
#include "platform/WindowShell.h"

namespace {

// Records the window messages and the viewport at the moment each is delivered.
class WindowRecorder : public EventHandler {
public:
    struct Seen {
        int type;
        int width;
        int height;
    };
    std::vector<Seen> seen;
    std::vector<MouseMoveMessage> moves;

    WindowRecorder() {
        for (int type : {4, 5, 6})
            registerGlobalHandler<Message>(type, this, [](WindowRecorder& r, Message& m) {
                r.seen.push_back({m.type, viewportWidth, viewportHeight});
            });
        registerGlobalHandler<MouseMoveMessage>(9, this,
                                                [](WindowRecorder& r, MouseMoveMessage& m) { r.moves.push_back(m); });
    }
    int count(int type) const {
        int n = 0;
        for (const Seen& s : seen) n += s.type == type;
        return n;
    }
};

class GameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        configuration.bools["fullscreen"] = false;
        configuration.ints["resolutionX"] = 640;
        configuration.ints["resolutionY"] = 480;
        configuration.ints["antiAliasing"] = 8;
        nextGameState = nullptr;
        ASSERT_TRUE(createGameWindow("Tovik"));
    }
    void TearDown() override {
        sendMessage(new Message(31), true);  // the graphics handler tears the window down
        EXPECT_FALSE(gameWindowExists());
        nextGameState = nullptr;
        mouseCaptured = false;
    }

    static void pumpAndDeliver() {
        platform().pumpWindowMessages();
        updateMessageQueues();
    }

    WindowRecorder recorder;
};

// Counts what start-up asks of the display.
class CountingDisplay : public DisplayModeControl {
public:
    int listings = 0;
    std::vector<std::pair<unsigned, unsigned>> entered;
    std::vector<FullscreenMode> displayModes() override {
        ++listings;
        return {{1920, 1080}, {1280, 720}};
    }
    bool testFullscreenMode(unsigned, unsigned) override { return false; }
    bool enterFullscreen(unsigned width, unsigned height) override {
        entered.emplace_back(width, height);
        return false;
    }
};

}  // namespace

TEST_F(GameWindowTest, TheWindowComesUpWithGraphicsStartedAndDrawingOn) {
    EXPECT_TRUE(gameWindowExists());
    EXPECT_EQ(viewportWidth, 640);
    EXPECT_EQ(viewportHeight, 480);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &source);
    glGetIntegerv(GL_BLEND_DST_RGB, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_NE(glCreateShader, nullptr) << "GL 2 entry points are loaded";
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_GT(samples, 0) << "8 samples refused, a lower count should have been granted";
    EXPECT_LE(samples, 8);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);

    windowActive = false;
    updateMessageQueues();
    EXPECT_GE(recorder.count(4), 1) << "one 'active' message is queued at once";
    EXPECT_TRUE(windowActive);
    EXPECT_GE(recorder.count(6), 1);

    std::uint64_t before = platform().milliseconds();
    SDL_Delay(20);
    EXPECT_GE(platform().milliseconds(), before + 15);
}

TEST_F(GameWindowTest, AResizeSetsTheViewportBeforeItsMessage) {
    updateMessageQueues();
    recorder.seen.clear();
    setWindowedResolution(800, 600);
    EXPECT_EQ(configuration.getInt("resolutionX"), 800);
    EXPECT_EQ(configuration.getInt("resolutionY"), 600);
    EXPECT_FALSE(configuration.getBool("fullscreen", true));
    pumpAndDeliver();
    ASSERT_GE(recorder.count(6), 1);
    for (const auto& seen : recorder.seen)
        if (seen.type == 6) {
            EXPECT_EQ(seen.width, 800);
            EXPECT_EQ(seen.height, 600);
        }
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
}

TEST_F(GameWindowTest, TheReturnToTheCentreIsFilteredWhileCaptured) {
    pumpAndDeliver();
    recorder.moves.clear();
    setMouseCaptured(true);
    pumpAndDeliver();
    for (const MouseMoveMessage& m : recorder.moves)
        EXPECT_FALSE(m.newX == 320 && m.newY == 240) << "the warp to the centre came through";

    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = 0;
    motion.motion.x = 330;
    motion.motion.y = 235;
    SDL_PushEvent(&motion);
    recorder.moves.clear();
    pumpAndDeliver();
    ASSERT_EQ(recorder.moves.size(), 1u);
    EXPECT_EQ(recorder.moves[0].previousX, 320);
    EXPECT_EQ(recorder.moves[0].previousY, 240);
    EXPECT_EQ(recorder.moves[0].newX, 330);
    setMouseCaptured(false);
}

TEST_F(GameWindowTest, TerminationSignalsArriveAsACloseRequest) {
    pumpAndDeliver();
    std::raise(SIGTERM);
    platform().pumpWindowMessages();
    EXPECT_EQ(nextGameState, &quitGameState);
}

TEST_F(GameWindowTest, FullScreenIsEnteredOnlyWhenAskedAndNeverAtSizeZero) {
    CountingDisplay display;
    setDisplayModeControl(&display);
    configuration.bools["fullscreen"] = false;
    EXPECT_TRUE(initializeGraphics());
    EXPECT_EQ(display.listings, 0) << "no display mode is listed for a window";
    EXPECT_TRUE(display.entered.empty());

    configuration.bools["fullscreen"] = true;
    initializeGraphics();
    EXPECT_EQ(display.listings, 1);
    ASSERT_EQ(display.entered.size(), 1u);
    EXPECT_EQ(display.entered[0], std::make_pair(0u, 0u));
    configuration.bools["fullscreen"] = false;

    // The real display refuses a size of zero and stays as it is.
    EXPECT_FALSE(enterFullscreen(0, 0));
    EXPECT_FALSE(isFullscreen);
}

TEST_F(GameWindowTest, DisplayModesAreListedLargestFirst) {
    std::vector<DisplaySize> sizes = enumerateDisplayModes();
    ASSERT_FALSE(sizes.empty());
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        EXPECT_TRUE(sizes[i - 1].width > sizes[i].width ||
                    (sizes[i - 1].width == sizes[i].width && sizes[i - 1].height > sizes[i].height));
    }
    FullscreenMode chosen = findFullscreenMode();
    EXPECT_EQ(int(chosen.width), sizes[0].width);
}

TEST_F(GameWindowTest, PropertyBarsDrawOverTheSceneAndLeaveItsBindingsAlone) {
    ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
    TwWindowSize(viewportWidth, viewportHeight);
    TwBar* bar = TwNewBar("Settings");
    float value = 1.0f;
    TwAddVarRW(bar, "value", TW_TYPE_FLOAT, &value, " step=0.0001 ");

    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, 64, nullptr, GL_STATIC_DRAW);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, 16, nullptr);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    while (glGetError() != GL_NO_ERROR) {
    }

    EXPECT_EQ(TwDraw(), 1);
    EXPECT_EQ(TwDraw(), 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    GLint bound = 0, enabled = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    glGetVertexAttribiv(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    EXPECT_EQ(GLuint(bound), buffer);
    EXPECT_EQ(enabled, 1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "the scene's depth test is back on";

    // The bar's window was drawn where the first bar opens.
    unsigned char pixel[4] = {};
    glReadPixels(60, viewportHeight - 1 - 60, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_GT(int(pixel[0]) + pixel[1] + pixel[2], 0);

    glDisableVertexAttribArray(1);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDeleteBuffers(1, &buffer);
    TwTerminate();
}

TEST_F(GameWindowTest, ShutdownTearsTheWindowDownAndFallsBackToTheNullPlatform) {
    sendMessage(new Message(31), true);
    EXPECT_FALSE(gameWindowExists());
    int width = -1, height = -1;
    platform().getClientSize(width, height);
    platform().swapBuffers();  // harmless without a window
    EXPECT_TRUE(createGameWindow("Tovik")) << "a new window can be made afterwards";
}

TEST_F(GameWindowTest, FullScreenTogglesAndTheSettingFollows) {
    updateMessageQueues();
    toggleFullscreen();
    EXPECT_TRUE(isFullscreen);
    EXPECT_TRUE(configuration.getBool("fullscreen"));
    FullscreenMode mode = findFullscreenMode();
    pumpAndDeliver();
    EXPECT_EQ(viewportWidth, int(mode.width));
    EXPECT_EQ(viewportHeight, int(mode.height));

    toggleFullscreen();
    EXPECT_FALSE(isFullscreen);
    EXPECT_FALSE(configuration.getBool("fullscreen", true));
    pumpAndDeliver();
    EXPECT_EQ(viewportWidth, 640);
    EXPECT_EQ(viewportHeight, 480);
}
