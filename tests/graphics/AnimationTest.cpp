// Frame timing of sprite animations: a frame is left only when its time is strictly exceeded, at most
// one frame per update, wrapping after the last.
#include <gtest/gtest.h>

#include "graphics/Animation.h"

namespace {

Animation animationWithTimes(std::initializer_list<float> times) {
    Animation animation;
    for (float t : times) animation.addFrame(Texture(), t);
    return animation;
}

TEST(AnimationTiming, FrameEndsOnlyWhenItsTimeIsExceeded) {
    Animation animation = animationWithTimes({0.1f, 0.1f});
    animation.update(0.1f);
    EXPECT_EQ(animation.getCurrentFrame(), 0u);
    EXPECT_FLOAT_EQ(animation.getFrameTime(), 0.1f);
    animation.update(0.1f);
    EXPECT_EQ(animation.getCurrentFrame(), 1u);
    EXPECT_NEAR(animation.getFrameTime(), 0.1f, 1e-6f);
}

TEST(AnimationTiming, LongStepsAdvanceOneFrameAtATime) {
    Animation animation = animationWithTimes({0.1f, 0.1f, 0.1f});
    animation.update(1.0f);
    EXPECT_EQ(animation.getCurrentFrame(), 1u);
    EXPECT_NEAR(animation.getFrameTime(), 0.9f, 1e-6f);
    animation.update(0.0f);
    EXPECT_EQ(animation.getCurrentFrame(), 2u);
    animation.update(0.0f);
    EXPECT_EQ(animation.getCurrentFrame(), 0u) << "wraps after the last frame";
    EXPECT_NEAR(animation.getFrameTime(), 0.7f, 1e-5f);
}

TEST(AnimationTiming, EmptyAnimationsStandStill) {
    Animation animation;
    animation.update(5.0f);
    EXPECT_EQ(animation.getCurrentFrame(), 0u);
    EXPECT_EQ(animation.getFrameTime(), 0.0f);
}

TEST(AnimationTiming, CopiesPlayOnTheirOwnButShareTheResource) {
    Animation original = animationWithTimes({0.5f, 0.5f});
    Animation copy(original);
    EXPECT_EQ(original.useCount(), 2);
    copy.update(0.6f);
    EXPECT_EQ(copy.getCurrentFrame(), 1u);
    EXPECT_EQ(original.getCurrentFrame(), 0u);
    original.setName("spin");
    EXPECT_EQ(copy.getName(), "spin");
    {
        std::unique_ptr<Animation> clone(copy.clone());
        EXPECT_EQ(original.useCount(), 3);
        EXPECT_EQ(clone->getCurrentFrame(), 1u);
    }
    EXPECT_EQ(original.useCount(), 2);
    Animation other = animationWithTimes({1.0f});
    other = original;
    EXPECT_EQ(original.useCount(), 3);
    EXPECT_EQ(other.getFrameTimes().size(), 2u);
}

}  // namespace
