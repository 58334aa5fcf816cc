// The HUD label of the hero's speed over the ground: "  Speed:" and the speed in units per second.
#pragma once

#include "engine/EventHandler.h"
#include "ui/TextureTextComponent.h"

class SpeedLabel : public TextureTextComponent, public EventHandler {
public:
    SpeedLabel() = default;
    SpeedLabel(const SpeedLabel& other) = default;

    Component* clone() const override;
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void initialize() override;
    // Every frame: the hero's speed; the text is rendered again only when it changed.
    void update(float dt) override;

    float speed = 0.0f;
};

// "  Speed:\n", the speed and "cm/s".
std::string speedText(float speed);
