// The speed label: the hero's speed without its vertical part.
#include "ui/SpeedLabel.h"

#include <cmath>

#include "core/SerializeType.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "physics/Body.h"
#include "ui/HudLabel.h"

namespace {
const auto& speedLabelType = registerType<SpeedLabel>("SpeedLabel");
}

std::string speedText(float speed) { return "  Speed:\n" + streamNumber(speed) + "cm/s"; }

Component* SpeedLabel::clone() const { return new SpeedLabel(*this); }

void SpeedLabel::read(BaseInStream& in, int) { readLabelPart(in, *this); }

void SpeedLabel::write(BaseOutStream& out, int) { writeLabelPart(out, *this); }

void SpeedLabel::initialize() {
    TextureTextComponent::initialize();
    update(0.0f);
}

void SpeedLabel::update(float) {
    Entity* hero = currentGameState ? currentGameState->rootEntity : nullptr;
    if (!hero || !hero->body) return;
    const Vector4 v = hero->body->velocity;
    speed = std::sqrt(v.x() * v.x() + v.z() * v.z() + v.w() * v.w());
    showLabelText(*this, speedText(speed));
}
