// A sprite animation: frames cut from one PNG sprite sheet, each a Texture with its own display time.
// Copies share the resource count and the frames' GL textures; each copy plays on its own.
#pragma once

#include <vector>

#include "engine/Resource.h"
#include "graphics/Texture.h"

class BaseInStream;

// How a sprite sheet record places its frames.
struct SpriteSheetLayout {
    int spriteWidth = 0;
    int spriteHeight = 0;
    int numSprites = 0;
    int numRows = 0;
    int numColumns = 0;
};

// The frames of a regular grid, row by row from the sheet's bottom-left corner: numRows x numColumns
// rectangles (none when either count is 0 or below).
long long spriteGridCount(const SpriteSheetLayout& layout);
TextureRect spriteGridRect(const SpriteSheetLayout& layout, long long index);
std::vector<TextureRect> spriteGridRects(const SpriteSheetLayout& layout);

class Animation : public Resource {
public:
    Animation() = default;
    Animation(const Animation& other) = default;
    Animation& operator=(const Animation& other);
    ~Animation() override;

    Animation* clone() const override;
    virtual int getVersion() const { return 1; }

    // Spends dt in the current frame; when the frame's time is strictly exceeded, moves on by one
    // frame (never more per call) and wraps after the last.
    void update(float dt);

    // Appends a frame shown for the given seconds.
    void addFrame(const Texture& frame, float seconds);

    const std::vector<Texture>& getFrames() const { return frames; }
    const std::vector<float>& getFrameTimes() const { return frameTimes; }
    float getFrameTime() const { return frameTime; }
    unsigned getCurrentFrame() const { return currentFrame; }

    // The sprite-sheet record after the class name and version: "fileName", "spriteWidth",
    // "spriteHeight", "numSprites", "numRows", "numColumns", then per frame "timeForSprite" (and, at
    // version 0, "minX" and "minY").
    virtual void read(BaseInStream& in, int version);

private:
    std::vector<Texture> frames;
    std::vector<float> frameTimes;
    float frameTime = 0.0f;
    unsigned currentFrame = 0;
};
