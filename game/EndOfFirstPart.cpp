// The end-of-first-part fade, its arrow message, its info text and its text form.
#include "game/EndOfFirstPart.h"

#include <cmath>
#include <limits>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "effects/Pattern.h"
#include "effects/PatternDispenser.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/GameplayMessages.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "game/GameplayHelpers.h"
#include "graphics/Graphics.h"

namespace {

const auto& endOfFirstPartType = registerType<EndOfFirstPart>("EndOfFirstPart");

const Field<EndOfFirstPart> endOfFirstPartFields[] = {
    field<&EndOfFirstPart::targetDiffuseColor>("targetDiffuseColor"),
    field<&EndOfFirstPart::targetSpecularColor>("targetSpecularColor"),
    field<&EndOfFirstPart::newPatternColor>("newPatternColor"),
    field<&EndOfFirstPart::time>("time"),
    field<&EndOfFirstPart::message>("message"),
    field<&EndOfFirstPart::changeArrowColor>("changeArrowColor"),
};

Vector4 mix(const Vector4& a, const Vector4& b, float f) { return a * (1.0f - f) + b * f; }

Pattern* dispensedPattern(Entity& hero) {
    PatternDispenser* dispenser = hero.getComponent<PatternDispenser>();
    return dispenser ? dispenser->pattern : nullptr;
}

}  // namespace

EndOfFirstPart::EndOfFirstPart(const EndOfFirstPart& other)
    : Component(other),
      EventHandler(),
      startDiffuseColor(other.startDiffuseColor),
      startSpecularColor(other.startSpecularColor),
      targetDiffuseColor(other.targetDiffuseColor),
      targetSpecularColor(other.targetSpecularColor),
      startPatternColor(other.startPatternColor),
      newPatternColor(other.newPatternColor),
      time(other.time),
      triggered(other.triggered),
      changeArrowColor(other.changeArrowColor),
      message(other.message),
      startTime(other.startTime),
      done(other.done) {}

EndOfFirstPart::~EndOfFirstPart() { collisionHandle.release(); }

Component* EndOfFirstPart::clone() const { return new EndOfFirstPart(*this); }

void EndOfFirstPart::read(BaseInStream& in, int version) { readPart(in, version); }

void EndOfFirstPart::write(BaseOutStream& out, int version) { writePart(out); }

void EndOfFirstPart::readPart(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    if (version >= 1) {
        readFields(in, *this, endOfFirstPartFields);
        return;
    }
    // The old form had one target colour for both; without it both take the diffuse one held before.
    const Vector4 before = targetDiffuseColor;
    const float unset = std::numeric_limits<float>::quiet_NaN();
    targetColor = Vector4(unset, unset, unset, unset);
    static const Field<EndOfFirstPart> oldFields[] = {
        field<&EndOfFirstPart::targetColor>("targetColor"),
        field<&EndOfFirstPart::targetDiffuseColor>("targetDiffuseColor"),
        field<&EndOfFirstPart::targetSpecularColor>("targetSpecularColor"),
        field<&EndOfFirstPart::newPatternColor>("newPatternColor"),
        field<&EndOfFirstPart::time>("time"),
        field<&EndOfFirstPart::message>("message"),
        field<&EndOfFirstPart::changeArrowColor>("changeArrowColor"),
    };
    readFields(in, *this, oldFields);
    const Vector4 target = std::isnan(targetColor.x()) ? before : targetColor;
    targetDiffuseColor = target;
    targetSpecularColor = target;
}

void EndOfFirstPart::writePart(BaseOutStream& out) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeFields(out, *this, endOfFirstPartFields);
}

void EndOfFirstPart::initialize() {
    Component::initialize();
    if (!triggered)
        collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
}

void EndOfFirstPart::onCollision(CollisionMessage& contact) {
    if (triggered || disabled) return;
    Entity* hero = heroById(contact.otherEntityId);
    if (!hero) return;
    triggered = true;
    startTime = currentTime;
    if (hero->graphics) {
        startDiffuseColor = getDrawColor(*hero->graphics);
        startSpecularColor = getDrawSpecularColor(*hero->graphics);
    }
    collisionHandle.release();
    if (Pattern* pattern = dispensedPattern(*hero)) startPatternColor = pattern->color;
    if (changeArrowColor) sendMessage(new EndOfFirstPartMessage(targetDiffuseColor, targetSpecularColor));
}

float EndOfFirstPart::fadeFraction() const {
    float f = static_cast<float>(currentTime - startTime) / time;
    if (!(time > 0.0f) || !(f < 1.0f)) f = 1.0f;
    return f < 0.0f ? 0.0f : f;
}

void EndOfFirstPart::update(float) {
    if (!triggered || done) return;
    Entity* hero = heroEntity();
    if (!hero) return;
    const float f = fadeFraction();
    if (hero->graphics) {
        hero->graphics->diffuseColor = mix(startDiffuseColor, targetDiffuseColor, f);
        hero->graphics->specularColor = mix(startSpecularColor, targetSpecularColor, f);
    }
    if (Pattern* pattern = dispensedPattern(*hero)) pattern->color = mix(startPatternColor, newPatternColor, f);
    if (f != 1.0f) return;
    done = true;
    if (!message.empty()) sendMessage(new InfoMessage(message));
    if (currentGameState && getOwner()) currentGameState->removeEntity(getOwner());
}
