// The rigid body: integration with drag, impulses and rolling, the hero's sweep, copies, joining and
// leaving the physics world, and the saved form.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>

#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "physics/Intersection.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"
#include "PhysicsScene.h"

namespace {

void expectVectorNear(Vector4 expected, Vector4 actual, float tolerance = 1e-5f) {
    for (int lane = 0; lane < 4; ++lane)
        EXPECT_NEAR(expected.get(lane), actual.get(lane), tolerance) << "lane " << lane;
}

TEST(BodyIntegrate, DragKeepsAShareOfTheVelocityPerStep) {
    Body body;
    body.velocity = Vector4(1, 0, 0, 0);
    body.integrate(0.1f);
    EXPECT_NEAR(0.94f, body.velocity.x(), 1e-6f);
    body.integrate(0.1f);
    EXPECT_NEAR(0.94f * 0.94f, body.velocity.x(), 1e-6f);
    EXPECT_NEAR(0.1f * 0.94f * (1 + 0.94f), body.position.x(), 1e-6f);
    EXPECT_EQ(0.0f, body.velocity.w());
    EXPECT_EQ(1.0f, body.position.w());

    // Drag beyond one step's worth turns the velocity round.
    body.velocity = Vector4(1, 0, 0, 0);
    body.drag = 0.5f;
    body.integrate(0.1f);
    EXPECT_NEAR(-2.0f, body.velocity.x(), 1e-6f);
}

TEST(BodyIntegrate, ForceIsAnImpulseTimesInverseMassAndThenCleared) {
    for (float dt : {0.1f, 0.016f}) {
        Body body;
        body.drag = 0;
        body.setMass(2);
        body.accumulatedForce = Vector4(2, 0, 0, 0);
        body.integrate(dt);
        EXPECT_FLOAT_EQ(1.0f, body.velocity.x());
        EXPECT_EQ(Vector4(), body.accumulatedForce);
        EXPECT_FLOAT_EQ(dt, body.position.x());
        EXPECT_FLOAT_EQ(body.position.x() - dt, body.previousPosition.x());
    }
    // An immovable body ignores forces but keeps its own motion.
    Body fixed;
    fixed.drag = 0;
    fixed.accumulatedForce = Vector4(100, 0, 0, 0);
    fixed.velocity = Vector4(0, 1, 0, 0);
    fixed.acceleration = Vector4(0, 0, 2, 0);
    fixed.integrate(0.5f);
    EXPECT_FLOAT_EQ(0.0f, fixed.velocity.x());
    EXPECT_FLOAT_EQ(1.0f, fixed.velocity.y());
    EXPECT_FLOAT_EQ(1.0f, fixed.velocity.z());
    expectVectorNear(Vector4(0, 0.5f, 0.5f, 1), fixed.position);
}

// A ball of radius 1 moved exactly by the displacement in one step.
Body rolledBy(Vector4 displacement, float radius = 1) {
    Body body;
    body.setShape(new Sphere(radius));
    body.drag = 0;
    body.velocity = displacement;
    body.integrate(1.0f);
    return body;
}

TEST(BodyIntegrate, SphereRollsWithItsDisplacement) {
    // (0, 0, 1): a turn of 1 radian about +x carries +y to (0, cos 1, sin 1).
    Body forward = rolledBy(Vector4(0, 0, 1, 0));
    expectVectorNear(Vector4(0, std::cos(1.0f), std::sin(1.0f), 0),
                     quaternionRotate(forward.rotation, Vector4(0, 1, 0, 0)), 1e-4f);
    // (1, 0, 0): a turn of 1 radian about -z carries +y to (sin 1, cos 1, 0).
    Body sideways = rolledBy(Vector4(1, 0, 0, 0));
    expectVectorNear(Vector4(std::sin(1.0f), std::cos(1.0f), 0, 0),
                     quaternionRotate(sideways.rotation, Vector4(0, 1, 0, 0)), 1e-4f);
    // A larger ball turns less for the same way.
    Body large = rolledBy(Vector4(0, 0, 1, 0), 2);
    expectVectorNear(Vector4(0, std::cos(0.5f), std::sin(0.5f), 0),
                     quaternionRotate(large.rotation, Vector4(0, 1, 0, 0)), 1e-4f);
    // A move along y does not turn it.
    Body falling = rolledBy(Vector4(0, 3, 0, 0));
    expectVectorNear(Vector4(0, 1, 0, 0), quaternionRotate(falling.rotation, Vector4(0, 1, 0, 0)));
    // The orientation stays a unit quaternion over many steps.
    Body rolling = rolledBy(Vector4(0.3f, 0, 0.2f, 0));
    for (int i = 0; i < 1000; ++i) rolling.integrate(1.0f / 60);
    EXPECT_NEAR(1.0f, dot4(rolling.rotation.toVector4(), rolling.rotation.toVector4()), 1e-4f);
}

TEST(BodyIntegrate, BallWithoutRadiusDoesNotRoll) {
    Body body = rolledBy(Vector4(1, 0, 1, 0), 0);
    EXPECT_EQ(Quaternion(), body.rotation);
    EXPECT_FLOAT_EQ(1.0f, body.position.x());
    // Other kinds never roll either.
    Body box;
    box.setShape(new Rect());
    box.velocity = Vector4(1, 0, 1, 0);
    box.integrate(1);
    EXPECT_EQ(Quaternion(), box.rotation);
}

TEST(BodyCopy, OwnShapeNoRayUnregisteredRenormalised) {
    PhysicsScene scene;
    Entity* entity = scene.add(new Sphere(2), at(1, 2, 3), 3);
    Body& source = *entity->body;
    source.setSweepRay(new Ray());
    source.rotation = Quaternion(0, 0, 0, 1.1f);
    source.velocity = Vector4(1, 0, 0, 0);
    source.resolve = false;
    source.disabled = true;
    std::unique_ptr<Body> copy(static_cast<Body*>(source.clone()));
    ASSERT_NE(nullptr, copy->shape);
    EXPECT_NE(source.shape, copy->shape);
    EXPECT_EQ(copy.get(), copy->shape->body);
    EXPECT_FLOAT_EQ(2.0f, copy->shape->getBoundingRadius());
    EXPECT_EQ(nullptr, copy->sweepRay);
    EXPECT_EQ(nullptr, copy->getPhysics());
    EXPECT_EQ(nullptr, copy->owner);
    EXPECT_FALSE(copy->disabled);
    EXPECT_FALSE(copy->initialised);
    EXPECT_FALSE(copy->resolve);
    EXPECT_FLOAT_EQ(1.1f * (1.5f - 0.5f * 1.21f), copy->rotation.w());
    EXPECT_EQ(source.position, copy->position);
    EXPECT_EQ(source.velocity, copy->velocity);
    EXPECT_FLOAT_EQ(1.0f / 3, copy->inverseMass);
    EXPECT_EQ(1u, scene.physics->bodyCount());

    // A shapeless body copies to a shapeless body.
    Body bare;
    std::unique_ptr<Body> bareCopy(static_cast<Body*>(bare.clone()));
    EXPECT_EQ(nullptr, bareCopy->shape);
}

TEST(BodyWorld, JoinsOnInitialiseAndLeavesOnDestruction) {
    PhysicsScene scene;
    Entity* first = scene.add(new Sphere(1), at(0, 0, 0));
    Entity* second = scene.add(new Sphere(1), at(5, 0, 0));
    EXPECT_TRUE(scene.physics->hasBody(first->body));
    ASSERT_EQ(2u, scene.physics->bodyCount());
    scene.state.removeEntity(first);
    scene.state.flushRemovedEntities();
    EXPECT_EQ(1u, scene.physics->bodyCount());
    EXPECT_EQ(std::vector<Body*>{second->body}, scene.physics->getBodies());

    // Without a Physics in the state a body only marks itself initialised.
    PhysicsScene empty(false);
    Body loose;
    loose.initialize();
    EXPECT_TRUE(loose.initialised);
    EXPECT_EQ(nullptr, loose.getPhysics());
}

TEST(BodyWorld, OutlivingItsWorldIsSafe) {
    auto body = std::make_unique<Body>();
    {
        PhysicsScene scene;
        body->initialize();
        EXPECT_EQ(scene.physics, body->getPhysics());
    }
    EXPECT_EQ(nullptr, body->getPhysics());
}

std::unique_ptr<Body> readBody(const std::string& text) {
    std::istringstream source(text);
    IStreamWrapper in(source);
    auto body = std::make_unique<Body>();
    readValue(in, *body);
    return body;
}

TEST(BodyText, ReadSetsInverseMassShapeOwnerAndPreviousPosition) {
    auto body = readBody(
        "Body 1 0 Component disabled 1 end position 1 2 3 1 mass 4 shape Sphere 0 radius 2 end resolve 0 end");
    EXPECT_FLOAT_EQ(0.25f, body->inverseMass);
    EXPECT_EQ(Vector4(1, 2, 3, 1), body->position);
    EXPECT_EQ(body->position, body->previousPosition);
    ASSERT_NE(nullptr, body->shape);
    EXPECT_EQ(body.get(), body->shape->body);
    EXPECT_FLOAT_EQ(2.0f, body->shape->getBoundingRadius());
    EXPECT_TRUE(body->disabled);
    EXPECT_FALSE(body->resolve);
    EXPECT_TRUE(body->collides);
    EXPECT_FLOAT_EQ(0.3f, body->restitution);

    auto immovable = readBody("Body 1 0 Component end mass 0 shape NULL end");
    EXPECT_EQ(0.0f, immovable->inverseMass);
    EXPECT_EQ(nullptr, immovable->shape);
}

TEST(BodyText, WrittenBodyReadsBackTheSame) {
    Body original;
    original.position = Vector4(1, -2, 3.5f, 1);
    original.rotation = quaternionFromAxisAngle(Vector4(0, 1, 0, 0), 0.5f);
    original.velocity = Vector4(0.25f, 0, -1, 0);
    original.acceleration = Vector4(0, -9.5f, 0, 0);
    original.setMass(2);
    original.drag = 0.02f;
    original.restitution = 0.8f;
    original.accumulatedForce = Vector4(1, 1, 0, 0);
    original.collides = false;
    Rect* box = new Rect();
    box->size = Vector4(2, 0.5f, 1, 0);
    original.setShape(box);
    std::ostringstream text;
    OStreamWrapper out(text);
    writeObject(out, original);

    auto back = readBody(text.str());
    EXPECT_EQ(original.position, back->position);
    EXPECT_EQ(original.velocity, back->velocity);
    EXPECT_EQ(original.acceleration, back->acceleration);
    EXPECT_EQ(original.accumulatedForce, back->accumulatedForce);
    for (int lane = 0; lane < 4; ++lane) EXPECT_NEAR(original.rotation[lane], back->rotation[lane], 1e-5f);
    EXPECT_FLOAT_EQ(0.5f, back->inverseMass);
    EXPECT_FLOAT_EQ(0.02f, back->drag);
    EXPECT_FLOAT_EQ(0.8f, back->restitution);
    EXPECT_FALSE(back->collides);
    EXPECT_TRUE(back->resolve);
    ASSERT_NE(nullptr, back->shape);
    EXPECT_EQ(Shape::RectKind, back->shape->shapeType);
    EXPECT_EQ(box->size, back->shape->getSize());
}

TEST(BodyText, OlderVersionsAndRereading) {
    // Version 0 has no Component part.
    auto old = readBody("Body 0 mass 2 drag 0.5 end");
    EXPECT_FLOAT_EQ(0.5f, old->inverseMass);
    EXPECT_FLOAT_EQ(0.5f, old->drag);
    // Reading another shape into a body replaces (and frees) the old one.
    std::istringstream source("Body 1 0 Component end shape Rect 0 end mass -2 end");
    IStreamWrapper in(source);
    readValue(in, *old);
    ASSERT_NE(nullptr, old->shape);
    EXPECT_EQ(Shape::RectKind, old->shape->shapeType);
    EXPECT_EQ(old.get(), old->shape->body);
    EXPECT_FLOAT_EQ(-0.5f, old->inverseMass);
}

// --- The hero's sweep ------------------------------------------------------------------------------

// A hero of radius 0.5 that moved from the origin towards (3, 0, 0) in its last step, and a small ball
// whose centre lies 2 along the way.
struct SweepCase {
    const char* name;
    float travel;           // how far the hero got this step
    float obstacleAt;       // where the obstacle's centre lies along the way
    bool obstacleResolves;
    bool withRay;
    float expectedEnd;
};

TEST(BodySweep, StopsShortOfTheFirstResolvingBodyOnly) {
    const SweepCase cases[] = {
        {"stops short: 2 - 0.5 x 0.5", 3, 2, true, true, 1.75f},
        {"passes a trigger", 3, 2, false, true, 3},
        {"passes what it touches already", 3, 0.4f, true, true, 3},
        {"a short step is not shortened", 1.5f, 2, true, true, 1.5f},
        {"did not move: stays, no NaN", 0, 2, true, true, 0},
        {"no ray, no sweep", 3, 2, true, false, 3},
    };
    for (const SweepCase& c : cases) {
        SCOPED_TRACE(c.name);
        PhysicsScene scene;
        Entity* hero = scene.addHero(new Sphere(0.5f), at(0, 0, 0));
        Entity* obstacle = scene.add(new Sphere(0.25f), at(c.obstacleAt, 0.1f, 0));
        obstacle->body->resolve = c.obstacleResolves;
        if (!c.withRay) hero->body->setSweepRay(nullptr);
        hero->body->velocity = Vector4(1, 0, 0, 0);
        hero->body->position = at(c.travel, 0, 0);
        hero->body->sweep();
        EXPECT_TRUE(isFiniteVector(hero->body->position));
        expectVectorNear(at(c.expectedEnd, 0, 0), hero->body->position);
        EXPECT_EQ(Vector4(1, 0, 0, 0), hero->body->velocity);
    }
}

TEST(BodySweep, HeroOfAnotherKindUsesItsBoundingRadius) {
    PhysicsScene scene;
    Rect* box = new Rect();
    box->size = Vector4(0.3f, 0.4f, 0, 0);  // bounding radius 0.5
    Entity* hero = scene.addHero(box, at(0, 0, 0));
    scene.add(new Sphere(0.25f), at(2, 0.1f, 0));
    hero->body->position = at(3, 0, 0);
    hero->body->sweep();
    expectVectorNear(at(1.75f, 0, 0), hero->body->position);
}

}  // namespace
