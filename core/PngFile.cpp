// PNG decoding and encoding through libpng, the "levelData" text chunk, and the back-buffer screenshot.
#include "core/PngFile.h"

#include <GL/gl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <vector>

#include "core/FileLookup.h"
#include "core/FileWriter.h"

const char* const levelDataKeyword = "levelData";

namespace {

// Images above this many bytes are refused rather than risking an allocation the machine cannot make.
constexpr std::size_t maxImageBytes = std::size_t(512) << 20;
// Largest width or height accepted, and largest text chunk (level texts are far smaller).
constexpr png_uint_32 maxDimension = 1u << 15;
constexpr png_alloc_size_t maxChunkBytes = png_alloc_size_t(64) << 20;
// Largest single block libpng may ask for: a chunk declares its own length, and libpng would otherwise
// reserve whatever a damaged length says before finding that the file is much shorter.
constexpr png_alloc_size_t maxLibraryBlock = maxChunkBytes + (png_alloc_size_t(1) << 20);

// Where a libpng error's message lands before the error jump.
struct PngErrorText {
    char message[256] = "unknown libpng error";
};

void onPngError(png_structp png, png_const_charp message) {
    auto* text = static_cast<PngErrorText*>(png_get_error_ptr(png));
    if (text) std::snprintf(text->message, sizeof(text->message), "%s", message ? message : "libpng error");
    png_longjmp(png, 1);
}

// Benign oddities (unknown colour profiles and the like) are not worth a line each.
void onPngWarning(png_structp, png_const_charp) {}

png_voidp limitedMalloc(png_structp, png_alloc_size_t size) {
    return size > maxLibraryBlock ? nullptr : std::malloc(size);
}

void limitedFree(png_structp, png_voidp block) { std::free(block); }

png_structp createReader(void* errorText) {
    return png_create_read_struct_2(PNG_LIBPNG_VER_STRING, errorText, onPngError, onPngWarning, nullptr,
                                    limitedMalloc, limitedFree);
}

void reportOpenFailure(const std::string& path, int error) {
    std::cerr << "Could not open file \"" << path << "\": " << std::strerror(error) << std::endl;
}

struct ChannelLayout {
    std::int32_t channels;
    unsigned int format;
};

ChannelLayout layoutOf(int colorType) {
    switch (colorType) {
        case PNG_COLOR_TYPE_GRAY: return {1, GL_LUMINANCE};
        case PNG_COLOR_TYPE_RGB: return {3, GL_RGB};
        case PNG_COLOR_TYPE_GRAY_ALPHA: return {2, GL_LUMINANCE_ALPHA};
        case PNG_COLOR_TYPE_RGB_ALPHA: return {4, GL_RGBA};
        default: return {0, GL_RGBA};
    }
}

// Only plain data lives here: it must survive libpng's error jump.
struct DecodeState {
    unsigned char* pixels = nullptr;
    png_bytep* rows = nullptr;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    std::size_t rowBytes = 0;
};

// Decodes everything after the signature. On failure the message is in error and false comes back.
bool decodePng(std::FILE* file, DecodeState& state, std::string* levelText, PngErrorText& error) {
    png_structp png = createReader(&error);
    if (!png) {
        std::snprintf(error.message, sizeof(error.message), "cannot create the PNG reader");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(error.message, sizeof(error.message), "cannot create the PNG reader");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        delete[] state.rows;
        delete[] state.pixels;
        state = DecodeState();
        return false;
    }

    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, maxDimension, maxDimension);
    png_set_chunk_malloc_max(png, maxChunkBytes);
    png_read_info(png, info);
    png_get_IHDR(png, info, &state.width, &state.height, &state.bitDepth, &state.colorType, nullptr, nullptr,
                 nullptr);
    // Every kind of PNG becomes 8-bit grey, RGB or one of their alpha forms: palettes and their
    // transparency are expanded, small grey depths widened, 16 bits reduced to 8.
    if (state.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
        if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    }
    if (state.colorType == PNG_COLOR_TYPE_GRAY && state.bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (state.bitDepth == 16) png_set_strip_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    state.colorType = png_get_color_type(png, info);
    state.bitDepth = png_get_bit_depth(png, info);
    state.rowBytes = png_get_rowbytes(png, info);
    if (state.rowBytes == 0 || state.height == 0 || state.rowBytes > maxImageBytes / state.height)
        png_error(png, "image too large to load");

    state.pixels = newPixelBlock(state.rowBytes, state.height);
    state.rows = new (std::nothrow) png_bytep[state.height];
    if (!state.pixels || !state.rows) png_error(png, "out of memory");
    // PNG rows run top to bottom; GL wants the bottom row first.
    for (png_uint_32 i = 0; i < state.height; ++i)
        state.rows[i] = state.pixels + static_cast<std::size_t>(state.height - 1 - i) * state.rowBytes;
    png_read_image(png, state.rows);
    png_read_end(png, info);

    if (levelText) {
        png_textp texts = nullptr;
        int count = 0;
        png_get_text(png, info, &texts, &count);
        for (int i = 0; i < count; ++i) {
            if (texts[i].key && std::strcmp(texts[i].key, levelDataKeyword) == 0) {
                *levelText = texts[i].text ? std::string(texts[i].text, texts[i].text_length) : std::string();
                break;
            }
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    delete[] state.rows;
    state.rows = nullptr;
    return true;
}

// Opens the file found for path and checks its signature; null (after a report when asked) otherwise.
std::FILE* openPng(const std::string& path, std::string& resolved, bool reportFailures) {
    findFile(path, resolved);
    std::FILE* file = std::fopen(resolved.c_str(), "rb");
    if (!file) {
        if (reportFailures) reportOpenFailure(resolved, errno);
        return nullptr;
    }
    unsigned char signature[8];
    std::size_t count = std::fread(signature, 1, sizeof(signature), file);
    if (!startsWithPngSignature(signature, count)) {
        if (reportFailures) std::cerr << "error: \"" << resolved << "\" is not a PNG file" << std::endl;
        std::fclose(file);
        return nullptr;
    }
    return file;
}

}  // namespace

unsigned char* newPixelBlock(std::size_t rowBytes, std::uint32_t height) {
    // No block can be larger than PTRDIFF_MAX bytes: such a size (or one past size_t) is refused before
    // the allocator is asked.
    if (rowBytes > (PTRDIFF_MAX - 8) / (static_cast<std::size_t>(height) + 1)) return nullptr;
    const std::size_t imageBytes = rowBytes * height;
    const std::size_t slack = rowBytes + 8;
    auto* block = new (std::nothrow) unsigned char[imageBytes + slack];
    if (block) std::memset(block + imageBytes, 0, slack);
    return block;
}

bool startsWithPngSignature(const void* bytes, std::size_t count) {
    if (count < 8) return false;
    return png_sig_cmp(static_cast<png_const_bytep>(bytes), 0, 8) == 0;
}

PixelImage readPngImage(const std::string& path, std::string* levelText) {
    std::string resolved;
    std::FILE* file = openPng(path, resolved, true);
    if (!file) return PixelImage();

    DecodeState state;
    PngErrorText error;
    bool decoded = decodePng(file, state, levelText, error);
    std::fclose(file);
    if (!decoded) {
        std::cerr << "error: could not read PNG file \"" << resolved << "\": " << error.message << std::endl;
        return PixelImage();
    }

    PixelImage image;
    image.pixels = std::shared_ptr<unsigned char[]>(state.pixels);
    image.width = state.width;
    image.height = state.height;
    ChannelLayout layout = layoutOf(state.colorType);
    image.channels = layout.channels;
    image.format = layout.format;
    image.bitDepth = state.bitDepth;
    image.rowBytes = state.rowBytes;
    return image;
}

namespace {

// Reads only up to the image data, the way the start-up decides whether an argument is a level file.
bool hasLevelTextBeforeImage(std::FILE* file, PngErrorText& error) {
    png_structp png = createReader(&error);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, maxDimension, maxDimension);
    png_set_chunk_malloc_max(png, maxChunkBytes);
    png_read_info(png, info);
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(png, info, &texts, &count);
    bool found = false;
    for (int i = 0; i < count && !found; ++i)
        found = texts[i].key && std::strcmp(texts[i].key, levelDataKeyword) == 0;
    png_destroy_read_struct(&png, &info, nullptr);
    return found;
}

}  // namespace

bool readPngText(const std::string& path) {
    std::string resolved;
    // A missing file or one that is no PNG is simply not a level picture: no report.
    std::FILE* file = openPng(path, resolved, false);
    if (!file) return false;
    PngErrorText error;
    error.message[0] = '\0';
    bool found = hasLevelTextBeforeImage(file, error);
    std::fclose(file);
    if (!found && error.message[0] != '\0')
        std::cerr << "error: could not read PNG file \"" << resolved << "\": " << error.message << std::endl;
    return found;
}

namespace {

// Encodes into an open file. Everything with a destructor is made by the caller, before the error jump.
bool encodePng(std::FILE* file, const PixelImage& image, const std::string& text, std::vector<png_bytep>& rows,
               PngErrorText& error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onPngError, onPngWarning);
    if (!png) {
        std::snprintf(error.message, sizeof(error.message), "cannot create the PNG writer");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(error.message, sizeof(error.message), "cannot create the PNG writer");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    int colorType = image.channels == 1   ? PNG_COLOR_TYPE_GRAY
                    : image.channels == 2 ? PNG_COLOR_TYPE_GRAY_ALPHA
                    : image.channels == 3 ? PNG_COLOR_TYPE_RGB
                                          : PNG_COLOR_TYPE_RGB_ALPHA;
    png_set_IHDR(png, info, image.width, image.height, 8, colorType, PNG_INTERLACE_ADAM7,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_text chunk;
    if (!text.empty()) {
        std::memset(&chunk, 0, sizeof(chunk));
        chunk.compression = PNG_TEXT_COMPRESSION_zTXt;
        chunk.key = const_cast<char*>(levelDataKeyword);
        chunk.text = const_cast<char*>(text.c_str());
        chunk.text_length = text.size();
        png_set_text(png, info, &chunk, 1);
    }
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePngImage(const std::string& path, const PixelImage& image, const std::string& text) {
    std::string target = toNativePath(path);
    const char* problem = nullptr;
    if (image.empty())
        problem = "the image is empty";
    else if (image.channels < 1 || image.channels > 4 || (image.bitDepth != 8 && image.bitDepth != 0))
        problem = "only 8-bit images with 1 to 4 channels can be written";
    else if (image.rowBytes < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.channels))
        problem = "the rows are shorter than the width";
    else if (image.width > PNG_UINT_31_MAX || image.height > PNG_UINT_31_MAX)
        problem = "the image is too large";
    else if (text.size() > maxChunkBytes)
        problem = "the text is too long to be read back";
    else if (text.find('\0') != std::string::npos)
        problem = "the text holds a zero byte";
    if (problem) {
        std::cerr << "error: could not write PNG file \"" << target << "\": " << problem << std::endl;
        return false;
    }

    // Top row first, as PNG stores it.
    std::vector<png_bytep> rows(image.height);
    for (std::uint32_t i = 0; i < image.height; ++i)
        rows[i] = image.pixels.get() + static_cast<std::size_t>(image.height - 1 - i) * image.rowBytes;

    std::string temporary;
    int fd = createTemporaryBeside(target, temporary);
    if (fd < 0) {
        reportOpenFailure(target, errno);
        return false;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        reportOpenFailure(target, error);
        return false;
    }

    PngErrorText error;
    bool encoded = encodePng(file, image, text, rows, error);
    if (encoded && (std::fflush(file) != 0 || ::fsync(fileno(file)) != 0)) {
        encoded = false;
        std::snprintf(error.message, sizeof(error.message), "%s", std::strerror(errno));
    }
    if (std::fclose(file) != 0 && encoded) {
        encoded = false;
        std::snprintf(error.message, sizeof(error.message), "%s", std::strerror(errno));
    }
    if (encoded && std::rename(temporary.c_str(), target.c_str()) != 0) {
        encoded = false;
        std::snprintf(error.message, sizeof(error.message), "%s", std::strerror(errno));
    }
    if (!encoded) {
        ::unlink(temporary.c_str());
        std::cerr << "error: could not write PNG file \"" << target << "\": " << error.message << std::endl;
    }
    return encoded;
}

PixelImage readBackBuffer() {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    PixelImage image;
    if (viewport[2] <= 0 || viewport[3] <= 0) return image;
    const std::size_t rowBytes = static_cast<std::size_t>(viewport[2]) * 3;
    image.pixels = std::shared_ptr<unsigned char[]>(newPixelBlock(rowBytes, static_cast<std::uint32_t>(viewport[3])));
    if (!image.pixels) {
        std::cerr << "error: out of memory for a " << viewport[2] << "x" << viewport[3] << " screenshot" << std::endl;
        return PixelImage();
    }
    image.width = static_cast<std::uint32_t>(viewport[2]);
    image.height = static_cast<std::uint32_t>(viewport[3]);
    image.channels = 3;
    image.format = GL_RGB;
    image.bitDepth = 8;
    image.rowBytes = rowBytes;

    glReadBuffer(GL_BACK);
    glPixelTransferf(GL_RED_BIAS, 0.0f);
    glPixelTransferf(GL_GREEN_BIAS, 0.0f);
    glPixelTransferf(GL_BLUE_BIAS, 0.0f);
    glPixelTransferf(GL_ALPHA_BIAS, 0.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // glReadPixels delivers the bottom row first, which is the record's own order.
    glReadPixels(viewport[0], viewport[1], viewport[2], viewport[3], GL_RGB, GL_UNSIGNED_BYTE, image.pixels.get());
    return image;
}

bool writePngWithText(const std::string& path, const std::string& text) {
    PixelImage image = readBackBuffer();
    if (image.empty()) {
        std::cerr << "error: could not write PNG file \"" << toNativePath(path)
                  << "\": the viewport is empty or its pixels could not be held" << std::endl;
        return false;
    }
    return writePngImage(path, image, text);
}
