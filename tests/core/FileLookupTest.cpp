// Checks of the three-place file lookup, the folders it uses and the path separator translation.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "core/FileLookup.h"

namespace fs = std::filesystem;

namespace {

// Runs a test in a fresh working folder with its own settings folder, and puts everything back.
class FileLookupTest : public testing::Test {
protected:
    void SetUp() override {
        previousWorkingFolder = fs::current_path();
        root = fs::temp_directory_path() / ("tovik-lookup-" + std::to_string(getpid()) + "-" +
                                             testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "work");
        fs::create_directories(root / "data" / "Kestrum" / "Tovik");
        fs::current_path(root / "work");
        if (const char* old = std::getenv("XDG_DATA_HOME")) previousDataHome = old;
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        exeFolder = getExecutableDirectory();
        // Unique per run, since the executable's folder is shared with other test programs.
        uniqueName = "lookup-probe-" + std::to_string(getpid()) + ".txt";
    }

    void TearDown() override {
        fs::current_path(previousWorkingFolder);
        if (previousDataHome)
            setenv("XDG_DATA_HOME", previousDataHome->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        for (const fs::path& file : filesBesideExecutable) fs::remove_all(file);
        fs::remove_all(root);
    }

    static void writeFile(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    void writeBesideExecutable(const std::string& relative, const std::string& text) {
        writeFile(fs::path(exeFolder) / relative, text);
        filesBesideExecutable.push_back(fs::path(exeFolder) / relative);
    }

    fs::path settings() const { return root / "data" / "Kestrum" / "Tovik"; }

    fs::path previousWorkingFolder;
    std::optional<std::string> previousDataHome;
    fs::path root;
    std::string exeFolder;
    std::string uniqueName;
    std::vector<fs::path> filesBesideExecutable;
};

}  // namespace

TEST_F(FileLookupTest, ExecutableFolderEndsWithSlashAndHoldsTheProgram) {
    ASSERT_FALSE(exeFolder.empty());
    EXPECT_EQ(exeFolder.back(), '/');
    EXPECT_EQ(exeFolder.front(), '/');
    EXPECT_TRUE(fs::is_regular_file(fs::path(exeFolder) / "core_tests")) << exeFolder;
}

TEST_F(FileLookupTest, SettingsFolderFollowsDataHomeAndIsNeverCreated) {
    EXPECT_EQ(getSettingsFolder(), (root / "data").string() + "/Kestrum/Tovik/");

    setenv("XDG_DATA_HOME", (root / "elsewhere/").c_str(), 1);
    EXPECT_EQ(getSettingsFolder(), (root / "elsewhere").string() + "/Kestrum/Tovik/");
    EXPECT_FALSE(fs::exists(root / "elsewhere"));

    unsetenv("XDG_DATA_HOME");
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (!home.empty()) {
        std::string expected = fs::path(home).string();
        if (expected.back() != '/') expected += '/';
        EXPECT_EQ(getSettingsFolder(), expected + ".local/share/Kestrum/Tovik/");
    }
    // A relative value is not a valid data home and is ignored.
    setenv("XDG_DATA_HOME", "relative/place", 1);
    EXPECT_EQ(getSettingsFolder().find("relative/place"), std::string::npos);
}

TEST_F(FileLookupTest, LookupOrder) {
    std::string path;
    // Found nowhere: the name itself.
    EXPECT_FALSE(findFile(uniqueName, path));
    EXPECT_EQ(path, uniqueName);

    writeFile(settings() / uniqueName, "settings");
    EXPECT_TRUE(findFile(uniqueName, path));
    EXPECT_EQ(path, (settings() / uniqueName).string());

    writeBesideExecutable(uniqueName, "executable");
    EXPECT_TRUE(findFile(uniqueName, path));
    EXPECT_EQ(path, exeFolder + uniqueName);

    writeFile(root / "work" / uniqueName, "working");
    EXPECT_TRUE(findFile(uniqueName, path));
    EXPECT_EQ(path, uniqueName);
    std::ifstream in(path);
    EXPECT_EQ(readFileToString(in), "working");

    // Nothing is cached: removing the first two places falls back to the settings folder again.
    fs::remove(root / "work" / uniqueName);
    fs::remove(fs::path(exeFolder) / uniqueName);
    EXPECT_TRUE(findFile(uniqueName, path));
    EXPECT_EQ(path, (settings() / uniqueName).string());
}

TEST_F(FileLookupTest, BackslashesAreTranslated) {
    EXPECT_EQ(toNativePath("Content\\Menus\\main.menu"), "Content/Menus/main.menu");
    EXPECT_EQ(toNativePath("plain/path"), "plain/path");

    std::string path;
    writeFile(settings() / "Levels" / uniqueName, "level");
    EXPECT_TRUE(findFile("Levels\\" + uniqueName, path));
    EXPECT_EQ(path, (settings() / "Levels" / uniqueName).string());

    EXPECT_FALSE(findFile("Missing\\" + uniqueName, path));
    EXPECT_EQ(path, "Missing/" + uniqueName);
}

TEST_F(FileLookupTest, FoldersDoNotCountAsFiles) {
    fs::create_directories(root / "work" / "folderName");
    writeFile(settings() / "folderName", "real file");
    std::string path;
    EXPECT_TRUE(findFile("folderName", path));
    EXPECT_EQ(path, (settings() / "folderName").string());
}

TEST_F(FileLookupTest, AbsolutePathsNameOnePlace) {
    std::string path;
    std::string absolute = (root / "absent.txt").string();
    EXPECT_FALSE(findFile(absolute, path));
    EXPECT_EQ(path, absolute);
    writeFile(root / "present.txt", "x");
    EXPECT_TRUE(findFile((root / "present.txt").string(), path));
    EXPECT_EQ(path, (root / "present.txt").string());
}

TEST(ReadFileToStringTest, ReadsEverythingLeftIncludingNulAndNewlines) {
    std::string text("first line\nsecond\0line\r\nlast", 28);
    std::istringstream in(text);
    EXPECT_EQ(readFileToString(in), text);

    std::istringstream partly("skip rest of it");
    std::string word;
    partly >> word;
    EXPECT_EQ(readFileToString(partly), " rest of it");

    std::istringstream empty("");
    EXPECT_EQ(readFileToString(empty), "");

    // A folder opens like a file but cannot be read: nothing, and a failed stream instead of a throw.
    std::ifstream folder(std::filesystem::temp_directory_path(), std::ios::binary);
    EXPECT_EQ(readFileToString(folder), "");
    EXPECT_TRUE(folder.fail());
}
