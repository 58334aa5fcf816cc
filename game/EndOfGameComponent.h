// The trigger at the end of the game: an end of the first part that also gives the hero's pattern
// dispenser a winding-line pattern of twice the reach and recolours the first pattern on the hero's
// own surface during the same fade.
#pragma once

#include "game/EndOfFirstPart.h"

class alignas(16) EndOfGameComponent : public EndOfFirstPart {
public:
    EndOfGameComponent() = default;
    EndOfGameComponent(const EndOfGameComponent& other);
    ~EndOfGameComponent() override;

    Component* clone() const override;
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void initialize() override;
    void update(float dt) override;

    void onLineCollision(CollisionMessage& message);

    Vector4 newLineColor{-1.0f, -1.0f, -1.0f, 0.0f};
    Vector4 startLineColor{1.0f, 1.0f, 1.0f, 0.0f};
    bool lineTriggered = false;

private:
    UnregisterHandle lineCollisionHandle;
};
