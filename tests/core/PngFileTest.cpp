// Checks of PNG decoding, the "levelData" chunk and PNG level files written from pixel buffers.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <png.h>
#include <zlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/PngFile.h"

namespace fs = std::filesystem;

namespace {

// What libpng itself sees in a file, read independently of the game's reader.
struct RawPng {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    std::vector<std::vector<unsigned char>> rowsTopFirst;
    std::vector<std::pair<std::string, int>> textKeysAndCompression;
};

RawPng readRaw(const std::string& path) {
    RawPng raw;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return raw;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return raw;
    }
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_get_IHDR(png, info, &raw.width, &raw.height, &raw.bitDepth, &raw.colorType, &raw.interlace, nullptr,
                 nullptr);
    png_bytepp rows = png_get_rows(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    for (png_uint_32 i = 0; i < raw.height; ++i) raw.rowsTopFirst.emplace_back(rows[i], rows[i] + rowBytes);
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(png, info, &texts, &count);
    for (int i = 0; i < count; ++i) raw.textKeysAndCompression.emplace_back(texts[i].key, texts[i].compression);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return raw;
}

// A palette image written straight through libpng.
void writePalettePng(const std::string& path, png_uint_32 width, png_uint_32 height, bool transparent = false) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[2] = {{255, 0, 0}, {0, 0, 255}};
    png_set_PLTE(png, info, palette, 2);
    png_byte alpha[2] = {255, 0};
    if (transparent) png_set_tRNS(png, info, alpha, 2, nullptr);
    png_write_info(png, info);
    std::vector<unsigned char> row(width);
    for (png_uint_32 y = 0; y < height; ++y) {
        for (png_uint_32 x = 0; x < width; ++x) row[x] = static_cast<unsigned char>((x + y) % 2);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

// One row of samples of any depth and colour type, packed as libpng expects them.
void writeRawPng(const std::string& path, png_uint_32 width, int depth, int colorType, const std::vector<unsigned char>& row) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, 1, depth, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<unsigned char> data(row);
    png_write_row(png, data.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

PixelImage makeImage(std::uint32_t width, std::uint32_t height, int channels) {
    PixelImage image;
    image.width = width;
    image.height = height;
    image.channels = channels;
    image.bitDepth = 8;
    image.rowBytes = static_cast<size_t>(width) * channels;
    image.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[image.rowBytes * height]);
    // Every byte distinct enough to show a swapped row or column.
    for (size_t i = 0; i < image.rowBytes * height; ++i)
        image.pixels[i] = static_cast<unsigned char>((i * 37 + i / image.rowBytes * 11) & 0xFF);
    return image;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

class PngFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tovik-png-" + std::to_string(getpid()) + "-" +
                                               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string file(const std::string& name) const { return (folder / name).string(); }

    // Everything left in the folder, to prove no temporary file survives.
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder;
};

}  // namespace

TEST(PngSignatureTest, RecognisesOnlyTheFullSignature) {
    EXPECT_TRUE(startsWithPngSignature(kSignature.data(), 8));
    EXPECT_TRUE(startsWithPngSignature((kSignature + "more").data(), 12));
    EXPECT_FALSE(startsWithPngSignature(kSignature.data(), 7));
    std::string wrong = kSignature;
    wrong[7] = 'x';
    EXPECT_FALSE(startsWithPngSignature(wrong.data(), 8));
    EXPECT_FALSE(startsWithPngSignature("", 0));
}

TEST_F(PngFileTest, LevelFileRoundTripKeepsTextAndPixels) {
    PixelImage image = makeImage(7, 5, 3);
    const std::string text =
        "GameState\n0\n\tresourceFileName \"Content\\\\Levels\\\\one level.res\"\n\tend\n"
        "caf\xC3\xA9 // comment with \"quotes\"\n";
    ASSERT_TRUE(writePngImage(file("level.png"), image, text));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"level.png"});

    RawPng raw = readRaw(file("level.png"));
    EXPECT_EQ(raw.width, 7u);
    EXPECT_EQ(raw.height, 5u);
    EXPECT_EQ(raw.bitDepth, 8);
    EXPECT_EQ(raw.colorType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(raw.interlace, PNG_INTERLACE_ADAM7);
    ASSERT_EQ(raw.textKeysAndCompression.size(), 1u);
    EXPECT_EQ(raw.textKeysAndCompression[0].first, "levelData");
    EXPECT_EQ(raw.textKeysAndCompression[0].second, PNG_TEXT_COMPRESSION_zTXt);
    // The file's top row is the buffer's last row.
    ASSERT_EQ(raw.rowsTopFirst.size(), 5u);
    for (std::uint32_t i = 0; i < 5; ++i) {
        const unsigned char* bufferRow = image.pixels.get() + (4 - i) * image.rowBytes;
        EXPECT_TRUE(std::equal(raw.rowsTopFirst[i].begin(), raw.rowsTopFirst[i].end(), bufferRow)) << "row " << i;
    }

    std::string readText = "unchanged";
    PixelImage back = readPngImage(file("level.png"), &readText);
    EXPECT_EQ(readText, text);
    ASSERT_FALSE(back.empty());
    EXPECT_EQ(back.width, 7u);
    EXPECT_EQ(back.height, 5u);
    EXPECT_EQ(back.channels, 3);
    EXPECT_EQ(back.format, static_cast<unsigned>(GL_RGB));
    EXPECT_EQ(back.bitDepth, 8);
    ASSERT_EQ(back.rowBytes, 21u);
    EXPECT_EQ(std::memcmp(back.pixels.get(), image.pixels.get(), 21 * 5), 0);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(back.pixels.get()) % 16, 0u);
    EXPECT_EQ(back.offset(2, 1), 21u + 6u);

    EXPECT_TRUE(readPngText(file("level.png")));
}

TEST_F(PngFileTest, EveryChannelCountRoundTrips) {
    const unsigned formats[] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    for (int channels = 1; channels <= 4; ++channels) {
        PixelImage image = makeImage(3, 4, channels);
        std::string name = file("channels" + std::to_string(channels) + ".png");
        ASSERT_TRUE(writePngImage(name, image, "x"));
        PixelImage back = readPngImage(name);
        EXPECT_EQ(back.channels, channels);
        EXPECT_EQ(back.format, formats[channels]);
        ASSERT_EQ(back.rowBytes, image.rowBytes);
        EXPECT_EQ(std::memcmp(back.pixels.get(), image.pixels.get(), image.rowBytes * 4), 0);
    }
}

TEST_F(PngFileTest, LongTextIsCompressedAndReadBackWhole) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "Entity " + std::to_string(i) + "\n\tposition 1 2 3 1\n";
    ASSERT_TRUE(writePngImage(file("big.png"), makeImage(2, 2, 3), text));
    EXPECT_LT(fs::file_size(file("big.png")), text.size() / 4);
    std::string readText;
    readPngImage(file("big.png"), &readText);
    EXPECT_EQ(readText, text);
}

TEST_F(PngFileTest, EmptyTextWritesNoChunk) {
    ASSERT_TRUE(writePngImage(file("plain.png"), makeImage(4, 4, 3), ""));
    EXPECT_TRUE(readRaw(file("plain.png")).textKeysAndCompression.empty());
    std::string readText = "unchanged";
    PixelImage back = readPngImage(file("plain.png"), &readText);
    EXPECT_FALSE(back.empty());
    EXPECT_EQ(readText, "unchanged");
    EXPECT_FALSE(readPngText(file("plain.png")));
}

TEST_F(PngFileTest, EveryKindOfPngLoadsAsEightBitGreyOrRgb) {
    testing::internal::CaptureStderr();
    writePalettePng(file("palette.png"), 6, 2);
    PixelImage image = readPngImage(file("palette.png"));
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(image.channels, 3);
    EXPECT_EQ(image.format, static_cast<unsigned>(GL_RGB));
    EXPECT_EQ(image.bitDepth, 8);
    EXPECT_EQ(image.width, 6u);
    EXPECT_EQ(image.height, 2u);
    // The colours, bottom row first: the bottom row (y = 1) starts with index 1, blue.
    EXPECT_EQ(std::vector<int>(image.pixels.get(), image.pixels.get() + 6), (std::vector<int>{0, 0, 255, 255, 0, 0}));
    EXPECT_EQ(image.pixels[image.rowBytes], 255);

    // A palette's transparency becomes alpha.
    writePalettePng(file("clear.png"), 2, 1, true);
    image = readPngImage(file("clear.png"));
    EXPECT_EQ(image.channels, 4);
    EXPECT_EQ(image.format, static_cast<unsigned>(GL_RGBA));
    EXPECT_EQ(std::vector<int>(image.pixels.get(), image.pixels.get() + 8), (std::vector<int>{255, 0, 0, 255, 0, 0, 255, 0}));

    // 16 bits per sample keep their high byte.
    writeRawPng(file("deep.png"), 1, 16, PNG_COLOR_TYPE_RGB_ALPHA, {0x12, 0x34, 0xAB, 0xCD, 0x00, 0xFF, 0xFF, 0x00});
    image = readPngImage(file("deep.png"));
    EXPECT_EQ(image.channels, 4);
    EXPECT_EQ(image.bitDepth, 8);
    EXPECT_EQ(std::vector<int>(image.pixels.get(), image.pixels.get() + 4), (std::vector<int>{0x12, 0xAB, 0x00, 0xFF}));

    // Grey of two bits a sample widens to the full range.
    writeRawPng(file("grey2.png"), 4, 2, PNG_COLOR_TYPE_GRAY, {0b00011011});
    image = readPngImage(file("grey2.png"));
    EXPECT_EQ(image.channels, 1);
    EXPECT_EQ(std::vector<int>(image.pixels.get(), image.pixels.get() + 4), (std::vector<int>{0, 85, 170, 255}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(PngFileTest, TextFileStartingWithSignatureIsRejectedCleanly) {
    writeBytes(file("fake.png"), kSignature + "GameState\n0\nend\n");
    testing::internal::CaptureStderr();
    std::string readText = "unchanged";
    PixelImage image = readPngImage(file("fake.png"), &readText);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(image.empty());
    EXPECT_EQ(image.width, 0u);
    EXPECT_EQ(image.channels, 0);
    EXPECT_EQ(readText, "unchanged");
    EXPECT_NE(errors.find("could not read PNG file"), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << "one line: " << errors;

    testing::internal::CaptureStderr();
    EXPECT_FALSE(readPngText(file("fake.png")));
    testing::internal::GetCapturedStderr();
}

TEST_F(PngFileTest, ShortAndMissingFilesAreNotPng) {
    writeBytes(file("short.png"), kSignature.substr(0, 7));
    testing::internal::CaptureStderr();
    EXPECT_TRUE(readPngImage(file("short.png")).empty());
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("is not a PNG file"), std::string::npos) << errors;
    EXPECT_FALSE(readPngText(file("short.png")));

    testing::internal::CaptureStderr();
    EXPECT_TRUE(readPngImage(file("absent.png")).empty());
    EXPECT_FALSE(readPngText(file("absent.png")));
    errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "Could not open file \"" + file("absent.png") + "\": No such file or directory\n");
}

TEST_F(PngFileTest, CorruptAndTruncatedFilesGiveEmptyRecords) {
    ASSERT_TRUE(writePngImage(file("good.png"), makeImage(16, 16, 4), "level text"));
    std::string good = readBytes(file("good.png"));

    // A flipped byte in the image data breaks its checksum.
    size_t idat = good.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    std::string corrupt = good;
    corrupt[idat + 10] = static_cast<char>(corrupt[idat + 10] ^ 0x5A);
    writeBytes(file("corrupt.png"), corrupt);
    testing::internal::CaptureStderr();
    std::string readText = "unchanged";
    PixelImage image = readPngImage(file("corrupt.png"), &readText);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(image.empty());
    EXPECT_EQ(readText, "unchanged");
    EXPECT_NE(errors.find("could not read PNG file \"" + file("corrupt.png") + "\""), std::string::npos) << errors;

    // Every truncation either fails cleanly or (never, here) decodes; none may crash.
    testing::internal::CaptureStderr();
    for (size_t length = 0; length < good.size(); length += 7) {
        writeBytes(file("cut.png"), good.substr(0, length));
        EXPECT_TRUE(readPngImage(file("cut.png")).empty()) << length;
        readPngText(file("cut.png"));
    }
    testing::internal::GetCapturedStderr();
}

TEST_F(PngFileTest, HugeDeclaredSizeIsRefusedWithoutAllocating) {
    ASSERT_TRUE(writePngImage(file("small.png"), makeImage(1, 1, 4), ""));
    std::string bytes = readBytes(file("small.png"));
    // Width and height in IHDR become 30000 x 30000 RGBA (3.6 GB), with a fixed checksum.
    auto putWord = [&](size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
    };
    putWord(16, 30000);
    putWord(20, 30000);
    putWord(29, static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0),
                                                 reinterpret_cast<const unsigned char*>(bytes.data() + 12), 17)));
    writeBytes(file("huge.png"), bytes);
    testing::internal::CaptureStderr();
    PixelImage image = readPngImage(file("huge.png"));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(image.empty());
    EXPECT_NE(errors.find("too large"), std::string::npos) << errors;
}

TEST_F(PngFileTest, WritingReplacesWholeFilesAndReportsFailures) {
    ASSERT_TRUE(writePngImage(file("level.png"), makeImage(2, 2, 3), "first"));
    // What a text save of the same file left when it was killed goes with this save.
    writeBytes(file("level.png.tmpAb12Cd"), "stale");
    ASSERT_TRUE(writePngImage(file("level.png"), makeImage(3, 3, 3), "second"));
    std::string text;
    EXPECT_EQ(readPngImage(file("level.png"), &text).width, 3u);
    EXPECT_EQ(text, "second");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"level.png"});

    // Backslash paths are translated.
    std::string backslashed = file("level.png");
    backslashed.replace(backslashed.rfind('/'), 1, "\\");
    ASSERT_TRUE(writePngImage(backslashed, makeImage(4, 4, 3), "third"));
    EXPECT_EQ(readPngImage(file("level.png"), &text).width, 4u);
    EXPECT_EQ(text, "third");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(writePngImage(file("no-such-folder/level.png"), makeImage(2, 2, 3), "x"));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "Could not open file \"" + file("no-such-folder/level.png") +
                          "\": No such file or directory\n");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(writePngImage(file("empty.png"), PixelImage(), "x"));
    PixelImage wrongDepth = makeImage(2, 2, 3);
    wrongDepth.bitDepth = 16;
    EXPECT_FALSE(writePngImage(file("deep.png"), wrongDepth, "x"));
    EXPECT_FALSE(writePngImage(file("nul.png"), makeImage(2, 2, 3), std::string("a\0b", 3)));
    errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 3) << errors;
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"level.png"});
}

TEST_F(PngFileTest, FailedReplaceLeavesNoTemporaryBehind) {
    // A folder in the way makes the final rename fail after the whole file was written.
    fs::create_directories(folder / "taken.png" / "inside");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writePngImage(file("taken.png"), makeImage(2, 2, 3), "x"));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("could not write PNG file \"" + file("taken.png") + "\""), std::string::npos) << errors;
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"taken.png"});
    EXPECT_TRUE(fs::is_directory(folder / "taken.png" / "inside"));
}

TEST_F(PngFileTest, UnwritableFolderLeavesTheOldFileAlone) {
    // A folder that is a regular file cannot be written into, whoever runs the test.
    ASSERT_TRUE(writePngImage(file("level.png"), makeImage(2, 2, 3), "kept"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writePngImage(file("level.png") + "/inner.png", makeImage(3, 3, 3), "lost"));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Could not open file"), std::string::npos) << errors;
    std::string text;
    EXPECT_EQ(readPngImage(file("level.png"), &text).width, 2u);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"level.png"});
}
