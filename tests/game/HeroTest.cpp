// The hero in a running level: steering, braking and jumping, its size, and its reactions to bumpers,
// spheres, checkpoints, derez and fire.
#include <cmath>
#include <numbers>

#include "PlayScene.h"
#include "engine/GameplayMessages.h"
#include "engine/MouseWheelMessage.h"
#include "game/BumperLogic.h"
#include "game/CheckPointLogic.h"
#include "game/DerezZoneLogic.h"
#include "game/DirectedBumperLogic.h"
#include "game/FireDerezZone.h"
#include "game/ScoreSphereLogic.h"
#include "physics/Capsule.h"
#include "physics/OBB.h"

namespace {

Vector4 pushOf(Entity* hero, Movement* movement) {
    hero->body->accumulatedForce = Vector4();
    movement->update(PlayScene::dt);
    Vector4 push = hero->body->accumulatedForce;
    hero->body->accumulatedForce = Vector4();
    return push;
}

void expectNear(Vector4 expected, Vector4 actual, float tolerance = 1e-5f) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(expected[i], actual[i], tolerance) << "lane " << i;
}

}  // namespace

TEST(HeroMovement, RollsWhereTheCameraLooksAndBrakesAgainstItsMotion) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 5.0f, 0.0f, 1.0f));
    Movement* movement = hero->getComponent<Movement>();
    movement->velocity = 8.0f;
    const float unit = 8.0f * PlayScene::dt;  // velocity x dt x radius 1 x mass 1

    Input::isKeyDown('W') = true;
    expectNear(Vector4(0.0f, 0.0f, -unit, 0.0f), pushOf(hero, movement));
    scene.camera->camera.rotateY = std::numbers::pi_v<float> / 2.0f;
    expectNear(Vector4(-unit, 0.0f, 0.0f, 0.0f), pushOf(hero, movement));
    scene.camera->camera.rotateY = 0.0f;

    // Opposite keys cancel; a diagonal is no longer than a straight push.
    Input::isKeyDown('S') = true;
    expectNear(Vector4(), pushOf(hero, movement));
    Input::isKeyDown('S') = false;
    Input::isKeyDown('D') = true;
    Vector4 diagonal = pushOf(hero, movement);
    EXPECT_NEAR(unit, std::sqrt(dot4(diagonal, diagonal)), 1e-5f);
    EXPECT_GT(diagonal.x(), 0.0f);
    Input::isKeyDown('D') = false;

    // Straight against the motion the push doubles; at 150 degrees it does not grow.
    hero->body->velocity = Vector4(0.0f, 0.0f, 5.0f, 0.0f);
    expectNear(Vector4(0.0f, 0.0f, -2.0f * unit, 0.0f), pushOf(hero, movement));
    hero->body->velocity = Vector4(std::sin(0.5236f), 0.0f, std::cos(0.5236f), 0.0f) * 3.0f;
    EXPECT_NEAR(unit, std::sqrt(dot4(pushOf(hero, movement), pushOf(hero, movement))), 1e-5f);

    // In the air the push is the same, and a hero twice as large is pushed twice as hard.
    hero->body->velocity = Vector4();
    static_cast<Sphere*>(hero->body->shape)->radius = 2.0f;
    expectNear(Vector4(0.0f, 0.0f, -2.0f * unit, 0.0f), pushOf(hero, movement));

    // While the level is edited nothing is pushed.
    PlayScene::broadcast(MessageType::EditMode);
    expectNear(Vector4(), pushOf(hero, movement));
    PlayScene::broadcast(MessageType::PlayMode);
    EXPECT_GT(std::abs(pushOf(hero, movement).z()), 0.0f);
}

// The rise time and height of a jump from each floor kind our levels are built of, at two sizes.
TEST(HeroMovement, JumpsFromBoxFloorsWithRiseAndHeightScaledByRadius) {
    for (int kind = 0; kind < 2; ++kind) {
        for (float radius : {1.0f, 2.0f}) {
            SCOPED_TRACE(testing::Message() << (kind ? "OBB" : "Rect") << " floor, radius " << radius);
            PlayScene scene;
            Shape* floor = kind ? static_cast<Shape*>(new OBB()) : new Rect();
            static_cast<Rect*>(floor)->size = Vector4(50.0f, 0.5f, 50.0f, 0.0f);
            scene.addFloor(floor);
            Entity* hero = scene.addHero(Vector4(0.0f, radius, 0.0f, 1.0f), radius);
            hero->body->drag = 0.0f;
            Movement* movement = hero->getComponent<Movement>();
            scene.frame(30);
            ASSERT_TRUE(movement->isOnGround());

            Input::isKeyDown(' ') = true;
            scene.frame();
            Input::isKeyDown(' ') = false;
            const float start = radius;
            float top = hero->body->position.y();
            int topFrame = 0;
            for (int i = 1; i < 160; ++i) {
                scene.frame();
                if (hero->body->position.y() > top) {
                    top = hero->body->position.y();
                    topFrame = i;
                }
            }
            // One second up to two radii (one diameter) above the take-off.
            EXPECT_NEAR(64, topFrame, 2);
            EXPECT_NEAR(2.0f * radius, top - start, 0.05f * radius);
            EXPECT_NEAR(-4.0f * radius, hero->body->acceleration.y(), 1e-4f);
        }
    }
}

TEST(HeroMovement, JumpsNeedGroundWithinToleranceUnlessKeepJumping) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 20.0f, 0.0f, 1.0f));
    Movement* movement = hero->getComponent<Movement>();
    // A trigger under the hero is no ground; a contact exactly at the threshold is none either.
    Entity* trigger = scene.addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f), new Rect(), {}, false);
    scene.frame(20);
    touch(hero, trigger, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_FALSE(movement->isOnGround());
    Entity* ledge = scene.addObject(Vector4(0.0f, -30.0f, 0.0f, 1.0f), new Rect());
    touch(hero, ledge, Vector4(0.0f, 0.65f, 0.76f, 0.0f));
    EXPECT_FALSE(movement->isOnGround());

    Input::isKeyDown(' ') = true;
    scene.frame();
    EXPECT_LE(hero->body->velocity.y(), 0.0f) << "no jump in the air";
    touch(hero, ledge, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_TRUE(movement->isOnGround());
    movement->update(PlayScene::dt);
    EXPECT_FLOAT_EQ(4.0f, hero->body->velocity.y());
    // No second jump until the tolerance time has passed, even on the ground.
    hero->body->velocity = Vector4();
    movement->update(PlayScene::dt);
    EXPECT_EQ(0.0f, hero->body->velocity.y());

    // With endless jumping the hero jumps again in the air every tolerance time.
    movement->canKeepJumping = true;
    int jumps = 0;
    for (int i = 0; i < 64; ++i) {
        hero->body->velocity = Vector4();
        currentTime += PlayScene::dt;
        movement->update(PlayScene::dt);
        if (hero->body->velocity.y() > 0.0f) ++jumps;
    }
    EXPECT_GE(jumps, 6);
    EXPECT_LE(jumps, 7);
}

TEST(HeroSize, WheelLimitsPowerUpsAndFollowingRadius) {
    PlayScene scene;
    scene.addFloor();
    Entity* hero = scene.addHero(Vector4(0.0f, 100.0f, 0.0f, 1.0f), 100.0f);
    GrowShrink* size = hero->getComponent<GrowShrink>();
    Receiver<PowerUpMessage> powerUps(MessageType::PowerUp);
    Receiver<SizeChangeMessage> sizeChanges(MessageType::SizeChange);
    auto wheel = [](float delta) { sendMessage(new MouseWheelMessage(delta), true); };

    // At the limits 100/100 the wheel changes nothing.
    wheel(1.0f);
    EXPECT_EQ(100.0f, size->currentTargetSize);
    size->powerUp();
    EXPECT_EQ(50.0f, size->minSize);
    EXPECT_EQ(200.0f, size->maxSize);
    EXPECT_NEAR(1.15f, size->growFactor, 1e-6f);
    ASSERT_EQ(1u, PlayScene::played("powerUp").size());
    EXPECT_EQ(hero->body->position, PlayScene::played("powerUp")[0]);
    scene.frame();
    ASSERT_EQ(1u, powerUps.count());
    EXPECT_EQ(200.0f, powerUps.received[0].maxSize);

    wheel(1.0f);
    EXPECT_NEAR(115.0f, size->currentTargetSize, 1e-3f);
    wheel(0.0f);  // no delta shrinks
    EXPECT_NEAR(100.0f, size->currentTargetSize, 1e-3f);
    for (int i = 0; i < 10; ++i) wheel(-1.0f);
    EXPECT_EQ(50.0f, size->currentTargetSize);

    // The radius covers dt / adjustmentTime of the way; mass and gravity follow it.
    size->currentTargetSize = 200.0f;
    hero->body->position = Vector4(0.0f, 300.0f, 0.0f, 1.0f);
    size->applySize(0.1f, false);
    EXPECT_FLOAT_EQ(150.0f, sphereRadius(hero->body));
    size->applySize(1.0f, true);
    EXPECT_FLOAT_EQ(200.0f, sphereRadius(hero->body));
    EXPECT_NEAR(8.0f, hero->body->mass, 1e-4f);
    EXPECT_NEAR(-800.0f, hero->body->acceleration.y(), 1e-2f);
    scene.frame();
    EXPECT_GE(sizeChanges.count(), 2u);

    // The limits stop at 1 and 10000.
    size->minSize = 1.5f;
    size->maxSize = 6000.0f;
    size->powerUp();
    EXPECT_EQ(1.0f, size->minSize);
    EXPECT_EQ(10000.0f, size->maxSize);

    // A growth factor of 0 or a wanted size of 0 puts no number that is not finite into the body.
    size->growFactor = 0.0f;
    wheel(-1.0f);
    size->currentTargetSize = 0.0f;
    size->adjustmentTime = 0.0f;
    size->update(PlayScene::dt);
    EXPECT_TRUE(std::isfinite(sphereRadius(hero->body)));
    EXPECT_GT(sphereRadius(hero->body), 0.0f);
    EXPECT_TRUE(std::isfinite(hero->body->mass));
}

TEST(HeroSize, GrowthThatWouldCollideIsUndone) {
    PlayScene scene;
    scene.addFloor();
    auto* lid = new Rect();
    lid->size = Vector4(50.0f, 0.5f, 50.0f, 0.0f);
    scene.addObject(Vector4(0.0f, 2.505f, 0.0f, 1.0f), lid);
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    GrowShrink* size = hero->getComponent<GrowShrink>();
    size->maxSize = 4.0f;
    scene.frame(10);
    Receiver<SizeChangeMessage> sizeChanges(MessageType::SizeChange);
    const Vector4 before = hero->body->position;
    sendMessage(new MouseWheelMessage(1.0f), true);
    scene.frame(3);
    EXPECT_EQ(1.0f, sphereRadius(hero->body));
    EXPECT_EQ(1.0f, size->currentTargetSize);
    EXPECT_NEAR(before.y(), hero->body->position.y(), 0.01f);
    EXPECT_EQ(0u, sizeChanges.count());
}

TEST(HeroLogic, BumpersPushAndDirectedBumpersOnlyFromTheirSide) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    auto* ball = new Sphere(1.5f);
    Entity* bumper = scene.addObject(Vector4(3.0f, 1.0f, 0.0f, 1.0f), ball, {new BumperLogic()});
    touch(hero, bumper, Vector4(-1.0f, 0.0f, 0.0f, 0.0f));
    expectNear(Vector4(-24.0f, 0.0f, 0.0f, 0.0f), hero->body->accumulatedForce);

    auto* capsule = new Capsule();
    capsule->radius = 0.5f;
    capsule->direction = Vector4(0.0f, 0.0f, 1.0f, 0.0f);
    Entity* directed = scene.addObject(Vector4(0.0f, 1.0f, -3.0f, 1.0f), capsule, {new DirectedBumperLogic()});
    hero->body->accumulatedForce = Vector4();
    touch(hero, directed, Vector4(0.0f, 0.0f, 1.0f, 0.0f));  // from behind: nothing
    expectNear(Vector4(), hero->body->accumulatedForce);
    touch(hero, directed, Vector4(0.3f, 0.0f, -0.95f, 0.0f));
    expectNear(Vector4(0.0f, 0.0f, -8.0f, 0.0f), hero->body->accumulatedForce);

    // Each bumper sounds at every touch of the hero, pushed or not; while editing they are silent.
    touch(bumper, hero, Vector4(1.0f, 0.0f, 0.0f, 0.0f));
    touch(directed, hero, Vector4(0.0f, 0.0f, -1.0f, 0.0f));
    touch(directed, bumper, Vector4(0.0f, 0.0f, -1.0f, 0.0f));
    ASSERT_EQ(2u, PlayScene::played("bumperSound").size());
    EXPECT_EQ(bumper->body->position, PlayScene::played("bumperSound")[0]);
    EXPECT_EQ(directed->body->position, PlayScene::played("bumperSound")[1]);
    PlayScene::broadcast(MessageType::EditMode);
    touch(bumper, hero, Vector4(1.0f, 0.0f, 0.0f, 0.0f));
    PlayScene::broadcast(MessageType::PlayMode);
    touch(bumper, hero, Vector4(1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(3u, PlayScene::played("bumperSound").size());
}

// Counting and power-ups with 25 spheres, two of them picked up inside one fade.
TEST(HeroLogic, EveryTenthDistinctSpherePowersUp) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    GrowShrink* size = hero->getComponent<GrowShrink>();
    size->minSize = size->maxSize = 4.0f;
    std::vector<Entity*> spheres;
    for (int i = 0; i < 25; ++i)
        spheres.push_back(scene.addObject(Vector4(10.0f + 3.0f * i, 1.0f, 0.0f, 1.0f), new Sphere(0.5f),
                                          {new ScoreSphereLogic()}, false));
    scoreSpheresAtPlayStart = static_cast<int>(liveScoreSpheres.count);
    ASSERT_EQ(25, scoreSpheresAtPlayStart);
    Receiver<InfoMessage> info(MessageType::Info);

    auto pickUp = [&](Entity* sphere) {
        touch(hero, sphere, Vector4(1.0f, 0.0f, 0.0f, 0.0f));
        touch(sphere, hero, Vector4(-1.0f, 0.0f, 0.0f, 0.0f));
    };
    for (int i = 0; i < 8; ++i) {
        pickUp(spheres[i]);
        scene.frame(30);
    }
    EXPECT_EQ(17u, liveScoreSpheres.count);
    // The tenth comes while the ninth still fades (both live), and both are touched again: one power-up.
    pickUp(spheres[8]);
    scene.frame(5);
    EXPECT_EQ(17u, liveScoreSpheres.count);
    pickUp(spheres[9]);
    pickUp(spheres[8]);
    pickUp(spheres[9]);
    EXPECT_EQ(8.0f, size->maxSize);
    EXPECT_EQ(1.0f, hero->getComponent<HeroLogic>()->glowTimeLeft);
    for (int i = 10; i < 25; ++i) pickUp(spheres[i]);
    scene.frame(30);
    EXPECT_EQ(0u, liveScoreSpheres.count);
    EXPECT_EQ(16.0f, size->maxSize);
    ASSERT_EQ(2u, info.count());
    EXPECT_EQ("Power-up!", info.received[0].text);
    EXPECT_EQ("Power-up!", info.received[1].text);
}

TEST(HeroLogic, TenSpheresOfTenGiveTheAllSpheresText) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    std::vector<Entity*> spheres;
    for (int i = 0; i < 10; ++i)
        spheres.push_back(scene.addObject(Vector4(5.0f * i, 1.0f, 9.0f, 1.0f), new Sphere(0.5f),
                                          {new ScoreSphereLogic()}, false));
    scoreSpheresAtPlayStart = 10;
    Receiver<InfoMessage> info(MessageType::Info);
    for (Entity* s : spheres) touch(hero, s, Vector4(0.0f, 0.0f, 1.0f, 0.0f));
    scene.frame();
    ASSERT_EQ(1u, info.count());
    EXPECT_EQ("You've gotten all the spheres!", info.received[0].text);
}

TEST(HeroLogic, CheckpointsDerezAndFire) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 2.0f, 0.0f, 1.0f), 2.0f);
    HeroLogic* logic = hero->getComponent<HeroLogic>();
    GrowShrink* size = hero->getComponent<GrowShrink>();
    size->minSize = 1.0f;
    size->maxSize = 4.0f;
    expectNear(Vector4(0.0f, 2.0f, 0.0f, 1.0f), logic->respawnPosition);
    EXPECT_EQ(2.0f, logic->respawnSize);

    // A low checkpoint keeps the respawn size within its half height, not below the least size.
    auto* low = new Rect();
    low->size = Vector4(2.0f, 0.5f, 2.0f, 0.0f);
    Entity* checkPoint = scene.addObject(Vector4(20.0f, 0.5f, 0.0f, 1.0f), low, {new CheckPointLogic()}, false);
    touch(hero, checkPoint, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    expectNear(Vector4(20.0f, 0.5f, 0.0f, 1.0f), logic->respawnPosition);
    EXPECT_EQ(1.0f, logic->respawnSize);

    // A derez zone sends the hero back there at once, at rest and at the respawn size.
    Entity* derez = scene.addObject(Vector4(0.0f, -10.0f, 0.0f, 1.0f), new Rect(), {new DerezZoneLogic()}, false);
    hero->body->velocity = Vector4(3.0f, -9.0f, 1.0f, 0.0f);
    touch(hero, derez, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    expectNear(Vector4(20.0f, 0.5f, 0.0f, 1.0f), hero->body->position);
    expectNear(Vector4(), hero->body->velocity);
    EXPECT_EQ(1.0f, sphereRadius(hero->body));
    ASSERT_EQ(1u, PlayScene::played("respawn").size());
    EXPECT_EQ(Vector4(20.0f, 0.5f, 0.0f, 1.0f), PlayScene::played("respawn")[0]) << "where the hero comes back";

    // Fire: a deep contact burns at once; shallow ones heat until the burn.
    Entity* fire = scene.addObject(Vector4(40.0f, 0.0f, 0.0f, 1.0f), new Rect(), {new FireDerezZone()}, false);
    hero->body->position = Vector4(40.0f, 1.0f, 0.0f, 1.0f);
    touch(hero, fire, Vector4(0.0f, 1.0f, 0.0f, 0.0f), 0.6f);
    expectNear(Vector4(20.0f, 0.5f, 0.0f, 1.0f), hero->body->position);
    hero->body->position = Vector4(40.0f, 1.0f, 0.0f, 1.0f);
    logic->heat = 0.19f;
    touch(hero, fire, Vector4(0.0f, 1.0f, 0.0f, 0.0f), 0.1f);
    EXPECT_EQ(40.0f, hero->body->position.x()) << "heat 0.19 + 0.1/64 is not yet a burn";
    logic->heat = 0.1995f;
    touch(hero, fire, Vector4(0.0f, 1.0f, 0.0f, 0.0f), 0.1f);
    EXPECT_EQ(20.0f, hero->body->position.x());
    EXPECT_GT(logic->heat, 0.2f) << "the burn does not cool the hero";

    // The heat tints the hero toward red, and halves in one half-life.
    hero->graphics->diffuseColorOffset = Vector4();
    logic->heat = 0.1f;
    logic->update(PlayScene::dt);
    EXPECT_LT(hero->graphics->diffuseColorOffset.y(), 0.0f);
    EXPECT_LT(hero->graphics->diffuseColorOffset.z(), 0.0f);
    for (int i = 1; i < 64; ++i) logic->update(PlayScene::dt);
    EXPECT_NEAR(0.05f, logic->heat, 1e-4f);

    // Immune to heat, fire does nothing.
    logic->immuneToHeat = true;
    logic->heat = 0.0f;
    hero->body->position = Vector4(40.0f, 1.0f, 0.0f, 1.0f);
    touch(hero, fire, Vector4(0.0f, 1.0f, 0.0f, 0.0f), 5.0f);
    EXPECT_EQ(40.0f, hero->body->position.x());
    EXPECT_EQ(0.0f, logic->heat);
}

TEST(HeroLogic, PowerUpGlowBrightensAndRestoresOnlyAtItsEnd) {
    PlayScene scene;
    Entity* hero = scene.addHero(Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    HeroLogic* logic = hero->getComponent<HeroLogic>();
    const Vector4 colour = hero->graphics->diffuseColor;
    // Without a glow the colours stay as they are (the saved ones are black).
    for (int i = 0; i < 10; ++i) logic->update(PlayScene::dt);
    expectNear(colour, hero->graphics->diffuseColor);

    logic->savedDiffuseColor = colour;
    logic->savedSpecularColor = hero->graphics->specularColor;
    logic->glowTimeLeft = 1.0f;
    for (int i = 0; i < 32; ++i) logic->update(PlayScene::dt);
    EXPECT_NEAR(colour.x() + 0.5f, hero->graphics->diffuseColor.x(), 1e-4f);
    for (int i = 0; i < 40; ++i) logic->update(PlayScene::dt);
    expectNear(colour, hero->graphics->diffuseColor);
}
