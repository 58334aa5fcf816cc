// The end-of-game trigger: the winding-line pattern, the line fade and its text form.
#include "game/EndOfGameComponent.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "effects/PatternDispenser.h"
#include "effects/StrangeLinePattern.h"
#include "engine/Entity.h"
#include "game/GameplayHelpers.h"
#include "graphics/Graphics.h"

namespace {

const auto& endOfGameType = registerType<EndOfGameComponent>("EndOfGameComponent");

const Field<EndOfGameComponent> endOfGameFields[] = {
    field<&EndOfGameComponent::newLineColor>("newLineColor"),
};

}  // namespace

EndOfGameComponent::EndOfGameComponent(const EndOfGameComponent& other)
    : EndOfFirstPart(other),
      newLineColor(other.newLineColor),
      startLineColor(other.startLineColor),
      lineTriggered(other.lineTriggered) {}

EndOfGameComponent::~EndOfGameComponent() { lineCollisionHandle.release(); }

Component* EndOfGameComponent::clone() const { return new EndOfGameComponent(*this); }

void EndOfGameComponent::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in, EndOfFirstPart::getVersion());
    readPart(in, baseVersion);
    readFields(in, *this, endOfGameFields);
}

void EndOfGameComponent::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, EndOfFirstPart::getVersion(), "EndOfFirstPart");
    writePart(out);
    writeBaseEnd(out);
    writeFields(out, *this, endOfGameFields);
}

void EndOfGameComponent::initialize() {
    EndOfFirstPart::initialize();
    lineCollisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onLineCollision(message); });
}

void EndOfGameComponent::onLineCollision(CollisionMessage& message) {
    if (lineTriggered || disabled) return;
    lineTriggered = true;
    Entity* hero = heroById(message.otherEntityId);
    if (!hero) return;
    if (hero->graphics && !hero->graphics->patterns.empty() && hero->graphics->patterns.front())
        startLineColor = hero->graphics->patterns.front()->color;
    if (PatternDispenser* dispenser = hero->getComponent<PatternDispenser>()) {
        dispenser->setPattern(new StrangeLinePattern(0.5f, 30.0f, -1.0f, 3.0f));
        dispenser->cutOffEnd *= 2.0f;
    }
}

void EndOfGameComponent::update(float dt) {
    const bool fading = triggered && !done;
    EndOfFirstPart::update(dt);
    Entity* hero = heroEntity();
    if (!fading || !hero || !hero->graphics || hero->graphics->patterns.empty()) return;
    Pattern* line = hero->graphics->patterns.front();
    if (!line) return;
    const float f = fadeFraction();
    line->color = startLineColor * (1.0f - f) + newLineColor * f;
}
