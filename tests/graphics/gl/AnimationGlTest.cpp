// Sprite-sheet animations with real textures: the record cuts its frames from the sheet in grid or
// placed order, and the component hands the current frame to its entity's Graphics.
#include <gtest/gtest.h>

#include "core/FileReader.h"
#include "core/PngFile.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "graphics/AnimationComponent.h"
#include "graphics/Graphics.h"
#include "graphics/ScopedGameState.h"
#include "graphics/gl/GlContext.h"

namespace {

const char* const sheetPath = "Content/Images/smokyRing.png";

class AnimationGlTest : public GlTest {};

// The alpha of texel (x, y) of level 0.
int alphaAt(const Texture& texture, int x, int y) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(texture.getWidth()) * texture.getHeight() * 4);
    glBindTexture(GL_TEXTURE_2D, texture.getGLName());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return bytes[(y * texture.getWidth() + x) * 4 + 3];
}

std::string gridRecord() {
    std::string record = std::string("Animation 1\n fileName ") + sheetPath +
                         "\n spriteWidth 64 spriteHeight 64 numSprites 1 numRows 2 numColumns 4\n";
    for (int i = 0; i < 8; ++i) record += " timeForSprite " + std::to_string(0.05 + 0.01 * i) + "\n";
    return record + "end\n";
}

TEST_F(AnimationGlTest, GridRecordCutsRowsFromTheBottomLeft) {
    PixelImage sheet = readPngImage(sheetPath);
    ASSERT_FALSE(sheet.empty());
    FileReader in("record", gridRecord());
    Animation animation;
    readValue(in, animation);
    ASSERT_FALSE(in.hasFailed());
    ASSERT_EQ(animation.getFrames().size(), 8u) << "rows times columns, whatever numSprites says";
    ASSERT_EQ(animation.getFrameTimes().size(), 8u);
    EXPECT_FLOAT_EQ(animation.getFrameTimes()[3], 0.08f);
    for (int k = 0; k < 8; ++k) {
        const Texture& frame = animation.getFrames()[k];
        EXPECT_EQ(frame.getWidth(), 64);
        EXPECT_EQ(frame.getHeight(), 64);
        const std::uint32_t x0 = static_cast<std::uint32_t>(k % 4) * 64;
        const std::uint32_t y0 = static_cast<std::uint32_t>(k / 4) * 64;
        for (std::uint32_t y : {10u, 32u, 50u})
            for (std::uint32_t x : {20u, 32u, 45u})
                EXPECT_EQ(alphaAt(frame, static_cast<int>(x), static_cast<int>(y)), sheet.pixels[sheet.offset(x0 + x, y0 + y) + 3])
                    << "frame " << k;
    }
}

TEST_F(AnimationGlTest, PlacedRecordTakesExactlyItsSprites) {
    FileReader in("record", std::string("Animation 0 fileName ") + sheetPath +
                                " spriteWidth 32 spriteHeight 16 numSprites 2 numRows 9 numColumns 9"
                                " timeForSprite 0.5 minX 16 minY 8 timeForSprite 0.25 minX 240 minY 120 end");
    Animation animation;
    readValue(in, animation);
    ASSERT_EQ(animation.getFrames().size(), 2u);
    EXPECT_EQ(animation.getFrames()[0].getWidth(), 32);
    EXPECT_EQ(animation.getFrames()[0].getHeight(), 16);
    // The second sprite runs past the sheet's corner and is clamped to it.
    EXPECT_EQ(animation.getFrames()[1].getWidth(), 16);
    EXPECT_EQ(animation.getFrames()[1].getHeight(), 8);
    EXPECT_FLOAT_EQ(animation.getFrameTimes()[1], 0.25f);
}

TEST_F(AnimationGlTest, ComponentShowsTheCurrentFrame) {
    ScopedGameState state;
    state.add<Texture>("whitePixel", std::make_unique<Texture>(whitePixelImage(), GL_RGBA));
    FileReader in("record", gridRecord());
    auto stored = std::make_unique<Animation>();
    readValue(in, *stored);
    Animation& animation = state.add<Animation>("smokyRingAnimation", std::move(stored));

    Entity entity;
    auto* graphics = new Graphics();
    entity.addComponent(graphics);
    entity.addComponent(new AnimationComponent("smokyRingAnimation"));
    entity.update(0.02f);
    ASSERT_NE(graphics->getTexture(), nullptr);
    EXPECT_EQ(graphics->getTexture()->getGLName(), animation.getFrames()[0].getGLName());
    EXPECT_TRUE(graphics->textureName.empty());
    entity.update(0.04f);
    EXPECT_EQ(graphics->getTexture()->getGLName(), animation.getFrames()[1].getGLName());
    for (int i = 0; i < 7; ++i) entity.update(0.2f);
    EXPECT_EQ(graphics->getTexture()->getGLName(), animation.getFrames()[0].getGLName()) << "wrapped around";
    EXPECT_NE(entity.getComponent<AnimationComponent>(), nullptr);
}

TEST_F(AnimationGlTest, UnreadableSheetGivesWhiteFrames) {
    testing::internal::CaptureStderr();
    FileReader in("record", "Animation 1 fileName Content/Images/noSheet.png spriteWidth 8 spriteHeight 8 "
                            "numRows 1 numColumns 2 timeForSprite 0.1 timeForSprite 0.1 end");
    Animation animation;
    readValue(in, animation);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("noSheet.png"), std::string::npos);
    ASSERT_EQ(animation.getFrames().size(), 2u);
    EXPECT_EQ(animation.getFrames()[0].getWidth(), 1);
    EXPECT_NE(animation.getFrames()[0].getGLName(), 0u);
}

}  // namespace
