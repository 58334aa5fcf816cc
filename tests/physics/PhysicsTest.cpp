// The physics step: contact detection for the hero only, the position and velocity passes, the
// collision reports, pause and edit mode, and the queries other subsystems make.
#include <gtest/gtest.h>

#include <cmath>

#include "core/SerializeType.h"
#include "physics/Intersection.h"
#include "physics/Plane.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"
#include "PhysicsScene.h"

namespace {

const float frame = 1.0f / 60;

void expectVectorNear(Vector4 expected, Vector4 actual, float tolerance = 1e-5f) {
    for (int lane = 0; lane < 4; ++lane)
        EXPECT_NEAR(expected.get(lane), actual.get(lane), tolerance) << "lane " << lane;
}

Rect* box(float x, float y, float z) {
    Rect* rect = new Rect();
    rect->size = Vector4(x, y, z, 0);
    return rect;
}

// A hero of radius 1 with gravity, resting on a wide immovable floor whose top is at y = -1.
struct Resting : PhysicsScene {
    Resting() {
        hero = addHero(new Sphere(1), at(0, 0, 0));
        hero->body->acceleration = Vector4(0, -10, 0, 0);
        floor = add(box(20, 1, 20), at(0, -2, 0));
    }
    Entity* hero;
    Entity* floor;
};

TEST(PhysicsStep, RestingHeroStaysAtRestWithOneReportPerFrame) {
    Resting scene;
    for (int i = 1; i <= 120; ++i) {
        scene.step(frame);
        Body& hero = *scene.hero->body;
        // Never left moving into the floor, and never bounced off it by gravity alone.
        EXPECT_GE(hero.velocity.y(), 0.0f) << "frame " << i;
        EXPECT_LT(hero.velocity.y(), 1e-3f) << "frame " << i;
        EXPECT_NEAR(0.0f, hero.position.y(), 1e-3f) << "frame " << i;
        ASSERT_EQ(static_cast<std::size_t>(i), scene.messagesOf(scene.hero).size());
        ASSERT_EQ(static_cast<std::size_t>(i), scene.messagesOf(scene.floor).size());
    }
    EXPECT_TRUE(scene.physics->getContacts().empty());
    EXPECT_EQ(at(0, -2, 0), scene.floor->body->position);
}

TEST(PhysicsStep, BothEntitiesGetTheContactWithTheNormalTowardsThem) {
    PhysicsScene scene;
    Entity* hero = scene.addHero(new Sphere(1), at(0, 0, 0));
    hero->body->velocity = Vector4(3, 0, 0, 0);
    hero->body->drag = 0;
    Entity* bumper = scene.add(new Sphere(1), at(1.9f, 0, 0));
    bumper->body->restitution = 0.9f;
    scene.step(frame);

    ASSERT_EQ(1u, scene.messagesOf(hero).size());
    ASSERT_EQ(1u, scene.messagesOf(bumper).size());
    const ReceivedCollision& toHero = scene.messagesOf(hero)[0];
    const ReceivedCollision& toBumper = scene.messagesOf(bumper)[0];
    EXPECT_EQ(bumper->id, toHero.otherEntityId);
    EXPECT_EQ(hero->id, toBumper.otherEntityId);
    expectVectorNear(Vector4(-1, 0, 0, 0), toHero.contact.normal);
    expectVectorNear(Vector4(1, 0, 0, 0), toBumper.contact.normal);
    EXPECT_EQ(toHero.contact.depth, toBumper.contact.depth);
    EXPECT_EQ(toHero.contact.separatingVelocity, toBumper.contact.separatingVelocity);
    EXPECT_FLOAT_EQ(0.6f, toHero.contact.restitution);
    EXPECT_EQ(toHero.contact.restitution, toBumper.contact.restitution);
    EXPECT_EQ(hero->body, toBumper.contact.bodyA);
    EXPECT_EQ(bumper->body, toBumper.contact.bodyB);
    // Bounced back with the mean restitution, pushed out of the bumper.
    EXPECT_NEAR(-3.0f * 0.6f, hero->body->velocity.x(), 1e-4f);
    EXPECT_NEAR(2.0f, bumper->body->position.x() - hero->body->position.x(), 1e-5f);
}

TEST(PhysicsStep, PlaneReportsAreReversed) {
    PhysicsScene scene;
    Entity* hero = scene.addHero(new Sphere(1), at(0, 1, 0));
    Plane* plane = new Plane();
    plane->size = Vector4(4, 3, 0, 0);
    Entity* sign = scene.add(plane, at(0, 0, 0));
    scene.step(frame);
    ASSERT_EQ(1u, scene.messagesOf(hero).size());
    ASSERT_EQ(1u, scene.messagesOf(sign).size());
    // The hero's report points from the hero towards the plane, the plane's towards the hero.
    expectVectorNear(Vector4(0, -1, 0, 0), scene.messagesOf(hero)[0].contact.normal);
    expectVectorNear(Vector4(0, 1, 0, 0), scene.messagesOf(sign)[0].contact.normal);
    EXPECT_EQ(0.0f, scene.messagesOf(hero)[0].contact.depth);
}

TEST(PhysicsStep, TriggerIsReportedButNeverMoved) {
    PhysicsScene scene;
    Entity* hero = scene.addHero(new Sphere(1), at(0, 0, 0));
    hero->body->velocity = Vector4(0.5f, 0, 0, 0);
    hero->body->drag = 0;
    Entity* zone = scene.add(new Sphere(2), at(1, 0, 0), 5);
    zone->body->resolve = false;
    for (int i = 1; i <= 3; ++i) {
        scene.step(frame);
        EXPECT_EQ(static_cast<std::size_t>(i), scene.messagesOf(hero).size());
        EXPECT_EQ(static_cast<std::size_t>(i), scene.messagesOf(zone).size());
    }
    EXPECT_FLOAT_EQ(0.5f, hero->body->velocity.x());
    EXPECT_NEAR(0.5f * 3 * frame, hero->body->position.x(), 1e-5f);
    EXPECT_EQ(at(1, 0, 0), zone->body->position);
}

TEST(PhysicsStep, DisabledBodyIsReportedButNotResolved) {
    PhysicsScene scene;
    Entity* hero = scene.addHero(new Sphere(1), at(0, 0, 0));
    Entity* wall = scene.add(box(1, 5, 5), at(1.5f, 0, 0));
    wall->body->disabled = true;
    scene.step(frame);
    EXPECT_EQ(1u, scene.messagesOf(hero).size());
    EXPECT_EQ(1u, scene.messagesOf(wall).size());
    EXPECT_EQ(at(0, 0, 0), hero->body->position);
}

TEST(PhysicsStep, OnlyTheHerosShapedBodyIsTested) {
    PhysicsScene scene;
    // Without a hero nothing is detected, yet bodies still move.
    Entity* a = scene.add(new Sphere(1), at(0, 0, 0), 1);
    Entity* b = scene.add(new Sphere(1), at(0.5f, 0, 0), 1);
    a->body->velocity = Vector4(1, 0, 0, 0);
    scene.step(frame);
    EXPECT_GT(a->body->position.x(), 0.0f);
    // A hero without a body is the same.
    Entity* bare = new Entity();
    scene.state.addEntity(bare);
    scene.state.rootEntity = bare;
    scene.step(frame);
    // A hero far away: level objects are never tested against each other.
    Entity* hero = scene.addHero(new Sphere(1), at(50, 0, 0));
    scene.step(frame);
    EXPECT_TRUE(scene.messagesOf(a).empty());
    EXPECT_TRUE(scene.messagesOf(b).empty());
    EXPECT_TRUE(scene.messagesOf(hero).empty());
    // Shapeless bodies are passed over, on either side.
    Entity* ghost = scene.add(nullptr, hero->body->position, 1);
    scene.step(frame);
    EXPECT_TRUE(scene.messagesOf(ghost).empty());
    EXPECT_TRUE(scene.physics->findContacts(ghost->body).empty());
    hero->body->setShape(nullptr);
    scene.add(new Sphere(1), hero->body->position);
    scene.step(frame);
    EXPECT_TRUE(scene.messagesOf(hero).empty());
}

// --- The solver passes, driven with hand-made contacts ------------------------------------------------

struct TwoContacts : PhysicsScene {
    TwoContacts() {
        hero = addHero(new Sphere(1), at(0, 0, 0));
        first = add(new Sphere(1), at(0, -5, 0));
        second = add(new Sphere(1), at(-5, -5, 0));
    }
    Entity* hero;
    Entity* first;
    Entity* second;
};

TEST(PhysicsSolver, PositionPassTakesTheLastPenetratingContactFirst) {
    TwoContacts scene;
    const Vector4 up(0, 1, 0, 0);
    const Vector4 diagonal = Vector4(1, 1, 0, 0) / std::sqrt(2.0f);
    scene.physics->addContact(scene.hero->body, scene.first->body, up, 0.5f);
    scene.physics->addContact(scene.hero->body, scene.second->body, diagonal, 0.1f);
    scene.physics->resolvePositions();
    // The later, shallower contact went first; the earlier one then had 0.5 - 0.1/sqrt(2) left.
    EXPECT_NEAR(0.1f / std::sqrt(2.0f), scene.hero->body->position.x(), 1e-5f);
    EXPECT_NEAR(0.5f, scene.hero->body->position.y(), 1e-5f);
    EXPECT_NEAR(0.0f, scene.physics->getContacts()[0].depth, 1e-5f);
    EXPECT_LT(scene.physics->getContacts()[1].depth, 0.0f);
}

TEST(PhysicsSolver, VelocityPassTakesTheFirstOfEqualApproaches) {
    TwoContacts scene;
    scene.hero->body->velocity = Vector4(-1.0f / 3, -1, 0, 0);
    scene.physics->addContact(scene.hero->body, scene.first->body, Vector4(0, 1, 0, 0), 0.0f);
    scene.physics->addContact(scene.hero->body, scene.second->body, Vector4(0.6f, 0.8f, 0, 0), 0.0f);
    ASSERT_FLOAT_EQ(scene.physics->getContacts()[0].separatingVelocity,
                    scene.physics->getContacts()[1].separatingVelocity);
    scene.physics->resolveVelocities(frame);
    // The first contact bounced the hero to 0.3 upwards, which also cleared the second.
    expectVectorNear(Vector4(-1.0f / 3, 0.3f, 0, 0), scene.hero->body->velocity);
    EXPECT_FLOAT_EQ(0.3f, scene.physics->getContacts()[0].separatingVelocity);
    EXPECT_NEAR(0.04f, scene.physics->getContacts()[1].separatingVelocity, 1e-5f);
}

TEST(PhysicsSolver, ImmovablePairIsNeverCorrectedOrDividedByZero) {
    PhysicsScene scene;
    Entity* a = scene.add(new Sphere(1), at(0, 0, 0));
    Entity* b = scene.add(new Sphere(1), at(1, 0, 0));
    a->body->velocity = Vector4(1, 0, 0, 0);
    scene.physics->addContact(a->body, b->body, Vector4(-1, 0, 0, 0), 1.0f);
    scene.physics->resolvePositions();
    scene.physics->resolveVelocities(frame);
    EXPECT_TRUE(isFiniteVector(a->body->position));
    EXPECT_TRUE(isFiniteVector(a->body->velocity));
    EXPECT_EQ(at(0, 0, 0), a->body->position);
    // collideBodies never makes such a contact in the first place.
    EXPECT_FALSE(collideBodies(a->body, b->body));
}

TEST(PhysicsSolver, CollideBodiesFollowsTheFlags) {
    PhysicsScene scene;
    Entity* a = scene.add(new Sphere(1), at(0, 0, 0), 1);
    Entity* b = scene.add(new Sphere(1), at(1, 0, 0));
    EXPECT_TRUE(collideBodies(a->body, b->body));
    EXPECT_EQ(1u, scene.physics->getContacts().size());
    b->body->collides = false;
    EXPECT_FALSE(collideBodies(a->body, b->body));
    b->body->collides = true;
    b->body->resolve = false;
    b->body->disabled = true;
    EXPECT_TRUE(collideBodies(a->body, b->body));
    EXPECT_EQ(2u, scene.physics->getContacts().size());

    // Without a Physics to record in, a hit is still answered.
    PhysicsScene bare(false);
    Body p, q;
    p.setShape(new Sphere(1));
    q.setShape(new Sphere(1));
    p.setMass(1);
    EXPECT_TRUE(collideBodies(&p, &q));
}

// --- Pause and edit mode -----------------------------------------------------------------------------

TEST(PhysicsModes, PausedStateSendsNothingAndMovesNothing) {
    Resting scene;
    scene.hero->body->velocity = Vector4(1, 0, 0, 0);
    scene.state.setPaused(true);
    EXPECT_TRUE(scene.physics->disabled);
    Vector4 before = scene.hero->body->position;
    for (int i = 0; i < 3; ++i) scene.step(frame);
    EXPECT_TRUE(scene.messagesOf(scene.hero).empty());
    EXPECT_TRUE(scene.messagesOf(scene.floor).empty());
    EXPECT_TRUE(scene.physics->getContacts().empty());
    EXPECT_EQ(before, scene.hero->body->position);

    scene.state.setPaused(false);
    EXPECT_FALSE(scene.physics->disabled);
    scene.step(frame);
    EXPECT_EQ(1u, scene.messagesOf(scene.hero).size());
}

// Stands in for the level editor's component, registered under its class name.
class EditorStandIn : public Component {
public:
    Component* clone() const override { return new EditorStandIn(*this); }
};
const auto& editorStandInType = registerType<EditorStandIn>("EditorController");

TEST(PhysicsModes, EditorSteeringTheHeroStopsSweepAndReports) {
    Resting scene;
    EditorStandIn* editor = new EditorStandIn();
    scene.hero->addComponent(editor);
    EXPECT_TRUE(isHeroUnderEditorControl(scene.hero));
    scene.hero->body->acceleration = Vector4();
    scene.hero->body->velocity = Vector4(0, -120, 0, 0);
    for (int i = 0; i < 3; ++i) scene.step(frame);
    EXPECT_TRUE(scene.messagesOf(scene.hero).empty());
    EXPECT_TRUE(scene.messagesOf(scene.floor).empty());
    // Not swept and not pushed out: it flies through the floor.
    EXPECT_LT(scene.hero->body->position.y(), -4.0f);

    // Editing off (the editor's component disabled): played again.
    editor->disabled = true;
    EXPECT_FALSE(isHeroUnderEditorControl(scene.hero));
    scene.hero->body->position = at(0, 0, 0);
    scene.hero->body->velocity = Vector4();
    scene.step(frame);
    EXPECT_EQ(1u, scene.messagesOf(scene.hero).size());

    // An answer the editor installs takes precedence over the lookup.
    setEditorControlQuery([](Entity*) { return true; });
    EXPECT_TRUE(isHeroUnderEditorControl(scene.hero));
    scene.step(frame);
    EXPECT_EQ(1u, scene.messagesOf(scene.hero).size());
    setEditorControlQuery(nullptr);
    EXPECT_FALSE(isHeroUnderEditorControl(nullptr));
}

TEST(PhysicsModes, EditAndPlayModeMessagesSwitchEveryBody) {
    Resting scene;
    sendMessage(new Message(21), true);
    EXPECT_TRUE(scene.hero->body->disabled);
    EXPECT_TRUE(scene.floor->body->disabled);
    scene.hero->body->velocity = Vector4(1, 0, 0, 0);
    Vector4 before = scene.hero->body->position;
    scene.step(frame);
    // Not integrated, not resolved; the step itself still runs.
    EXPECT_EQ(before, scene.hero->body->position);

    sendMessage(new Message(20), true);
    EXPECT_FALSE(scene.hero->body->disabled);
    EXPECT_FALSE(scene.floor->body->disabled);
    scene.step(frame);
    EXPECT_GT(scene.hero->body->position.x(), before.x());
}

// --- Queries -----------------------------------------------------------------------------------------

TEST(PhysicsQueries, TryResolveBody) {
    {
        // A ball of radius 2 centred on a wall's face overlaps it by 2: pushed out, the wall stays.
        PhysicsScene scene;
        Entity* wall = scene.add(box(1, 10, 10), at(0, 0, 0));
        Entity* ball = scene.add(new Sphere(2), at(1, 0, 0), 1);
        EXPECT_TRUE(scene.physics->tryResolveBody(ball->body));
        EXPECT_NEAR(3.0f, ball->body->position.x(), 1e-5f);
        EXPECT_EQ(at(0, 0, 0), wall->body->position);
        EXPECT_TRUE(scene.physics->getContacts().empty());
    }
    {
        // Overlapping only a trigger fits where it is.
        PhysicsScene scene;
        scene.add(new Sphere(3), at(0, 0, 0))->body->resolve = false;
        Entity* ball = scene.add(new Sphere(1), at(0.5f, 0, 0), 1);
        EXPECT_TRUE(scene.physics->tryResolveBody(ball->body));
        EXPECT_EQ(at(0.5f, 0, 0), ball->body->position);
    }
    {
        // Squeezed between two walls 2 apart a ball of radius 2 fits nowhere: put back, velocity kept.
        PhysicsScene scene;
        scene.add(box(1, 10, 10), at(-2, 0, 0));
        scene.add(box(1, 10, 10), at(2, 0, 0));
        Entity* ball = scene.add(new Sphere(2), at(0.3f, 0, 0), 1);
        ball->body->velocity = Vector4(1, 2, 3, 0);
        EXPECT_FALSE(scene.physics->tryResolveBody(ball->body));
        EXPECT_EQ(at(0.3f, 0, 0), ball->body->position);
        EXPECT_EQ(Vector4(1, 2, 3, 0), ball->body->velocity);
        EXPECT_TRUE(scene.physics->getContacts().empty());
    }
}

TEST(PhysicsQueries, FindContactsWithAProbeBodyInRegistrationOrder) {
    PhysicsScene scene;
    Entity* first = scene.add(new Sphere(1), at(0, 0, 0));
    Entity* far = scene.add(new Sphere(1), at(10, 0, 0));
    Entity* trigger = scene.add(box(1, 1, 1), at(0.5f, 0, 0));
    trigger->body->resolve = false;
    trigger->body->collides = false;
    trigger->body->disabled = true;
    Entity* last = scene.add(new Sphere(1), at(-0.5f, 0, 0), 2);

    // A probe that is not registered, as the editor builds one.
    Body probe;
    probe.position = at(0.1f, 0, 0);
    probe.setShape(new Sphere(0.01f));
    std::vector<Contact> found = scene.physics->findContacts(&probe);
    ASSERT_EQ(3u, found.size());
    EXPECT_EQ(first->body, found[0].bodyB);
    EXPECT_EQ(trigger->body, found[1].bodyB);
    EXPECT_EQ(last->body, found[2].bodyB);
    EXPECT_EQ(&probe, found[0].bodyA);
    EXPECT_GT(found[0].depth, 0.0f);
    EXPECT_TRUE(scene.physics->getContacts().empty());
    (void)far;

    probe.position = at(5, 5, 5);
    EXPECT_TRUE(scene.physics->findContacts(&probe).empty());
}

TEST(PhysicsQueries, CastRayNearestFirst) {
    PhysicsScene scene;
    Body eye;
    eye.position = at(0, 0, 0);
    Ray* ray = new Ray(Vector4(1, 0, 0, 0));
    eye.setShape(ray);
    Entity* ball = scene.add(new Sphere(1), at(5, 0.5f, 0));
    Entity* block = scene.add(box(1, 1, 1), at(5, 0, 0));
    Entity* hidden = scene.add(box(1, 1, 1), at(8, 0, 0));
    hidden->body->collides = false;
    scene.add(new Plane(), at(3, 0, 0));
    scene.add(new Ray(), at(2, 0, 0));
    scene.add(nullptr, at(2, 0, 0));

    std::map<float, Body*> hits = castRay(*ray);
    ASSERT_EQ(2u, hits.size());
    EXPECT_EQ(4.0f, hits.begin()->first);
    EXPECT_EQ(block->body, hits.begin()->second);
    EXPECT_EQ(5.0f, std::next(hits.begin())->first);
    EXPECT_EQ(ball->body, std::next(hits.begin())->second);
}

TEST(PhysicsQueries, CastRayTiesAndMissingWorlds) {
    Body eye;
    Ray* ray = new Ray(Vector4(0, 0, 1, 0));
    eye.setShape(ray);
    {
        // Two bodies at exactly the same distance: the one walked later stays.
        PhysicsScene scene;
        scene.add(new Sphere(1), at(0, 0.5f, 3));
        Entity* later = scene.add(new Sphere(1), at(0.5f, 0, 3));
        std::map<float, Body*> hits = castRay(*ray);
        ASSERT_EQ(1u, hits.size());
        EXPECT_EQ(later->body, hits.at(3.0f));
    }
    GameState* previous = currentGameState;
    currentGameState = nullptr;
    EXPECT_TRUE(castRay(*ray).empty());
    currentGameState = previous;
    PhysicsScene bare(false);
    bare.add(new Sphere(1), at(0, 0, 3));
    EXPECT_TRUE(castRay(*ray).empty());
}

// --- The body set ------------------------------------------------------------------------------------

TEST(PhysicsBodies, KeepJoiningOrderThroughRemovalsAndCompaction) {
    PhysicsScene scene;
    std::vector<Entity*> entities;
    for (int i = 0; i < 200; ++i) entities.push_back(scene.add(new Sphere(1), at(3.0f * i, 0, 0)));
    for (int i = 0; i < 200; i += 3) scene.state.removeEntity(entities[i]);
    scene.state.flushRemovedEntities();
    std::vector<Body*> expected;
    for (int i = 0; i < 200; ++i)
        if (i % 3 != 0) expected.push_back(entities[i]->body);
    EXPECT_EQ(expected, scene.physics->getBodies());

    // Leaving and joining again puts a body at the end.
    Body* moved = entities[1]->body;
    scene.physics->removeBody(moved);
    scene.physics->addBody(moved);
    expected.erase(expected.begin());
    expected.push_back(moved);
    EXPECT_EQ(expected, scene.physics->getBodies());
    scene.physics->addBody(moved);
    EXPECT_EQ(expected.size(), scene.physics->bodyCount());
}

TEST(PhysicsBodies, ABodyBelongsToOneWorld) {
    PhysicsScene scene;
    Entity* ball = scene.add(new Sphere(1), at(0, 0, 0));
    Physics other;
    other.addBody(ball->body);
    EXPECT_FALSE(scene.physics->hasBody(ball->body));
    EXPECT_TRUE(other.hasBody(ball->body));
    std::unique_ptr<GameStateComponent> copy(other.clone());
    EXPECT_EQ(0u, static_cast<Physics&>(*copy).bodyCount());
    other.removeBody(ball->body);
    EXPECT_EQ(0u, other.bodyCount());
}

TEST(PhysicsHooks, RootBodyGetsItsSweepRay) {
    PhysicsScene scene;
    Entity* hero = scene.add(new Sphere(1), at(0, 0, 0), 1);
    ASSERT_NE(nullptr, gameStateHooks().prepareRootBody);
    gameStateHooks().prepareRootBody(scene.state, *hero);
    ASSERT_NE(nullptr, hero->body->sweepRay);
    EXPECT_EQ(hero->body, hero->body->sweepRay->body);
    EXPECT_EQ(Vector4(1, 0, 0, 0), hero->body->sweepRay->direction);
    Entity* bare = new Entity();
    scene.state.addEntity(bare);
    gameStateHooks().prepareRootBody(scene.state, *bare);
}

}  // namespace
