// The HUD label of the score spheres: how many of those there were when play began have been collected,
// as "collected/total".
#pragma once

#include "ui/TextureTextComponent.h"

class SpheresRemaining : public TextureTextComponent {
public:
    SpheresRemaining() = default;
    SpheresRemaining(const SpheresRemaining& other) = default;

    Component* clone() const override;
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Compares the two counts every frame; renders only when one changed.
    void update(float dt) override;

    int shownCollected = 0;
    int shownTotal = 0;
};
