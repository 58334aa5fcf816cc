// The game killed (SIGKILL) while it saves a large level, the best-times lists or the settings: a child
// process of the test saves two versions of the file in turn, again and again, and is killed at a
// random moment; the file left behind must be one of the two versions, whole, every time.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "core/Configuration.h"
#include "core/IStreamWrapper.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "game/BestTimesLists.h"

namespace {

std::filesystem::path scratch(const std::string& name) {
    auto folder = std::filesystem::current_path() / "whole-test-files" / std::to_string(::getpid()) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::string textOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Saves version `which` (0 or 1) of the file; returns whether the save reported success.
using Saver = std::function<bool(int which)>;

// Writes version 0 as the old file and keeps both versions' texts; then, round after round, a child
// saves versions 1 and 0 in turn without end and is killed after a random wait. Counts the rounds
// that left each version.
void killWhileSaving(const std::filesystem::path& target, const Saver& save, int rounds) {
    ASSERT_TRUE(save(1));
    const std::string second = textOf(target);
    ASSERT_TRUE(save(0));
    const std::string first = textOf(target);
    ASSERT_NE(first, second);
    ASSERT_GT(first.size(), 100000u) << "the file is too small to be caught while being written";

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // Waits up to a few saves long, so that kills fall before, inside and between saves.
    std::uniform_int_distribution<int> waitMicroseconds(0, 60000);
    int leftFirst = 0;
    int leftSecond = 0;
    for (int round = 0; round < rounds; ++round) {
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 1;; ++i) save(i % 2);
        }
        ::usleep(static_cast<useconds_t>(waitMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        const std::string left = textOf(target);
        if (left == first) {
            ++leftFirst;
        } else if (left == second) {
            ++leftSecond;
        } else {
            FAIL() << "round " << round << " left a file of " << left.size() << " bytes that is neither version";
        }
    }
    EXPECT_EQ(leftFirst + leftSecond, rounds);

    // The next save removes the temporaries the kills left (planted ones too, should the kills have left
    // none), and nothing else, however alike its name.
    const std::string name = target.filename().string();
    for (const std::string& other : {name + ".tmpAb12Cd", "." + name + ".tmp123-4", name + ".tmpfoo", name + ".bak"})
        std::ofstream(target.parent_path() / other) << "planted";
    ASSERT_TRUE(save(0));
    std::set<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path()))
        entries.insert(entry.path().filename().string());
    EXPECT_EQ(entries, (std::set<std::string>{name, name + ".tmpfoo", name + ".bak"}));
}

TEST(KilledWhileSaving, ALargeLevelIsLeftWhole) {
    const auto folder = scratch("level");
    GameState level((folder / "large.lvl").string());
    GameState* previous = currentGameState;
    currentGameState = &level;
    // The first level's text with its entities repeated many times; read, not entered, so no
    // entity needs a window.
    std::ifstream file("Content/Levels/level1.lvl");
    ASSERT_TRUE(file.good());
    IStreamWrapper in(file, "level1.lvl");
    level.resourcesOnly = false;
    readValue(in, level);
    ASSERT_FALSE(level.entities.empty());
    const std::size_t shipped = level.entities.size();
    for (int copy = 0; copy < 60; ++copy)
        for (std::size_t i = 0; i < shipped; ++i) level.entities.push_back(level.entities[i]->clone());
    Entity* extra = level.entities.front()->clone();

    killWhileSaving(folder / "large.lvl", [&](int which) {
        // Version 1 has one entity more.
        if (which == 1) level.entities.push_back(extra);
        const bool saved = level.save(level.levelFileName);
        if (which == 1) level.entities.pop_back();
        return saved;
    }, 20);
    delete extra;
    currentGameState = previous;
}

TEST(KilledWhileSaving, TheBestTimesListsAreLeftWhole) {
    const auto folder = scratch("lists");
    BestTimesLists lists;
    lists.fileName = (folder / "lists.tm").string();
    for (int i = 0; i < 4000; ++i) {
        lists.atkMode.emplace_back("Runner" + std::to_string(i), i / 60, i % 60);
        lists.superAtk.emplace_back("Sprinter" + std::to_string(i), i / 60, i % 60);
    }
    killWhileSaving(folder / "lists.tm", [&](int which) {
        lists.atkMode.front().sec = which;
        return lists.save();
    }, 20);
    // What is left still reads as lists.
    BestTimesLists read;
    EXPECT_TRUE(read.load(lists.fileName, "no shipped lists"));
    EXPECT_EQ(read.atkMode.size(), 4000u);
}

TEST(KilledWhileSaving, TheSettingsAreLeftWhole) {
    const auto folder = scratch("settings");
    Configuration settings;
    settings.fileName = (folder / "config.cfg").string();
    for (int i = 0; i < 8000; ++i) settings.ints["setting" + std::to_string(i)] = i;
    killWhileSaving(folder / "config.cfg", [&](int which) {
        settings.ints["setting0"] = which;
        return settings.save();
    }, 20);
    Configuration read;
    EXPECT_TRUE(read.load(settings.fileName));
    EXPECT_EQ(read.ints.size(), 8000u);
}

}  // namespace
