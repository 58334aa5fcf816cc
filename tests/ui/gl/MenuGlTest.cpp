// The menus over a level in a headless window: the stack (only the top answers, popped menus go at
// the next update, resume closes all, unload deletes at once), the title menu's keys and mouse with the
// locked time-attack items passed over, starting play over the held level or anew, the pause menu's
// keys and resume, the question's three modes, page turning, the options (sound, resolution, settings
// written on leaving) and the best-times lines.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "audio/Audio.h"
#include "core/Configuration.h"
#include "editor/Editor.h"
#include "engine/ClickMessage.h"
#include "engine/FakePlatform.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "engine/MouseMoveMessage.h"
#include "graphics/CameraComponent.h"
#include "graphics/GlStartup.h"
#include "graphics/Graphics.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"
#include "game/BestTimesLists.h"
#include "physics/Body.h"
#include "physics/Sphere.h"
#include "effects/FadeInComponent.h"
#include "physics/Plane.h"
#include "ui/BestTimesScreen.h"
#include "ui/IntroScreen.h"
#include "ui/MainMenu.h"
#include "ui/MenuManager.h"
#include "ui/OptionsMenu.h"
#include "ui/PagedMenu.h"
#include "ui/PauseMenu.h"
#include "ui/QuitConfirm.h"
#include "ui/TextureTextComponent.h"

namespace {

// A menu without a file that counts what the stack does to it.
struct ProbeMenu : Menu {
    explicit ProbeMenu(int* closed, int* deleted) : Menu(0), closed(closed), deleted(deleted) {}
    ~ProbeMenu() override { ++*deleted; }
    Menu* clone() const override { return new ProbeMenu(closed, deleted); }
    void bindActions() override {}
    void onClose() override { ++*closed; }
    void update(float dt) override {
        Menu::update(dt);
        ++updates;
    }
    int* closed;
    int* deleted;
    int updates = 0;
};

class MenuSceneTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        initializeGraphics();
        saved = {currentGameState, nextGameState, configuration.fileName, configuration.ints, configuration.bools};
        const auto folder = std::filesystem::current_path() / "menu-gl-test-files" / std::to_string(::getpid());
        std::filesystem::create_directories(folder);
        settingsFile = (folder / "config.cfg").string();
        std::filesystem::remove(settingsFile);
        configuration.fileName = settingsFile;

        level = std::make_unique<GameState>("");
        currentGameState = level.get();
        nextGameState = level.get();
        level->loadResourceFile("Content/Resources/level1.res");
        hero = new Entity();
        auto* body = new Body();
        body->position = Vector4(3.0f, 1.0f, 2.0f, 1.0f);
        body->setShape(new Sphere(1.0f));
        hero->addComponent(body);
        level->addEntity(hero);
        level->flushAddedEntities();
        level->rootEntity = hero;
        camera = new CameraComponent();
        camera->camera.rotateY = 0.7f;
        level->addStateComponent(camera);
        manager = new MenuManager();
        level->addStateComponent(manager);
        level->flushAddedComponents();
    }
    void TearDown() override {
        level->unload();
        level.reset();
        currentGameState = saved.state;
        nextGameState = saved.next;
        configuration.fileName = saved.fileName;
        configuration.ints = saved.ints;
        configuration.bools = saved.bools;
    }

    static void key(int type, int code) { sendMessage(new KeyboardMessage(type, code), true); }
    static void press(int code) {
        key(7, code);
        key(8, code);
    }
    void frame() { manager->update(0.016f); }
    template <class M>
    M* push(M* menu) {
        manager->pushMenu(menu);
        frame();
        return menu;
    }
    static bool lit(Entity* item) { return item->graphics->diffuseColor.w() == Menu::litColor.w(); }
    // Moves the cursor onto an item's centre (window pixels, y down).
    static void pointAt(Entity* item) {
        int x = 0, y = 0, w = GlContext::width, h = GlContext::height;
        toPixelRect(*item->graphics, x, y, w, h);
        sendMessage(new MouseMoveMessage(0, 0, x + w / 2, GlContext::height - (y + h / 2)), true);
    }

    struct Saved {
        GameState* state;
        GameState* next;
        std::string fileName;
        std::map<std::string, int> ints;
        std::map<std::string, bool> bools;
    } saved;
    FakePlatform window;
    std::unique_ptr<GameState> level;
    Entity* hero = nullptr;
    CameraComponent* camera = nullptr;
    MenuManager* manager = nullptr;
    std::string settingsFile;
};

TEST_F(MenuSceneTest, OnlyTheTopMenuAnswersAndClosedMenusGoAtTheNextUpdate) {
    int closed = 0, deleted = 0;
    auto* lower = push(new ProbeMenu(&closed, &deleted));
    EXPECT_TRUE(lower->active);
    auto* upper = new ProbeMenu(&closed, &deleted);
    manager->pushMenu(upper);
    // The lower one stops answering at once; the new one answers from the next update on.
    EXPECT_FALSE(lower->active);
    EXPECT_FALSE(upper->active);
    frame();
    EXPECT_TRUE(upper->active);
    EXPECT_EQ(1, upper->updates);
    const int lowerUpdates = lower->updates;

    manager->popMenu();
    EXPECT_FALSE(upper->active);
    EXPECT_EQ(0, deleted);  // still alive for the code that popped it
    frame();
    EXPECT_EQ(1, closed);
    EXPECT_EQ(1, deleted);
    EXPECT_TRUE(lower->active);
    EXPECT_EQ(lowerUpdates + 1, lower->updates);

    // Pausing pushes the pause menu over the probe; resuming closes both.
    level->setPaused(true);
    ASSERT_EQ(2u, manager->openMenus.size());
    level->setPaused(false);
    EXPECT_TRUE(manager->openMenus.empty());
    frame();
    EXPECT_EQ(2, deleted);

    // Unloading deletes open menus at once, each after onClose; the manager deletes the closed ones.
    push(new ProbeMenu(&closed, &deleted));
    manager->pushMenu(new ProbeMenu(&closed, &deleted));
    manager->popMenu();
    level->unload();
    EXPECT_EQ(3, closed);
    EXPECT_EQ(4, deleted);
}

TEST_F(MenuSceneTest, AMenuWithoutItemsLeavesOnEscapeAndGivesTheHeldLevelBack) {
    int closed = 0, deleted = 0;
    level->mainMenuOpen = true;
    level->paused = true;
    auto* empty = push(new ProbeMenu(&closed, &deleted));
    press(Menu::keyEscape);
    EXPECT_FALSE(level->paused);
    EXPECT_FALSE(level->mainMenuOpen);
    EXPECT_FALSE(empty->active);
    frame();
    EXPECT_EQ(1, deleted);
}

TEST_F(MenuSceneTest, PausingOpensThePauseMenuOrTheTitleMenuOverTheHeldLevel) {
    mouseCaptured = true;
    level->setPaused(true);
    EXPECT_FALSE(mouseCaptured);
    ASSERT_NE(nullptr, dynamic_cast<PauseMenu*>(manager->topMenu()));
    auto* pause = static_cast<PauseMenu*>(manager->topMenu());
    frame();

    // S six times walks to the last item, a seventh wraps; W on the first goes to the last.
    for (int i = 0; i < 6; ++i) press(Menu::keyS);
    EXPECT_EQ(6u, pause->currentItem);
    press(Menu::keyDown);
    EXPECT_EQ(0u, pause->currentItem);
    press(Menu::keyW);
    EXPECT_EQ(6u, pause->currentItem);
    EXPECT_TRUE(lit(pause->options[6]));
    EXPECT_FALSE(lit(pause->options[0]));

    // A sub-screen on top takes the keys: the pause menu's highlight stays.
    press(Menu::keyUp);  // to "Main Menu"
    pause->chooseItem(4);  // options
    auto* options = dynamic_cast<OptionsMenu*>(manager->topMenu());
    ASSERT_NE(nullptr, options);
    frame();
    press(Menu::keyS);
    EXPECT_EQ(5u, pause->currentItem);
    options->chooseItem(3);  // back
    frame();
    EXPECT_TRUE(pause->active);

    // Space on resume: nothing on the press, the level resumes in the update after the release.
    while (pause->currentItem != 0) press(Menu::keyW);
    key(7, Menu::keySpace);
    EXPECT_FALSE(pause->resumeRequested);
    key(8, Menu::keySpace);
    EXPECT_TRUE(level->paused);
    frame();
    EXPECT_FALSE(level->paused);
    EXPECT_TRUE(mouseCaptured);
    EXPECT_TRUE(manager->openMenus.empty());

    // The level held by the title menu opens the title menu instead.
    level->mainMenuOpen = true;
    level->setPaused(true);
    EXPECT_NE(nullptr, dynamic_cast<MainMenu*>(manager->topMenu()));
    mouseCaptured = false;
}

TEST_F(MenuSceneTest, TitleMenuPassesOverLockedModesAndResumesTheHeldLevel) {
    configuration.ints["timerModeEnable"] = 0;
    level->mainMenuOpen = true;
    level->setPaused(true);
    auto* title = dynamic_cast<MainMenu*>(manager->topMenu());
    ASSERT_NE(nullptr, title);
    frame();
    EXPECT_TRUE(title->overStartupLevel);
    // The hero waits enlarged at the orbit point; the camera circles it frame by frame.
    EXPECT_FLOAT_EQ(MainMenu::orbitPoint.x(), hero->body->position.x());
    EXPECT_FLOAT_EQ(MainMenu::orbitRadius, static_cast<Sphere*>(hero->body->shape)->radius);
    const float angle = camera->camera.rotateY;
    frame();
    EXPECT_NEAR(angle + 0.001f * 3.1415927f, camera->camera.rotateY, 1e-4f);

    press(Menu::keyS);
    EXPECT_EQ("How to Play", entityText(title->currentItemEntity()));
    press(Menu::keyW);
    EXPECT_EQ(0u, title->currentItem);
    // The mouse may rest on a locked item: it becomes current without lighting, and choosing it does
    // nothing.
    pointAt(title->options[1]);
    EXPECT_EQ(1u, title->currentItem);
    EXPECT_FALSE(lit(title->options[1]));
    sendMessage(new ClickMessage(10, -3), true);
    EXPECT_TRUE(level->paused);
    EXPECT_EQ(0, configuration.getInt("timerMode", 0));

    configuration.ints["timerModeEnable"] = 1;
    press(Menu::keyS);
    EXPECT_EQ("How to Play", entityText(title->currentItemEntity()));
    press(Menu::keyW);
    EXPECT_EQ("Time Attack Mode", entityText(title->currentItemEntity()));
    configuration.ints["timerModeEnable"] = 2;
    press(Menu::keyS);
    EXPECT_EQ("Super Time Attack", entityText(title->currentItemEntity()));
    pointAt(title->options[1]);
    EXPECT_TRUE(lit(title->options[1]));

    // Choosing time attack resumes the held level: hero and camera back, message 29 sent once.
    int starts = 0;
    Entity listener;
    UnregisterHandle handle = registerGlobalHandler(29, &listener, [&starts](Entity&, Message&) { ++starts; });
    handle.setActive(true);
    press(Menu::keyEnter);
    EXPECT_EQ(1, configuration.getInt("timerMode", 0));
    EXPECT_EQ(1, starts);
    EXPECT_FALSE(level->paused);
    EXPECT_FALSE(level->mainMenuOpen);
    EXPECT_FLOAT_EQ(3.0f, hero->body->position.x());
    EXPECT_FLOAT_EQ(1.0f, static_cast<Sphere*>(hero->body->shape)->radius);
    EXPECT_FLOAT_EQ(0.7f, camera->camera.rotateY);
    frame();
    EXPECT_TRUE(manager->openMenus.empty());
}

TEST_F(MenuSceneTest, TheQuestionsThreeModes) {
    level->setPaused(true);
    frame();
    confirmQuit();
    auto* question = static_cast<QuitConfirm*>(manager->topMenu());
    frame();
    // "No" starts lit; released D or A move between the two, pressing them does nothing.
    EXPECT_EQ(1u, question->currentItem);
    key(7, Menu::keyD);
    EXPECT_EQ(1u, question->currentItem);
    key(8, Menu::keyD);
    EXPECT_EQ(0u, question->currentItem);
    key(8, Menu::keyLeft);
    EXPECT_EQ(1u, question->currentItem);
    press(Menu::keyEnter);  // no: back to the pause menu
    frame();
    EXPECT_NE(nullptr, dynamic_cast<PauseMenu*>(manager->topMenu()));

    // The answered question is deleted by now: the other two modes are tried on questions of their own.
    QuitConfirm quit(QuitConfirm::quitGame);
    quit.confirm();
    EXPECT_EQ(&quitGameState, nextGameState);
    EXPECT_TRUE(level->paused);

    nextGameState = level.get();
    QuitConfirm restart(QuitConfirm::restartLevel);
    restart.confirm();
    EXPECT_EQ(&restartGameState, nextGameState);
    EXPECT_FALSE(level->paused);
    EXPECT_TRUE(manager->openMenus.empty());

    // Back to the title menu: it opens over the paused level, and its start requests a new level.
    nextGameState = level.get();
    level->setPaused(true);
    QuitConfirm back(QuitConfirm::backToMainMenu);
    back.confirm();
    auto* title = dynamic_cast<MainMenu*>(manager->topMenu());
    ASSERT_NE(nullptr, title);
    EXPECT_TRUE(level->mainMenuOpen);
    EXPECT_FALSE(title->overStartupLevel);
    title->startNormal();
    ASSERT_NE(level.get(), nextGameState);
    EXPECT_NE(nullptr, dynamic_cast<Editor*>(nextGameState));
    EXPECT_EQ(configuration.getString("startingState"), nextGameState->levelFileName);
    delete nextGameState;
    nextGameState = level.get();
}

TEST_F(MenuSceneTest, PagesTurnWithoutWrappingAndEnterAlwaysGoesBack) {
    auto* pages = push(new HowToPlayMenu());
    ASSERT_GE(pages->menuTexs.size(), 2u);
    Texture* shown = pages->background.graphics->getTexture();
    const unsigned first = shown->getGLName();
    press(Menu::keyA);
    EXPECT_EQ(0u, pages->currentTex);
    pages->chooseItem(2);  // previous page on the first: nothing
    EXPECT_EQ(0u, pages->currentTex);
    press(Menu::keyD);
    EXPECT_EQ(1u, pages->currentTex);
    EXPECT_NE(first, pages->background.graphics->getTexture()->getGLName());
    for (std::size_t i = 0; i < pages->menuTexs.size(); ++i) press(Menu::keyRight);
    EXPECT_EQ(pages->menuTexs.size() - 1, pages->currentTex);
    pages->chooseItem(1);
    EXPECT_EQ(pages->menuTexs.size() - 1, pages->currentTex);
    pointAt(pages->options[1]);  // resting on "next", Enter still goes back
    EXPECT_EQ(1u, pages->currentItem);
    press(Menu::keyEnter);
    EXPECT_TRUE(manager->openMenus.empty());
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(MenuSceneTest, OptionsChangeAtOnceAndAreWrittenWhenTheScreenGoes) {
    configuration.bools["muted"] = false;
    auto* options = push(new OptionsMenu());
    Entity* sound = options->extraTexs[OptionsMenu::soundIndicator];
    Texture& selected = level->get<Texture>("selected");
    Texture& unselected = level->get<Texture>("unselected");
    EXPECT_EQ(selected.getGLName(), sound->graphics->getTexture()->getGLName());

    // Without a sound system in the level the item changes nothing; with one it mutes at once.
    options->chooseItem(1);
    EXPECT_FALSE(configuration.getBool("muted"));
    level->addStateComponent(new Audio());
    level->flushAddedComponents();
    options->chooseItem(1);
    EXPECT_TRUE(configuration.getBool("muted"));
    EXPECT_EQ(unselected.getGLName(), sound->graphics->getTexture()->getGLName());

    // Left and right step through the sizes only on the resolution item, without wrapping.
    options->resolutionList = {{1920, 1080}, {1280, 720}, {800, 600}};
    options->currentResolution = 0;
    auto* label = options->extraTexs[OptionsMenu::resolutionLabel]->getComponent<TextureTextComponent>();
    press(Menu::keyD);  // on "Full Screen": only the label is drawn again
    EXPECT_EQ(0u, options->currentResolution);
    EXPECT_EQ("1920 x 1080", label->text);
    press(Menu::keyS);
    press(Menu::keyS);
    for (int i = 0; i < 4; ++i) press(Menu::keyRight);
    EXPECT_EQ(2u, options->currentResolution);
    EXPECT_EQ("800 x 600", label->text);
    press(Menu::keyA);
    EXPECT_EQ("1280 x 720", label->text);

    // A click on the resolution item beside its centre steps that way; near the centre it applies.
    Entity* item = options->options[OptionsMenu::resolutionItem];
    int x = 0, y = 0, w = GlContext::width, h = GlContext::height;
    toPixelRect(*item->graphics, x, y, w, h);
    const int centre = x + w / 2;
    const CursorPosition keptCursor = lastCursorPosition;
    lastCursorPosition.x = centre - 40;
    sendMessage(new ClickMessage(10, -1), true);
    EXPECT_EQ("1920 x 1080", label->text);
    lastCursorPosition.x = centre + 40;
    sendMessage(new ClickMessage(10, -1), true);
    EXPECT_EQ("1280 x 720", label->text);
    lastCursorPosition.x = centre + 5;
    sendMessage(new ClickMessage(10, -1), true);  // applies: without a game window nothing changes
    EXPECT_EQ("1280 x 720", label->text);
    lastCursorPosition = keptCursor;

    EXPECT_FALSE(std::filesystem::exists(settingsFile));
    press(Menu::keyS);
    press(Menu::keyEnter);  // back
    EXPECT_FALSE(std::filesystem::exists(settingsFile));
    frame();
    ASSERT_TRUE(std::filesystem::exists(settingsFile));
    Configuration written(settingsFile);
    EXPECT_TRUE(written.getBool("muted"));
}

TEST_F(MenuSceneTest, BestTimeLinesShowEveryWholeEntryOfADamagedFileWithItsNameAndTime) {
    struct KeptLists {
        BestTimesLists lists = bestTimesLists();
        ~KeptLists() { bestTimesLists() = lists; }
    } kept;
    // The player's file, cut short in its last entry, with a 75-minute run, names as they were stored
    // (padded with blanks inside, or by an earlier version without padding) and a time that is no number.
    const std::string file = (std::filesystem::path(settingsFile).parent_path() / "lists.tm").string();
    const std::string damaged =
        "BestTimesLists 0 atkMode\n"
        " BestTime 0 name \"  Ann   Lee    \" min 0 sec 59 end\n"
        " BestTime 0 name jo min 2 sec 5 end\n"
        " BestTime 0 name \"a very long player name\" min 75 sec 3 end\n"
        " end\n"
        "superAtk\n"
        " BestTime 0 name Cy min 0 sec 59 end\n"
        " BestTime 0 name Dee min x sec 1 end\n"
        " BestTime 0 name Eve min 3";
    std::ofstream(file) << damaged;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(bestTimesLists().load(file, "Content/lists.tm"));
    testing::internal::GetCapturedStderr();

    BestTimesScreen fromFile;
    auto* screen = push(new BestTimesScreen());
    ASSERT_EQ(12u, screen->extraTexs.size());
    EXPECT_EQ("  Ann   Lee         00:59", entityText(screen->extraTexs[1]));
    EXPECT_EQ("jo                  02:05", entityText(screen->extraTexs[2]));
    EXPECT_EQ("a very long player name     75:03", entityText(screen->extraTexs[3]));
    EXPECT_EQ("Cy                  00:59", entityText(screen->extraTexs[7]));
    // The headings and the lines without an entry keep the menu file's text.
    for (std::size_t i : {0, 4, 5, 6, 8, 11})
        EXPECT_EQ(entityText(fromFile.extraTexs[i]), entityText(screen->extraTexs[i])) << i;

    // Six entries for five lines: the sixth goes nowhere; the screen draws without GL errors.
    std::vector<BestTime> six(6, BestTime{"Dee", 1, 1});
    screen->fillLines(six, {});
    EXPECT_NE(bestTimeLine(six[5]), entityText(screen->extraTexs[6]));
    manager->draw();
    EXPECT_EQ(GlContext::drainErrors(), 0);
    key(7, Menu::keySpace);
    EXPECT_EQ(1u, manager->openMenus.size());
    key(8, Menu::keySpace);
    EXPECT_TRUE(manager->openMenus.empty());

}

TEST_F(MenuSceneTest, IntroShowsEachPictureInTurnThenAnnouncesItsEnd) {
    auto* intro = new IntroScreen();
    for (int i = 0; i < 3; ++i) {
        auto* picture = new Entity();
        auto* body = new Body();
        body->setShape(new Plane());
        picture->addComponent(body);
        picture->addComponent(new Graphics());
        intro->screens.push_back(picture);
    }
    std::unique_ptr<GameStateComponent> copy(intro->clone());
    level->addStateComponent(intro);
    level->flushAddedComponents();
    ASSERT_NE(nullptr, intro->screens.front()->getComponent<FadeInComponent>());
    EXPECT_EQ(nullptr, intro->screens[1]->getComponent<FadeInComponent>());

    int finished = 0;
    Entity listener;
    UnregisterHandle handle =
        registerGlobalHandler(IntroScreen::introFinishedMessage, &listener, [&finished](Entity&, Message&) { ++finished; });
    handle.setActive(true);
    std::vector<float> gone;  // seconds at which each picture left
    float t = 0.0f;
    while (t < 40.0f && finished == 0) {
        const std::size_t before = intro->screens.size();
        intro->update(0.1f);
        t += 0.1f;
        if (intro->screens.size() < before) gone.push_back(t);
        intro->draw();
        updateMessageQueues();
    }
    // Four seconds in, five out, and a frame or two for the fades to retire, one picture after another.
    ASSERT_EQ(3u, gone.size());
    EXPECT_NEAR(9.0f, gone[0], 0.35f);
    EXPECT_NEAR(27.0f, gone[2], 1.0f);
    EXPECT_EQ(1, finished);
    EXPECT_NEAR(gone[2], t, 0.01f);
    EXPECT_EQ(GlContext::drainErrors(), 0);
    // The copy made at the start kept pictures of its own.
    EXPECT_EQ(3u, static_cast<IntroScreen&>(*copy).screens.size());
}

}  // namespace
