// Randomised check of every pair test: whatever the geometry (coincident centres, cores and rays of
// no length, parallel and crossing axes, shapes of size 0), no test may answer with a NaN or an
// infinite normal, depth or hit distance.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "physics/Body.h"
#include "physics/Capsule.h"
#include "physics/Intersection.h"
#include "physics/OBB.h"
#include "physics/Plane.h"
#include "physics/Ray.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"

namespace {

class ShapeSource {
public:
    explicit ShapeSource(unsigned seed) : random(seed) {}

    // Mostly grid values, so that exact coincidences, ties and zero lengths come up often.
    float coordinate() {
        if (pick(4) == 0) return std::uniform_real_distribution<float>(-3.0f, 3.0f)(random);
        return static_cast<float>(static_cast<int>(pick(9)) - 4) * 0.5f;
    }
    float dimension() {
        switch (pick(5)) {
        case 0: return 0.0f;
        case 1: return 1.0f;
        case 2: return 0.5f;
        default: return std::uniform_real_distribution<float>(0.0f, 2.5f)(random);
        }
    }
    Vector4 direction() {
        switch (pick(6)) {
        case 0: return Vector4();
        case 1: return Vector4(1, 0, 0, 0);
        case 2: return Vector4(0, 1, 0, 0);
        case 3: return Vector4(0, 0, -1, 0);
        default: return Vector4(coordinate(), coordinate(), coordinate(), 0);
        }
    }
    Quaternion rotation() {
        if (pick(3) == 0) return Quaternion();
        return quaternionFromAxisAngle(normalized3(direction()), coordinate());
    }

    std::unique_ptr<Body> body(int kind) {
        auto result = std::make_unique<Body>();
        result->position = Vector4(coordinate(), coordinate(), coordinate(), 1);
        result->rotation = rotation();
        switch (kind) {
        case Shape::RectKind:
        case Shape::OBBKind: {
            Rect* box = kind == Shape::RectKind ? new Rect() : new OBB();
            box->size = Vector4(dimension(), dimension(), dimension(), 0);
            result->setShape(box);
            break;
        }
        case Shape::SphereKind: result->setShape(new Sphere(dimension())); break;
        case Shape::CapsuleKind: {
            Capsule* capsule = new Capsule();
            capsule->radius = dimension();
            capsule->length = dimension();
            capsule->direction = direction();
            result->setShape(capsule);
            break;
        }
        case Shape::RayKind: result->setShape(new Ray(direction())); break;
        case Shape::PlaneKind: {
            Plane* plane = new Plane();
            plane->size = Vector4(dimension(), dimension(), dimension(), 0);
            result->setShape(plane);
            break;
        }
        }
        return result;
    }

    unsigned pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(random); }

private:
    std::mt19937 random;
};

TEST(PairProperty, NoTestAnswersWithNaNOrInfinity) {
    ShapeSource source(20240607u);
    int contacts = 0;
    for (int round = 0; round < 4000; ++round) {
        for (int a = 0; a < 6; ++a) {
            for (int b = 0; b < 6; ++b) {
                auto first = source.body(a);
                auto second = source.body(b);
                // Now and then both at one place.
                if (source.pick(4) == 0) second->position = first->position;
                Vector4 normal;
                float depth;
                bool hit = first->shape->intersect(*second->shape, normal, depth);
                ASSERT_TRUE(isFiniteVector(normal)) << "kinds " << a << ", " << b << " round " << round;
                ASSERT_TRUE(std::isfinite(depth)) << "kinds " << a << ", " << b << " round " << round;
                if (hit) {
                    ++contacts;
                    float length = std::sqrt(dot4(normal, normal));
                    // A unit normal, or the zero normal of the contact-only pairs.
                    ASSERT_TRUE(length == 0.0f || std::fabs(length - 1.0f) < 1e-3f)
                        << "kinds " << a << ", " << b << " round " << round << " length " << length;
                    ASSERT_EQ(0.0f, normal.w());
                }
                if (a == Shape::RayKind) {
                    float distance = 0;
                    Ray::intersectWithDistance(static_cast<const Ray&>(*first->shape), *second->shape, normal, depth,
                                               distance);
                    ASSERT_TRUE(std::isfinite(distance)) << "ray against kind " << b << " round " << round;
                }
            }
        }
    }
    // The geometry is dense enough that most kinds meet often.
    EXPECT_GT(contacts, 20000);
}

TEST(PairProperty, RawTestsStayFiniteOnDegenerateInput) {
    ShapeSource source(7u);
    for (int round = 0; round < 20000; ++round) {
        Vector4 p(source.coordinate(), source.coordinate(), source.coordinate(), 1);
        Vector4 q = source.pick(3) == 0 ? p : Vector4(source.coordinate(), source.coordinate(), source.coordinate(), 1);
        Vector4 u = source.direction(), v = source.direction();
        float r1 = source.dimension(), r2 = source.dimension(), l1 = source.dimension(), l2 = source.dimension();
        Vector4 normal;
        float depth = 0, distance = 0;
        auto check = [&](bool hit, const char* test) {
            if (!hit) return;
            ASSERT_TRUE(isFiniteVector(normal)) << test << " round " << round;
            ASSERT_TRUE(std::isfinite(depth)) << test << " round " << round;
            ASSERT_TRUE(std::isfinite(distance)) << test << " round " << round;
        };
        check(intersectCapsuleSphere(p, u, l1, r1, q, r2, normal, depth), "capsule-sphere");
        check(intersectCapsuleCapsule(p, u, l1, r1, q, v, l2, r2, normal, depth), "capsule-capsule");
        check(intersectRayCapsule(p, u, q, v, l2, r2, normal, depth, distance), "ray-capsule");
        check(intersectRaySphere(p, u, q, r1, normal, depth, distance), "ray-sphere");
        check(intersectRayRect(p, u, q, Vector4(r1, r2, l1, 0), normal, depth, distance), "ray-rect");
        check(intersectRayOBB(p, u, q, source.rotation(), Vector4(r1, r2, l1, 0), normal, depth, distance), "ray-obb");
        check(intersectSphereOBB(p, r1, q, source.rotation(), Vector4(r2, l1, l2, 0), normal, depth), "sphere-obb");
        check(intersectRectSphere(q, Vector4(r2, l1, l2, 0), p, r1, normal, depth), "rect-sphere");
        check(intersectSphereSphere(p, r1, q, r2, normal, depth), "sphere-sphere");
        check(intersectPlaneShape(p, r1, q, r2, normal, depth), "plane");
    }
}

}  // namespace
