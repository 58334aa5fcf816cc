// Time attack in a running level: the trigger's unlocks, texts and single firing; the clock counting,
// holding while paused or edited, stopping at its own mode's trigger and entering the best times.
#include <gtest/gtest.h>

#include "core/Configuration.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "engine/GameplayMessages.h"
#include "engine/MessageTypes.h"
#include "game/BestTimesLists.h"
#include "game/TimerLabel.h"
#include "game/TimerOffComponent.h"
#include "graphics/FontSheetGraphics.h"
#include "GameScene.h"
#include "physics/CollisionMessage.h"
#include "platform/UserName.h"

namespace {

// The game's settings and best times pointed at a scratch folder for one test, then put back.
class TimeAttackScene : public GameScene {
public:
    TimeAttackScene()
        : folder(gameScratchFolder("time-attack")), savedSettings(configuration), savedLists(bestTimesLists()) {
        configuration.fileName = (folder / "config.cfg").string();
        bestTimesLists().fileName = (folder / "lists.tm").string();
    }
    ~TimeAttackScene() {
        configuration = savedSettings;
        bestTimesLists() = savedLists;
    }

    void setModes(int playing, int unlocked) {
        configuration.ints["timerMode"] = playing;
        configuration.ints["timerModeEnable"] = unlocked;
    }

    Entity* addTrigger(int mode, const std::string& text) {
        Entity* trigger = addEntity(Vector4(0, 0, 10, 1));
        auto* component = new TimerOffComponent();
        component->mode = mode;
        component->message = text;
        trigger->addComponent(component);
        return trigger;
    }

    // A contact of the trigger with the entity of that id, as physics reports it.
    void touch(Entity* trigger, Entity* other) {
        sendMessageToHandler(new CollisionMessage(other->id, Contact{}), trigger, true);
    }

    void broadcast(int type) { sendMessage(new Message(type), true); }

    std::vector<std::string> infoTexts() {
        std::vector<std::string> texts;
        for (auto& m : info.received) texts.push_back(m.text);
        info.received.clear();
        return texts;
    }

    std::filesystem::path folder;
    Configuration savedSettings;
    BestTimesLists savedLists;
    MessageLog<InfoMessage> info{MessageType::Info};
    MessageLog<TimerOffMessage> timerOff{MessageType::TimerOff};
};

using Texts = std::vector<std::string>;

}  // namespace

TEST(TimeAttackTrigger, UnlocksAnnouncesStopsTheClockAndFiresOnceOnlyForTheHeroInPlay) {
    TimeAttackScene scene;
    const auto settingsFile = scene.folder / "config.cfg";

    // Ordinary play, nothing unlocked, a mode-1 trigger with its own text.
    scene.setModes(0, 0);
    Entity* first = scene.addTrigger(1, "Made it!");
    const std::uint32_t firstId = first->id;
    Entity* stranger = scene.addEntity(Vector4(5, 0, 0, 1));
    scene.touch(first, stranger);
    scene.deliverQueued();
    EXPECT_TRUE(scene.infoTexts().empty());
    EXPECT_TRUE(scene.timerOff.received.empty());

    // Touched while the level is edited: nothing either.
    scene.broadcast(MessageType::EditMode);
    scene.touch(first, scene.hero);
    scene.deliverQueued();
    EXPECT_TRUE(scene.infoTexts().empty());
    EXPECT_FALSE(std::filesystem::exists(settingsFile));

    scene.broadcast(MessageType::PlayMode);
    scene.touch(first, scene.hero);
    scene.touch(first, scene.hero);  // the second contact of the same step finds no handler
    scene.deliverQueued();
    EXPECT_EQ(scene.infoTexts(), Texts{"Time Attack Mode unlocked!"});
    ASSERT_EQ(scene.timerOff.received.size(), 1u);
    EXPECT_EQ(scene.timerOff.received[0].mode, 1);
    EXPECT_EQ(configuration.ints["timerModeEnable"], 1);
    EXPECT_EQ(Configuration(settingsFile.string()).ints["timerModeEnable"], 1);
    scene.state.flushRemovedEntities();
    EXPECT_EQ(findEntityById(firstId), nullptr);

    // A run of mode 1 with it unlocked: its own text, no unlock, no settings write.
    std::filesystem::remove(settingsFile);
    scene.setModes(1, 1);
    scene.touch(scene.addTrigger(1, "Made it!"), scene.hero);
    scene.deliverQueued();
    EXPECT_EQ(scene.infoTexts(), Texts{"Made it!"});
    EXPECT_FALSE(std::filesystem::exists(settingsFile));

    // Both unlocked: a mode-1 trigger unlocks nothing; an empty text shows nothing.
    scene.setModes(1, 2);
    scene.touch(scene.addTrigger(1, ""), scene.hero);
    scene.deliverQueued();
    EXPECT_TRUE(scene.infoTexts().empty());
    EXPECT_EQ(configuration.ints["timerModeEnable"], 2);

    // Nothing unlocked and a disabled mode-2 trigger during a mode-2 run: straight to 2, own text first.
    scene.setModes(2, 0);
    Entity* second = scene.addTrigger(2, "Golden!");
    second->getComponent<TimerOffComponent>()->disabled = true;
    scene.touch(second, scene.hero);
    scene.deliverQueued();
    EXPECT_EQ(scene.infoTexts(), (Texts{"Golden!", "Super Time Attack Mode unlocked!"}));
    EXPECT_EQ(Configuration(settingsFile.string()).ints["timerModeEnable"], 2);
    EXPECT_EQ(scene.timerOff.received.back().mode, 2);

    // Settings missing both keys: they read as the shipped 0 and are saved from then on.
    configuration.ints.clear();
    scene.touch(scene.addTrigger(1, "x"), scene.hero);
    scene.deliverQueued();
    EXPECT_EQ(scene.infoTexts(), Texts{"Time Attack Mode unlocked!"});
    EXPECT_EQ(Configuration(settingsFile.string()).ints, (std::map<std::string, int>{{"timerMode", 0}, {"timerModeEnable", 1}}));

    // An unwritable settings file: reported, and the run still ends.
    configuration.fileName = (scene.folder / "config.cfg" / "inside" / "config.cfg").string();
    configuration.ints["timerModeEnable"] = 0;
    const std::string errors = capturedErrors([&] {
        scene.touch(scene.addTrigger(1, ""), scene.hero);
        scene.deliverQueued();
    });
    EXPECT_NE(errors.find("Could not open file"), std::string::npos) << errors;
    EXPECT_EQ(scene.infoTexts(), Texts{"Time Attack Mode unlocked!"});
    EXPECT_EQ(scene.timerOff.received.back().mode, 1);

    // The game's own "config.cfg", unlocked while running from one folder, reads back from another.
    const auto workingFolder = std::filesystem::current_path();
    const std::string previousHome = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    setenv("XDG_DATA_HOME", (scene.folder / "home").c_str(), 1);
    for (const char* run : {"run1", "run2"}) std::filesystem::create_directories(scene.folder / run);
    std::filesystem::current_path(scene.folder / "run1");
    configuration.fileName = "config.cfg";
    configuration.ints["timerModeEnable"] = 0;
    scene.touch(scene.addTrigger(1, ""), scene.hero);
    scene.deliverQueued();
    std::filesystem::current_path(scene.folder / "run2");
    EXPECT_EQ(Configuration("config.cfg").ints["timerModeEnable"], 1);
    std::filesystem::current_path(workingFolder);
    setenv("XDG_DATA_HOME", previousHome.c_str(), 1);
}

TEST(TimeAttackTrigger, ReadsAndWritesItsTextAndCopies) {
    TimerOffComponent trigger;
    trigger.message = "Get to the \"end\"";
    trigger.mode = 2;
    trigger.disabled = true;
    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeValue(out, trigger);
    }
    EXPECT_NE(text.str().find("message \"Get to the \\\"end\\\"\""), std::string::npos) << text.str();
    std::istringstream in(text.str());
    IStreamWrapper reader(in, "trigger");
    TimerOffComponent read;
    readValue(reader, read);
    EXPECT_FALSE(reader.hasFailed());
    EXPECT_EQ(read.message, trigger.message);
    EXPECT_EQ(read.mode, 2);
    EXPECT_TRUE(read.disabled);
    std::unique_ptr<TimerOffComponent> copy(read.clone());
    EXPECT_EQ(copy->message, trigger.message);
    EXPECT_EQ(copy->mode, 2);
    EXPECT_FALSE(copy->initialised);
}

TEST(TimeAttackClock, CountsWhilePlayedHoldsWhilePausedOrEditedAndEntersTheRecordAtItsTrigger) {
    TimeAttackScene scene;
    bestTimesLists().atkMode = {{"old", 2, 0}, {"old", 3, 0}};
    bestTimesLists().superAtk = {{"old", 0, 10}};
    const std::string me = recordedName(getUserName());

    auto addClock = [&] {
        Entity* entity = scene.addEntity(Vector4(0.8f, 0.9f, 0, 1));
        entity->addComponent(new FontSheetGraphics());
        auto* clock = new TimerLabel();
        entity->addComponent(clock);
        return clock;
    };
    auto shown = [](TimerLabel* clock) { return clock->textGraphics->text; };
    auto run = [](TimerLabel* clock, int frames, float dt) {
        for (int i = 0; i < frames; ++i) clock->getOwner()->update(dt);
    };

    // Ordinary play: hidden and still, and it stays so when play resumes.
    scene.setModes(0, 2);
    TimerLabel* hidden = addClock();
    EXPECT_TRUE(hidden->disabled);
    EXPECT_EQ(hidden->getOwner()->graphics->diffuseColor.w(), 0.0f);
    scene.broadcast(MessageType::PlayMode);
    scene.state.setPaused(false);
    EXPECT_TRUE(hidden->disabled);
    EXPECT_EQ(hidden->getOwner()->graphics->diffuseColor.w(), 0.0f);
    scene.state.removeEntity(hidden->getOwner());
    scene.state.flushRemovedEntities();

    // A Time Attack run.
    scene.setModes(1, 2);
    TimerLabel* clock = addClock();
    EXPECT_FALSE(clock->disabled);
    EXPECT_EQ(shown(clock), " Time:\n00:00");
    run(clock, 9, 0.1f);
    EXPECT_EQ(shown(clock), " Time:\n00:00");
    run(clock, 2, 0.1f);  // ten frames of 0.1 s make a second, the rest carries over
    EXPECT_EQ(shown(clock), " Time:\n00:01");
    EXPECT_NEAR(clock->fraction, 0.1f, 1e-4f);

    // Paused: the count holds, the gathered fraction stays; unpaused it goes on.
    scene.state.setPaused(true);
    EXPECT_TRUE(clock->disabled);
    run(clock, 50, 0.1f);
    EXPECT_EQ(shown(clock), " Time:\n00:01");
    scene.state.setPaused(false);
    run(clock, 9, 0.1f);
    EXPECT_EQ(shown(clock), " Time:\n00:02");

    // Edited: holds until play mode comes back.
    scene.broadcast(MessageType::EditMode);
    run(clock, 30, 0.1f);
    EXPECT_EQ(shown(clock), " Time:\n00:02");
    scene.broadcast(MessageType::PlayMode);
    run(clock, 10 * 123, 0.1f);
    EXPECT_EQ(shown(clock), " Time:\n02:05");

    // The other mode's trigger does not stop it; its own does, with the time entered and announced.
    sendMessage(new TimerOffMessage(2), true);
    EXPECT_FALSE(clock->stopped);
    sendMessage(new TimerOffMessage(1), true);
    EXPECT_TRUE(clock->stopped);
    EXPECT_TRUE(clock->disabled);
    EXPECT_EQ(bestTimesLists().atkMode, (std::vector<BestTime>{{"old", 2, 0}, {me, 2, 5}}));
    EXPECT_EQ(bestTimesLists().superAtk.size(), 1u);
    scene.deliverQueued();
    EXPECT_EQ(scene.infoTexts(), Texts{"New Time Attack record!"});
    BestTimesLists saved;
    EXPECT_TRUE(saved.load(bestTimesLists().fileName, "nowhere.tm"));
    EXPECT_EQ(saved.atkMode, bestTimesLists().atkMode);

    // Stopped for good: resuming or a second trigger of the mode changes nothing and enters nothing.
    scene.state.setPaused(false);
    scene.broadcast(MessageType::PlayMode);
    EXPECT_TRUE(clock->disabled);
    run(clock, 20, 0.1f);
    EXPECT_EQ(shown(clock), " Time:\n02:05");
    sendMessage(new TimerOffMessage(1), true);
    EXPECT_EQ(bestTimesLists().atkMode, (std::vector<BestTime>{{"old", 2, 0}, {me, 2, 5}}));
    scene.deliverQueued();
    EXPECT_TRUE(scene.infoTexts().empty());
}

TEST(TimeAttackClock, ShowsHoursAndKeepsRunsOfAnHourOrSlowerOutOfTheLists) {
    EXPECT_EQ(timerText(0, 0, 7), " Time:\n00:07");
    EXPECT_EQ(timerText(0, 12, 30), " Time:\n12:30");
    EXPECT_EQ(timerText(1, 5, 9), " Time:\n1:05:09");
    EXPECT_EQ(timerText(0, 59, 59), " Time:\n59:59");

    TimeAttackScene scene;
    scene.setModes(2, 2);
    bestTimesLists().superAtk = {{"old", 59, 59}};
    Entity* entity = scene.addEntity(Vector4(0, 0, 0, 1));
    entity->addComponent(new FontSheetGraphics());
    auto* clock = new TimerLabel();
    entity->addComponent(clock);
    // Game start again (from the main menu) reads the mode anew; the counters stay.
    sendMessage(new Message(MessageType::GameStart), true);
    EXPECT_EQ(clock->mode, 2);
    clock->minutes = 59;
    clock->seconds = 59;
    clock->fraction = 0.95f;
    entity->update(0.1f);
    EXPECT_EQ(clock->textGraphics->text, " Time:\n1:00:00");
    for (int i = 0; i < 30; ++i) entity->update(0.1f);
    EXPECT_EQ(clock->textGraphics->text, " Time:\n1:00:03");
    sendMessage(new TimerOffMessage(2), true);
    EXPECT_TRUE(clock->stopped);
    EXPECT_EQ(bestTimesLists().superAtk, (std::vector<BestTime>{{"old", 59, 59}}));

    // A clock on an entity without text graphics still counts and ends safely.
    Entity* bare = scene.addEntity(Vector4(0, 0, 0, 1));
    auto* blind = new TimerLabel();
    bare->addComponent(blind);
    for (int i = 0; i < 20; ++i) bare->update(0.1f);
    EXPECT_EQ(blind->seconds, 2);
    sendMessage(new TimerOffMessage(2), true);
    EXPECT_TRUE(blind->stopped);
}
