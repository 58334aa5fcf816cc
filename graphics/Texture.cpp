// GL textures from decoded and rendered images, the clamped sub-rectangles cut from sprite sheets, and
// the "Texture" resource record.
#include "graphics/Texture.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <iostream>

#include "core/SerializeType.h"
#include "core/TextFormat.h"

namespace {

const auto& textureType = registerType<Texture>("Texture");

// The GL extension constant, spelled out so that no extension header is needed.
constexpr GLenum maxAnisotropy = 0x84FE;

// Mesa's software rasteriser (llvmpipe) can spin without end sampling some fragments anisotropically:
// the game froze in the middle of a frame about once a minute of play. There textures are filtered
// trilinearly only.
bool anisotropyIsSafe() {
    const GLubyte* renderer = glGetString(GL_RENDERER);
    return !(renderer && std::strstr(reinterpret_cast<const char*>(renderer), "llvmpipe"));
}

void reportRect(const char* problem, const TextureRect& rect, const PixelImage& image) {
    std::cerr << "error: texture rectangle (" << rect.minX << ", " << rect.minY << ") to (" << rect.maxX << ", "
              << rect.maxY << ") " << problem << " the " << image.width << " x " << image.height << " image"
              << std::endl;
}

}  // namespace

bool isUsableImage(const PixelImage& image) {
    return !image.empty() && image.channels >= 1 && image.channels <= 4 && image.bitDepth == 8 &&
           image.format != 0 && image.rowBytes >= static_cast<std::size_t>(image.width) * image.channels;
}

bool clampTextureRect(int imageWidth, int imageHeight, TextureRect& rect) {
    if (imageWidth <= 0 || imageHeight <= 0) return false;
    rect.minX = std::clamp(rect.minX, 0, imageWidth - 1);
    rect.minY = std::clamp(rect.minY, 0, imageHeight - 1);
    rect.maxX = std::min(rect.maxX, imageWidth);
    rect.maxY = std::min(rect.maxY, imageHeight);
    return rect.maxX > rect.minX && rect.maxY > rect.minY;
}

PixelImage copyImageRect(const PixelImage& image, const TextureRect& rect) {
    const std::size_t pixelBytes = static_cast<std::size_t>(image.channels);
    const std::size_t w = static_cast<std::size_t>(rect.maxX - rect.minX);
    const std::size_t h = static_cast<std::size_t>(rect.maxY - rect.minY);
    const std::size_t rowBytes = w * pixelBytes;
    PixelImage result;
    result.pixels = std::shared_ptr<unsigned char[]>(newPixelBlock(rowBytes, static_cast<std::uint32_t>(h)));
    if (!result.pixels) {
        std::cerr << "error: out of memory for a " << w << "x" << h << " copy of a texture rectangle" << std::endl;
        return PixelImage();
    }
    for (std::size_t r = 0; r < h; ++r) {
        const unsigned char* source =
            image.pixels.get() + (static_cast<std::size_t>(rect.minY) + r) * image.rowBytes + rect.minX * pixelBytes;
        std::memcpy(result.pixels.get() + r * rowBytes, source, rowBytes);
    }
    result.width = static_cast<std::uint32_t>(w);
    result.height = static_cast<std::uint32_t>(h);
    result.channels = image.channels;
    result.format = image.format;
    result.bitDepth = image.bitDepth;
    result.rowBytes = rowBytes;
    return result;
}

PixelImage whitePixelImage() {
    PixelImage image;
    image.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[4]{255, 255, 255, 255});
    image.width = 1;
    image.height = 1;
    image.channels = 4;
    image.format = GL_RGBA;
    image.bitDepth = 8;
    image.rowBytes = 4;
    return image;
}

Texture::Texture() = default;

namespace {

// Whether an 8-bit image with an alpha channel (grey and alpha, or RGBA) has a texel below full alpha.
bool hasSeeThroughTexel(const PixelImage& image) {
    if (image.channels != 2 && image.channels != 4) return false;
    const std::size_t step = static_cast<std::size_t>(image.channels);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const unsigned char* row = image.pixels.get() + image.rowBytes * y;
        for (std::size_t i = step - 1; i < step * image.width; i += step)
            if (row[i] != 255) return true;
    }
    return false;
}

}  // namespace

Texture::Texture(const PixelImage& source, unsigned internalFormat) {
    PixelImage fallback;
    const PixelImage* image = &source;
    if (!isUsableImage(source)) {
        std::cerr << "error: texture image has no usable pixels (" << source.width << " x " << source.height << ", "
                  << source.channels << " channels of " << source.bitDepth << " bits); drawn white instead"
                  << std::endl;
        fallback = whitePixelImage();
        image = &fallback;
        internalFormat = GL_RGBA;
    }
    width = static_cast<int>(image->width);
    height = static_cast<int>(image->height);
    opaque = !hasSeeThroughTexel(*image);
    // A program that only reads data (a converter, a fuzzer) has no current context: GL calls would do
    // nothing and GLU's version check would read a null string, so nothing is uploaded.
    if (!glGetString(GL_VERSION)) {
        std::cerr << "error: a " << image->width << " x " << image->height
                  << " texture was not uploaded: there is no OpenGL context" << std::endl;
        return;
    }
    // GL and GLU read the rows tightly packed (unpack alignment 1): padded rows are packed first.
    PixelImage packed;
    if (image->rowBytes != static_cast<std::size_t>(image->width) * image->channels) {
        packed = copyImageRect(*image, TextureRect{0, 0, width, height});
        // Reported by the copy; GL must not be handed its missing pixels.
        if (packed.empty()) {
            packed = whitePixelImage();
            internalFormat = GL_RGBA;
            width = height = 1;
            opaque = true;
        }
        image = &packed;
    }
    glGenTextures(1, &glName);
    glBindTexture(GL_TEXTURE_2D, glName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const GLint result =
        gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(internalFormat), static_cast<GLsizei>(image->width),
                          static_cast<GLsizei>(image->height), image->format, GL_UNSIGNED_BYTE, image->pixels.get());
    if (result != 0) {
        const GLubyte* reason = gluErrorString(static_cast<GLenum>(result));
        std::cerr << "error: a " << image->width << " x " << image->height << " texture could not be uploaded: "
                  << (reason ? reinterpret_cast<const char*>(reason) : "unknown GLU error") << std::endl;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    setParameters();
}

Texture::Texture(const Texture& other)
    : Resource(other), glName(other.glName), width(other.width), height(other.height), opaque(other.opaque) {}

Texture& Texture::operator=(const Texture& other) {
    if (this == &other) return *this;
    const unsigned previous = glName;
    if (shareFrom(other) && previous != 0) glDeleteTextures(1, &previous);
    glName = other.glName;
    width = other.width;
    height = other.height;
    opaque = other.opaque;
    return *this;
}

Texture::~Texture() {
    releaseTexture();
}

void Texture::releaseTexture() {
    if (release() && glName != 0) glDeleteTextures(1, &glName);
}

Texture* Texture::clone() const {
    return new Texture(*this);
}

void Texture::setParameters() {
    glBindTexture(GL_TEXTURE_2D, glName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    // Asked for only where the driver has it, so that no GL error is left behind.
    if (GLEW_EXT_texture_filter_anisotropic && anisotropyIsSafe()) glTexParameterf(GL_TEXTURE_2D, maxAnisotropy, 4.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
}

Texture Texture::loadFile(const std::string& fileName) {
    PixelImage image = readPngImage(fileName);
    if (!isUsableImage(image)) {
        std::cerr << "error: texture \"" << fileName << "\" has no usable image; drawn white instead" << std::endl;
        return Texture(whitePixelImage(), GL_RGBA);
    }
    return Texture(image, GL_RGBA);
}

Texture Texture::loadSubImage(const PixelImage& image, int minX, int minY, int maxX, int maxY) {
    if (!isUsableImage(image)) return Texture(image, GL_RGBA);
    TextureRect rect{minX, minY, maxX, maxY};
    const TextureRect asked = rect;
    if (!clampTextureRect(static_cast<int>(image.width), static_cast<int>(image.height), rect)) {
        reportRect("has nothing inside", asked, image);
        return Texture(whitePixelImage(), GL_RGBA);
    }
    if (asked.minX < 0 || asked.minY < 0) reportRect("was clamped into", asked, image);
    const PixelImage cut = copyImageRect(image, rect);
    // A copy that could not be held is reported already.
    return Texture(cut.empty() ? whitePixelImage() : cut, GL_RGBA);
}

void Texture::read(BaseInStream& in, int version) {
    readTextureFields(in, *this, version);
}

void readTextureFields(BaseInStream& in, Texture& texture, int version) {
    std::string fileName;
    TextureRect rect;
    if (version == 0) {
        readValue(in, fileName);
        readValue(in, rect.minX);
        readValue(in, rect.minY);
        readValue(in, rect.maxX);
        readValue(in, rect.maxY);
    } else {
        // Hand-written: the keys fill locals that decide, after the part, which texture to load.
        std::string key;
        while (readKey(in, key)) {
            if (key == "fileName") readValue(in, fileName);
            else if (key == "minX") readValue(in, rect.minX);
            else if (key == "minY") readValue(in, rect.minY);
            else if (key == "maxX") readValue(in, rect.maxX);
            else if (key == "maxY") readValue(in, rect.maxY);
            else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
        }
    }
    const TextureRect whole;
    if (rect.minX == whole.minX && rect.minY == whole.minY && rect.maxX == whole.maxX && rect.maxY == whole.maxY) {
        texture = Texture::loadFile(fileName);
    } else {
        PixelImage image = readPngImage(fileName);
        if (!isUsableImage(image)) {
            std::cerr << "error: texture \"" << fileName << "\" has no usable image; drawn white instead" << std::endl;
            texture = Texture(whitePixelImage(), GL_RGBA);
        } else {
            texture = Texture::loadSubImage(image, rect.minX, rect.minY, rect.maxX, rect.maxY);
        }
    }
}
