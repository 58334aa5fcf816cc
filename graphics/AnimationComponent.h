// Plays one sprite animation on its entity: every update the entity's Graphics gets the current
// frame's texture. A one-frame animation sets its texture once and then removes itself.
#pragma once

#include <string>

#include "engine/Component.h"
#include "graphics/Animation.h"

class AnimationComponent : public Component {
public:
    AnimationComponent() = default;
    // Plays the named animation of the current game state's resources.
    explicit AnimationComponent(const std::string& animationName);
    AnimationComponent(const AnimationComponent& other);
    ~AnimationComponent() override;

    AnimationComponent* clone() const override;
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // The keys of the class part, in the order they are written (defined beside read).
    static const auto& fields();
    void initialize() override;
    void update(float dt) override;

    // Takes a fresh playing copy of the named animation (from frame 0).
    void setAnimation(const std::string& name);
    const std::string& getAnimationName() const { return currentAnimationName; }
    const Animation& getAnimation() const { return animation; }

private:
    std::string currentAnimationName;
    Animation animation;
};
