// What the readers do with input they do not know: unknown keys and functions are reported and stepped
// over with their values, settings read with errors keep a ".bak" before they are overwritten, quoted
// strings read exactly, every char reads back as written, and the object counters.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/Configuration.h"
#include "core/Function.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "tests/core/TextFormatTestClasses.h"

namespace fs = std::filesystem;

namespace {

template <class T>
std::string textOf(const T& value) {
    std::ostringstream text;
    OStreamWrapper out(text);
    writeValue(out, value);
    return text.str();
}

struct ReadResult {
    std::string errors;
    bool failed = false;
    bool problems = false;
};

template <class T>
ReadResult readText(const std::string& text, T& value) {
    std::istringstream stream(text);
    IStreamWrapper in(stream, "hand.txt");
    testing::internal::CaptureStderr();
    readValue(in, value);
    ReadResult result;
    result.errors = testing::internal::GetCapturedStderr();
    result.failed = in.hasFailed();
    result.problems = in.hadProblems();
    return result;
}

int lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

int tripled(int value) { return value * 3; }

}  // namespace

TEST(ReaderRecovery, UnknownKeysOfEveryValueKindAreSkippedAndThePartGoesOn) {
    registerFunction<int(int)>("recoveryTripled", &tripled);
    // Each unknown key stands before a known one, which must still be read.
    const std::string text =
        "CoreTestNode 1\n"
        "0 Item\n disabled 1\n friction 0.5\n end\n"
        "tags\n a\n b\n end\n"
        "tint 0.1 0.2 0.3 1\n"
        "scores\n size 1\n x\n 4\n end\n"
        "caption \"two words\\\" and\ta tab\"\n"
        "shadow CoreTestLeaf 2\n  0 Item\n  disabled 0\n  end\n  count 3\n  end\n"
        "grid\n size 1\n size 2\n 5\n 6\n end\n end\n"
        "extras\n  1\n  2\n  3\n  end\n"
        "spare NULL\n"
        "computed function recoveryTripled 4\n"
        "flags\n 1\n 0\n end\n"
        "mode fast\n"
        "end\n";
    CoreTestNode node;
    const ReadResult result = readText(text, node);
    EXPECT_FALSE(result.failed) << result.errors;
    EXPECT_TRUE(result.problems);
    EXPECT_TRUE(node.disabled) << "the key after the base part's unknown one";
    EXPECT_EQ(node.tags, (std::list<std::string>{"a", "b"}));
    EXPECT_EQ(node.scores.at("x"), 4);
    ASSERT_EQ(node.grid.size(), 1u);
    EXPECT_EQ(node.grid[0], (std::vector<int>{5, 6}));
    EXPECT_EQ(node.flags, (std::vector<bool>{true, false}));
    // One line per unknown key, each naming it.
    EXPECT_EQ(lines(result.errors), 8) << result.errors;
    for (const char* key : {"friction", "tint", "caption", "shadow", "extras", "spare", "computed", "mode"})
        EXPECT_NE(result.errors.find(std::string("\"") + key + "\""), std::string::npos) << key;
    EXPECT_NE(result.errors.find("hand.txt"), std::string::npos);
}

TEST(ReaderRecovery, AValueWhoseEndCannotBeKnownStopsOnlyWhatHoldsIt) {
    // An object of a class nobody registered: its text cannot be stepped over.
    CoreTestLeaf leaf;
    const ReadResult result = readText(
        "CoreTestLeaf 2\n0 Item\n end\ncount 9\nshape NoSuchShape 1\n radius 2\n end\nspeed 4\nend\n", leaf);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(leaf.count, 9) << "what was read before stays";
    EXPECT_EQ(leaf.speed, 1.5f) << "nothing after it is guessed at";
    EXPECT_NE(result.errors.find("NoSuchShape"), std::string::npos);

    // The same object as a list element: the elements read before it are kept.
    std::vector<std::unique_ptr<CoreTestItem>> items;
    readText("CoreTestLeaf 2 0 Item end count 1 end\nCoreTestLeaf 2 0 Item end count 2 bad NoSuch 1 end end\nend\n",
             items);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(static_cast<CoreTestLeaf&>(*items[0]).count, 1);
}

TEST(ReaderRecovery, UnknownFunctionsAreSkippedWithTheirArgumentsAndTheValueStays) {
    // In a list: the element keeps its default, the others are read.
    std::vector<int> values;
    ReadResult result = readText("1\nfunction noSuchBuilder 2 3 \"x y\"\n4\nend\n", values);
    EXPECT_FALSE(result.failed) << result.errors;
    EXPECT_EQ(values, (std::vector<int>{1, 0, 4}));
    EXPECT_EQ(lines(result.errors), 1);
    EXPECT_NE(result.errors.find("noSuchBuilder"), std::string::npos);

    // All on one line (an archetype's stored text): only the numbers and quoted strings are arguments.
    CoreTestLeaf leaf;
    result = readText("CoreTestLeaf 2 0 Item end count function noSuch 5 \"a b\" speed 2.5 end", leaf);
    EXPECT_FALSE(result.failed) << result.errors;
    EXPECT_EQ(leaf.count, 7);
    EXPECT_EQ(leaf.speed, 2.5f);

    // A known function under an unknown key is read through and thrown away.
    registerFunction<int(int)>("recoveryTripled", &tripled);
    result = readText("CoreTestLeaf 2 0 Item end extra function recoveryTripled 8 count 2 end", leaf);
    EXPECT_FALSE(result.failed) << result.errors;
    EXPECT_EQ(leaf.count, 2);
}

TEST(ReaderRecovery, SettingsReadWithErrorsKeepTheirFileAsBakBeforeTheFirstSave) {
    const fs::path folder = fs::temp_directory_path() / ("tovik-recovery-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string file = (folder / "config.cfg").string();
    const std::string original =
        "Configuration 0\n"
        "floats\n gravity\n function noSuchSetting 3\n speed\n 2.5\n end\n"
        "volume 7\n"
        "strings\n startingState\n \"Content\\new level\\test.lvl\"\n title\n \"A\tB\"\n end\n"
        "end\n";
    std::ofstream(file, std::ios::binary) << original;

    Configuration settings;
    settings.fileName = file;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(settings.load(file));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lines(errors), 2) << errors;
    EXPECT_EQ(settings.getFloat("speed"), 2.5f);
    EXPECT_EQ(settings.getString("startingState"), "Content\\new level\\test.lvl");
    EXPECT_EQ(settings.getString("title"), "A\tB");

    testing::internal::CaptureStderr();
    EXPECT_TRUE(settings.save());
    errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lines(errors), 1) << errors;
    EXPECT_NE(errors.find(file + ".bak"), std::string::npos) << errors;
    std::ifstream backup(file + ".bak", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(backup), {}), original);

    // The saved file reads back whole, and a second save leaves the copy alone.
    Configuration again;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(again.load(file));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(again.strings, settings.strings);
    settings.strings["title"] = "changed";
    testing::internal::CaptureStderr();
    EXPECT_TRUE(settings.save());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    std::ifstream stillOriginal(file + ".bak", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(stillOriginal), {}), original);

    // Settings read cleanly make no copy.
    fs::remove(file + ".bak");
    Configuration clean;
    clean.fileName = file;
    EXPECT_TRUE(clean.load(file));
    EXPECT_TRUE(clean.save());
    EXPECT_FALSE(fs::exists(file + ".bak"));
    fs::remove_all(folder);
}

TEST(ReaderRecovery, QuotedStringsReadExactlyAndOnlyBackslashQuoteIsAnEscape) {
    std::string value;
    readText("\"Content\\new level\\test.lvl\"", value);
    EXPECT_EQ(value, "Content\\new level\\test.lvl");
    readText("\"say \\\"hi\\\"  twice\"", value);
    EXPECT_EQ(value, "say \"hi\"  twice") << "blanks inside quotes are kept as they stand";
    readText("\"first line\nsecond\tcolumn\"", value);
    EXPECT_EQ(value, "first line\nsecond\tcolumn");

    // Whatever the writer writes reads back as itself, through both token streams.
    for (const std::string& original :
         {std::string("tab\there"), std::string("line\nend"), std::string("C:\\dir\\ x\\y"), std::string("\"lead"),
          std::string("a\\\"b c"), std::string(" both  \r\f\v ends "), std::string("end"), std::string("trailing\\")}) {
        const std::string text = textOf(original);
        std::string back;
        const ReadResult result = readText(text, back);
        EXPECT_FALSE(result.failed) << text;
        EXPECT_EQ(back, original) << text;
    }
    EXPECT_EQ(textOf(std::string("a\tb")), "\"a\tb\" ") << "a tab is written as it is";

    // An unclosed quote leaves the value alone.
    value = "kept";
    const ReadResult result = readText("\"never closed \\\"", value);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(value, "kept");
}

TEST(ReaderRecovery, EveryCharReadsBackAsWritten) {
    CoreTestLeaf leaf;
    for (int code = -128; code < 128; ++code) {
        leaf.letter = static_cast<char>(code);
        const std::string text = textOf(leaf);
        CoreTestLeaf back;
        back.letter = '\n';  // a preset that once looked like layout
        const ReadResult result = readText(text, back);
        EXPECT_FALSE(result.failed) << code;
        EXPECT_EQ(back.letter, leaf.letter) << code << ": " << text;
        EXPECT_EQ(textOf(back), text);
    }
    leaf.letter = 'q';
    EXPECT_NE(textOf(leaf).find("letter q \n"), std::string::npos) << "printable chars are written as they are";
    leaf.letter = '\f';
    EXPECT_NE(textOf(leaf).find("letter \\014 \n"), std::string::npos) << textOf(leaf);
}

TEST(ReaderRecovery, ObjectCountersKeepTheMadeAndPeakCounts) {
    struct Counted : ObjectCounter<Counted> {};
    EXPECT_EQ(Counted::madeCount(), 0u);
    {
        Counted a;
        Counted b;
        {
            Counted c(a);
            EXPECT_EQ(Counted::peakCount(), 3u);
        }
        EXPECT_EQ(Counted::liveCount(), 2u);
    }
    Counted d;
    EXPECT_EQ(Counted::madeCount(), 4u);
    EXPECT_EQ(Counted::peakCount(), 3u);
    EXPECT_EQ(Counted::liveCount(), 1u);
}
