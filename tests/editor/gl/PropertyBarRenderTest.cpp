// The property bars on screen: a right click while editing opens Place mode's bars, and the level
// state's frame draws them over the scene through the GL back end; in play mode they are not drawn.
#include <gtest/gtest.h>

#include <vector>

#include "editor/EditorSceneSupport.h"
#include "editor/PlaceMode.h"
#include "graphics/GlStartup.h"
#include "graphics/gl/GlContext.h"
#include "platform/TweakBarLayer.h"

namespace {

class PropertyBarRenderTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        initializeGraphics();
        savedWidth = viewportWidth;
        savedHeight = viewportHeight;
        viewportWidth = GlContext::width;
        viewportHeight = GlContext::height;
        ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
        TwWindowSize(viewportWidth, viewportHeight);
    }
    void TearDown() override {
        if (editor) {
            editor->unload();
            editor->clearResources();  // deletes it
        }
        TwTerminate();
        currentGameState = nullptr;
        nextGameState = nullptr;
        mouseCaptured = false;
        viewportWidth = savedWidth;
        viewportHeight = savedHeight;
    }

    // Pixels of the frame brighter than the dark scene: the bars' text and frames.
    static int brightPixels() {
        std::vector<std::uint8_t> pixels = GlContext::readPixels(0, 0, GlContext::width, GlContext::height);
        int count = 0;
        for (std::size_t i = 0; i + 3 < pixels.size(); i += 4)
            if (pixels[i] + pixels[i + 1] + pixels[i + 2] > 300) ++count;
        return count;
    }

    FakePlatform window;
    Editor* editor = nullptr;
    int savedWidth = 0;
    int savedHeight = 0;
};

TEST_F(PropertyBarRenderTest, OpenBarsAreDrawnOverTheSceneWhileEditing) {
    editor = new Editor(writeTestFile("level.lvl", editorScene()));
    currentGameState = editor;
    nextGameState = editor;
    editor->load();
    editor->initialize();
    sendMessage(new KeyboardMessage(7, EditorKey::f1), true);
    editor->update(0.1f);
    ASSERT_TRUE(editor->isBeingEdited());

    editor->render();
    editor->render();
    const int withoutBars = brightPixels();
    sendMessage(new ClickMessage(10, MouseButton::right), true);
    ASSERT_EQ(twBars().size(), 2u);
    editor->render();
    editor->render();
    const int withBars = brightPixels();
    EXPECT_GT(withBars, withoutBars + 100) << "the bars' text was drawn";
    EXPECT_FALSE(twLastFrameRows().empty());

    // Back in play mode the level is drawn without them.
    sendMessage(new KeyboardMessage(7, EditorKey::f1), true);
    editor->update(0.1f);
    ASSERT_FALSE(editor->isBeingEdited());
    editor->render();
    EXPECT_LT(brightPixels(), withBars);
}

}  // namespace
