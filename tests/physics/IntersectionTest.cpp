// The pair tests over plain geometry: the documented numbers, ties of the axis choice, and the
// degenerate inputs that must still give a finite, sound answer.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "physics/Intersection.h"

namespace {

Vector4 P(float x, float y, float z) { return Vector4(x, y, z, 1); }
Vector4 D(float x, float y, float z) { return Vector4(x, y, z, 0); }
const Vector4 O = P(0, 0, 0);
const Vector4 X = D(1, 0, 0), Y = D(0, 1, 0), Z = D(0, 0, 1), none;
const float any = NAN;  // an output the case does not check
const Vector4 anyNormal(any, any, any, any);

// One call of a test and what it must give; unchecked outputs are NaN (or the "any" normal).
struct Case {
    std::string name;
    std::function<bool(Vector4&, float&, float&)> run;
    bool hit;
    Vector4 normal = Vector4(any, any, any, any);
    float depth = any;
    float distance = any;
};

void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Vector4 normal;
        float depth = 0, distance = 0;
        ASSERT_EQ(c.hit, c.run(normal, depth, distance));
        if (!c.hit) continue;
        EXPECT_TRUE(isFiniteVector(normal));
        for (int lane = 0; lane < 4; ++lane)
            if (!std::isnan(c.normal[lane])) {
                EXPECT_NEAR(c.normal[lane], normal[lane], 1e-5f) << "lane " << lane;
            }
        if (!std::isnan(c.depth)) {
            EXPECT_NEAR(c.depth, depth, 1e-5f);
        }
        if (!std::isnan(c.distance)) {
            EXPECT_NEAR(c.distance, distance, 1e-4f);
        }
    }
}

#define RUN(call) [=](Vector4& n, float& d, float& t) { (void)t; return call; }

TEST(PairTests, SpheresAndBoxes) {
    check({
        {"spheres overlapping", RUN(intersectSphereSphere(O, 1, P(1.5f, 0, 0), 1, n, d)), true, -X, 0.5f},
        {"spheres touching", RUN(intersectSphereSphere(O, 1, P(2, 0, 0), 1, n, d)), true, -X, 0},
        {"spheres apart", RUN(intersectSphereSphere(O, 1, P(2.01f, 0, 0), 1, n, d)), false},
        {"same centre: A's radius", RUN(intersectSphereSphere(O, 2, O, 1, n, d)), true, X, 2},
        {"boxes on x", RUN(intersectRectRect(O, D(1, 1, 1), P(1.5f, 0, 0), D(1, 1, 1), n, d)), true, -X, 0.5f},
        {"boxes touching", RUN(intersectRectRect(O, D(1, 1, 1), P(2, 0, 0), D(1, 1, 1), n, d)), true, -X, 0},
        {"boxes apart", RUN(intersectRectRect(O, D(1, 1, 1), P(2.001f, 0, 0), D(1, 1, 1), n, d)), false},
        // Overlaps (1, 1, 2): x and y tie below z, and ties go to z; so do (1, 2, 1) and (2, 1, 1).
        {"tie x y", RUN(intersectRectRect(P(1, 1, 1), D(1, 1, 1.5f), O, D(1, 1, 1.5f), n, d)), true, Z, 2},
        {"tie x z", RUN(intersectRectRect(P(1, 0, 1), D(1, 1, 1), O, D(1, 1, 1), n, d)), true, Z, 1},
        {"tie y z below", RUN(intersectRectRect(P(0, -1, -1), D(1, 1, 1), O, D(1, 1, 1), n, d)), true, -Z, 1},
        {"least y", RUN(intersectRectRect(P(0.2f, 1.8f, 0.1f), D(1, 1, 1), O, D(1, 1, 1), n, d)), true, Y, 0.2f},
        {"box, sphere outside", RUN(intersectRectSphere(O, D(1, 1, 1), P(1.2f, 0, 0), 0.5f, n, d)), true, -X, 0.3f},
        {"box, sphere inside", RUN(intersectRectSphere(O, D(1, 1, 1), P(0.8f, 0, 0), 0.5f, n, d)), true, -X, 0.7f},
        {"box, sphere inside below", RUN(intersectRectSphere(O, D(1, 1, 1), P(0, -0.9f, 0), 0.5f, n, d)), true, Y,
         0.6f},
        {"box, sphere at corner", RUN(intersectRectSphere(O, D(1, 1, 1), P(1.3f, 1.3f, 0), 0.5f, n, d)), true,
         D(-std::sqrt(0.5f), -std::sqrt(0.5f), 0), 0.5f - std::sqrt(0.18f)},
        {"box, sphere apart", RUN(intersectRectSphere(O, D(1, 1, 1), P(1.6f, 0, 0), 0.5f, n, d)), false},
    });
}

TEST(PairTests, Capsules) {
    check({
        {"end cap touching", RUN(intersectCapsuleSphere(O, X, 1, 1, P(3, 0, 0), 1, n, d)), true, -X, 0},
        {"side", RUN(intersectCapsuleSphere(O, X, 1, 1, P(0, 1.5f, 0), 1, n, d)), true, -Y, 0.5f},
        {"beyond the cap", RUN(intersectCapsuleSphere(O, X, 1, 1, P(3.1f, 0, 0), 1, n, d)), false},
        // A centre on the core leaves sideways, upwards where the core allows.
        {"centre on the core", RUN(intersectCapsuleSphere(O, X, 1, 1, P(0.5f, 0, 0), 1, n, d)), true, -Y, 2},
        {"centre on an upright core", RUN(intersectCapsuleSphere(O, Y, 2, 0.5f, P(0, 1, 0), 0.5f, n, d)), true,
         -X, 1},
        {"core of no length", RUN(intersectCapsuleSphere(O, X, 0, 1, P(0, 0, 1.5f), 1, n, d)), true, -Z, 0.5f},
        {"no core, same centre", RUN(intersectCapsuleSphere(O, none, 0, 1, O, 1, n, d)), true, -Y, 2},
        {"core into a box", RUN(intersectCapsuleRect(P(-1.5f, 0, 0), X, 1, O, D(1, 1, 1), n, d)), true, none, 0},
        {"core short of a box", RUN(intersectCapsuleRect(P(-3, 0, 0), X, 1, O, D(1, 1, 1), n, d)), false},
        // Only the core counts against a box: a fat capsule beside it misses.
        {"fat beside a box", RUN(intersectCapsuleRect(P(0, 1.5f, 0), X, 3, O, D(1, 1, 1), n, d)), false},
        {"point core in a box", RUN(intersectCapsuleRect(P(0.5f, 0, 0), none, 1, O, D(1, 1, 1), n, d)), true},
        {"point core outside", RUN(intersectCapsuleRect(P(1.5f, 0, 0), none, 1, O, D(1, 1, 1), n, d)), false},
        {"parallel side by side", RUN(intersectCapsuleCapsule(O, X, 1, 1, P(0.3f, 1.5f, 0), X, 1, 1, n, d)), true,
         -Y, 0.5f},
        {"parallel, exactly apart", RUN(intersectCapsuleCapsule(O, X, 1, 1, P(0, 2, 0), X, 1, 1, n, d)), false},
        {"end to end", RUN(intersectCapsuleCapsule(O, X, 1, 0.5f, P(2.5f, 0, 0), X, 1, 0.5f, n, d)), true, -X, 0.5f},
        {"crossing beyond an end", RUN(intersectCapsuleCapsule(O, X, 1, 0.5f, P(1.5f, 0, 0.5f), Z, 1, 0.5f, n, d)),
         true, -X, 0.5f},
        // Crossing cores: across both, that is along y.
        {"crossing cores", RUN(intersectCapsuleCapsule(O, X, 1, 0.5f, O, Z, 1, 0.5f, n, d) && std::fabs(n.y()) == 1),
         true, D(0, any, 0), 1},
        {"identical", RUN(intersectCapsuleCapsule(O, X, 1, 1, O, X, 1, 1, n, d)), true, Y, 2},
        {"no cores", RUN(intersectCapsuleCapsule(O, none, 0, 1, O, none, 0, 1, n, d)), true, Y, 2},
    });
}

TEST(PairTests, Rays) {
    const Quaternion eighthY = quaternionFromAxisAngle(Y, 3.14159265f / 4);
    check({
        // A sphere's distance is the nearest approach, not the entry.
        {"sphere off the ray", RUN(intersectRaySphere(O, X, P(5, 0.5f, 0), 1, n, d, t)), true, -Y, 0.5f, 5},
        {"sphere behind", RUN(intersectRaySphere(O, X, P(-5, 0, 0), 1, n, d, t)), false},
        {"origin in the sphere", RUN(intersectRaySphere(O, X, P(-0.5f, 0, 0), 1, n, d, t)), true, anyNormal, any, -0.5f},
        {"long direction", RUN(intersectRaySphere(O, D(2, 0, 0), P(6, 0, 0), 1, n, d, t) && n.x() == 0), true,
         anyNormal, 1, 3},
        {"no direction, inside", RUN(intersectRaySphere(O, none, P(0.5f, 0, 0), 1, n, d, t)), true, anyNormal, any, 0},
        {"no direction, outside", RUN(intersectRaySphere(O, none, P(5, 0, 0), 1, n, d, t)), false},
        {"box ahead", RUN(intersectRayRect(O, X, P(5, 0, 0), D(1, 1, 1), n, d, t)), true, none, 0, 4},
        {"from the box centre", RUN(intersectRayRect(P(5, 0, 0), X, P(5, 0, 0), D(1, 1, 1), n, d, t)), true, none, 0,
         -1},
        {"box passed by", RUN(intersectRayRect(P(0, 5, 0), Y, P(5, 0, 0), D(1, 1, 1), n, d, t)), false},
        {"box behind", RUN(intersectRayRect(O, -X, P(5, 0, 0), D(1, 1, 1), n, d, t)), false},
        {"grazing a face", RUN(intersectRayRect(P(0, 1, 0), X, P(5, 0, 0), D(1, 1, 1), n, d, t)), true},
        {"box, no direction", RUN(intersectRayRect(P(5, 0.5f, 0), none, P(5, 0, 0), D(1, 1, 1), n, d, t)), true,
         none, 0, 0},
        {"turned box", RUN(intersectRayOBB(O, X, P(5, 0, 0), eighthY, D(1, 1, 1), n, d, t)), true, none, 0,
         5 - std::sqrt(2.0f)},
        {"turned box, long direction", RUN(intersectRayOBB(O, D(3, 0, 0), P(5, 0, 0), eighthY, D(1, 1, 1), n, d, t)),
         true, anyNormal, any, 5 - std::sqrt(2.0f)},
        {"turned box missed", RUN(intersectRayOBB(O, Y, P(5, 0, 0), eighthY, D(1, 1, 1), n, d, t)), false},
        // Straight at the middle of a core across the ray: the distance grows linearly, entry at 4.
        {"capsule across", RUN(intersectRayCapsule(O, X, P(5, 0, 0), Z, 1, 1, n, d, t)), true, anyNormal, 1, 4},
        // Off the axis the estimate lies between the true entry 5 - sqrt(0.75) and the nearest approach.
        {"capsule off axis", RUN(intersectRayCapsule(P(0, 0.5f, 0), X, P(5, 0, 0), Z, 1, 1, n, d, t) &&
                                 t >= 5 - std::sqrt(0.75f) && t < 5),
         true, Y, 0.5f},
        {"capsule missed", RUN(intersectRayCapsule(P(0, 1.5f, 0), X, P(5, 0, 0), Z, 1, 1, n, d, t)), false},
        {"through a cap", RUN(intersectRayCapsule(P(0, 0, 1.6f), X, P(5, 0, 0), Z, 1, 1, n, d, t) && t < 5), true, Z,
         0.4f},
        // Along the core either way: the cap met first gives the distance.
        {"along the core", RUN(intersectRayCapsule(P(5, 0, -10), Z, P(5, 0, 0), Z, 1, 1, n, d, t)), true, anyNormal, any, 9},
        {"against the core", RUN(intersectRayCapsule(P(5, 0, 10), -Z, P(5, 0, 0), Z, 1, 1, n, d, t)), true, anyNormal, any,
         9},
        {"parallel, longer", RUN(intersectRayCapsule(P(5, 0.2f, -10), D(0, 0, 2), P(5, 0, 0), Z, 1, 1, n, d, t)), true,
         anyNormal, any, 4.5f},
        {"capsule without direction", RUN(intersectRayCapsule(O, X, P(5, 0, 0), none, 1, 1, n, d, t)), true, anyNormal, any,
         5},
        {"ray without direction", RUN(intersectRayCapsule(P(5, 0.5f, 0.8f), none, P(5, 0, 0), Z, 1, 1, n, d, t)), true,
         Y, any, 0},
        {"ray without direction, out", RUN(intersectRayCapsule(P(5, 1.5f, 0), none, P(5, 0, 0), Z, 1, 1, n, d, t)),
         false},
    });
}

TEST(PairTests, TurnedBoxesAndPlanes) {
    const Quaternion quarterZ = quaternionFromAxisAngle(Z, 3.14159265f / 2);
    const Vector4 longBox = D(2, 0.5f, 0.5f);
    check({
        // A long box along x turned to stand along y.
        {"turned box, above", RUN(intersectSphereOBB(P(0, 2.2f, 0), 0.5f, O, quarterZ, longBox, n, d)), true, Y, 0.3f},
        {"unturned, above", RUN(intersectSphereOBB(P(0, 2.2f, 0), 0.5f, O, Quaternion(), longBox, n, d)), false},
        {"turned box, inside", RUN(intersectSphereOBB(P(0.3f, 1, 0), 0.5f, O, quarterZ, longBox, n, d)), true, X, 0.7f},
        // A flat shape counts a quarter of its bounding radius: 0.25 x 5 + 1 reaches 2.25.
        {"plane in reach", RUN(intersectPlaneShape(O, 5, P(2.25f, 0, 0), 1, n, d)), true, X, 0},
        {"plane out of reach", RUN(intersectPlaneShape(O, 5, P(2.3f, 0, 0), 1, n, d)), false},
        {"plane, same place", RUN(intersectPlaneShape(O, 5, O, 1, n, d)), true, Y, 0},
    });
}

TEST(PairTests, PerpendicularPrefersUp) {
    EXPECT_EQ(Y, perpendicularUnit(X));
    EXPECT_EQ(Y, perpendicularUnit(D(0, 0, -3)));
    EXPECT_EQ(X, perpendicularUnit(D(0, 2, 0)));
    EXPECT_EQ(Y, perpendicularUnit(none));
    Vector4 tilted = perpendicularUnit(D(1, 1, 0));
    EXPECT_NEAR(1.0f, dot4(tilted, tilted), 1e-6f);
    EXPECT_NEAR(0.0f, dot4(tilted, D(1, 1, 0)), 1e-6f);
    EXPECT_GT(tilted.y(), 0.0f);
}

TEST(PairTests, BoundingRejectionsNeverTurnAwayAContact) {
    // Just within reach: a sphere touching a box's corner, a ray grazing one.
    EXPECT_TRUE(mayTouch(D(1.5f, 1.5f, 1.5f), 3.0f, 0.75f));
    EXPECT_FALSE(mayTouch(D(10, 0, 0), 3.0f, 0.75f));
    EXPECT_TRUE(rayMayHit(P(-5, 1, 1), X, O, 3.0f));
    EXPECT_TRUE(rayMayHit(P(0, 0, 0.5f), X, O, 1.0f));  // starting inside
    EXPECT_FALSE(rayMayHit(P(-5, 2, 0), X, O, 3.0f));
    EXPECT_FALSE(rayMayHit(P(5, 0, 0), X, O, 3.0f));  // behind the origin
}

}  // namespace
