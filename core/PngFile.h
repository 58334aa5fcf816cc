// PNG images: decoding for textures and level files, and PNG level files, screenshots whose compressed
// "levelData" text chunk holds the level's text so that a saved level can be shared as a picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Keyword of the text chunk that carries a level's text, shared by the reader and the writer.
extern const char* const levelDataKeyword;

// A decoded or rendered image. Rows are tightly packed (rowBytes each) and row 0 is the BOTTOM row of
// the picture, as OpenGL expects. A failed decode gives the empty record (no pixels, all sizes 0).
struct PixelImage {
    // rowBytes * height bytes on a 16-byte boundary, shared between copies.
    std::shared_ptr<unsigned char[]> pixels;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA; 0 for colour types without a GL layout (palette).
    std::int32_t channels = 0;
    // GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB or GL_RGBA (GL_RGBA when channels is 0); 0 when empty.
    unsigned int format = 0;
    // Bits per channel as stored in the file (8 for everything the game writes).
    int bitDepth = 0;
    std::size_t rowBytes = 0;

    bool empty() const { return !pixels || width == 0 || height == 0; }
    // Byte offset of pixel (x, y), y counted from the bottom; meaningful for 8-bit images.
    std::size_t offset(std::uint32_t x, std::uint32_t y) const {
        return y * rowBytes + x * static_cast<std::size_t>(channels);
    }
};

// A block for rowBytes * height bytes of pixels followed by one row and 8 bytes more, zeroed: GLU's
// mipmap builder, scaling a picture whose sides are not powers of two, reads up to a row and a pixel
// past the last row (weighing them zero). Null when out of memory (or larger than any block can be);
// freed with delete[].
unsigned char* newPixelBlock(std::size_t rowBytes, std::uint32_t height);

// True when the bytes begin with the 8-byte PNG signature (fewer than 8 bytes never do).
bool startsWithPngSignature(const void* bytes, std::size_t count);

// Decodes the PNG found for path (findFile). When levelText is given, the text of the first "levelData"
// chunk is stored there; it is left unchanged when there is none. Any failure (no file, not a PNG,
// corrupt data, an image too large to hold) is reported in one line and gives the empty record.
PixelImage readPngImage(const std::string& path, std::string* levelText = nullptr);

// True exactly when the file found for path is a PNG with a "levelData" chunk before its image data.
bool readPngText(const std::string& path);

// Writes image (8-bit, 1 to 4 channels, rows bottom-first) as an Adam7-interlaced PNG with text in a
// zTXt "levelData" chunk (none when text is empty). The file is written beside its final place and
// renamed over it, so it is whole or absent. Failures are reported in one line and give false.
bool writePngImage(const std::string& path, const PixelImage& image, const std::string& text);

// Reads the current viewport of the OpenGL back buffer as 8-bit RGB, bottom row first. Needs a current
// context on this thread. An empty viewport, or pixels that cannot be held (reported), give the empty record.
PixelImage readBackBuffer();

// Writes the back buffer's viewport as a PNG level file carrying text (see writePngImage).
bool writePngWithText(const std::string& path, const std::string& text);
