// The trigger that ends the first part of a level: at the hero's touch it fades the hero's colours and
// the colour of the pattern the hero casts toward its targets, may tell the guidance arrow to
// recolour, and when the fade is over shows its message and removes its own entity.
#pragma once

#include <string>

#include "core/Vector4.h"
#include "engine/Component.h"
#include "engine/EventHandler.h"
#include "engine/UnregisterHandle.h"

class CollisionMessage;

class alignas(16) EndOfFirstPart : public Component, public EventHandler {
public:
    EndOfFirstPart() = default;
    // Everything copied (a fade under way goes on in the copy); no registrations.
    EndOfFirstPart(const EndOfFirstPart& other);
    EndOfFirstPart& operator=(const EndOfFirstPart&) = delete;
    ~EndOfFirstPart() override;

    Component* clone() const override;
    int getVersion() const override { return 1; }
    // Version 0 held one "targetColor" for both target colours.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void initialize() override;
    void update(float dt) override;

    void onCollision(CollisionMessage& message);
    // The share of the fade done: 0 at the touch, 1 (also for a time that gives no number) at the end.
    float fadeFraction() const;

    Vector4 startDiffuseColor{1.0f, 1.0f, 1.0f, 1.0f};
    Vector4 startSpecularColor{1.0f, 1.0f, 1.0f, 1.0f};
    Vector4 targetDiffuseColor{1.0f, 1.0f, 1.0f, 1.0f};
    Vector4 targetSpecularColor{1.0f, 1.0f, 1.0f, 1.0f};
    Vector4 startPatternColor{1.0f, 1.0f, 1.0f, 0.0f};
    Vector4 newPatternColor{1.0f, 1.0f, 1.0f, 0.0f};
    float time = 1.0f;
    bool triggered = false;
    bool changeArrowColor = false;
    std::string message;
    double startTime = 0.0;

protected:
    // The class part of this class alone, for the end-of-game trigger that wraps it.
    void readPart(BaseInStream& in, int version);
    void writePart(BaseOutStream& out);

    UnregisterHandle collisionHandle;
    bool done = false;  // the fade has ended and the entity is on its way out
    Vector4 targetColor;  // read from version 0 only
};
