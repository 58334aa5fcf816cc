// The size-limit labels.
#include "ui/SizeLabel.h"

#include "core/SerializeType.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "engine/GameplayMessages.h"
#include "game/GrowShrink.h"
#include "ui/HudLabel.h"

namespace {
const auto& maxSizeLabelType = registerType<MaxSizeLabel>("MaxSizeLabel");
const auto& minSizeLabelType = registerType<MinSizeLabel>("MinSizeLabel");
}  // namespace

float MaxSizeLabel::powerUpLimit(const PowerUpMessage& message) const { return message.maxSize; }
float MinSizeLabel::powerUpLimit(const PowerUpMessage& message) const { return message.minSize; }

void SizeLabel::read(BaseInStream& in, int) { readLabelPart(in, *this); }

void SizeLabel::write(BaseOutStream& out, int) { writeLabelPart(out, *this); }

void SizeLabel::initialize() {
    const bool first = !initialised;
    TextureTextComponent::initialize();
    if (first)
        registerHandler<PowerUpMessage>(MessageType::PowerUp, this, [](SizeLabel& label, PowerUpMessage& message) {
            label.onPowerUp(label.powerUpLimit(message));
        });
    Entity* hero = currentGameState ? currentGameState->rootEntity : nullptr;
    if (GrowShrink* size = hero ? hero->getComponent<GrowShrink>() : nullptr)
        shownSize = heroLimit(size->minSize, size->maxSize);
    showLabelText(*this, labelText());
}

void SizeLabel::onPowerUp(float size) {
    if (!widens(size)) return;
    shownSize = size;
    showLabelText(*this, labelText());
}

std::string SizeLabel::labelText() const { return caption() + streamNumber(shownSize) + "cm"; }
