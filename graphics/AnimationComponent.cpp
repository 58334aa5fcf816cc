// Playing a sprite animation on an entity's Graphics.
#include "graphics/AnimationComponent.h"

#include <iostream>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/Graphics.h"

namespace {
const auto& animationComponentType = registerType<AnimationComponent>("AnimationComponent");

// The running state's animation of that name; with no state running, a default one (reported like
// any missing resource).
const Animation& lookUpAnimation(const std::string& name) {
    if (currentGameState) return currentGameState->get<Animation>(name);
    static const Animation none;
    std::cerr << "error: tried to load a resource that doesn't exist" << std::endl;
    return none;
}
}  // namespace

AnimationComponent::AnimationComponent(const std::string& animationName) {
    setAnimation(animationName);
}

AnimationComponent::AnimationComponent(const AnimationComponent& other)
    : Component(other), currentAnimationName(other.currentAnimationName), animation(other.animation) {}

AnimationComponent::~AnimationComponent() = default;

AnimationComponent* AnimationComponent::clone() const {
    return new AnimationComponent(*this);
}

const auto& AnimationComponent::fields() {
    static constexpr Field<AnimationComponent> table[] = {
        field<&AnimationComponent::currentAnimationName>("currentAnimationName"),
    };
    return table;
}

void AnimationComponent::read(BaseInStream& in, int version) {
    readBaseHeader(in);
    readComponentFields(in, *this);
    readFields(in, *this, fields());
}

void AnimationComponent::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, 0, "Component");
    writeComponentFields(out, *this);
    writeBaseEnd(out);
    writeFields(out, *this, fields());
}

void AnimationComponent::initialize() {
    Component::initialize();
    setAnimation(currentAnimationName);
}

void AnimationComponent::setAnimation(const std::string& name) {
    currentAnimationName = name;
    const Animation& stored = lookUpAnimation(name);
    // The stored animation is never played, so the copy starts at its first frame.
    if (&stored != &animation) animation = stored;
}

void AnimationComponent::update(float dt) {
    animation.update(dt);
    const auto& frames = animation.getFrames();
    if (frames.empty()) return;
    Entity* entity = getOwner();
    if (!entity) return;
    if (Graphics* graphics = entity->graphics) {
        const Texture& frame = frames[animation.getCurrentFrame()];
        // A Graphics already holding this frame's GL texture keeps its copy (saves a copy per
        // particle and frame).
        const bool showing = frame.getGLName() != 0 && graphics->texture &&
                             graphics->texture->getGLName() == frame.getGLName() && graphics->textureName.empty();
        if (!showing) graphics->setTexture(frame);
    }
    // A single frame is set once; the component then leaves its entity.
    if (frames.size() == 1) entity->removeComponent(this);
}
