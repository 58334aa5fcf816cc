// The pair tests over plain geometry: the documented numbers, ties of the axis choice, and the
// degenerate inputs that must give a finite, sound answer.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/Intersection.h"

namespace {

const Vector4 origin(0, 0, 0, 1);

Vector4 point(float x, float y, float z) { return Vector4(x, y, z, 1); }
Vector4 direction(float x, float y, float z) { return Vector4(x, y, z, 0); }
Vector4 half(float x, float y, float z) { return Vector4(x, y, z, 0); }

void expectVectorNear(Vector4 expected, Vector4 actual, float tolerance = 1e-5f) {
    for (int lane = 0; lane < 4; ++lane)
        EXPECT_NEAR(expected.get(lane), actual.get(lane), tolerance) << "lane " << lane;
}

void expectUnit(Vector4 v) { EXPECT_NEAR(1.0f, std::sqrt(dot4(v, v)), 1e-5f); }

TEST(SphereSphere, DocumentedContacts) {
    struct Case {
        Vector4 centreB;
        float radiusA, radiusB;
        bool hit;
        Vector4 normal;
        float depth;
    };
    const Case cases[] = {
        {point(1.5f, 0, 0), 1, 1, true, direction(-1, 0, 0), 0.5f},
        {point(2, 0, 0), 1, 1, true, direction(-1, 0, 0), 0.0f},      // touching is a contact
        {point(2.01f, 0, 0), 1, 1, false, Vector4(), 0.0f},
        {point(0, -1, 0), 1, 1, true, direction(0, 1, 0), 1.0f},
        {origin, 2, 1, true, direction(1, 0, 0), 2.0f},                 // same centre: A's radius
    };
    for (const Case& c : cases) {
        Vector4 normal;
        float depth = 0;
        ASSERT_EQ(c.hit, intersectSphereSphere(origin, c.radiusA, c.centreB, c.radiusB, normal, depth));
        if (!c.hit) continue;
        expectVectorNear(c.normal, normal);
        EXPECT_NEAR(c.depth, depth, 1e-5f);
    }
}

TEST(RectRect, OverlapAxisAndTies) {
    Vector4 normal;
    float depth;
    ASSERT_TRUE(intersectRectRect(origin, half(1, 1, 1), point(1.5f, 0, 0), half(1, 1, 1), normal, depth));
    expectVectorNear(direction(-1, 0, 0), normal);
    EXPECT_FLOAT_EQ(0.5f, depth);

    ASSERT_TRUE(intersectRectRect(origin, half(1, 1, 1), point(2, 0, 0), half(1, 1, 1), normal, depth));
    EXPECT_FLOAT_EQ(0.0f, depth);
    EXPECT_FALSE(intersectRectRect(origin, half(1, 1, 1), point(2.001f, 0, 0), half(1, 1, 1), normal, depth));

    // Overlaps (1, 1, 2): x and y tie below z, and the tie goes to z.
    ASSERT_TRUE(intersectRectRect(point(1, 1, 1), half(1, 1, 1.5f), origin, half(1, 1, 1.5f), normal, depth));
    expectVectorNear(direction(0, 0, 1), normal);
    EXPECT_FLOAT_EQ(2.0f, depth);

    // Overlaps (1, 2, 1): x and z tie, z wins.
    ASSERT_TRUE(intersectRectRect(point(1, 0, 1), half(1, 1, 1), origin, half(1, 1, 1), normal, depth));
    expectVectorNear(direction(0, 0, 1), normal);

    // Overlaps (2, 1, 1) on the negative side: y and z tie, z wins, pointing from B towards A.
    ASSERT_TRUE(intersectRectRect(point(0, -1, -1), half(1, 1, 1), origin, half(1, 1, 1), normal, depth));
    expectVectorNear(direction(0, 0, -1), normal);

    // A clear minimum on y.
    ASSERT_TRUE(intersectRectRect(point(0.2f, 1.8f, 0.1f), half(1, 1, 1), origin, half(1, 1, 1), normal, depth));
    expectVectorNear(direction(0, 1, 0), normal);
    EXPECT_NEAR(0.2f, depth, 1e-5f);
}

TEST(RectSphere, OutsideAndInsideTheBox) {
    Vector4 normal;
    float depth;
    ASSERT_TRUE(intersectRectSphere(origin, half(1, 1, 1), point(1.2f, 0, 0), 0.5f, normal, depth));
    expectVectorNear(direction(-1, 0, 0), normal);
    EXPECT_NEAR(0.3f, depth, 1e-5f);

    // Centre inside: out through the nearest face.
    ASSERT_TRUE(intersectRectSphere(origin, half(1, 1, 1), point(0.8f, 0, 0), 0.5f, normal, depth));
    expectVectorNear(direction(-1, 0, 0), normal);
    EXPECT_NEAR(0.7f, depth, 1e-5f);
    ASSERT_TRUE(intersectRectSphere(origin, half(1, 1, 1), point(0, -0.9f, 0), 0.5f, normal, depth));
    expectVectorNear(direction(0, 1, 0), normal);
    EXPECT_NEAR(0.6f, depth, 1e-5f);

    // Corner region: the normal points along the diagonal towards the box.
    ASSERT_TRUE(intersectRectSphere(origin, half(1, 1, 1), point(1.3f, 1.3f, 0), 0.5f, normal, depth));
    expectVectorNear(direction(-std::sqrt(0.5f), -std::sqrt(0.5f), 0), normal);
    EXPECT_NEAR(0.5f - std::sqrt(0.18f), depth, 1e-5f);

    EXPECT_FALSE(intersectRectSphere(origin, half(1, 1, 1), point(1.6f, 0, 0), 0.5f, normal, depth));
}

TEST(CapsuleSphere, SideCapAndDegenerateCores) {
    Vector4 normal;
    float depth;
    const Vector4 alongX = direction(1, 0, 0);
    ASSERT_TRUE(intersectCapsuleSphere(origin, alongX, 1, 1, point(3, 0, 0), 1, normal, depth));
    EXPECT_NEAR(0.0f, depth, 1e-6f);
    expectVectorNear(direction(-1, 0, 0), normal);

    ASSERT_TRUE(intersectCapsuleSphere(origin, alongX, 1, 1, point(0, 1.5f, 0), 1, normal, depth));
    expectVectorNear(direction(0, -1, 0), normal);
    EXPECT_NEAR(0.5f, depth, 1e-6f);

    EXPECT_FALSE(intersectCapsuleSphere(origin, alongX, 1, 1, point(3.1f, 0, 0), 1, normal, depth));

    // The centre on the core: a unit normal across the core, the sphere leaving upwards.
    ASSERT_TRUE(intersectCapsuleSphere(origin, alongX, 1, 1, point(0.5f, 0, 0), 1, normal, depth));
    expectUnit(normal);
    EXPECT_NEAR(0.0f, dot4(normal, alongX), 1e-6f);
    expectVectorNear(direction(0, -1, 0), normal);
    EXPECT_FLOAT_EQ(2.0f, depth);

    // A vertical core: the normal is still across it.
    ASSERT_TRUE(intersectCapsuleSphere(origin, direction(0, 1, 0), 2, 0.5f, point(0, 1, 0), 0.5f, normal, depth));
    expectUnit(normal);
    EXPECT_NEAR(0.0f, normal.y(), 1e-6f);

    // A core of no length is a ball; on its centre the answer is still finite.
    ASSERT_TRUE(intersectCapsuleSphere(origin, alongX, 0, 1, point(0, 0, 1.5f), 1, normal, depth));
    expectVectorNear(direction(0, 0, -1), normal);
    EXPECT_NEAR(0.5f, depth, 1e-6f);
    ASSERT_TRUE(intersectCapsuleSphere(origin, Vector4(), 0, 1, origin, 1, normal, depth));
    EXPECT_TRUE(isFiniteVector(normal));
    expectUnit(normal);
    EXPECT_FLOAT_EQ(2.0f, depth);
}

TEST(CapsuleRect, CoreSegmentOnlyAndContactOnly) {
    Vector4 normal(1, 1, 1, 1);
    float depth = 5;
    // Core from (-4, 0, 0) to (-2, 0, 0) against a unit box at the origin: the core stops short.
    EXPECT_FALSE(intersectCapsuleRect(point(-3, 0, 0), direction(1, 0, 0), 1, origin, half(1, 1, 1), normal, depth));
    // Core reaching into the box.
    ASSERT_TRUE(intersectCapsuleRect(point(-1.5f, 0, 0), direction(1, 0, 0), 1, origin, half(1, 1, 1), normal, depth));
    expectVectorNear(Vector4(), normal);
    EXPECT_EQ(0.0f, depth);
    // The radius plays no part: a fat capsule beside the box does not touch it.
    EXPECT_FALSE(intersectCapsuleRect(point(0, 1.5f, 0), direction(1, 0, 0), 3, origin, half(1, 1, 1), normal, depth));
    // A core without direction is its centre point.
    EXPECT_TRUE(intersectCapsuleRect(point(0.5f, 0, 0), Vector4(), 1, origin, half(1, 1, 1), normal, depth));
    EXPECT_FALSE(intersectCapsuleRect(point(1.5f, 0, 0), Vector4(), 1, origin, half(1, 1, 1), normal, depth));
}

TEST(CapsuleCapsule, ParallelCrossingAndApart) {
    Vector4 normal;
    float depth;
    const Vector4 alongX = direction(1, 0, 0);
    // Side by side, parallel: the cores are 1.5 apart.
    ASSERT_TRUE(intersectCapsuleCapsule(origin, alongX, 1, 1, point(0.3f, 1.5f, 0), alongX, 1, 1, normal, depth));
    expectVectorNear(direction(0, -1, 0), normal);
    EXPECT_NEAR(0.5f, depth, 1e-5f);
    // Exactly 2 apart is no contact (strict).
    EXPECT_FALSE(intersectCapsuleCapsule(origin, alongX, 1, 1, point(0, 2, 0), alongX, 1, 1, normal, depth));
    // Crossing cores: distance 0, the normal is across both.
    ASSERT_TRUE(intersectCapsuleCapsule(origin, alongX, 1, 0.5f, origin, direction(0, 0, 1), 1, 0.5f, normal, depth));
    expectUnit(normal);
    EXPECT_NEAR(0.0f, normal.x(), 1e-6f);
    EXPECT_NEAR(0.0f, normal.z(), 1e-6f);
    EXPECT_FLOAT_EQ(1.0f, depth);
    // Capsules crossing beyond one's end: the nearest pair is found from the clamped end.
    ASSERT_TRUE(intersectCapsuleCapsule(origin, alongX, 1, 0.5f, point(1.5f, 0, 0.5f), direction(0, 0, 1), 1, 0.5f,
                                        normal, depth));
    expectVectorNear(direction(-1, 0, 0), normal);
    EXPECT_NEAR(0.5f, depth, 1e-5f);
    // End to end along one line.
    ASSERT_TRUE(intersectCapsuleCapsule(origin, alongX, 1, 0.5f, point(2.5f, 0, 0), alongX, 1, 0.5f, normal, depth));
    expectVectorNear(direction(-1, 0, 0), normal);
    EXPECT_NEAR(0.5f, depth, 1e-5f);
    // Identical capsules and cores of no length stay finite.
    ASSERT_TRUE(intersectCapsuleCapsule(origin, alongX, 1, 1, origin, alongX, 1, 1, normal, depth));
    EXPECT_TRUE(isFiniteVector(normal));
    expectUnit(normal);
    ASSERT_TRUE(intersectCapsuleCapsule(origin, Vector4(), 0, 1, origin, Vector4(), 0, 1, normal, depth));
    EXPECT_TRUE(isFiniteVector(normal));
    EXPECT_FLOAT_EQ(2.0f, depth);
}

TEST(RaySphere, DistanceIsTheNearestApproach) {
    Vector4 normal;
    float depth, distance;
    ASSERT_TRUE(intersectRaySphere(origin, direction(1, 0, 0), point(5, 0.5f, 0), 1, normal, depth, distance));
    EXPECT_FLOAT_EQ(5.0f, distance);
    EXPECT_NEAR(0.5f, depth, 1e-6f);
    expectVectorNear(direction(0, -1, 0), normal);

    // Behind the origin: the nearest point is the origin itself.
    EXPECT_FALSE(intersectRaySphere(origin, direction(1, 0, 0), point(-5, 0, 0), 1, normal, depth, distance));
    EXPECT_FLOAT_EQ(-5.0f, distance);
    ASSERT_TRUE(intersectRaySphere(origin, direction(1, 0, 0), point(-0.5f, 0, 0), 1, normal, depth, distance));
    EXPECT_FLOAT_EQ(-0.5f, distance);

    // A longer direction counts the distance in its own units.
    ASSERT_TRUE(intersectRaySphere(origin, direction(2, 0, 0), point(6, 0, 0), 1, normal, depth, distance));
    EXPECT_FLOAT_EQ(3.0f, distance);
    // Straight through the centre: a unit normal across the ray.
    expectUnit(normal);
    EXPECT_NEAR(0.0f, normal.x(), 1e-6f);

    // A direction of no length is its origin alone; the distance is 0, never NaN.
    ASSERT_TRUE(intersectRaySphere(origin, Vector4(), point(0.5f, 0, 0), 1, normal, depth, distance));
    EXPECT_EQ(0.0f, distance);
    EXPECT_FALSE(intersectRaySphere(origin, Vector4(), point(5, 0, 0), 1, normal, depth, distance));
    EXPECT_EQ(0.0f, distance);
}

TEST(RayRect, EntryDistanceAndMisses) {
    Vector4 normal;
    float depth, distance;
    ASSERT_TRUE(intersectRayRect(origin, direction(1, 0, 0), point(5, 0, 0), half(1, 1, 1), normal, depth, distance));
    EXPECT_FLOAT_EQ(4.0f, distance);
    expectVectorNear(Vector4(), normal);
    EXPECT_EQ(0.0f, depth);

    ASSERT_TRUE(intersectRayRect(point(5, 0, 0), direction(1, 0, 0), point(5, 0, 0), half(1, 1, 1), normal, depth,
                                 distance));
    EXPECT_FLOAT_EQ(-1.0f, distance);

    EXPECT_FALSE(intersectRayRect(point(0, 5, 0), direction(0, 1, 0), point(5, 0, 0), half(1, 1, 1), normal, depth,
                                  distance));
    // Pointing away from the box.
    EXPECT_FALSE(intersectRayRect(origin, direction(-1, 0, 0), point(5, 0, 0), half(1, 1, 1), normal, depth,
                                  distance));
    // Grazing a face counts.
    EXPECT_TRUE(intersectRayRect(point(0, 1, 0), direction(1, 0, 0), point(5, 0, 0), half(1, 1, 1), normal, depth,
                                 distance));
    // No direction: a hit at the origin when it lies inside, never an infinite distance.
    ASSERT_TRUE(intersectRayRect(point(5, 0.5f, 0), Vector4(), point(5, 0, 0), half(1, 1, 1), normal, depth,
                                 distance));
    EXPECT_EQ(0.0f, distance);
    EXPECT_FALSE(intersectRayRect(origin, Vector4(), point(5, 0, 0), half(1, 1, 1), normal, depth, distance));
}

TEST(RayCapsule, CrossingParallelAndDegenerate) {
    Vector4 normal;
    float depth, distance;
    const Vector4 alongZ = direction(0, 0, 1);
    // Straight at the middle of a core across the ray: enters at x = 4.
    ASSERT_TRUE(intersectRayCapsule(origin, direction(1, 0, 0), point(5, 0, 0), alongZ, 1, 1, normal, depth,
                                    distance));
    EXPECT_NEAR(4.0f, distance, 1e-4f);
    EXPECT_FLOAT_EQ(1.0f, depth);
    expectUnit(normal);

    // Off the axis by half the radius: the estimate lies between the true entry 5 - sqrt(0.75) and the
    // nearest approach at 5.
    ASSERT_TRUE(intersectRayCapsule(point(0, 0.5f, 0), direction(1, 0, 0), point(5, 0, 0), alongZ, 1, 1, normal,
                                    depth, distance));
    EXPECT_GE(distance, 5.0f - std::sqrt(0.75f));
    EXPECT_LT(distance, 5.0f);
    expectVectorNear(direction(0, 1, 0), normal);
    EXPECT_NEAR(0.5f, depth, 1e-5f);

    EXPECT_FALSE(intersectRayCapsule(point(0, 1.5f, 0), direction(1, 0, 0), point(5, 0, 0), alongZ, 1, 1, normal,
                                     depth, distance));
    // Passing beyond the core's end but through its cap: the nearest pair sits on the end point.
    ASSERT_TRUE(intersectRayCapsule(point(0, 0, 1.6f), direction(1, 0, 0), point(5, 0, 0), alongZ, 1, 1, normal,
                                    depth, distance));
    expectVectorNear(direction(0, 0, 1), normal);
    EXPECT_NEAR(0.4f, depth, 1e-5f);
    EXPECT_LT(distance, 5.0f);

    // Along the core, either way: the cap the ray meets first gives the distance.
    ASSERT_TRUE(intersectRayCapsule(point(5, 0, -10), alongZ, point(5, 0, 0), alongZ, 1, 1, normal, depth,
                                    distance));
    EXPECT_FLOAT_EQ(9.0f, distance);
    ASSERT_TRUE(intersectRayCapsule(point(5, 0, 10), -alongZ, point(5, 0, 0), alongZ, 1, 1, normal, depth,
                                    distance));
    EXPECT_FLOAT_EQ(9.0f, distance);
    // Parallel but scaled directions take the same road.
    ASSERT_TRUE(intersectRayCapsule(point(5, 0.2f, -10), direction(0, 0, 2), point(5, 0, 0), alongZ, 1, 1, normal,
                                    depth, distance));
    EXPECT_FLOAT_EQ(4.5f, distance);

    // A capsule without direction is a ball; a ray without direction is a point.
    ASSERT_TRUE(intersectRayCapsule(origin, direction(1, 0, 0), point(5, 0, 0), Vector4(), 1, 1, normal, depth,
                                    distance));
    EXPECT_FLOAT_EQ(5.0f, distance);
    ASSERT_TRUE(intersectRayCapsule(point(5, 0.5f, 0.8f), Vector4(), point(5, 0, 0), alongZ, 1, 1, normal, depth,
                                    distance));
    EXPECT_EQ(0.0f, distance);
    expectVectorNear(direction(0, 1, 0), normal);
    EXPECT_FALSE(intersectRayCapsule(point(5, 1.5f, 0), Vector4(), point(5, 0, 0), alongZ, 1, 1, normal, depth,
                                     distance));
}

TEST(SphereOBB, TurnedBoxPushesAlongItsOwnFaces) {
    Vector4 normal;
    float depth;
    const Quaternion quarterTurnZ = quaternionFromAxisAngle(direction(0, 0, 1), 3.14159265f / 2);
    // A long box along x, turned to stand along y.
    ASSERT_TRUE(intersectSphereOBB(point(0, 2.2f, 0), 0.5f, origin, quarterTurnZ, half(2, 0.5f, 0.5f), normal, depth));
    expectVectorNear(direction(0, 1, 0), normal);
    EXPECT_NEAR(0.3f, depth, 1e-5f);
    // Unturned it does not reach that far up.
    EXPECT_FALSE(intersectSphereOBB(point(0, 2.2f, 0), 0.5f, origin, Quaternion(), half(2, 0.5f, 0.5f), normal, depth));
    // Centre inside the turned box.
    ASSERT_TRUE(intersectSphereOBB(point(0.3f, 1, 0), 0.5f, origin, quarterTurnZ, half(2, 0.5f, 0.5f), normal, depth));
    expectVectorNear(direction(1, 0, 0), normal);
    EXPECT_NEAR(0.7f, depth, 1e-5f);
}

TEST(RayOBB, DistanceInWorldUnits) {
    Vector4 normal;
    float depth, distance;
    const Quaternion eighthTurnY = quaternionFromAxisAngle(direction(0, 1, 0), 3.14159265f / 4);
    ASSERT_TRUE(intersectRayOBB(origin, direction(1, 0, 0), point(5, 0, 0), eighthTurnY, half(1, 1, 1), normal, depth,
                                distance));
    EXPECT_NEAR(5.0f - std::sqrt(2.0f), distance, 1e-4f);
    // The direction's length does not matter.
    ASSERT_TRUE(intersectRayOBB(origin, direction(3, 0, 0), point(5, 0, 0), eighthTurnY, half(1, 1, 1), normal, depth,
                                distance));
    EXPECT_NEAR(5.0f - std::sqrt(2.0f), distance, 1e-4f);
    EXPECT_FALSE(intersectRayOBB(origin, direction(0, 1, 0), point(5, 0, 0), eighthTurnY, half(1, 1, 1), normal, depth,
                                 distance));
}

TEST(PlaneShape, QuarterOfItsRadiusAndNoDepth) {
    Vector4 normal;
    float depth = 1;
    // Bounding radius 5 counts 1.25; with a unit ball, contact up to 2.25.
    ASSERT_TRUE(intersectPlaneShape(origin, 5, point(2.25f, 0, 0), 1, normal, depth));
    expectVectorNear(direction(1, 0, 0), normal);
    EXPECT_EQ(0.0f, depth);
    EXPECT_FALSE(intersectPlaneShape(origin, 5, point(2.3f, 0, 0), 1, normal, depth));
    // Both at one place: a finite normal.
    ASSERT_TRUE(intersectPlaneShape(origin, 5, origin, 1, normal, depth));
    expectVectorNear(direction(0, 1, 0), normal);
}

TEST(PerpendicularUnit, AcrossTheAxisAndUpwardsWhenItCan) {
    expectVectorNear(direction(0, 1, 0), perpendicularUnit(direction(1, 0, 0)));
    expectVectorNear(direction(0, 1, 0), perpendicularUnit(direction(0, 0, -3)));
    expectVectorNear(direction(1, 0, 0), perpendicularUnit(direction(0, 2, 0)));
    expectVectorNear(direction(0, 1, 0), perpendicularUnit(Vector4()));
    Vector4 tilted = perpendicularUnit(direction(1, 1, 0));
    expectUnit(tilted);
    EXPECT_NEAR(0.0f, dot4(tilted, direction(1, 1, 0)), 1e-6f);
    EXPECT_GT(tilted.y(), 0.0f);
}

}  // namespace
