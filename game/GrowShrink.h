// The hero's size: the mouse wheel sets a wanted radius between two limits, the sphere's radius
// follows it over a short time with mass and gravity in step, growth that cannot be fitted among the
// level's bodies is undone, and power-ups widen the limits and enlarge the wheel step.
#pragma once

#include "engine/Component.h"
#include "engine/EventHandler.h"

class MouseWheelMessage;

class GrowShrink : public Component, public EventHandler {
public:
    GrowShrink() = default;
    // Fields copied; no registrations.
    GrowShrink(const GrowShrink& other);
    GrowShrink& operator=(const GrowShrink&) = delete;

    Component* clone() const override;
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Listens for the wheel and for play and edit mode.
    void initialize() override;
    void update(float dt) override;

    // One wheel step toward a larger (delta > 0) or smaller wanted size, within the limits.
    virtual void onMouseWheel(MouseWheelMessage& message);
    // Moves the radius toward currentTargetSize: a step of dt / adjustmentTime of the way, or all of
    // it when instant.
    void applySize(float dt, bool instant);
    // Halves the lower limit, doubles the upper one and enlarges the step; announced to the level.
    void powerUp();

    float growFactor = 1.1f;
    float growFactorIncrement = 0.05f;
    float minSize = 100.0f;
    float maxSize = 100.0f;
    float minSizeFloor = 1.0f;        // a power-up never lowers minSize below this
    float maxSizeCeiling = 10000.0f;  // nor raises maxSize above this
    float adjustmentTime = 0.2f;
    float currentTargetSize = 100.0f;
};
