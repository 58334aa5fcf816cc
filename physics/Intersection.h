// The narrow-phase tests between two collision shapes, written over plain geometry so they can be
// used and checked without bodies. Normals point from the second shape towards the first.
#pragma once

#include "core/Quaternion.h"
#include "core/Vector4.h"

// Every test that reports a contact writes a finite unit normal (or the zero normal of the contact-only
// pairs) and a finite depth; degenerate geometry (coincident centres, zero-length cores or directions)
// gets a sound, deterministic answer instead of a division by zero.

// Boxes given by centre and half extents along the world axes.
bool intersectRectRect(Vector4 centreA, Vector4 halfA, Vector4 centreB, Vector4 halfB, Vector4& normal, float& depth);

// Normal from the sphere's centre towards the box.
bool intersectRectSphere(Vector4 boxCentre, Vector4 half, Vector4 sphereCentre, float radius, Vector4& normal,
                         float& depth);

bool intersectSphereSphere(Vector4 centreA, float radiusA, Vector4 centreB, float radiusB, Vector4& normal,
                           float& depth);

// A capsule's core runs from centre - length * direction to centre + length * direction.
// Normal from the sphere towards the capsule's core.
bool intersectCapsuleSphere(Vector4 capsuleCentre, Vector4 direction, float length, float capsuleRadius,
                            Vector4 sphereCentre, float sphereRadius, Vector4& normal, float& depth);

// The core segment against the box (the capsule's radius takes no part); contact only: zero normal, depth 0.
bool intersectCapsuleRect(Vector4 capsuleCentre, Vector4 direction, float length, Vector4 boxCentre, Vector4 half,
                          Vector4& normal, float& depth);

bool intersectCapsuleCapsule(Vector4 centreA, Vector4 directionA, float lengthA, float radiusA, Vector4 centreB,
                             Vector4 directionB, float lengthB, float radiusB, Vector4& normal, float& depth);

// The ray tests also give the hit distance along the ray, in units of the direction's length.
// For a sphere it is where the ray passes nearest to the centre.
bool intersectRaySphere(Vector4 origin, Vector4 direction, Vector4 centre, float radius, Vector4& normal,
                        float& depth, float& distance);

// Contact only; the distance is where the ray enters the box (negative when it starts inside).
bool intersectRayRect(Vector4 origin, Vector4 direction, Vector4 boxCentre, Vector4 half, Vector4& normal,
                      float& depth, float& distance);

// The distance is an estimate of where the ray enters the capsule.
bool intersectRayCapsule(Vector4 origin, Vector4 direction, Vector4 capsuleCentre, Vector4 capsuleDirection,
                         float length, float radius, Vector4& normal, float& depth, float& distance);

// Normal from the turned box towards the sphere.
bool intersectSphereOBB(Vector4 sphereCentre, float radius, Vector4 boxCentre, Quaternion rotation, Vector4 half,
                        Vector4& normal, float& depth);

// Contact only; the distance is measured with a unit direction.
bool intersectRayOBB(Vector4 origin, Vector4 direction, Vector4 boxCentre, Quaternion rotation, Vector4 half,
                     Vector4& normal, float& depth, float& distance);

// A flat shape collides as a sphere of a quarter of its bounding radius; the normal points from the plane
// towards the other shape and the depth is always 0.
bool intersectPlaneShape(Vector4 planeCentre, float planeBoundingRadius, Vector4 otherCentre,
                         float otherBoundingRadius, Vector4& normal, float& depth);

// Cheap rejections before a full test, from squared bounding radii (no square roots). Both may let
// pairs through that do not touch, but never turn away a pair that does.
// Two shapes whose centres are offset apart, with bounding radii a and b, can touch only when
// |offset|^2 <= (a + b)^2, which is at most 2 (a^2 + b^2).
inline bool mayTouch(Vector4 offset, float reachSquaredA, float reachSquaredB) {
    return dot4(offset, offset) <= 2.0f * (reachSquaredA + reachSquaredB) * 1.0001f;
}
// A ray can hit a shape only when it passes within the shape's bounding radius of its centre.
inline bool rayMayHit(Vector4 origin, Vector4 direction, Vector4 centre, float reachSquared) {
    Vector4 toCentre = centre - origin;
    float along = dot4(toCentre, direction);
    float directionSquared = dot4(direction, direction);
    float distanceSquared = dot4(toCentre, toCentre);
    // Past the origin the nearest point of the ray is the foot of the perpendicular.
    if (along > 0.0f && directionSquared > 0.0f) distanceSquared -= along * (along / directionSquared);
    // Slack for the rounding of the subtraction above.
    return distanceSquared <= reachSquared * 1.0001f + 1e-6f * (1.0f + dot4(toCentre, toCentre));
}

// A unit vector perpendicular to axis, as close to +y as possible (then +x): the push-out direction
// used when a centre lies exactly on a core or a ray. A zero axis gives +y.
Vector4 perpendicularUnit(Vector4 axis);

// True when all four lanes are finite numbers.
bool isFiniteVector(Vector4 v);
