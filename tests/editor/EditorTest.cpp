// The level state without a window: entering play mode, the Escape key in play and edit mode, the
// start under the main menu, the per-frame gameplay hook, leaving and deleting itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/Configuration.h"
#include "editor/Editor.h"
#include "editor/EditorTestSupport.h"
#include "engine/FakePlatform.h"
#include "engine/GameStateComponent.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/PauseMessage.h"
#include "graphics/CameraComponent.h"
#include "physics/Physics.h"

namespace {

// A state component standing for the menus of a level.
class Menus : public GameStateComponent {
public:
    GameStateComponent* clone() const override { return new Menus(*this); }
};

bool levelHasMenus(GameState& level) { return level.getComponents<Menus>() != nullptr; }

constexpr int escape = -24;

// The process-wide flags a level state touches, put back after each test.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedFirstLoad = firstLoad;
        savedCaptured = mouseCaptured;
        savedDistance = configuration.floats["playModeDefaultCameraDistance"];
        configuration.floats["playModeDefaultCameraDistance"] = 11.0f;
        firstLoad = false;
        mouseCaptured = false;
    }
    void TearDown() override {
        if (editor) {
            editor->unload();
            currentGameState = nullptr;
            editor.reset();
        }
        firstLoad = savedFirstLoad;
        mouseCaptured = savedCaptured;
        configuration.floats["playModeDefaultCameraDistance"] = savedDistance;
        editorHooks() = EditorHooks();
        setEditorControlQuery(nullptr);
        nextGameState = nullptr;
        currentGameState = nullptr;
    }

    // Loads and enters the level as the main loop does.
    Editor& enter(const std::string& text, GameStateComponent* extra = nullptr) {
        editor = std::make_unique<Editor>(writeTestFile("level.lvl", text));
        currentGameState = editor.get();
        nextGameState = editor.get();
        if (extra) editor->addStateComponent(extra);
        editor->load();
        editor->initialize();
        return *editor;
    }

    static void press(int key) { sendMessage(new KeyboardMessage(7, key), true); }

    FakePlatform window;
    std::unique_ptr<Editor> editor;
    bool savedFirstLoad = true;
    bool savedCaptured = false;
    float savedDistance = 0.0f;
};

TEST_F(EditorTest, EnteringALevelPlaysItWithTheCameraOnTheHero) {
    MessageCounter playMode(20);
    Editor& level = enter(levelText(true));
    EXPECT_EQ(1, playMode.count);
    EXPECT_TRUE(mouseCaptured);
    EXPECT_TRUE(window.grabbed);
    EXPECT_FALSE(window.cursorVisible);
    CameraComponent* camera = level.getComponents<CameraComponent>();
    ASSERT_NE(nullptr, camera);
    ASSERT_NE(nullptr, level.rootEntity);
    EXPECT_EQ(static_cast<std::int32_t>(level.rootEntity->id), camera->targetEntity);
    EXPECT_FLOAT_EQ(11.0f, camera->targetDistance);
    EXPECT_EQ(&camera->camera, level.levelCamera());
    EXPECT_FALSE(level.paused);
    EXPECT_FALSE(level.isBeingEdited());
}

TEST_F(EditorTest, ALevelWithoutACameraEntersAndRunsFrames) {
    Editor& level = enter(levelText(false));
    EXPECT_EQ(nullptr, level.levelCamera());
    EXPECT_TRUE(mouseCaptured);
    level.update(0.1f);
    press(escape);
    EXPECT_TRUE(level.paused);
}

TEST_F(EditorTest, ALevelWithoutEntitiesSurvivesFramesAndEscape) {
    Editor& level = enter("Editor 2 resourceFileName \"\" end components end archetypes end entities end end");
    EXPECT_EQ(nullptr, level.rootEntity);
    level.update(0.1f);
    press(escape);
    EXPECT_TRUE(level.paused);
}

TEST_F(EditorTest, EscapeTogglesThePauseWhilePlaying) {
    Editor& level = enter(levelText(true));
    MessageCounter pauses(26);
    press(escape);
    EXPECT_TRUE(level.paused);
    press(escape);
    EXPECT_FALSE(level.paused);
    EXPECT_EQ(2, pauses.count);
    press('A');
    sendMessage(new KeyboardMessage(8, escape), true);
    EXPECT_FALSE(level.paused);
    EXPECT_EQ(&level, nextGameState);
}

TEST_F(EditorTest, EscapeDoesNothingUnderTheMainMenuAndQuitsWhileEditing) {
    Editor& level = enter(levelText(true));
    level.mainMenuOpen = true;
    press(escape);
    EXPECT_FALSE(level.paused);
    EXPECT_EQ(&level, nextGameState);

    setEditorControlQuery([](Entity* hero) { return hero != nullptr; });
    EXPECT_TRUE(level.isBeingEdited());
    press(escape);
    EXPECT_EQ(&quitGameState, nextGameState);
    EXPECT_FALSE(level.paused);
}

TEST_F(EditorTest, TheFirstLevelWaitsUnderTheMainMenuOnlyWhenItHasMenus) {
    editorHooks().hasMainMenu = &levelHasMenus;
    firstLoad = true;
    Editor& withMenus = enter(levelText(true), new Menus());
    EXPECT_TRUE(withMenus.mainMenuOpen);
    EXPECT_TRUE(withMenus.paused);
    editor->unload();
    editor.reset();

    // Nothing could ever lift the pause of a level that has no menus.
    Editor& plain = enter(levelText(true));
    EXPECT_FALSE(plain.mainMenuOpen);
    EXPECT_FALSE(plain.paused);

    firstLoad = false;
    Editor& later = enter(levelText(true), new Menus());
    EXPECT_FALSE(later.mainMenuOpen);
    EXPECT_FALSE(later.paused);

    // Without the menus' answer no level is held.
    editorHooks().hasMainMenu = nullptr;
    editor->unload();
    editor.reset();
    firstLoad = true;
    Editor& unknown = enter(levelText(true), new Menus());
    EXPECT_FALSE(unknown.paused);
}

TEST_F(EditorTest, TheGuidanceTargetIsUpdatedOnlyWhilePlaying) {
    static int targetUpdates = 0;
    targetUpdates = 0;
    editorHooks().updateNextTarget = [] { ++targetUpdates; };
    editorHooks().liveScoreSphereCount = [] { return 17; };
    Editor& level = enter(levelText(true));
    EXPECT_EQ(17, scoreSpheresAtPlayStart);
    level.update(0.1f);
    level.update(0.1f);
    EXPECT_EQ(2, targetUpdates);
    setEditorControlQuery([](Entity*) { return true; });
    level.update(0.1f);
    EXPECT_EQ(2, targetUpdates);
}

TEST_F(EditorTest, WithoutGameplayNoSphereIsCounted) {
    scoreSpheresAtPlayStart = 5;
    enter(levelText(false));
    EXPECT_EQ(0, scoreSpheresAtPlayStart);
}

TEST_F(EditorTest, UnloadingLetsGoOfEscapeAndARestartTakesItAgain) {
    Editor& level = enter(levelText(true));
    level.unload();
    press(escape);
    EXPECT_FALSE(level.paused);

    MessageCounter playMode(20);
    level.initialize();
    EXPECT_EQ(1, playMode.count);
    press(escape);
    EXPECT_TRUE(level.paused);
    // Entered twice, registered once: one press, one toggle.
    press(escape);
    EXPECT_FALSE(level.paused);
}

TEST_F(EditorTest, ALevelReadFromTheTemporaryFileHasNoSaveTarget) {
    const std::filesystem::path folder = std::filesystem::path(writeTestFile("level.lvl", "")).parent_path();
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    {
        std::ofstream("tempLevelState.levelFile") << levelText(false);
    }
    editor = std::make_unique<Editor>("tempLevelState.levelFile");
    currentGameState = editor.get();
    editor->load();
    editor->initialize();
    std::filesystem::current_path(previous);
    EXPECT_EQ("", editor->levelFileName);
    EXPECT_EQ("tempLevelState.levelFile", editor->getLevelSource());
    EXPECT_NE(nullptr, editor->rootEntity);
}

class WatchedEditor : public Editor {
public:
    WatchedEditor(const std::string& file, bool& gone) : Editor(file), gone(gone) {}
    ~WatchedEditor() override { gone = true; }
    bool& gone;
};

TEST_F(EditorTest, ClearingTheResourcesDeletesTheState) {
    bool gone = false;
    auto* level = new WatchedEditor(writeTestFile("level.lvl", levelText(false)), gone);
    currentGameState = level;
    level->load();
    level->initialize();
    level->unload();
    level->clearResources();
    EXPECT_TRUE(gone);
    currentGameState = nullptr;
}

}  // namespace
