// The settings store: the shipped "config.cfg", reading in any section order, saving whole and back.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Configuration.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"

namespace fs = std::filesystem;

namespace {

class ConfigurationFiles : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tovik-config-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string file(const std::string& name) const { return (folder / name).string(); }
    void write(const std::string& name, const std::string& text) const { std::ofstream(file(name)) << text; }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path folder;
};

std::string shippedText() {
    std::ifstream in(std::string(TOVIK_SOURCE_DIR) + "/Content/config.cfg", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_F(ConfigurationFiles, ShippedSettingsHoldEveryKeyTheGameReads) {
    write("config.cfg", shippedText());
    Configuration settings(file("config.cfg"));
    for (const char* key : {"muted", "fullscreen", "limitFrameRate"}) EXPECT_EQ(settings.bools.count(key), 1u) << key;
    for (const char* key : {"timerMode", "timerModeEnable", "resolutionX", "resolutionY", "antiAliasing", "numAutoSaveFiles"})
        EXPECT_EQ(settings.ints.count(key), 1u) << key;
    for (const char* key : {"autoSaveInterval", "modifyModeDefaultCameraDistance", "placeModeDefaultCameraDistance",
                            "playModeDefaultCameraDistance"})
        EXPECT_EQ(settings.floats.count(key), 1u) << key;
    for (const char* key : {"startingState", "autoSaveFileName"}) EXPECT_EQ(settings.strings.count(key), 1u) << key;
    EXPECT_EQ(settings.ints["resolutionX"], 1024);
    EXPECT_EQ(settings.ints["resolutionY"], 768);
    EXPECT_EQ(settings.ints["antiAliasing"], 4);
    EXPECT_TRUE(settings.bools["limitFrameRate"]);
    EXPECT_EQ(settings.strings["startingState"], "Content/Levels/level1.lvl");
}

TEST_F(ConfigurationFiles, SavingTheShippedSettingsWritesTheSameBytes) {
    write("config.cfg", shippedText());
    Configuration settings(file("config.cfg"));
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(read("config.cfg"), shippedText()) << "the shipped file is in the writer's own layout";
}

TEST_F(ConfigurationFiles, ChangedSettingsAreSavedAndReadBack) {
    write("config.cfg", shippedText());
    Configuration settings(file("config.cfg"));
    settings.bools["muted"] = true;
    settings.ints["timerModeEnable"] = 2;
    settings.floats["autoSaveInterval"] = 1.0f / 3.0f;
    settings.strings["startingState"] = "My Levels/first level.lvl";
    settings.strings["aNewKey"] = "tab\tand\nnewline";
    ASSERT_TRUE(settings.save());
    Configuration back(file("config.cfg"));
    EXPECT_EQ(back.bools, settings.bools);
    EXPECT_EQ(back.ints, settings.ints);
    EXPECT_EQ(back.strings, settings.strings);
    EXPECT_NEAR(back.floats["autoSaveInterval"], 0.333333f, 1e-6) << "six significant digits";
    const std::string text = read("config.cfg");
    EXPECT_NE(text.find("\taNewKey \n\t\"tab\tand\nnewline\" \n\tautoSaveFileName"), std::string::npos)
        << "a new key goes in key order:\n"
        << text;
}

TEST_F(ConfigurationFiles, SectionsInAnyOrderAndMissingSectionsAreEmpty) {
    write("a.cfg",
          "Configuration 0 strings name \"two words\" end bools b true c 0 end ints i 5 end floats f 2.5 end end");
    Configuration settings(file("a.cfg"));
    EXPECT_EQ(settings.strings["name"], "two words");
    EXPECT_TRUE(settings.bools["b"]);
    EXPECT_FALSE(settings.bools["c"]);
    EXPECT_EQ(settings.ints["i"], 5);
    EXPECT_EQ(settings.floats["f"], 2.5f);

    write("b.cfg", "Configuration 0 bools b 1 end ints i 1 end end");
    Configuration partial(file("b.cfg"));
    EXPECT_EQ(partial.bools.size(), 1u);
    EXPECT_EQ(partial.ints.size(), 1u);
    EXPECT_TRUE(partial.floats.empty());
    EXPECT_TRUE(partial.strings.empty());
}

TEST_F(ConfigurationFiles, HandWrittenTrueIsSavedAsOne) {
    write("c.cfg", "Configuration 0 bools fullscreen true end end");
    Configuration settings(file("c.cfg"));
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(read("c.cfg"), "Configuration 0 \nbools \n\tfullscreen \n\t1 \n\tend \nints \n\tend \nfloats \n\tend \n"
                             "strings \n\tend \nend ");
}

TEST_F(ConfigurationFiles, RepeatedKeyKeepsTheFirstValue) {
    write("d.cfg", "Configuration 0 ints x 1 x 2 end ints x 3 y 4 end end");
    Configuration settings(file("d.cfg"));
    EXPECT_EQ(settings.ints["x"], 1);
    EXPECT_EQ(settings.ints["y"], 4) << "a section given twice adds to the map";
}

TEST_F(ConfigurationFiles, BrokenFilesStopWithOneMessageAndKeepWhatWasRead) {
    const std::vector<std::pair<std::string, std::string>> broken = {
        {"", "end of input"},
        {"Configuration", "end of input"},
        {"Configuration 0 bools a 1 b", "end of input"},
        {"Configuration 0 bools a 1 end ints \"unclosed 1", "quoted string"},
        {"Configuration 0 bools a 1 end ints a function noSuch 1", "end of input"},
    };
    for (const auto& [text, problem] : broken) {
        write("broken.cfg", text);
        testing::internal::CaptureStderr();
        Configuration settings;
        EXPECT_FALSE(settings.load(file("broken.cfg"))) << text;
        const std::string errors = testing::internal::GetCapturedStderr();
        // An unknown function is stepped over with a line of its own before the input ends.
        const long expectedLines = text.find("noSuch") != std::string::npos ? 2 : 1;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), expectedLines) << text << "\n" << errors;
        EXPECT_NE(errors.find(file("broken.cfg")), std::string::npos) << errors;
        EXPECT_NE(errors.find(problem), std::string::npos) << errors;
        if (text.find("bools a 1") != std::string::npos) {
            EXPECT_TRUE(settings.bools["a"]) << text;
        }
    }
}

TEST_F(ConfigurationFiles, MissingFileFallsBackToTheShippedDefaults) {
    write("defaults.cfg", "Configuration 0 ints resolutionX 640 end end");
    testing::internal::CaptureStderr();
    Configuration settings(file("user.cfg"), file("defaults.cfg"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(settings.ints["resolutionX"], 640);
    settings.ints["resolutionX"] = 800;
    ASSERT_TRUE(settings.save());
    EXPECT_TRUE(fs::exists(file("user.cfg"))) << "the settings are saved under their own name";
    EXPECT_EQ(read("defaults.cfg"), "Configuration 0 ints resolutionX 640 end end");
    Configuration again(file("user.cfg"), file("defaults.cfg"));
    EXPECT_EQ(again.ints["resolutionX"], 800);
}

TEST_F(ConfigurationFiles, FailedSaveIsReportedAndKeepsTheChangeInMemory) {
    Configuration settings;
    settings.fileName = file("missing-folder/config.cfg");
    settings.ints["x"] = 1;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(settings.save());
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.rfind("Could not open file \"" + file("missing-folder/config.cfg") + "\": ", 0), 0u) << errors;
    EXPECT_EQ(settings.ints["x"], 1);
}

TEST(Configuration, LookupsWithoutInsertingAndTheGlobalSettings) {
    Configuration settings;
    settings.ints["present"] = 3;
    EXPECT_EQ(settings.getInt("present"), 3);
    EXPECT_EQ(settings.getInt("absent", 9), 9);
    EXPECT_EQ(settings.getString("absent"), "");
    EXPECT_FALSE(settings.getBool("absent"));
    EXPECT_EQ(settings.ints.size(), 1u);
    // Tests run in the build folder, where the shipped settings are found.
    EXPECT_EQ(&configuration, &getConfiguration());
    EXPECT_EQ(configuration.fileName, "config.cfg");
    EXPECT_EQ(configuration.getInt("resolutionX"), 1024);
}

TEST_F(ConfigurationFiles, MissingExpectedKeysReadAsTheShippedValuesAndAreSavedFromThen) {
    // The defaults table and the shipped file must not drift apart.
    write("shipped.cfg", shippedText());
    Configuration shipped(file("shipped.cfg"));
    EXPECT_EQ(settingDefaults().bools, shipped.bools);
    EXPECT_EQ(settingDefaults().ints, shipped.ints);
    EXPECT_EQ(settingDefaults().floats, shipped.floats);
    EXPECT_EQ(settingDefaults().strings, shipped.strings);

    write("config.cfg", "Configuration 0 ints timerMode 2 end end ");
    Configuration settings(file("config.cfg"));
    EXPECT_EQ(settings.intSetting("timerMode"), 2);
    EXPECT_EQ(settings.intSetting("timerModeEnable"), 0);
    EXPECT_EQ(settings.intSetting("resolutionX"), 1024);
    EXPECT_EQ(settings.intSetting("resolutionY"), 768);
    EXPECT_FALSE(settings.boolSetting("muted"));
    EXPECT_EQ(settings.stringSetting("startingState"), "Content/Levels/level1.lvl");
    EXPECT_EQ(settings.intSetting("notShipped"), 0);
    settings.intSetting("timerModeEnable") = 1;
    ASSERT_TRUE(settings.save());

    Configuration again(file("config.cfg"));
    EXPECT_EQ(again.ints.at("timerMode"), 2);
    EXPECT_EQ(again.ints.at("timerModeEnable"), 1);
    EXPECT_EQ(again.ints.at("resolutionX"), 1024);
    EXPECT_EQ(again.bools.at("muted"), false);
    EXPECT_EQ(again.strings.at("startingState"), "Content/Levels/level1.lvl");
}
