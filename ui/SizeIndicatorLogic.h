// The HUD's size gauge: a small sphere that rises and swells as the hero grows, its height the hero's
// size on a logarithmic scale between the hero's limits, so every grow step moves it alike.
#pragma once

#include "engine/Logic.h"

class SizeIndicatorLogic : public Logic {
public:
    SizeIndicatorLogic() : Logic("SIZE_INDICATOR") {}
    SizeIndicatorLogic(const SizeIndicatorLogic& other) = default;

    Component* clone() const override;
    int getVersion() const override { return 3; }
    // The "Logic" part, then the display fields the stored version has.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Takes the hero's sizes, sets the sphere's base radius and follows power-ups and size changes.
    void initialize() override;
    // Moves the body a share dt / adjustmentTime of the way to its targets.
    void update(float dt) override;

    // Height and radius for the current size. A gauge whose limits coincide, or whose grow factor
    // makes no steps, sits at its middle.
    void computeTargets();
    void onPowerUp(float newMinSize, float newMaxSize, float newGrowFactor);
    void onSizeChange(float newSize);

    float currentSize = 100.0f;
    float minSize = 100.0f;
    float maxSize = 100.0f;
    float growFactor = 1.1f;
    float targetHeight = 0.1f;
    float targetRadius = 0.16875f;
    float adjustmentTime = 0.2f;
    float lowDisplayHeight = -0.2f;
    float highDisplayHeight = 0.4f;
    float overrideBodyRadius = 0.15f;
    float lowRelativeRadius = 0.75f;
    float highRelativeRadius = 1.5f;
};
