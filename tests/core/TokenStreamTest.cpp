// Token streams: pushed-back tokens, typed conversions, layout codes on output, file reading and the
// whole-or-nothing file writer.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <random>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextOutStream.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        path = fs::temp_directory_path() / ("tovik-core-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }
    void write(const std::string& name, const std::string& text) const { std::ofstream(file(name), std::ios::binary) << text; }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    fs::path path;

private:
    static inline int counter = 0;
};

std::string written(void (*produce)(BaseOutStream&)) {
    std::ostringstream text;
    OStreamWrapper out(text);
    produce(out);
    return text.str();
}

}  // namespace

TEST(TokenInput, PushedBackTokensComeBackLastFirstThenTheSource) {
    std::istringstream text("c d");
    IStreamWrapper in(text);
    in.unget("a").unget("b");
    std::string token;
    in.readToken(token);
    EXPECT_EQ(token, "b");
    in.readToken(token);
    EXPECT_EQ(token, "a");
    in.readToken(token);
    EXPECT_EQ(token, "c");
    in.readToken(token);
    EXPECT_EQ(token, "d");
    in.readToken(token);
    EXPECT_EQ(token, "") << "end of input gives an empty token";
}

TEST(TokenInput, TokensSplitAtEveryKindOfWhiteSpace) {
    std::istringstream text("  one\ttwo\r\nthree\v\ffour  ");
    IStreamWrapper in(text);
    std::string token;
    std::vector<std::string> tokens;
    while (in.readToken(token), !token.empty()) tokens.push_back(token);
    EXPECT_EQ(tokens, (std::vector<std::string>{"one", "two", "three", "four"}));
}

TEST(TokenInput, BoolConversions) {
    std::istringstream text("");
    IStreamWrapper in(text);
    bool value = false;
    in.unget("true").read(value);
    EXPECT_TRUE(value);
    in.unget("false").read(value);
    EXPECT_FALSE(value);
    in.unget("2").read(value);
    EXPECT_TRUE(value);
    value = true;
    in.unget("yes").read(value);
    EXPECT_FALSE(value) << "a word other than true or false is atoi 0";
    in.unget("0").read(value);
    EXPECT_FALSE(value);
}

TEST(TokenInput, IntegerConversionsFollowAtoiAndKeepLow16BitsForShorts) {
    std::istringstream text("");
    IStreamWrapper in(text);
    short s = 0;
    in.unget("70000").read(s);
    EXPECT_EQ(s, 4464);
    unsigned short us = 0;
    in.unget("-1").read(us);
    EXPECT_EQ(us, 65535);
    int i = 0;
    in.unget("-42abc").read(i);
    EXPECT_EQ(i, -42);
    in.unget("abc").read(i);
    EXPECT_EQ(i, 0);
    in.unget("99999999999999999999999").read(i);
    EXPECT_EQ(i, -1) << "saturates at the 64-bit range, then keeps the low 32 bits like the C library";
    long long big = 0;
    in.unget("-9223372036854775808").read(big);
    EXPECT_EQ(big, LLONG_MIN);
    unsigned int u = 0;
    in.unget("4294967296").read(u);
    EXPECT_EQ(u, 4294967295u);
}

TEST(TokenInput, FloatConversionsFollowAtof) {
    std::istringstream text("");
    IStreamWrapper in(text);
    float f = 0;
    in.unget("0.5").read(f);
    EXPECT_FLOAT_EQ(f, 0.5f);
    in.unget("+2.5e1xyz").read(f);
    EXPECT_FLOAT_EQ(f, 25.0f);
    in.unget(".25").read(f);
    EXPECT_FLOAT_EQ(f, 0.25f);
    in.unget("0x10").read(f);
    EXPECT_FLOAT_EQ(f, 16.0f);
    in.unget("word").read(f);
    EXPECT_EQ(f, 0.0f);
    in.unget("1e300").read(f);
    EXPECT_TRUE(std::isinf(f));
    double d = 0;
    in.unget("1e999").read(d);
    EXPECT_TRUE(std::isinf(d));
    in.unget("-3.14159265").read(d);
    EXPECT_DOUBLE_EQ(d, -3.14159265);
}

TEST(TokenInput, CharPresetToALayoutCodeReadsNothing) {
    std::istringstream text("");
    IStreamWrapper in(text);
    in.unget("xyz");
    char c = 14;
    in.read(c);
    EXPECT_EQ(c, 14);
    std::string token;
    in.readToken(token);
    EXPECT_EQ(token, "xyz") << "the pushed-back token is still there";
    in.unget("xyz");
    c = 'a';
    in.read(c);
    EXPECT_EQ(c, 'x');
}

TEST(TokenInput, EmptyPushedBackTokenLeavesTheValueAndIsPopped) {
    std::istringstream text("7");
    IStreamWrapper in(text);
    int value = 3;
    in.unget("").read(value);
    EXPECT_EQ(value, 3);
    in.read(value);
    EXPECT_EQ(value, 7);
    in.read(value);
    EXPECT_EQ(value, 7) << "end of input leaves the value";
}

TEST(TokenInput, ReadLineSkipsTheRestOfTheLineAndCountsIt) {
    std::istringstream text("a skipped words\nb");
    IStreamWrapper in(text, "sample");
    std::string token;
    in.readToken(token);
    in.readLine();
    in.readToken(token);
    EXPECT_EQ(token, "b");
    EXPECT_EQ(in.getLine(), 2);
}

TEST(TokenInput, AttributesReadWithoutBeingAdded) {
    std::istringstream text("");
    IStreamWrapper in(text);
    EXPECT_EQ(in.getAttribute("progressBar"), "");
    EXPECT_TRUE(in.attributes.empty());
    in.attributes["progressBar"] = "yes";
    EXPECT_EQ(in.getAttribute("progressBar"), "yes");
}

TEST(TokenInput, StdStreamWrapperTakesNothingBeyondTheTokensRead) {
    std::istringstream text("first   second third");
    {
        IStreamWrapper in(text);
        std::string token;
        in.readToken(token);
        EXPECT_EQ(token, "first");
    }
    std::string rest;
    std::getline(text, rest);
    EXPECT_EQ(rest, "   second third");
}

TEST(TokenInput, FailReportsOnceAndEndsTheInput) {
    std::istringstream text("a b c");
    IStreamWrapper in(text, "broken.txt");
    testing::internal::CaptureStderr();
    in.fail("first problem");
    in.fail("second problem");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("broken.txt"), std::string::npos);
    EXPECT_NE(errors.find("first problem"), std::string::npos);
    EXPECT_EQ(errors.find("second problem"), std::string::npos);
    std::string token = "x";
    in.readToken(token);
    EXPECT_EQ(token, "");
}

TEST(TokenOutput, LayoutCodesBecomeLineEndsAndTabs) {
    const std::string text = written([](BaseOutStream& out) {
        out.write(char(14)).write(char(10)).write("a").write(char(15)).write(char(10)).write("b");
    });
    EXPECT_EQ(text, "\n\ta\nb");
}

TEST(TokenOutput, BlankAfterALayoutCodeIsDroppedButNotAfterAValue) {
    EXPECT_EQ(written([](BaseOutStream& out) { out.write(char(10)).write(' ').write("x"); }), "\nx");
    EXPECT_EQ(written([](BaseOutStream& out) { out.write(char(14)).write(' ').write("x"); }), "x");
    EXPECT_EQ(written([](BaseOutStream& out) { out.write(char(15)).write(' ').write("x"); }), "x");
    EXPECT_EQ(written([](BaseOutStream& out) { out.write("x").write(' ').write(' ').write("y"); }), "x  y");
}

TEST(TokenOutput, IndentationTakesEffectAtTheNextLineAndNeverGoesBelowZero) {
    std::ostringstream text;
    OStreamWrapper out(text);
    out.write(char(15));
    EXPECT_EQ(out.getIndentation(), 0);
    out.write("a").write(char(14)).write(char(14)).write("b").write(char(10)).write("c");
    EXPECT_EQ(text.str(), "ab\n\t\tc");
}

TEST(TokenOutput, NumbersAreFormattedLikePrintf) {
    EXPECT_EQ(written([](BaseOutStream& out) { out.write(0.1f); }), "0.1");
    EXPECT_EQ(written([](BaseOutStream& out) { out.write(3.14159265); }), "3.14159");
    EXPECT_EQ(written([](BaseOutStream& out) { out.write(100.0f); }), "100");
    EXPECT_EQ(written([](BaseOutStream& out) { out.write(1234567.0); }), "1.23457e+06");
    EXPECT_EQ(written([](BaseOutStream& out) { out.write(-17); }), "-17");
    EXPECT_EQ(written([](BaseOutStream& out) { out.write(true).write(false); }), "10");
    EXPECT_EQ(written([](BaseOutStream& out) { out.write(static_cast<unsigned char>('Q')); }), "Q");
    EXPECT_EQ(written([](BaseOutStream& out) { out.write("literal"); }), "literal")
        << "a string literal must not turn into a bool";
}

TEST(TokenOutput, FloatsMatchPrintfGeneralFormatEverywhere) {
    std::mt19937 random(77);
    std::vector<float> samples = {0.0f, -0.0f, 1e-4f, 9.99999e-5f, 0.0001f, 0.1f, 0.3f, 1.0f / 3.0f, 9.9999996f,
                                  99999.95f, 999999.5f, 999999.0f, 1e6f, 123456.5f, 0.5f, 2.5f, -7.125f,
                                  INFINITY, -INFINITY, NAN, 1e-45f, 3.4e38f, 8388607.5f};
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < 200000; ++i) {
        const float magnitude = std::pow(10.0f, unit(random) * 14.0f - 7.0f);
        samples.push_back((i & 1 ? -1.0f : 1.0f) * magnitude * unit(random));
        std::uint32_t bits = static_cast<std::uint32_t>(random());
        float any;
        std::memcpy(&any, &bits, sizeof any);
        samples.push_back(any);
    }
    for (int i = 0; i < 20000; ++i) samples.push_back(static_cast<float>(random() % 2000000) / 1000.0f);
    for (float sample : samples) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%g", static_cast<double>(sample));
        char actual[64];
        const std::size_t length = formatGeneral6(sample, actual);
        ASSERT_EQ(std::string(actual, length), std::string(expected)) << sample;
    }
}

TEST(FileReading, ReadsAWholeFileAndNamesItsPath) {
    TempFolder folder;
    folder.write("data.txt", "alpha 12\r\n beta");
    FileReader in(folder.file("data.txt"));
    EXPECT_TRUE(in.isOpen());
    EXPECT_EQ(in.getPath(), folder.file("data.txt"));
    std::string token;
    int number = 0;
    in.readToken(token);
    in.read(number);
    EXPECT_EQ(token, "alpha");
    EXPECT_EQ(number, 12);
    in.readToken(token);
    EXPECT_EQ(token, "beta");
}

TEST(FileReading, MissingFileIsReportedAndReadsAsEmptyInput) {
    TempFolder folder;
    testing::internal::CaptureStderr();
    auto in = openFile(folder.file("absent.txt"));
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_NE(in, nullptr);
    EXPECT_FALSE(in->isOpen());
    EXPECT_EQ(errors, "Could not open file \"" + folder.file("absent.txt") + "\": No such file or directory\n");
    std::string token = "kept";
    in->readToken(token);
    EXPECT_EQ(token, "");
}

TEST(FileReading, BackslashPathsAndFoldersAreHandled) {
    TempFolder folder;
    fs::create_directories(folder.path / "Menus");
    folder.write("Menus/main.menu", "menu");
    FileReader in(folder.path.string() + "\\Menus\\main.menu");
    std::string token;
    in.readToken(token);
    EXPECT_EQ(token, "menu");

    testing::internal::CaptureStderr();
    FileReader folderReader(folder.path.string());
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(folderReader.isOpen());
    EXPECT_NE(errors.find("Could not open file"), std::string::npos);
}

TEST(FileReading, ShortFileStartingLikeAPngIsText) {
    TempFolder folder;
    folder.write("short.txt", "\x89PNG x");
    FileReader in(folder.file("short.txt"));
    std::string token;
    in.readToken(token);
    EXPECT_EQ(token, "\x89PNG");
}

TEST(FileWriting, WritesTheWholeFileOnClose) {
    TempFolder folder;
    FileWriter out(folder.file("out.txt"));
    EXPECT_FALSE(out.isPngMode());
    out.write("hello").write(char(10)).write(42);
    EXPECT_FALSE(fs::exists(folder.file("out.txt"))) << "nothing reaches the disk before close";
    EXPECT_TRUE(out.close());
    EXPECT_EQ(folder.read("out.txt"), "hello\n42");
    EXPECT_TRUE(out.close()) << "a second close repeats the result";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
}

TEST(FileWriting, ReplacesAnExistingFileAndKeepsItsPermissions) {
    TempFolder folder;
    folder.write("keep.cfg", "old text that is longer than the new one");
    ::chmod(folder.file("keep.cfg").c_str(), 0640);
    {
        FileWriter out(folder.file("keep.cfg"));
        out.write("new");
    }
    EXPECT_EQ(folder.read("keep.cfg"), "new");
    struct stat info {};
    ASSERT_EQ(::stat(folder.file("keep.cfg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(FileWriting, UnwritableFolderIsReportedAndTheOldFileStays) {
    // A folder that is a regular file cannot be written into, whoever runs the test.
    TempFolder folder;
    folder.write("settings.cfg", "original");
    FileWriter out(folder.file("settings.cfg") + "/inner.cfg");
    out.write("replacement");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(out.close());
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "Could not open file \"" + folder.file("settings.cfg") + "/inner.cfg\": Not a directory\n");
    EXPECT_FALSE(out.ok());
    EXPECT_EQ(folder.read("settings.cfg"), "original");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1);
}

TEST(FileWriting, MissingFolderIsReportedAndTheCallerLearnsIt) {
    TempFolder folder;
    FileWriter out(folder.file("no/such/folder/file.txt"));
    out.write("text");
    testing::internal::CaptureStderr();
    const bool result = out.close();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(result);
    EXPECT_NE(errors.find("Could not open file \"" + folder.file("no/such/folder/file.txt") + "\": "),
              std::string::npos);
}

TEST(FileWriting, WritingThroughALinkReplacesTheFileItNames) {
    TempFolder folder;
    folder.write("real.txt", "old");
    fs::create_symlink(folder.file("real.txt"), folder.file("link.txt"));
    {
        FileWriter out(folder.file("link.txt"));
        out.write("new");
    }
    EXPECT_TRUE(fs::is_symlink(folder.file("link.txt")));
    EXPECT_EQ(folder.read("real.txt"), "new");
}

TEST(FileWriting, PngModeIsChosenByTheExactSuffix) {
    FileWriter png("level.png");
    FileWriter upper("level.PNG");
    FileWriter shortName("png");
    FileWriter dotPng(".png");
    EXPECT_TRUE(png.isPngMode());
    EXPECT_FALSE(upper.isPngMode());
    EXPECT_FALSE(shortName.isPngMode());
    EXPECT_TRUE(dotPng.isPngMode());
    for (FileWriter* writer : {&png, &upper, &shortName, &dotPng}) writer->discard();
}

TEST(FileWriting, WriterResolvesTargetsLikeTheReader) {
    TempFolder folder;
    folder.write("found.txt", "x");
    FileWriter existing(folder.file("found.txt"));
    EXPECT_EQ(existing.getPath(), folder.file("found.txt"));
    existing.discard();
    EXPECT_EQ(folder.read("found.txt"), "x") << "a discarded writer leaves the file alone";
}
