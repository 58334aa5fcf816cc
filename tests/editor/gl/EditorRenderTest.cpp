// The level state's frame on screen: cleared to black, the scene through the level camera, one swap;
// a level without a camera shows black instead of failing.
#include <gtest/gtest.h>

#include <memory>

#include "editor/Editor.h"
#include "editor/EditorTestSupport.h"
#include "engine/FakePlatform.h"
#include "engine/MainLoop.h"
#include "graphics/CameraComponent.h"
#include "graphics/GlStartup.h"
#include "graphics/gl/GlContext.h"

namespace {

const char* const flatResources =
    "size 4\n"
    "whitePixel Texture 1 fileName Content/Images/whitePixel.png end\n"
    "sphere function Model::createSphere 16\n"
    "box function Model::createBox\n"
    "flat ParticleShader 0 1 Program fileNameFragment Shaders/particleFragment.glsl "
    "fileNameVertex Shaders/particleVertex.glsl end end\n"
    "end\n";

class EditorRenderTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        initializeGraphics();
        savedWidth = viewportWidth;
        savedHeight = viewportHeight;
        viewportWidth = GlContext::width;
        viewportHeight = GlContext::height;
    }
    void TearDown() override {
        if (editor) {
            editor->unload();
            editor->clearResources();  // deletes it
        }
        currentGameState = nullptr;
        nextGameState = nullptr;
        mouseCaptured = false;
        viewportWidth = savedWidth;
        viewportHeight = savedHeight;
    }

    Editor& enter(const std::string& level) {
        editor = new Editor(writeTestFile("level.lvl", level));
        currentGameState = editor;
        nextGameState = editor;
        editor->load();
        editor->initialize();
        return *editor;
    }

    // The colour of one pixel of the back buffer, x from the left and y from the bottom.
    static std::vector<std::uint8_t> pixel(int x, int y) { return GlContext::readPixels(x, y, 1, 1); }

    static void paintWhite() {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    FakePlatform window;
    Editor* editor = nullptr;
    int savedWidth = 0;
    int savedHeight = 0;
};

TEST_F(EditorRenderTest, ALevelWithoutACameraIsClearedToBlackAndSwapped) {
    Editor& level = enter(levelText(false, true, writeTestFile("level.res", flatResources)));
    ASSERT_EQ(nullptr, level.levelCamera());
    paintWhite();
    level.update(0.1f);
    level.render();
    EXPECT_EQ(1, window.swaps);
    for (auto [x, y] : {std::pair{0, 0}, {128, 64}, {255, 127}}) {
        auto p = pixel(x, y);
        EXPECT_EQ(0, p[0] + p[1] + p[2]) << x << "," << y;
    }
    EXPECT_EQ(0, GlContext::drainErrors());
}

TEST_F(EditorRenderTest, TheSceneIsDrawnThroughTheLevelCamera) {
    Editor& level = enter(levelText(true, true, writeTestFile("level.res", flatResources)));
    ASSERT_NE(nullptr, level.levelCamera());
    paintWhite();
    level.update(0.1f);
    level.render();
    EXPECT_EQ(1, window.swaps);
    // The camera looks down at the hero from above and behind: the red hero in the middle, the blue
    // floor along the bottom, nothing but black sky at the top.
    auto centre = pixel(GlContext::width / 2, GlContext::height / 2);
    EXPECT_GT(centre[0], 200);
    EXPECT_LT(centre[1], 40);
    auto bottom = pixel(GlContext::width / 2, 2);
    EXPECT_GT(bottom[2], 200);
    EXPECT_LT(bottom[0], 40);
    auto top = pixel(GlContext::width / 2, GlContext::height - 2);
    EXPECT_EQ(0, top[0] + top[1] + top[2]);
    EXPECT_EQ(0, GlContext::drainErrors());
}

}  // namespace
