// Playing named animations on an entity: the text form, a missing animation, and the one-frame
// animation that sets its texture once and leaves. (Which frame is shown is checked with real
// textures in the GL tests.)
#include <gtest/gtest.h>

#include <sstream>

#include "core/FileReader.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "graphics/AnimationComponent.h"
#include "graphics/Graphics.h"
#include "graphics/ScopedGameState.h"

namespace {

std::unique_ptr<Animation> animationWithFrames(int count, float seconds) {
    auto animation = std::make_unique<Animation>();
    for (int i = 0; i < count; ++i) animation->addFrame(Texture(), seconds);
    return animation;
}

class AnimationComponentTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.add<Texture>("whitePixel", std::make_unique<Texture>());
        graphics = new Graphics();
        entity.addComponent(graphics);
    }

    ScopedGameState state;
    Entity entity;
    Graphics* graphics = nullptr;
};

TEST_F(AnimationComponentTest, MissingAnimationIsReportedOncePerLookupAndChangesNothing) {
    testing::internal::CaptureStderr();
    auto* component = new AnimationComponent("noSuchAnimation");
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("error: tried to load a resource that doesn't exist"), std::string::npos);
    Texture* before = graphics->texture;
    const std::string nameBefore = graphics->textureName;

    testing::internal::CaptureStderr();
    entity.addComponent(component);  // initialising looks the name up once more
    entity.update(0.5f);
    entity.update(0.5f);
    log = testing::internal::GetCapturedStderr();
    std::size_t lines = 0;
    for (std::size_t at = log.find("doesn't exist"); at != std::string::npos; at = log.find("doesn't exist", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u);
    EXPECT_EQ(graphics->texture, before);
    EXPECT_EQ(graphics->textureName, nameBefore);
    EXPECT_EQ(entity.getComponent<AnimationComponent>(), component);
}

TEST_F(AnimationComponentTest, OneFrameAnimationSetsItsTextureOnceAndLeaves) {
    Animation& stored = state.add<Animation>("flash", animationWithFrames(1, 0.1f));
    entity.addComponent(new AnimationComponent("flash"));
    EXPECT_EQ(stored.getFrames()[0].useCount(), 2) << "the component plays its own copy";
    entity.update(0.016f);
    EXPECT_TRUE(graphics->textureName.empty());
    ASSERT_NE(graphics->texture, nullptr);
    // The component left at the end of the update, taking its copy; the Graphics shares the frame.
    EXPECT_EQ(entity.getComponent<AnimationComponent>(), nullptr);
    EXPECT_EQ(stored.getFrames()[0].useCount(), 2);
    EXPECT_EQ(graphics->texture->useCount(), 2);
    entity.update(0.016f);
    EXPECT_EQ(stored.getFrames()[0].useCount(), 2);
}

TEST_F(AnimationComponentTest, PlaysItsOwnCopyFromTheFirstFrame) {
    Animation& stored = state.add<Animation>("spin", animationWithFrames(3, 0.1f));
    // The stored animation is never played; if it were, copies would not start at frame 0.
    stored.update(0.15f);
    auto* component = new AnimationComponent("spin");
    EXPECT_EQ(component->getAnimation().getCurrentFrame(), 1u);
    entity.addComponent(component);
    EXPECT_EQ(component->getAnimation().getFrames().size(), 3u);
    EXPECT_EQ(component->getAnimation().getName(), "spin");
    entity.update(0.05f);
    EXPECT_EQ(entity.getComponent<AnimationComponent>(), component) << "several frames keep playing";

    std::unique_ptr<AnimationComponent> copy(component->clone());
    EXPECT_FALSE(copy->initialised);
    EXPECT_EQ(copy->getAnimationName(), "spin");
    EXPECT_EQ(copy->getAnimation().getCurrentFrame(), component->getAnimation().getCurrentFrame());
}

TEST_F(AnimationComponentTest, TextFormKeepsTheNameAndTheComponentPart) {
    FileReader in("record", "AnimationComponent 0\n 0 Component\n  disabled 1\n end\n currentAnimationName smokyRingAnimation\nend\n");
    AnimationComponent component;
    readValue(in, component);
    ASSERT_FALSE(in.hasFailed());
    EXPECT_TRUE(component.disabled);
    EXPECT_EQ(component.getAnimationName(), "smokyRingAnimation");

    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeValue(out, component);
    }
    FileReader back("written", text.str());
    AnimationComponent again;
    readValue(back, again);
    EXPECT_FALSE(back.hasFailed()) << text.str();
    EXPECT_TRUE(again.disabled);
    EXPECT_EQ(again.getAnimationName(), "smokyRingAnimation");
    EXPECT_EQ(text.str().rfind("AnimationComponent", 0), 0u);
}

}  // namespace
