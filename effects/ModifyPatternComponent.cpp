// The pattern modifier's wave step and text.
#include "effects/ModifyPatternComponent.h"

#include <cmath>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "effects/Pattern.h"
#include "engine/Entity.h"
#include "graphics/Graphics.h"

namespace {

const auto& modifierType = registerType<ModifyPatternComponent>("ModifyPatternComponent");

const Field<ModifyPatternComponent> modifierFields[] = {
    field<&ModifyPatternComponent::whichPattern>("whichPattern"),
    field<&ModifyPatternComponent::whichParameter>("whichParameter"),
    field<&ModifyPatternComponent::amplitude>("amplitude"),
    field<&ModifyPatternComponent::waveLength>("waveLength"),
    field<&ModifyPatternComponent::pointAlongWave>("pointAlongWave"),
};

}  // namespace

ModifyPatternComponent* ModifyPatternComponent::clone() const { return new ModifyPatternComponent(*this); }

void ModifyPatternComponent::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFields(in, *this, modifierFields);
}

void ModifyPatternComponent::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeFields(out, *this, modifierFields);
}

void ModifyPatternComponent::update(float dt) {
    Entity* entity = getOwner();
    Graphics* graphics = entity ? entity->graphics : nullptr;
    if (!graphics || whichPattern < 0) return;
    if (static_cast<std::size_t>(whichPattern) >= graphics->patterns.size()) return;
    Pattern* pattern = graphics->patterns[static_cast<std::size_t>(whichPattern)];
    if (!pattern) return;
    // An index outside the block would write past it, and a wave length of 0 divides by zero and
    // would store NaN that a save writes out.
    if (whichParameter < 0 || whichParameter >= Pattern::parameterCount) return;
    if (waveLength == 0.0f || std::isnan(waveLength)) return;

    constexpr float twoPi = 6.2831855f;
    constexpr float pi = 3.1415927f;
    const float advanced = pointAlongWave + dt;
    const float x = advanced * twoPi / waveLength;
    const float s = std::sin(x);
    const float step = s * amplitude * pi * dt / waveLength;
    float& parameter = pattern->getParameters()[whichParameter];
    const float value = parameter + step;
    // A step that is not a number (an infinite amplitude) would poison the parameter for good.
    if (std::isnan(value)) return;
    pointAlongWave = advanced;
    parameter = value;
}
