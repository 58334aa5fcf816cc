// The level objects in a running level: score spheres and the next target, checkpoints' feedback,
// lifetimes, barriers, fall-faster fields, patrols, the end-of-level triggers, and edit mode.
#include <cmath>

#include "PlayScene.h"
#include "effects/FadeInComponent.h"
#include "effects/FadeOutComponent.h"
#include "effects/StrangeLinePattern.h"
#include "engine/GameplayMessages.h"
#include "game/BumperLogic.h"
#include "game/CheckPointLogic.h"
#include "game/DirectedBumperLogic.h"
#include "game/EndGameBarrier.h"
#include "game/EndGameReward.h"
#include "game/EndOfFirstPart.h"
#include "game/EndOfGameComponent.h"
#include "game/FallFasterField.h"
#include "game/FirstScoreSphere.h"
#include "game/LifetimeComponent.h"
#include "game/PatrollingComponent.h"
#include "game/ScoreSphereLogic.h"
#include "physics/Plane.h"

namespace {

Entity* addSphere(PlayScene& scene, Vector4 position, ScoreSphereLogic* logic = nullptr) {
    return scene.addObject(position, new Sphere(0.5f), {logic ? logic : new ScoreSphereLogic()}, false);
}

}  // namespace

TEST(ScoreSpheres, PickUpFadesAndRemovesAndTheNearestIsTheTarget) {
    PlayScene scene;
    scene.addFloor();
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    ScoreSphereLogic::updateNextTarget();
    EXPECT_EQ(Vector4(0.0f, 0.0f, 0.0f, 0.0f), nextScoreSpherePosition) << "no sphere, the origin";

    Entity* touching = addSphere(scene, Vector4(1.2f, 1.0f, 0.0f, 1.0f));
    Entity* near = addSphere(scene, Vector4(-6.0f, 1.0f, 0.0f, 1.0f));
    Entity* twin = addSphere(scene, Vector4(6.0f, 1.0f, 0.0f, 1.0f));
    scoreSpheresAtPlayStart = 3;
    scene.frame();
    ScoreSphereLogic::updateNextTarget();
    EXPECT_EQ(touching->body->position, nextScoreSpherePosition);

    // The physics contact reaches the sphere in the next frame: it stops colliding and fades.
    scene.frame();
    ScoreSphereLogic* picked = touching->getComponent<ScoreSphereLogic>();
    EXPECT_TRUE(picked->destroy);
    EXPECT_FALSE(touching->body->collides);
    EXPECT_TRUE(picked->counted);
    ASSERT_EQ(1u, PlayScene::played("score2").size()) << "x 1.2 is odd";
    EXPECT_EQ(touching->body->position, PlayScene::played("score2")[0]);
    ScoreSphereLogic::updateNextTarget();
    // Two spheres at the same distance: the one that joined first.
    EXPECT_EQ(near->body->position, nextScoreSpherePosition);
    EXPECT_EQ(3u, liveScoreSpheres.count);
    scene.frame(15);
    EXPECT_EQ(3u, liveScoreSpheres.count) << "still fading";
    const std::uint32_t pickedId = touching->id;
    scene.frame(3);
    EXPECT_EQ(2u, liveScoreSpheres.count);
    EXPECT_EQ(nullptr, findEntityById(pickedId));

    // Removing spheres keeps the list linked; the last one gone leaves the origin as target.
    scene.state.removeEntity(near);
    scene.state.removeEntity(twin);
    scene.frame();
    EXPECT_EQ(0u, liveScoreSpheres.count);
    EXPECT_EQ(nullptr, liveScoreSpheres.head);
    ScoreSphereLogic::updateNextTarget();
    EXPECT_EQ(Vector4(0.0f, 0.0f, 0.0f, 0.0f), nextScoreSpherePosition);

    // The sound follows the whole part of x: even "score1", odd "score2", negatives alike.
    for (float x : {4.9f, 5.0f, -1.5f, -2.0f}) {
        Entity* s = addSphere(scene, Vector4(x, 40.0f, 0.0f, 1.0f));
        s->getComponent<ScoreSphereLogic>()->collect();
    }
    EXPECT_EQ(2u, PlayScene::played("score1").size());
    EXPECT_EQ(3u, PlayScene::played("score2").size());
    EXPECT_EQ(4.9f, PlayScene::played("score1")[0].x());
    EXPECT_EQ(-2.0f, PlayScene::played("score1")[1].x());
    (void)hero;
}

TEST(ScoreSpheres, TheFirstSpherePowersUpAndShrinksTheWantedSize) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 100.0f, 0.0f, 1.0f), 100.0f);
    Entity* first = addSphere(scene, Vector4(0.0f, 0.0f, 0.0f, 1.0f), new FirstScoreSphere());
    EXPECT_EQ("SCORE_SPHERE", first->getComponent<Logic>()->typeName);
    touch(first, hero, Vector4(0.0f, -1.0f, 0.0f, 0.0f));
    GrowShrink* size = hero->getComponent<GrowShrink>();
    EXPECT_EQ(50.0f, size->minSize);
    EXPECT_EQ(200.0f, size->maxSize);
    EXPECT_NEAR(1.15f, size->growFactor, 1e-6f);
    EXPECT_EQ(50.0f, size->currentTargetSize);
    // A clone of a collected sphere is a fresh one.
    std::unique_ptr<Component> copy(first->getComponent<ScoreSphereLogic>()->clone());
    EXPECT_FALSE(static_cast<ScoreSphereLogic*>(copy.get())->destroy);
    EXPECT_FALSE(static_cast<ScoreSphereLogic*>(copy.get())->listed);
}

TEST(CheckPoints, ArrivalDimsRestoresThePreviousAndSpawnsTheText) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    hero->body->velocity = Vector4(4.0f, 3.0f, -2.0f, 0.0f);
    auto* box = new Rect();
    box->size = Vector4(2.0f, 5.0f, 3.0f, 0.0f);
    Entity* a = scene.addObject(Vector4(10.0f, 5.0f, 0.0f, 1.0f), box, {new CheckPointLogic()}, false);
    a->graphics->diffuseColor = Vector4(0.2f, 0.9f, 0.3f, 1.0f);
    Entity* b = scene.addObject(Vector4(30.0f, 1.0f, 0.0f, 1.0f), new Rect(), {new CheckPointLogic()}, false);
    b->graphics->diffuseColor = Vector4(0.9f, 0.9f, 0.1f, 1.0f);
    const std::size_t entitiesBefore = scene.state.entityIdMap.size();

    touch(a, hero, Vector4(-1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(a->getComponent<CheckPointLogic>(), CheckPointLogic::currentCheckPoint);
    EXPECT_NE(nullptr, a->getComponent<FadeOutComponent>());
    ASSERT_EQ(entitiesBefore + 1, scene.state.entityIdMap.size());
    Entity* text = scene.state.pendingAddedEntities.back();
    ASSERT_NE(nullptr, text->body);
    ASSERT_EQ(Shape::PlaneKind, text->body->shape->shapeType);
    EXPECT_EQ(Vector4(5.0f, 5.0f, 5.0f, 0.0f), static_cast<Plane*>(text->body->shape)->size);
    EXPECT_EQ(Vector4(0.0f, 5.0f, 0.0f, 0.0f), text->body->acceleration);
    EXPECT_EQ(Vector4(2.0f, 0.0f, -1.0f, 0.0f), text->body->velocity);
    EXPECT_FALSE(text->body->resolve);
    EXPECT_FALSE(text->body->collides);
    EXPECT_FLOAT_EQ(0.9999f, text->graphics->diffuseColor.w());
    EXPECT_NE(nullptr, text->getComponent<LifetimeComponent>());
    EXPECT_NE(nullptr, text->getComponent<FadeInComponent>());

    // Touching the current one again does nothing.
    touch(a, hero, Vector4(-1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(entitiesBefore + 1, scene.state.entityIdMap.size());

    // The next arrival gives the first one the new one's colour, fading in.
    scene.frame(20);
    touch(b, hero, Vector4(-1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(b->getComponent<CheckPointLogic>(), CheckPointLogic::currentCheckPoint);
    EXPECT_EQ(Vector4(0.9f, 0.9f, 0.1f, 1.0f), a->graphics->diffuseColor);
    EXPECT_NE(nullptr, a->getComponent<FadeInComponent>());

    ASSERT_EQ(2u, PlayScene::played("checkPoint").size());
    EXPECT_EQ(hero->body->position, PlayScene::played("checkPoint")[1]) << "at the hero";

    // The floating texts go after three seconds.
    scene.frame(3 * 64 + 2);
    EXPECT_EQ(entitiesBefore, scene.state.entityIdMap.size());
    // A destroyed current checkpoint is forgotten.
    scene.state.removeEntity(b);
    scene.frame();
    EXPECT_EQ(nullptr, CheckPointLogic::currentCheckPoint);
}

TEST(Lifetime, FadesOverItsLastPartThenRemovesItsEntity) {
    PlayScene scene;
    Entity* timed = scene.addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f), new Sphere(1.0f),
                                    {new LifetimeComponent(3.0f, 1.0f)}, false);
    Entity* forever = scene.addObject(Vector4(5.0f, 0.0f, 0.0f, 1.0f), new Sphere(1.0f), {new LifetimeComponent()}, false);
    const std::uint32_t id = timed->id;
    scene.frame(127);
    EXPECT_EQ(nullptr, timed->getComponent<FadeOutComponent>());
    scene.frame();
    EXPECT_NE(nullptr, timed->getComponent<FadeOutComponent>()) << "1 s left";
    EXPECT_EQ(0.0f, timed->getComponent<LifetimeComponent>()->fadeOutTime);
    scene.frame(64);
    EXPECT_EQ(nullptr, findEntityById(id));
    EXPECT_EQ(forever, findEntityById(forever->id));
}

TEST(Barrier, PushesASmallHeroAwayAndOpensOnAPowerUpAboveItsEntryRadius) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    auto* barrier = new EndGameBarrier();
    barrier->pushBackForce = 20.0f;
    barrier->entryRadius = 1.9f;
    Entity* wall = scene.addObject(Vector4(0.0f, 3.0f, -5.0f, 1.0f), new Rect(), {barrier});
    // Its message's normal points at the barrier; the push drives the hero away from it.
    touch(wall, hero, Vector4(0.0f, 0.0f, -1.0f, 0.0f));
    EXPECT_EQ(Vector4(0.0f, 0.0f, 20.0f, 0.0f), hero->body->accumulatedForce);

    sendMessage(new PowerUpMessage(1.0f, 1.9f, 1.15f), true);
    EXPECT_TRUE(wall->body->resolve) << "equal is not above";
    sendMessage(new PowerUpMessage(1.0f, 2.0f, 1.15f), true);
    EXPECT_FALSE(wall->body->resolve);

    // Open, it still pushes a hero that has not grown; one of the entry radius passes.
    hero->body->accumulatedForce = Vector4();
    touch(wall, hero, Vector4(0.0f, 0.0f, -1.0f, 0.0f));
    EXPECT_EQ(20.0f, hero->body->accumulatedForce.z());
    static_cast<Sphere*>(hero->body->shape)->radius = 1.9f;
    hero->body->accumulatedForce = Vector4();
    touch(wall, hero, Vector4(0.0f, 0.0f, -1.0f, 0.0f));
    EXPECT_EQ(Vector4(), hero->body->accumulatedForce);

    // A Plane barrier's normal already points at the hero.
    auto* flat = new EndGameBarrier();
    flat->pushBackForce = 10.0f;
    Entity* sign = scene.addObject(Vector4(0.0f, 3.0f, 5.0f, 1.0f), new Plane(), {flat});
    touch(sign, hero, Vector4(0.0f, 0.0f, -1.0f, 0.0f));
    EXPECT_EQ(-10.0f, hero->body->accumulatedForce.z());
}

TEST(FallFaster, OnePushPerFrameOfContactUntilTheFallIsFastEnough) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    hero->body->setMass(2.0f);
    auto* field = new FallFasterField();
    Entity* zone = scene.addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f), new Rect(), {field}, false);
    Entity* other = scene.addObject(Vector4(9.0f, 0.0f, 0.0f, 1.0f), new Rect());
    touch(zone, other, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_EQ(nullptr, field->pendingHero);

    hero->body->velocity = Vector4(0.0f, 5.0f, 0.0f, 0.0f);
    touch(zone, hero, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    touch(zone, hero, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    field->update(PlayScene::dt);
    field->update(PlayScene::dt);
    EXPECT_FLOAT_EQ(-0.7f, hero->body->accumulatedForce.y());

    // Falling at the limit: the contact waits until the hero is slower than the limit again.
    hero->body->accumulatedForce = Vector4();
    hero->body->velocity = Vector4(0.0f, -350.0f, 0.0f, 0.0f);
    touch(zone, hero, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    field->update(PlayScene::dt);
    EXPECT_EQ(0.0f, hero->body->accumulatedForce.y());
    EXPECT_EQ(hero, field->pendingHero);
    hero->body->velocity = Vector4(0.0f, -349.0f, 0.0f, 0.0f);
    field->update(PlayScene::dt);
    EXPECT_FLOAT_EQ(-0.7f, hero->body->accumulatedForce.y());
}

TEST(Patrols, TravelWaitTurnAndCarryTheHero) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 50.0f, 0.0f, 1.0f));
    hero->body->acceleration = Vector4();
    auto* patrol = new PatrollingComponent(Vector4(0.0f, 0.0f, 0.0f, 1.0f), Vector4(100.0f, 0.0f, 0.0f, 1.0f));
    Entity* platform = scene.addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f), new Rect(), {patrol});
    EXPECT_EQ(5.0f, platform->body->position.x()) << "one step at initialisation";
    for (int i = 0; i < 17; ++i) patrol->update(PlayScene::dt);
    EXPECT_EQ(90.0f, platform->body->position.x());
    EXPECT_FALSE(patrol->idling);
    patrol->update(PlayScene::dt);
    EXPECT_TRUE(patrol->idling);
    EXPECT_EQ(90.0f, platform->body->position.x());

    // A touch during the wait is carried out by the first step after the turn.
    touch(platform, hero, Vector4(0.0f, -1.0f, 0.0f, 0.0f));
    for (int i = 0; i < 128; ++i) patrol->update(PlayScene::dt);
    EXPECT_EQ(90.0f, platform->body->position.x());
    EXPECT_EQ(0.0f, hero->body->position.x());
    patrol->update(PlayScene::dt);
    EXPECT_EQ(85.0f, platform->body->position.x());
    EXPECT_EQ(-5.0f, hero->body->position.x());
    EXPECT_EQ(Vector4(0.0f, 0.0f, 0.0f, 1.0f), patrol->endPosition) << "the leg back";
    patrol->update(PlayScene::dt);
    EXPECT_EQ(-5.0f, hero->body->position.x()) << "no touch, no ride";

    // Edit mode freezes the leg; play resumes it.
    PlayScene::broadcast(MessageType::EditMode);
    scene.frame(5);
    EXPECT_EQ(80.0f, platform->body->position.x());
    PlayScene::broadcast(MessageType::PlayMode);
    patrol->update(PlayScene::dt);
    EXPECT_EQ(75.0f, platform->body->position.x());

    // A patrolling bumper does not carry; equal ends never move.
    auto* bumperPatrol = new PatrollingComponent(Vector4(0.0f, 0.0f, 9.0f, 1.0f), Vector4(0.0f, 50.0f, 9.0f, 1.0f));
    Entity* bumper = scene.addObject(Vector4(0.0f, 0.0f, 9.0f, 1.0f), new Sphere(1.0f), {new BumperLogic(), bumperPatrol});
    touch(bumper, hero, Vector4(0.0f, -1.0f, 0.0f, 0.0f));
    bumperPatrol->update(PlayScene::dt);
    EXPECT_EQ(10.0f, bumper->body->position.y());
    EXPECT_EQ(50.0f, hero->body->position.y());
    auto* edited = new PatrollingComponent(Vector4(6.0f, 0.0f, 0.0f, 1.0f), Vector4(60.0f, 0.0f, 0.0f, 1.0f));
    edited->disabled = true;
    Entity* placed = scene.addObject(Vector4(6.0f, 0.0f, 0.0f, 1.0f), new Rect(), {edited});
    EXPECT_EQ(6.0f, placed->body->position.x()) << "made while editing: no first step";
    auto* still = new PatrollingComponent(Vector4(3.0f, 0.0f, 0.0f, 1.0f), Vector4(3.0f, 0.0f, 0.0f, 1.0f));
    Entity* post = scene.addObject(Vector4(3.0f, 0.0f, 0.0f, 1.0f), new Rect(), {still});
    still->update(PlayScene::dt);
    EXPECT_EQ(Vector4(3.0f, 0.0f, 0.0f, 1.0f), post->body->position);
}

TEST(EndOfLevel, TheFirstPartFadesTheHeroAnnouncesAndGoes) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    auto* end = new EndOfFirstPart();
    end->targetDiffuseColor = Vector4(0.0f, 0.0f, 1.0f, 1.0f);
    end->targetSpecularColor = Vector4(0.0f, 1.0f, 0.0f, 1.0f);
    end->newPatternColor = Vector4(1.0f, 0.0f, 0.0f, 0.0f);
    end->time = 2.0f;
    end->changeArrowColor = true;
    end->message = "The first part is done";
    Entity* trigger = scene.addObject(Vector4(0.0f, 1.0f, -9.0f, 1.0f), new Rect(), {end}, false);
    const std::uint32_t id = trigger->id;
    Receiver<EndOfFirstPartMessage> arrow(MessageType::EndOfFirstPart);
    Receiver<InfoMessage> info(MessageType::Info);
    const Vector4 start = hero->graphics->diffuseColor;

    touch(trigger, hero, Vector4(0.0f, 0.0f, 1.0f, 0.0f));
    touch(trigger, hero, Vector4(0.0f, 0.0f, 1.0f, 0.0f));
    scene.frame(64);
    EXPECT_EQ(1u, arrow.count());
    EXPECT_EQ(Vector4(0.0f, 0.0f, 1.0f, 1.0f), arrow.received[0].diffuseColor);
    const Vector4 half = hero->graphics->diffuseColor;
    EXPECT_NEAR(0.5f * start.x(), half.x(), 0.02f);
    EXPECT_NEAR(0.5f * (start.z() + 1.0f), half.z(), 0.02f);
    EXPECT_EQ(0u, info.count());
    scene.frame(66);
    EXPECT_EQ(Vector4(0.0f, 0.0f, 1.0f, 1.0f), hero->graphics->diffuseColor);
    EXPECT_EQ(Vector4(1.0f, 0.0f, 0.0f, 0.0f), hero->getComponent<PatternDispenser>()->pattern->color);
    ASSERT_EQ(1u, info.count());
    EXPECT_EQ("The first part is done", info.received[0].text);
    EXPECT_EQ(nullptr, findEntityById(id));
}

TEST(EndOfLevel, TheEndOfGameSwapsThePatternAndTheRewardFreesTheHero) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    auto* end = new EndOfGameComponent();
    end->time = 0.0f;  // done at the first update
    end->newLineColor = Vector4(0.5f, -1.0f, 0.25f, 0.0f);
    Entity* trigger = scene.addObject(Vector4(0.0f, 1.0f, -9.0f, 1.0f), new Rect(), {end}, false);
    PatternDispenser* dispenser = hero->getComponent<PatternDispenser>();
    const float reach = dispenser->cutOffEnd;
    touch(trigger, hero, Vector4(0.0f, 0.0f, 1.0f, 0.0f));
    ASSERT_NE(nullptr, dispenser->pattern);
    EXPECT_EQ(StrangeLinePattern::kindNumber, dispenser->pattern->getPatternID());
    EXPECT_EQ(2.0f * reach, dispenser->cutOffEnd);
    scene.frame(2);
    EXPECT_EQ(Vector4(0.5f, -1.0f, 0.25f, 0.0f), hero->graphics->patterns.front()->color);

    auto* reward = new EndGameReward();
    Entity* prize = scene.addObject(Vector4(0.0f, 1.0f, 9.0f, 1.0f), new Sphere(1.0f), {reward}, false);
    Receiver<Message> rewards(MessageType::EndGameReward);
    touch(prize, hero, Vector4(0.0f, 0.0f, -1.0f, 0.0f));
    touch(prize, hero, Vector4(0.0f, 0.0f, -1.0f, 0.0f));
    scene.frame();
    EXPECT_TRUE(hero->getComponent<HeroLogic>()->immuneToHeat);
    EXPECT_TRUE(hero->getComponent<Movement>()->canKeepJumping);
    EXPECT_EQ(2u, rewards.count());
    EXPECT_EQ(2u, PlayScene::played("finalPowerUp").size());
}

// Message 21 stops every gameplay component (no contacts, no updates); 20 lets them go on.
TEST(EditMode, StopsAndResumesEveryComponent) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    std::vector<Component*> components = {hero->getComponent<Movement>(), hero->getComponent<GrowShrink>(),
                                          hero->getComponent<HeroLogic>()};
    std::vector<Entity*> objects;
    auto add = [&](Component* c) {
        objects.push_back(scene.addObject(Vector4(0.0f, -20.0f, 0.0f, 1.0f), new Sphere(1.0f), {c}, false));
        components.push_back(c);
    };
    add(new ScoreSphereLogic());
    add(new FirstScoreSphere());
    add(new BumperLogic());
    add(new DirectedBumperLogic());
    add(new CheckPointLogic());
    add(new EndGameBarrier());
    add(new FallFasterField());
    add(new LifetimeComponent(0.5f, 0.0f));
    add(new PatrollingComponent(Vector4(0.0f, -20.0f, 0.0f, 1.0f), Vector4(0.0f, -20.0f, 50.0f, 1.0f)));
    add(new EndOfFirstPart());
    add(new EndGameReward());

    PlayScene::broadcast(MessageType::EditMode);
    for (Component* c : components) EXPECT_TRUE(c->disabled) << typeid(*c).name();
    for (Entity* object : objects) touch(object, hero, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    scene.frame(64);
    EXPECT_FALSE(objects[0]->getComponent<ScoreSphereLogic>()->destroy);
    EXPECT_EQ(1.0f, hero->getComponent<GrowShrink>()->maxSize) << "no power-up while editing";
    EXPECT_EQ(nullptr, CheckPointLogic::currentCheckPoint);
    EXPECT_FALSE(objects[9]->getComponent<EndOfFirstPart>()->triggered);
    EXPECT_FALSE(hero->getComponent<Movement>()->canKeepJumping);
    EXPECT_EQ(5.0f, objects[8]->body->position.z());
    EXPECT_NE(nullptr, findEntityById(objects[7]->id)) << "timed objects wait";

    PlayScene::broadcast(MessageType::PlayMode);
    for (Component* c : components) EXPECT_FALSE(c->disabled) << typeid(*c).name();
    touch(objects[0], hero, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_TRUE(objects[0]->getComponent<ScoreSphereLogic>()->destroy);
    const std::uint32_t timedId = objects[7]->id;
    scene.frame(40);
    EXPECT_EQ(nullptr, findEntityById(timedId));
    EXPECT_GT(objects[8]->body->position.z(), 5.0f);
}
