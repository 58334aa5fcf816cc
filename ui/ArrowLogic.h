// The HUD's guidance arrow: turned every frame so that, seen along the game camera, it points from the
// hero to the next score sphere (or, once none is left, to a far point of the world); unless always
// shown it fades in while Shift is held.
#pragma once

#include "core/Vector4.h"
#include "engine/Logic.h"

class EndOfFirstPartMessage;

class ArrowLogic : public Logic {
public:
    ArrowLogic() : Logic("ARROW") {}
    ArrowLogic(const ArrowLogic& other) = default;

    Component* clone() const override;
    int getVersion() const override { return 0; }
    // The "Logic" part, "alwaysShow", "alpha", "fadeTime".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Follows the end-game reward (14) and the end of the first part (15).
    void initialize() override;
    void update(float dt) override;

    void onEndOfFirstPart(EndOfFirstPartMessage& message);
    // The world point the arrow aims at now.
    Vector4 target() const;

    bool alwaysShow = true;
    bool rewardReceived = false;
    float alpha = 0.0f;
    float fadeTime = 0.2f;
};

// The far points the arrow aims at once every score sphere is collected: before and after the
// end-game reward.
extern const Vector4 arrowTargetBeforeReward;
extern const Vector4 arrowTargetAfterReward;
