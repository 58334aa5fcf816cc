// One contact between two bodies: the record the solver works on and every CollisionMessage carries.
#pragma once

#include "core/Vector4.h"

class Body;

struct Contact {
    Body* bodyA = nullptr;  // in a physics step always the hero's body
    Body* bodyB = nullptr;
    // From bodyB towards bodyA as the pair test gives it (reversed for a Plane, zero for contact-only pairs).
    Vector4 normal;
    float depth = 0.0f;
    // (velocity of A - velocity of B) . normal; below 0 the bodies approach each other.
    float separatingVelocity = 0.0f;
    // The mean of both bodies' restitutions.
    float restitution = 0.0f;
};
