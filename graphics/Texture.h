// One OpenGL 2D texture with its full mip chain, built from a decoded or rendered image. Copies share
// the GL texture through the resource count; the last copy deletes it.
#pragma once

#include <string>

#include "core/PngFile.h"
#include "engine/Resource.h"

class BaseInStream;

// A pixel rectangle of an image: columns [minX, maxX), rows [minY, maxY), rows counted upward from
// the picture's bottom edge (row 0 of a decoded image is its bottom row).
struct TextureRect {
    int minX = 0;
    int minY = 0;
    int maxX = 2147483647;
    int maxY = 2147483647;
};

// Brings a rectangle inside an image of the given size: a min beyond the image becomes its last
// column or row, a max beyond it becomes the size, a negative min becomes 0. Returns false (rect
// unusable) when the image is empty or nothing is left once clamped (max at or below min).
bool clampTextureRect(int imageWidth, int imageHeight, TextureRect& rect);
// The pixels of rect (already inside the image) as a new image of the same format.
PixelImage copyImageRect(const PixelImage& image, const TextureRect& rect);
// A 1x1 opaque white RGBA image: what a texture falls back to when its picture is unusable.
PixelImage whitePixelImage();
// True when the image has pixels, a positive size and 1 to 4 channels of 8 bits: what GL is given.
bool isUsableImage(const PixelImage& image);

class Texture : public Resource {
public:
    // No GL texture, 0 x 0 (what the type registry and a missed lookup make).
    Texture();
    // Uploads the image with its mip chain; internalFormat is GL_RGBA for pictures and GL_LUMINANCE_ALPHA
    // for text. An unusable image (no pixels) gives a 1x1 white texture and an error line.
    Texture(const PixelImage& image, unsigned internalFormat);
    Texture(const Texture& other);
    Texture& operator=(const Texture& other);
    ~Texture() override;

    Texture* clone() const override;
    virtual int getVersion() const { return 1; }

    // The whole PNG as an RGBA texture; a file that does not decode gives a 1x1 white texture and an
    // error line naming it.
    static Texture loadFile(const std::string& fileName);
    // A rectangle of the image (clamped into it); a rectangle with nothing inside the image, or an
    // unusable image, gives a 1x1 white texture and an error line.
    static Texture loadSubImage(const PixelImage& image, int minX, int minY, int maxX, int maxY);

    unsigned getGLName() const { return glName; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    // False when some texel is see-through (alpha below 255): then a surface drawn with it can blend
    // with what lies behind even at full colour alpha.
    bool isOpaque() const { return opaque; }

    // Linear magnification, trilinear minification, clamped edges, 4x anisotropy (where the driver
    // has it).
    void setParameters();

    // The record of a resource file (see readTextureFields); a texture is never written.
    void read(BaseInStream& in, int version);

private:
    void releaseTexture();

    unsigned glName = 0;
    int width = 0;
    int height = 0;
    bool opaque = true;
};

// Reads a texture record ("fileName", "minX", "minY", "maxX", "maxY"; positional at version 0) and
// makes texture hold the picture it names.
void readTextureFields(BaseInStream& in, Texture& texture, int version);
