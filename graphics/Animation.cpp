// Sprite animations: frame timing and the sprite-sheet record that cuts the frames.
#include "graphics/Animation.h"

#include <GL/glew.h>

#include <iostream>

#include "core/SerializeType.h"
#include "core/TextFormat.h"

namespace {
const auto& animationType = registerType<Animation>("Animation");

// Reads one keyed value; a different key is pushed back and leaves the value as it was. False at
// "end" (pushed back too) or when the input has run out.
template <class T>
bool readExpectedKey(BaseInStream& in, const char* key, T& value) {
    std::string token;
    if (!nextToken(in, token)) return false;
    if (token != key) {
        in.unget(token);
        return false;
    }
    readValue(in, value);
    in.attributes.clear();
    return true;
}
// True at the record's closing "end" or when the input has run out (nothing is consumed).
bool atRecordEnd(BaseInStream& in) {
    if (in.hasFailed()) return true;
    std::string token;
    if (!nextToken(in, token)) return true;
    in.unget(token);
    return token == "end";
}
}  // namespace

TextureRect spriteGridRect(const SpriteSheetLayout& layout, long long index) {
    const int row = static_cast<int>(index / layout.numColumns);
    const int column = static_cast<int>(index % layout.numColumns);
    TextureRect rect;
    rect.minX = column * layout.spriteWidth;
    rect.minY = row * layout.spriteHeight;
    rect.maxX = (column + 1) * layout.spriteWidth;
    rect.maxY = (row + 1) * layout.spriteHeight;
    return rect;
}

long long spriteGridCount(const SpriteSheetLayout& layout) {
    if (layout.numRows <= 0 || layout.numColumns <= 0) return 0;
    return static_cast<long long>(layout.numRows) * layout.numColumns;
}

std::vector<TextureRect> spriteGridRects(const SpriteSheetLayout& layout) {
    std::vector<TextureRect> rects;
    const long long count = spriteGridCount(layout);
    for (long long i = 0; i < count; ++i) rects.push_back(spriteGridRect(layout, i));
    return rects;
}

Animation& Animation::operator=(const Animation& other) {
    if (this == &other) return *this;
    shareFrom(other);
    frames = other.frames;
    frameTimes = other.frameTimes;
    frameTime = other.frameTime;
    currentFrame = other.currentFrame;
    return *this;
}

Animation::~Animation() {
    release();
}

Animation* Animation::clone() const {
    return new Animation(*this);
}

void Animation::update(float dt) {
    if (frameTimes.empty()) return;
    frameTime += dt;
    if (currentFrame >= frameTimes.size()) currentFrame = 0;
    if (frameTimes[currentFrame] < frameTime) {
        frameTime -= frameTimes[currentFrame];
        currentFrame = static_cast<unsigned>((currentFrame + 1) % frameTimes.size());
    }
}

void Animation::addFrame(const Texture& frame, float seconds) {
    frameTimes.push_back(seconds);
    frames.push_back(frame);
}

void Animation::read(BaseInStream& in, int version) {
    std::string fileName;
    SpriteSheetLayout layout;
    std::string key;
    // The header keys come in a fixed order, each optional.
    readExpectedKey(in, "fileName", fileName);
    readExpectedKey(in, "spriteWidth", layout.spriteWidth);
    readExpectedKey(in, "spriteHeight", layout.spriteHeight);
    readExpectedKey(in, "numSprites", layout.numSprites);
    readExpectedKey(in, "numRows", layout.numRows);
    readExpectedKey(in, "numColumns", layout.numColumns);

    PixelImage sheet = readPngImage(fileName);
    if (!isUsableImage(sheet))
        std::cerr << "error: animation sheet \"" << fileName << "\" has no usable image; its frames are white" << std::endl;

    const bool usable = isUsableImage(sheet);
    const Texture white = usable ? Texture() : Texture(whitePixelImage(), GL_RGBA);
    auto addCut = [&](const TextureRect& r, float seconds) {
        if (usable) addFrame(Texture::loadSubImage(sheet, r.minX, r.minY, r.maxX, r.maxY), seconds);
        else addFrame(white, seconds);
    };
    // Frames are read while the record has them: counts larger than the record stop at its "end".
    const long long count = version == 0 ? layout.numSprites : spriteGridCount(layout);
    for (long long i = 0; i < count && !atRecordEnd(in); ++i) {
        float seconds = 0.0f;
        readExpectedKey(in, "timeForSprite", seconds);
        if (version == 0) {
            int minX = 0;
            int minY = 0;
            readExpectedKey(in, "minX", minX);
            readExpectedKey(in, "minY", minY);
            addCut(TextureRect{minX, minY, minX + layout.spriteWidth, minY + layout.spriteHeight}, seconds);
        } else {
            addCut(spriteGridRect(layout, i), seconds);
        }
    }
    // The record closes with "end".
    while (readKey(in, key)) {
        skipUnknownKey(in, key);
    }
}
