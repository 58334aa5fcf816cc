// The first level played from start to end without a window: the recorded input of a player is fed to
// the game's level state frame by frame at a fixed frame time. The run collects every score sphere,
// crosses the end of the first part and the end of the game, takes the final reward, and plays the
// same way every time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Playthrough.h"
#include "core/Configuration.h"
#include "editor/Editor.h"
#include "editor/EditorState.h"
#include "effects/Pattern.h"
#include "game/BestTimesLists.h"
#include "engine/Entity.h"
#include "game/GrowShrink.h"
#include "game/LifetimeComponent.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "tests/game/GameScene.h"

namespace {

const std::string firstLevel = std::string(TOVIK_SOURCE_DIR) + "/Content/Levels/level1.lvl";
const std::string recording = std::string(TOVIK_SOURCE_DIR) + "/tests/whole/data/firstlevel.input";
const std::string timeAttackRecording = std::string(TOVIK_SOURCE_DIR) + "/tests/whole/data/timeattack.input";

std::string settingsFolder(const std::string& name) {
    auto folder = std::filesystem::current_path() / "whole-test-files" / std::to_string(::getpid()) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

// Where the hero was every second of a run, and how the run ended.
struct PlayedRun {
    std::vector<Vector4> track;
    int spheresAtStart = 0;
    int spheresLeft = -1;
    int firstPartFrame = -1;
    int endOfGameFrame = -1;
    bool reward = false;
    float lowestHeroY = 1e9f;
    float largestRadius = 0.0f;
    float largestMaxSize = 0.0f;  // the wheel's limit, which the power-ups raise
    std::vector<float> lineColor;  // of the first pattern on the hero's own surface, at the end
};

// Called before every frame of a run; it may run frames of its own (a trip through the editor) and
// returns how many, for which the recorded input waits.
using Aside = std::function<int(Playthrough&)>;

PlayedRun play(std::vector<RecordedInput> inputs, const std::string& settings, const std::string& level = firstLevel,
               const Aside& aside = {}) {
    PlayedRun run;
    Playthrough game(level, settings);
    run.spheresAtStart = game.liveScoreSpheres();
    std::size_t next = 0;
    int waited = 0;
    const int lastFrame = inputs.empty() ? 0 : inputs.back().frame;
    while (game.frameNumber - waited <= lastFrame) {
        if (const int frames = aside ? aside(game) : 0) {
            waited += frames;
            for (std::size_t i = next; i < inputs.size(); ++i) inputs[i].frame += frames;
        }
        game.replayFrame(inputs, next);
        Entity* hero = game.hero();
        if (!hero || !hero->body) break;
        if ((game.frameNumber - waited) % 60 == 0) run.track.push_back(hero->body->position);
        run.lowestHeroY = std::min(run.lowestHeroY, hero->body->position.y());
        if (auto* size = hero->getComponent<GrowShrink>()) {
            run.largestRadius = std::max(run.largestRadius, size->currentTargetSize);
            run.largestMaxSize = std::max(run.largestMaxSize, size->maxSize);
        }
        if (run.firstPartFrame < 0 && game.firstPartEnded()) run.firstPartFrame = game.frameNumber;
        if (run.endOfGameFrame < 0 && game.gameEnded()) run.endOfGameFrame = game.frameNumber;
    }
    run.spheresLeft = game.liveScoreSpheres();
    run.reward = game.rewardTaken();
    Graphics* look = game.hero() ? game.hero()->graphics : nullptr;
    if (look && !look->patterns.empty()) {
        const Vector4 c = look->patterns.front()->color;
        run.lineColor = {c.x(), c.y(), c.z(), c.w()};
    }
    return run;
}

TEST(Playthrough, TheRecordedRunFinishesTheFirstLevelWithEverySphere) {
    std::vector<RecordedInput> inputs;
    std::string error;
    ASSERT_TRUE(readRecording(recording, inputs, error)) << error;
    bool wheel = false, move = false, jumpOrSteer = false;
    for (const RecordedInput& input : inputs) {
        wheel |= input.kind == RecordedInput::Wheel;
        move |= input.kind == RecordedInput::MouseMove;
        jumpOrSteer |= input.kind == RecordedInput::KeyDown;
    }
    ASSERT_TRUE(wheel && move && jumpOrSteer) << "the recording holds keys, the wheel and mouse motion";

    const PlayedRun run = play(inputs, settingsFolder("first"));
    EXPECT_GE(run.spheresAtStart, 21);
    EXPECT_EQ(run.spheresLeft, 0) << "every score sphere is collected";
    ASSERT_GE(run.firstPartFrame, 0) << "the end of the first part is reached";
    ASSERT_GE(run.endOfGameFrame, 0) << "the end of the game is reached";
    EXPECT_LT(run.firstPartFrame, run.endOfGameFrame);
    EXPECT_TRUE(run.reward) << "the final reward is taken";
    EXPECT_GT(run.largestRadius, 1.5f) << "the hero grew to pass the barrier";
    EXPECT_EQ(8.0f, run.largestMaxSize) << "the first sphere's power-up and one for every ten spheres after it";
    // The end of the game draws the line of the hero's own pattern black.
    EXPECT_EQ((std::vector<float>{-1.0f, -1.0f, -1.0f, 0.0f}), run.lineColor);
    ASSERT_FALSE(run.track.empty());
    EXPECT_LT(run.track.back().z(), -195.0f) << "the hero ends past the end lines";
    EXPECT_GT(run.lowestHeroY, -12.0f) << "the run never fell off the level";

    // The same input plays the same game, also when the player goes into the editor just after a
    // checkpoint (its floating text still up) and saves there: every second of the hero's track
    // agrees, power-ups included, and the saved level holds no passing feedback of play.
    const std::string folder = settingsFolder("again");
    const std::string level = folder + "/level1.lvl";  // P saves over the level played
    std::filesystem::copy_file(firstLevel, level);
    int tripFrame = -1;
    int spheresBeforeTrip = 0;
    auto trip = [&](Playthrough& game) {
        if (tripFrame >= 0) return 0;
        const auto& entities = game.level->entities;
        if (std::none_of(entities.begin(), entities.end(), [](Entity* e) { return e->getComponent<LifetimeComponent>(); }))
            return 0;
        tripFrame = game.frameNumber;
        spheresBeforeTrip = game.liveScoreSpheres();
        // Two frames of editing; the second F1 comes with the input of the next recorded frame.
        for (int key : {int(EditorKey::f1), int('P')}) {
            game.send({0, RecordedInput::KeyDown, key});
            game.frame();
            game.send({0, RecordedInput::KeyUp, key});
        }
        game.send({0, RecordedInput::KeyDown, EditorKey::f1});
        return 2;
    };
    const PlayedRun again = play(inputs, folder, level, trip);
    ASSERT_GE(tripFrame, 0) << "no checkpoint text came up";
    EXPECT_LT(spheresBeforeTrip, run.spheresAtStart - 10) << "the trip comes after the first ten spheres";
    ASSERT_EQ(again.track.size(), run.track.size());
    for (std::size_t i = 0; i < run.track.size(); ++i)
        for (int axis = 0; axis < 3; ++axis)
            ASSERT_EQ(again.track[i][axis], run.track[i][axis]) << "second " << i + 1 << ", axis " << axis;
    EXPECT_EQ(again.largestMaxSize, run.largestMaxSize) << "a power-up was lost in the editor";
    EXPECT_EQ(again.endOfGameFrame, run.endOfGameFrame + 2);

    const std::string saved = readFile(level);
    EXPECT_NE(readFile(firstLevel), saved) << "P saved the level";
    EXPECT_EQ(std::string::npos, saved.find("\tLifetimeComponent ")) << "the checkpoint text was saved";
    EXPECT_EQ(std::string::npos, saved.find("\tCameraIndependentGraphics ")) << "the checkpoint text was saved";
}

// A Time Attack run to its end trigger: the clock's time becomes the best time of the Time Attack list,
// saved in the lists.tm of the player's (temporary) settings folder, and the mode stays unlocked there.
TEST(Playthrough, ATimeAttackRunWritesItsRecordIntoTheSettingsFolder) {
    std::vector<RecordedInput> inputs;
    std::string error;
    ASSERT_TRUE(readRecording(timeAttackRecording, inputs, error)) << error;
    const std::string folder = settingsFolder("timeattack");
    const std::string keptIn = folder + "/Kestrum/Tovik/";
    std::vector<std::string> info;
    int frames = 0;
    {
        Playthrough game(firstLevel, folder, 1);
        std::size_t next = 0;
        while (game.frameNumber <= inputs.back().frame) game.replayFrame(inputs, next);
        info = game.infoTexts;
        frames = game.frameNumber;
    }
    ASSERT_TRUE(std::filesystem::exists(keptIn + "lists.tm")) << "no lists.tm in the settings folder";
    BestTimesLists lists;
    ASSERT_TRUE(lists.load(keptIn + "lists.tm", "no shipped lists"));
    ASSERT_FALSE(lists.atkMode.empty());
    const BestTime& best = lists.atkMode.front();
    const int runSeconds = best.min * 60 + best.sec;
    EXPECT_GT(runSeconds, 0);
    EXPECT_LE(runSeconds, frames / 60) << "the record is the run's own time";
    BestTimesLists shipped;
    ASSERT_TRUE(shipped.load("Content/lists.tm", "Content/lists.tm"));
    EXPECT_EQ(lists.atkMode.size(), shipped.atkMode.size()) << "the record took the slowest entry's place";
    EXPECT_NE(lists.atkMode, shipped.atkMode);
    EXPECT_EQ(lists.superAtk, shipped.superAtk) << "the other mode's list is untouched";
    EXPECT_NE(std::find(info.begin(), info.end(), "New Time Attack record!"), info.end());

    Configuration settings;
    ASSERT_TRUE(settings.load(keptIn + "config.cfg"));
    EXPECT_GE(settings.getInt("timerModeEnable", 0), 1) << "the mode is unlocked in the saved settings";
}

TEST(Playthrough, RecordingsThatCannotBeReadAreRefused) {
    const std::string folder = settingsFolder("recordings");
    std::vector<RecordedInput> inputs;
    std::string error;
    for (const char* text : {"10 down Q\n", "10 wheel 0\n", "x down W\n", "20 down W\n10 up W\n", "5 jump\n"}) {
        const std::string path = folder + "/bad.input";
        FILE* file = std::fopen(path.c_str(), "w");
        std::fputs(text, file);
        std::fclose(file);
        inputs.clear();
        EXPECT_FALSE(readRecording(path, inputs, error)) << text;
        EXPECT_NE(error.find("bad.input"), std::string::npos) << error;
    }
    // What the recorder writes reads back the same.
    const std::vector<RecordedInput> written = {{0, RecordedInput::MouseMove, 0, 0, 30, -4},
                                                {3, RecordedInput::KeyDown, ' '},
                                                {3, RecordedInput::Wheel, 0, -1.0f},
                                                {9, RecordedInput::KeyUp, 'D'}};
    ASSERT_TRUE(writeRecording(folder + "/good.input", written, "two lines\nof header"));
    inputs.clear();
    ASSERT_TRUE(readRecording(folder + "/good.input", inputs, error)) << error;
    ASSERT_EQ(inputs.size(), written.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(inputs[i].frame, written[i].frame);
        EXPECT_EQ(inputs[i].kind, written[i].kind);
        EXPECT_EQ(inputs[i].key, written[i].key);
        EXPECT_EQ(inputs[i].amount, written[i].amount);
        EXPECT_EQ(inputs[i].dx, written[i].dx);
        EXPECT_EQ(inputs[i].dy, written[i].dy);
    }
}

}  // namespace
