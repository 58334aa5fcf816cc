// The level picture on the command line: the first PNG that carries level text replaces the text of
// the first level's file; anything else leaves that file alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/PngFile.h"
#include "platform/LevelArgument.h"

namespace {

namespace fs = std::filesystem;

class LevelArgumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / ("tovik-level-argument-" + std::string(info->name()));
        fs::remove_all(folder);
        fs::create_directories(folder / "Levels");
        startingState = (folder / "Levels" / "first.lvl").string();
        std::ofstream(startingState) << "the shipped level";
    }
    void TearDown() override { fs::remove_all(folder); }

    // A 2x2 picture carrying text (none when empty).
    std::string picture(const std::string& name, const std::string& text) {
        PixelImage image;
        image.width = 2;
        image.height = 2;
        image.channels = 3;
        image.bitDepth = 8;
        image.rowBytes = 6;
        image.format = 0x1907;  // RGB
        image.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[12]());
        const std::string path = (folder / name).string();
        EXPECT_TRUE(writePngImage(path, image, text));
        return path;
    }

    std::string startingStateText() const {
        std::ifstream in(startingState);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder;
    std::string startingState;
};

TEST_F(LevelArgumentTest, TheFirstLevelPictureReplacesTheStartingLevel) {
    const std::string first = picture("first.png", "Editor 2 resourceFileName a.res end end");
    const std::string second = picture("second.png", "Editor 2 resourceFileName b.res end end");
    EXPECT_TRUE(applyLevelArgument({"--verbose", first, second}, startingState));
    EXPECT_EQ("Editor 2 resourceFileName a.res end end", startingStateText());

    // The shipped level outlives any number of pictures in its ".bak".
    EXPECT_TRUE(applyLevelArgument({second}, startingState));
    EXPECT_EQ("Editor 2 resourceFileName b.res end end", startingStateText());
    std::ifstream backup(startingState + ".bak");
    EXPECT_EQ("the shipped level", std::string(std::istreambuf_iterator<char>(backup), {}));
}

TEST_F(LevelArgumentTest, OtherArgumentsLeaveTheStartingLevelAlone) {
    const std::string plain = picture("plain.png", "");
    std::ofstream((folder / "notes.txt").string()) << "Editor 2 end";
    EXPECT_FALSE(applyLevelArgument({plain, (folder / "notes.txt").string(), "missing.png"}, startingState));
    EXPECT_FALSE(applyLevelArgument({}, startingState));
    EXPECT_EQ("the shipped level", startingStateText());
}

TEST_F(LevelArgumentTest, APictureAfterAPlainOneStillCounts) {
    const std::string plain = picture("plain.png", "");
    const std::string level = picture("level.png", "level text");
    EXPECT_TRUE(applyLevelArgument({plain, level}, startingState));
    EXPECT_EQ("level text", startingStateText());

    // The setting as data files write paths, with backslashes: the same file is replaced.
    std::string backslashed = startingState;
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    const std::string other = picture("other.png", "other level text");
    EXPECT_TRUE(applyLevelArgument({other}, backslashed));
    EXPECT_EQ("other level text", startingStateText());
    for (const auto& entry : fs::directory_iterator(fs::current_path()))
        EXPECT_EQ(entry.path().filename().string().find('\\'), std::string::npos) << entry.path();
}

TEST_F(LevelArgumentTest, AFolderThatIsNotThereIsMadeOneThatCannotBeLosesNothing) {
    const std::string level = picture("level.png", "level text");
    const fs::path missing = folder / "no such folder" / "Levels" / "first.lvl";
    EXPECT_TRUE(applyLevelArgument({level}, missing.string()));
    std::ifstream in(missing);
    EXPECT_EQ("level text", std::string(std::istreambuf_iterator<char>(in), {}));

    // A file where a folder should be.
    const std::string nowhere = (folder / "level.png" / "no such folder" / "first.lvl").string();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(applyLevelArgument({level}, nowhere));
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, report.find("no such folder")) << report;
    EXPECT_EQ("the shipped level", startingStateText());
}

TEST_F(LevelArgumentTest, TheTextGoesWhereTheNameSaysNotWhereALookupWouldFindIt) {
    // A relative name is taken from the working folder, even when no file of that name is there yet.
    const fs::path previous = fs::current_path();
    fs::create_directories(folder / "work" / "Levels");
    fs::current_path(folder / "work");
    const std::string level = picture("level.png", "level text");
    const bool written = applyLevelArgument({level}, "Levels/first.lvl");
    fs::current_path(previous);
    EXPECT_TRUE(written);
    std::ifstream in(folder / "work" / "Levels" / "first.lvl");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ("level text", text);
    EXPECT_EQ("the shipped level", startingStateText());
}

}  // namespace
