// The state-switch loop and frame pacing, driven by a scripted game state and a fake platform clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "core/Configuration.h"
#include "engine/EventHandler.h"
#include "engine/GameState.h"
#include "engine/GameStateMessage.h"
#include "engine/MainLoop.h"

namespace {

std::vector<std::string> calls;
// Names of the scripted states alive; a message about a deleted state must not be followed.
std::map<const GameState*, std::string> liveStates;

// Logs every operation the loop calls; the test scripts what it does in initialize and update.
struct ScriptedState : GameState {
    explicit ScriptedState(std::string name) : name(std::move(name)) { liveStates[this] = this->name; }
    ~ScriptedState() override { liveStates.erase(this); }

    void load() override { calls.push_back(name + ".load"); }
    void initialize() override {
        calls.push_back(name + ".initialize");
        if (onInitialize) onInitialize();
    }
    void update(float dt) override {
        ++frames;
        deltas.push_back(dt);
        calls.push_back(name + ".update");
        if (onUpdate) onUpdate(frames);
    }
    void render() override { calls.push_back(name + ".render"); }
    void unload() override { calls.push_back(name + ".unload"); }
    void clearResources() override {
        calls.push_back(name + ".clear");
        if (deleteOnClear) delete this;
    }

    std::string name;
    int frames = 0;
    std::vector<float> deltas;
    bool deleteOnClear = false;
    std::function<void()> onInitialize;
    std::function<void(int)> onUpdate;
};

// Records the state messages as "<type>:<state name>" in the call log when they are delivered.
struct StateMessageLog : EventHandler {
    StateMessageLog() {
        for (int type : {1, 2, 3}) {
            registerGlobalHandler<GameStateMessage>(type, this, [](StateMessageLog&, GameStateMessage& m) {
                const auto known = liveStates.find(m.gameState);
                calls.push_back("message" + std::to_string(m.type) + ":" +
                                (known == liveStates.end() ? "gone" : known->second));
            });
        }
    }
};

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        savedLimit = configuration.bools.find("limitFrameRate") != configuration.bools.end()
                         ? std::optional<bool>(configuration.bools["limitFrameRate"])
                         : std::nullopt;
        configuration.bools["limitFrameRate"] = false;
        fake.now = 1000;
        fake.stepPerReading = 20;
        frameStopWatch.start = 1.0;
        windowActive = true;
        firstLoad = true;
    }
    void TearDown() override {
        shutdownMessaging();
        if (savedLimit) {
            configuration.bools["limitFrameRate"] = *savedLimit;
        } else {
            configuration.bools.erase("limitFrameRate");
        }
        currentGameState = nextGameState = previousGameState = nullptr;
        currentTime = 0.0;
        frameStopWatch.start = 0.0;
        windowActive = false;
        firstLoad = true;
    }

    void start(GameState* state) { currentGameState = nextGameState = previousGameState = state; }

    FakePlatform fake;
    StateMessageLog messageLog;
    std::optional<bool> savedLimit;
};

TEST_F(MainLoopTest, QuitRequestedBeforeStartingEntersNothing) {
    ScriptedState level("level");
    start(&quitGameState);
    runGameStates();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(fake.clockReadings, 0);
}

TEST_F(MainLoopTest, StateIsEnteredRunAndLeftInOrderUntilQuit) {
    ScriptedState level("level");
    level.onUpdate = [](int frame) {
        if (frame == 2) nextGameState = &quitGameState;
    };
    start(&level);
    runGameStates();
    EXPECT_EQ(calls, (std::vector<std::string>{"level.load", "level.initialize", "message1:level", "level.update",
                                               "level.render", "level.update", "level.render", "level.unload",
                                               "level.clear"}));
    EXPECT_FALSE(firstLoad);
    EXPECT_EQ(currentGameState, &quitGameState);
    EXPECT_EQ(previousGameState, &level);
    ASSERT_EQ(queuedMessageCount(), 1u) << "the leave message waits for a frame that never comes";
    EXPECT_EQ(fake.pumps, 2);
}

TEST_F(MainLoopTest, RestartUnloadsWithoutClearingAndReentersWithInitializeOnly) {
    ScriptedState level("level");
    level.onUpdate = [](int frame) {
        if (frame == 1) {
            firstLoad = true;  // a restart must leave it alone
            nextGameState = &restartGameState;
        }
        if (frame == 2) nextGameState = &quitGameState;
    };
    start(&level);
    runGameStates();
    EXPECT_EQ(calls, (std::vector<std::string>{"level.load", "level.initialize", "message1:level", "level.update",
                                               "level.render", "level.unload", "level.initialize", "message3:level",
                                               "level.update", "level.render", "level.unload", "level.clear"}));
    EXPECT_TRUE(firstLoad);
    EXPECT_EQ(previousGameState, &level);
}

TEST_F(MainLoopTest, SwitchingStatesClearsTheOldOneAndAnnouncesBoth) {
    ScriptedState* first = new ScriptedState("first");
    first->deleteOnClear = true;
    ScriptedState second("second");
    first->onUpdate = [&second](int) { nextGameState = &second; };
    second.onUpdate = [](int) { nextGameState = &quitGameState; };
    start(first);
    runGameStates();
    EXPECT_EQ(calls, (std::vector<std::string>{"first.load", "first.initialize", "message1:first", "first.update",
                                               "first.render", "first.unload", "first.clear", "second.load",
                                               "second.initialize", "message2:gone", "message1:second", "second.update",
                                               "second.render", "second.unload", "second.clear"}));
    EXPECT_EQ(previousGameState, &second);
}

TEST_F(MainLoopTest, StateThatAsksToLeaveWhileInitializingRunsNoFrame) {
    ScriptedState level("level");
    level.onInitialize = [] { nextGameState = &quitGameState; };
    start(&level);
    runGameStates();
    EXPECT_EQ(calls, (std::vector<std::string>{"level.load", "level.initialize", "level.unload", "level.clear"}));
    EXPECT_EQ(level.frames, 0);
    EXPECT_EQ(queuedMessageCount(), 2u);
}

TEST_F(MainLoopTest, InactiveWindowStillUpdatesButRendersNothing) {
    ScriptedState level("level");
    windowActive = false;
    level.onUpdate = [](int frame) {
        if (frame == 3) nextGameState = &quitGameState;
    };
    start(&level);
    runGameStates();
    EXPECT_EQ(level.frames, 3);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "level.render"), 0);
}

TEST_F(MainLoopTest, InputPumpedInAFrameIsDeliveredBeforeThatFramesUpdate) {
    ScriptedState level("level");
    fake.onPump = [] { sendMessage(new GameStateMessage(2, currentGameState)); };
    level.onUpdate = [](int) { nextGameState = &quitGameState; };
    start(&level);
    runGameStates();
    const auto update = std::find(calls.begin(), calls.end(), "level.update");
    ASSERT_NE(update, calls.end());
    EXPECT_EQ(*(update - 1), "message2:level");
}

TEST_F(MainLoopTest, LoadingScreenStandsAroundEveryEntryAndIsGoneBeforeTheFirstFrame) {
    struct LoadingScreenProbe {
        LoadingScreenProbe() { calls.push_back("screen.up"); }
        ~LoadingScreenProbe() { calls.push_back("screen.down"); }
    };
    loadingScreenFactory = [] { return std::make_shared<LoadingScreenProbe>(); };
    ScriptedState level("level");
    level.onUpdate = [](int frame) { nextGameState = frame == 1 ? &restartGameState : &quitGameState; };
    start(&level);
    runGameStates();
    loadingScreenFactory = nullptr;
    EXPECT_EQ(calls, (std::vector<std::string>{"screen.up", "level.load", "level.initialize", "screen.down",
                                               "message1:level", "level.update", "level.render", "level.unload",
                                               "screen.up", "level.initialize", "screen.down", "message3:level",
                                               "level.update", "level.render", "level.unload", "level.clear"}));
}

TEST_F(MainLoopTest, SlowFrameIsClampedToATenthOfASecond) {
    fake.stepPerReading = 0;
    frameStopWatch.start = 2.0;
    fake.now = 2500;
    waitForNextFrame();
    EXPECT_DOUBLE_EQ(currentTime, 2.5);
    EXPECT_FLOAT_EQ(frameDelta, 0.1f);
}

TEST_F(MainLoopTest, FirstFrameAfterALongLoadIsClampedAndNormalFramesAreNot) {
    ScriptedState level("level");
    fake.now = 60000;  // a minute after the stop watch started
    fake.stepPerReading = 16;
    level.onUpdate = [](int frame) {
        if (frame == 3) nextGameState = &quitGameState;
    };
    start(&level);
    runGameStates();
    ASSERT_EQ(level.deltas.size(), 3u);
    EXPECT_FLOAT_EQ(level.deltas[0], 0.1f);
    EXPECT_NEAR(level.deltas[1], 0.016f, 1e-6);
    EXPECT_NEAR(level.deltas[2], 0.016f, 1e-6);
}

TEST_F(MainLoopTest, ShortFrameIsStretchedOnlyWhenTheFrameRateIsLimited) {
    frameStopWatch.start = 3.0;
    fake.now = 3005;
    fake.stepPerReading = 1;
    waitForNextFrame();
    EXPECT_NEAR(frameDelta, 0.005f, 1e-6);
    EXPECT_EQ(fake.clockReadings, 1);

    configuration.bools["limitFrameRate"] = true;
    fake.now = 3005;
    fake.clockReadings = 0;
    waitForNextFrame();
    EXPECT_GE(frameDelta, 0.015f);
    EXPECT_LT(frameDelta, 0.017f);
    EXPECT_GE(currentTime, 3.015);
    EXPECT_GT(fake.clockReadings, 5);
}

TEST_F(MainLoopTest, MissingFrameRateSettingLeavesFramesUnpaced) {
    configuration.bools.erase("limitFrameRate");
    frameStopWatch.start = 3.0;
    fake.now = 3002;
    fake.stepPerReading = 1;
    waitForNextFrame();
    EXPECT_NEAR(frameDelta, 0.002f, 1e-6);
    EXPECT_EQ(configuration.bools.count("limitFrameRate"), 0u) << "looking the setting up must not insert it";
}

}  // namespace
