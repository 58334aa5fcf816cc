// The HUD labels of the hero's size limits: MaxSizeLabel shows the largest size the hero may grow to,
// MinSizeLabel the smallest it may shrink to. Both start from the hero's limits and follow power-ups,
// which only ever widen them.
#pragma once

#include "engine/EventHandler.h"
#include "ui/TextureTextComponent.h"

class PowerUpMessage;

class SizeLabel : public TextureTextComponent, public EventHandler {
public:
    SizeLabel(const SizeLabel& other) : TextureTextComponent(other), EventHandler(other), shownSize(other.shownSize) {}

    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Renders, follows power-ups, and shows the hero's limit (100 when the hero has no size).
    void initialize() override;
    // Labels change only when a limit moves.
    void update(float dt) override {}

    // The limit a power-up brings; shown when it lies further out than the one on show.
    void onPowerUp(float size);
    // The caption and the size in "cm".
    std::string labelText() const;

    float shownSize = 100.0f;

protected:
    SizeLabel() = default;
    virtual const char* caption() const = 0;
    // Whether the new limit lies further out than the shown one.
    virtual bool widens(float size) const = 0;
    virtual float heroLimit(float minSize, float maxSize) const = 0;
    virtual float powerUpLimit(const PowerUpMessage& message) const = 0;
};

class MaxSizeLabel : public SizeLabel {
public:
    MaxSizeLabel() = default;
    Component* clone() const override { return new MaxSizeLabel(*this); }

protected:
    const char* caption() const override { return "  Max:\n"; }
    bool widens(float size) const override { return shownSize < size; }
    float heroLimit(float, float maxSize) const override { return maxSize; }
    float powerUpLimit(const PowerUpMessage& message) const override;
};

class MinSizeLabel : public SizeLabel {
public:
    MinSizeLabel() = default;
    Component* clone() const override { return new MinSizeLabel(*this); }

protected:
    const char* caption() const override { return "  Min:\n"; }
    bool widens(float size) const override { return shownSize > size; }
    float heroLimit(float minSize, float) const override { return minSize; }
    float powerUpLimit(const PowerUpMessage& message) const override;
};
