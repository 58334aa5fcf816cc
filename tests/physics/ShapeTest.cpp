// The collision shapes: scaling, extents, drawn transforms, copies, the saved form, and the pair
// dispatch by kind in both orders (the cells without a test, the reversed Plane normals).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <typeinfo>

#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "physics/Body.h"
#include "physics/Capsule.h"
#include "physics/Intersection.h"
#include "physics/OBB.h"
#include "physics/Plane.h"
#include "physics/Ray.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"

namespace {

void expectVectorNear(Vector4 expected, Vector4 actual, float tolerance = 1e-5f) {
    for (int lane = 0; lane < 4; ++lane)
        EXPECT_NEAR(expected.get(lane), actual.get(lane), tolerance) << "lane " << lane;
}

void expectVectorEq(Vector4 expected, Vector4 actual) {
    for (int lane = 0; lane < 4; ++lane) EXPECT_FLOAT_EQ(expected.get(lane), actual.get(lane)) << "lane " << lane;
}

const float pi = 3.14159265f;

TEST(ShapeScale, OnlyPositiveDimensionsAreScaled) {
    Sphere sphere(2);
    sphere.scale(0.5f);
    EXPECT_FLOAT_EQ(1.0f, sphere.radius);
    Sphere empty(0);
    empty.scale(3);
    EXPECT_FLOAT_EQ(0.0f, empty.radius);
    Sphere negative(-1);
    negative.scale(3);
    EXPECT_FLOAT_EQ(-1.0f, negative.radius);

    Rect box;
    box.size = Vector4(1, 2, 3, 0);
    box.scale(2);
    expectVectorEq(Vector4(2, 4, 6, 0), box.size);
    box.size = Vector4(1, 0, 3, 0);
    box.scale(2);
    expectVectorEq(Vector4(1, 0, 3, 0), box.size);
    box.size = Vector4(1, 1, 1, 1);
    box.scale(2);
    expectVectorEq(Vector4(2, 2, 2, 0), box.size);

    Plane plane;
    plane.scale(2);
    expectVectorEq(Vector4(2, 2, 2, 0), plane.size);
    plane.size = Vector4(1, 1, 1, 1);
    plane.scale(2);
    expectVectorEq(Vector4(2, 2, 2, 2), plane.size);

    Capsule capsule;
    capsule.scale(2);
    EXPECT_FLOAT_EQ(2.0f, capsule.radius);
    EXPECT_FLOAT_EQ(2.0f, capsule.length);
    capsule.length = 0;
    capsule.scale(2);
    EXPECT_FLOAT_EQ(2.0f, capsule.radius);
}

TEST(ShapeExtent, BoundingRadiusAndSize) {
    Rect box;
    box.size = Vector4(1, 2, 2, 0);
    EXPECT_FLOAT_EQ(3.0f, box.getBoundingRadius());
    Plane plane;
    plane.size = Vector4(3, 4, 100, 0);
    EXPECT_FLOAT_EQ(5.0f, plane.getBoundingRadius());
    Capsule capsule;
    capsule.length = 2;
    capsule.radius = 0.5f;
    EXPECT_FLOAT_EQ(2.5f, capsule.getBoundingRadius());
    capsule.direction = Vector4(0, 1, 0, 0);
    expectVectorEq(Vector4(0.5f, 2.5f, 0.5f, 0), capsule.getSize());
    EXPECT_FLOAT_EQ(0.0f, Ray().getBoundingRadius());
    expectVectorEq(Vector4(), Ray().getSize());
    expectVectorEq(Vector4(1.5f, 1.5f, 1.5f, 0), Sphere(1.5f).getSize());
    EXPECT_FLOAT_EQ(1.5f, Sphere(1.5f).getBoundingRadius());
}

TEST(ShapeLength, GuardedSetters) {
    Capsule capsule;
    for (float ignored : {0.0f, -1.0f, std::numeric_limits<float>::infinity(), std::nanf("")}) {
        capsule.setLength(ignored);
        EXPECT_FLOAT_EQ(1.0f, capsule.length);
    }
    capsule.setLength(3);
    EXPECT_FLOAT_EQ(3.0f, capsule.length);

    Ray ray;
    ray.setLength(-2);
    ray.setLength(std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ(1.0f, ray.length);
    ray.setLength(7);
    EXPECT_FLOAT_EQ(7.0f, ray.length);
}

TEST(ShapeTransform, TranslateRotateScale) {
    Body body;
    body.position = Vector4(1, 2, 3, 1);
    body.rotation = quaternionFromAxisAngle(Vector4(0, 1, 0, 0), pi / 2);
    body.setShape(new Sphere(2));
    Matrix world = body.shape->transform();
    // +x scaled by the radius, then turned a quarter about +y onto -z.
    expectVectorNear(Vector4(0, 0, -2, 0), world.transform(Vector4(1, 0, 0, 0)));
    expectVectorNear(Vector4(0, 2, 0, 0), world.transform(Vector4(0, 1, 0, 0)));
    expectVectorNear(Vector4(1, 2, 3, 1), world.transform(Vector4(0, 0, 0, 1)));

    Rect* box = new Rect();
    box->size = Vector4(1, 2, 3, 0);
    body.rotation = Quaternion();
    body.setShape(box);
    expectVectorNear(Vector4(1, 2, 3, 0), body.shape->transform().transform(Vector4(1, 1, 1, 0)));

    // A ray is never drawn where it is.
    body.setShape(new Ray());
    EXPECT_EQ(Matrix(), body.shape->transform());
}

TEST(ShapeTransform, CapsuleTurnsFromItsDirectionNotTheBody) {
    Body body;
    body.rotation = quaternionFromAxisAngle(Vector4(1, 0, 0, 0), 1.0f);
    Capsule* capsule = new Capsule();
    capsule->length = 2;
    capsule->radius = 0.5f;
    capsule->direction = Vector4(0, 0, -1, 0);
    body.setShape(capsule);
    expectVectorNear(Vector4(0, 0, -2, 0), body.shape->transform().transform(Vector4(1, 0, 0, 0)));
    capsule->direction = Vector4(0, 1, 0, 0);
    expectVectorNear(Vector4(0, 2, 0, 0), body.shape->transform().transform(Vector4(1, 0, 0, 0)));
    // The radius scales the two axes across the core.
    EXPECT_NEAR(0.5f, length3(body.shape->transform().transform(Vector4(0, 0, 1, 0))), 1e-5f);
}

TEST(ShapeTransform, PlaneWithoutTextureKeepsItsSize) {
    Body body;
    Plane* plane = new Plane();
    plane->size = Vector4(4, 3, 1, 0);
    body.setShape(plane);
    EXPECT_FLOAT_EQ(1.0f, planeTextureAspect(&body));
    EXPECT_FLOAT_EQ(1.0f, planeTextureAspect(nullptr));
    expectVectorNear(Vector4(4, 3, 1, 0), body.shape->transform().transform(Vector4(1, 1, 1, 0)));
}

TEST(ShapeClone, SameKindSameFieldsSameBody) {
    Body body;
    OBB box;
    box.size = Vector4(1, 2, 3, 0);
    box.body = &body;
    std::unique_ptr<Shape> copy(box.clone());
    EXPECT_EQ(typeid(OBB), typeid(*copy));
    EXPECT_EQ(Shape::OBBKind, copy->shapeType);
    EXPECT_EQ(&body, copy->body);
    expectVectorEq(box.size, copy->getSize());
    std::unique_ptr<Shape> rect(Rect().clone());
    EXPECT_EQ(typeid(Rect), typeid(*rect));
}

std::string writeShape(const Shape* shape) {
    std::ostringstream text;
    OStreamWrapper out(text);
    writePointer(out, shape);
    return text.str();
}

Shape* readShape(const std::string& text) {
    std::istringstream source(text);
    IStreamWrapper in(source);
    Shape* shape = nullptr;
    readValue(in, shape);
    return shape;
}

TEST(ShapeText, RoundTripOfEveryRegisteredKind) {
    Capsule* capsule = new Capsule();
    capsule->radius = 0.75f;
    capsule->direction = Vector4(0, 0, 1, 0);
    capsule->length = 2.5f;
    OBB* box = new OBB();
    box->size = Vector4(1, 2, 3, 0);
    Plane* plane = new Plane();
    plane->size = Vector4(4, 3, 0, 0);
    for (Shape* shape : std::initializer_list<Shape*>{capsule, box, plane, new Sphere(3), new Rect()}) {
        std::unique_ptr<Shape> original(shape);
        std::unique_ptr<Shape> back(readShape(writeShape(shape)));
        ASSERT_NE(nullptr, back);
        EXPECT_EQ(typeid(*original), typeid(*back));
        EXPECT_EQ(original->shapeType, back->shapeType);
        expectVectorEq(original->getSize(), back->getSize());
        EXPECT_FLOAT_EQ(original->getBoundingRadius(), back->getBoundingRadius());
    }
    EXPECT_EQ("NULL", writeShape(nullptr).substr(0, 4));
    // Keys may be left out: they keep their defaults.
    std::unique_ptr<Shape> partial(readShape("Capsule 0 length 4 end"));
    ASSERT_NE(nullptr, partial);
    const Capsule& c = static_cast<const Capsule&>(*partial);
    EXPECT_FLOAT_EQ(4.0f, c.length);
    EXPECT_FLOAT_EQ(1.0f, c.radius);
    expectVectorEq(Vector4(1, 0, 0, 0), c.direction);
}

// --- Pair dispatch ---------------------------------------------------------------------------------

// One shape of each kind on its own body, all overlapping each other when one sits at the origin and
// the other at (0.2, 0.1, 0.1).
std::unique_ptr<Body> makeBody(int kind, Vector4 position) {
    auto body = std::make_unique<Body>();
    body->position = position;
    switch (kind) {
    case Shape::RectKind: body->setShape(new Rect()); break;
    case Shape::SphereKind: body->setShape(new Sphere(1)); break;
    case Shape::CapsuleKind: {
        Capsule* capsule = new Capsule();
        capsule->radius = 0.5f;
        body->setShape(capsule);
        break;
    }
    case Shape::RayKind: body->setShape(new Ray(Vector4(1, 0, 0, 0))); break;
    case Shape::OBBKind:
        body->setShape(new OBB());
        body->rotation = quaternionFromAxisAngle(Vector4(0, 0, 1, 0), 0.3f);
        break;
    case Shape::PlaneKind: body->setShape(new Plane()); break;
    }
    return body;
}

const char* kindName(int kind) {
    static const char* names[] = {"Rect", "Sphere", "Capsule", "Ray", "OBB", "Plane"};
    return names[kind];
}

// Row: the shape whose intersect runs; column: the other shape.
const bool tested[6][6] = {
    {true, true, true, true, false, false},  // Rect
    {true, true, true, true, true, true},    // Sphere
    {true, true, true, true, false, false},  // Capsule
    {true, true, true, false, true, false},  // Ray
    {false, true, false, true, false, false},// OBB
    {true, true, true, true, true, true},    // Plane
};

// Pairs that report contact only, with a zero normal.
bool contactOnly(int a, int b) {
    auto either = [&](int x, int y) { return (a == x && b == y) || (a == y && b == x); };
    return either(Shape::CapsuleKind, Shape::RectKind) || either(Shape::RayKind, Shape::RectKind) ||
           either(Shape::RayKind, Shape::OBBKind);
}

TEST(PairDispatch, EveryCellInBothOrders) {
    const Vector4 here(0, 0, 0, 1), there(0.2f, 0.1f, 0.1f, 1);
    for (int a = 0; a < 6; ++a) {
        for (int b = 0; b < 6; ++b) {
            SCOPED_TRACE(std::string(kindName(a)) + " against " + kindName(b));
            auto first = makeBody(a, here);
            auto second = makeBody(b, there);
            Vector4 normal(9, 9, 9, 9);
            float depth = 9;
            bool hit = first->shape->intersect(*second->shape, normal, depth);
            EXPECT_EQ(tested[a][b], hit);
            EXPECT_TRUE(isFiniteVector(normal));
            EXPECT_TRUE(std::isfinite(depth));
            if (!hit) {
                // No stale values leak out of a miss.
                expectVectorEq(Vector4(), normal);
                EXPECT_EQ(0.0f, depth);
                continue;
            }
            if (a == Shape::PlaneKind || b == Shape::PlaneKind) {
                EXPECT_EQ(0.0f, depth);
                // Both orders point from A's place towards B's: away from the plane when the plane
                // runs the test, towards it when a sphere does.
                EXPECT_GT(dot3(normal, there - here), 0.0f);
                continue;
            }
            if (contactOnly(a, b)) {
                expectVectorEq(Vector4(), normal);
                EXPECT_EQ(0.0f, depth);
                continue;
            }
            EXPECT_NEAR(1.0f, std::sqrt(dot4(normal, normal)), 1e-5f);
            if (tested[b][a]) {
                Vector4 reverseNormal;
                float reverseDepth;
                ASSERT_TRUE(second->shape->intersect(*first->shape, reverseNormal, reverseDepth));
                expectVectorNear(-normal, reverseNormal);
                EXPECT_NEAR(depth, reverseDepth, 1e-5f);
            }
        }
    }
}

TEST(PairDispatch, UnknownKindIsNoContactExceptForAPlane) {
    struct Odd : Sphere {
        Odd() { shapeType = 9; }
    };
    Body odd, other;
    odd.setShape(new Odd());
    Vector4 normal;
    float depth;
    for (int kind = 0; kind < 5; ++kind) {
        auto body = makeBody(kind, Vector4(0, 0, 0, 1));
        EXPECT_FALSE(body->shape->intersect(*odd.shape, normal, depth)) << kindName(kind);
    }
    auto plane = makeBody(Shape::PlaneKind, Vector4(0, 0, 0, 1));
    EXPECT_TRUE(plane->shape->intersect(*odd.shape, normal, depth));
}

}  // namespace
