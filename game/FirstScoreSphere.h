// The score sphere that starts a level's growth: picking it up powers the hero up once and shrinks
// its wanted size to the new lower limit.
#pragma once

#include "game/ScoreSphereLogic.h"

class FirstScoreSphere : public ScoreSphereLogic {
public:
    FirstScoreSphere() = default;
    FirstScoreSphere(const FirstScoreSphere& other);
    ~FirstScoreSphere() override;

    Component* clone() const override;
    void initialize() override;
    void onFirstCollision(CollisionMessage& message);

private:
    UnregisterHandle firstHandle;
};
