// The level camera: following and easing toward its distance, the probe that pulls it in front of
// solid objects and makes the ones in the way see-through, the mouse turn and its guards, and its text.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "engine/Input.h"
#include "engine/MouseMoveMessage.h"
#include "graphics/CameraComponent.h"
#include "graphics/Graphics.h"
#include "physics/PhysicsScene.h"
#include "physics/Sphere.h"

namespace {

// A level with a hero ball of radius 1 at the origin and the camera component following it, looking
// along +z from `distance` away (no rotation).
struct CameraScene : PhysicsScene {
    CameraScene(float distance, float targetDistance, float adjustmentTime) {
        hero = addHero(new Sphere(1.0f), at(0, 0, 0));
        auto* component = new CameraComponent();
        component->targetEntity = static_cast<std::int32_t>(hero->id);
        component->targetDistance = targetDistance;
        component->adjustmentTime = adjustmentTime;
        component->camera.distance = distance;
        state.addStateComponent(component);
        state.flushAddedComponents();
        camera = state.getComponents<CameraComponent>();
    }

    // A ball on the line from the hero to the eye, with a Graphics to be made see-through.
    Entity* addObstacle(float z, bool resolves) {
        Entity* obstacle = add(new Sphere(0.25f), at(0, 0, z));
        obstacle->body->resolve = resolves;
        obstacle->addComponent(new Graphics());
        return obstacle;
    }

    Entity* hero;
    CameraComponent* camera;
};

// Mouse capture on for one test.
struct CapturedMouse {
    CapturedMouse() : was(mouseCaptured) { mouseCaptured = true; }
    ~CapturedMouse() { mouseCaptured = was; }
    bool was;
};

}  // namespace

TEST(CameraFollow, AnEyeOnTheTargetStillEasesOutWithoutNaN) {
    // A camera read with no distance stands on its target: the probe has no direction to look along.
    CameraScene scene(0.0f, 6.0f, 0.5f);
    scene.addObstacle(2.0f, true);
    scene.camera->update(0.1f);
    const PerspectiveCamera& camera = scene.camera->camera;
    ASSERT_TRUE(std::isfinite(camera.distance));
    EXPECT_NEAR(1.2f, camera.distance, 1e-5f);  // a fifth of the way to 1 x 6
    EXPECT_NEAR(1.2f / 50.0f, camera.zNear, 1e-6f);
    EXPECT_NEAR(1.2f * 50.0f, camera.zFar, 1e-4f);
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(camera.view.get(i / 4, i % 4))) << i;
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(camera.projection.get(i / 4, i % 4))) << i;
}

TEST(CameraProbe, AnEyeOnItsTargetGivesNoDirectionToProbe) {
    Vector4 direction(7, 7, 7, 7);
    EXPECT_FALSE(CameraComponent::probeDirection(at(1, 2, 3), at(1, 2, 3), direction));
    EXPECT_EQ(Vector4(7, 7, 7, 7), direction);
    const float nan = std::nanf("");
    EXPECT_FALSE(CameraComponent::probeDirection(at(nan, 0, 0), at(0, 0, 0), direction));

    ASSERT_TRUE(CameraComponent::probeDirection(at(1, 2, 7), at(1, -1, 3), direction));
    EXPECT_NEAR(0.0f, direction.x(), 1e-6f);
    EXPECT_NEAR(0.6f, direction.y(), 1e-6f);
    EXPECT_NEAR(0.8f, direction.z(), 1e-6f);
    EXPECT_EQ(0.0f, direction[3]);
}

TEST(CameraFollow, ClosesAFifthOfTheGapPerFrameTowardRadiusTimesTargetDistance) {
    CameraScene scene(10.0f, 6.0f, 0.5f);
    scene.hero->body->position = at(1, 2, 3);
    scene.camera->update(0.1f);
    EXPECT_NEAR(10.0f + (6.0f - 10.0f) * 0.2f, scene.camera->camera.distance, 1e-5f);
    EXPECT_EQ(at(1, 2, 3), scene.camera->camera.position);
    for (int i = 0; i < 60; ++i) scene.camera->update(0.1f);
    EXPECT_NEAR(6.0f, scene.camera->camera.distance, 1e-3f);
}

TEST(CameraFollow, ZeroAdjustmentTimeJumpsAndAShortOneOvershoots) {
    CameraScene jump(10.0f, 6.0f, 0.0f);
    jump.camera->update(0.1f);
    EXPECT_FLOAT_EQ(6.0f, jump.camera->camera.distance);

    CameraScene overshoot(10.0f, 6.0f, 0.05f);
    overshoot.camera->update(0.1f);
    EXPECT_NEAR(2.0f, overshoot.camera->camera.distance, 1e-5f);  // twice the gap
}

TEST(CameraFollow, AMissingTargetLeavesTheCameraWhereItWas) {
    CameraScene scene(10.0f, 6.0f, 0.0f);
    scene.camera->targetEntity = 999999;
    scene.camera->camera.position = at(5, 5, 5);
    scene.camera->update(0.1f);
    EXPECT_FLOAT_EQ(10.0f, scene.camera->camera.distance);
    EXPECT_EQ(at(5, 5, 5), scene.camera->camera.position);
}

TEST(CameraProbe, ASolidObjectPullsTheCameraInButNotBelowHalfTheDistance) {
    CameraScene scene(10.0f, 4.0f, 0.0f);
    Entity* obstacle = scene.addObstacle(1.0f, true);
    scene.camera->update(0.1f);
    EXPECT_NEAR(2.0f, scene.camera->camera.distance, 1e-4f);  // min distance 2, not the hit at 1
    EXPECT_TRUE(obstacle->graphics->translucentThisFrame);

    CameraScene farther(10.0f, 6.0f, 0.0f);
    farther.addObstacle(4.0f, true);
    farther.camera->update(0.1f);
    EXPECT_NEAR(4.0f, farther.camera->camera.distance, 1e-4f);
}

TEST(CameraProbe, ATriggerOnTheWayTurnsSeeThroughWithoutMovingTheCamera) {
    CameraScene scene(10.0f, 6.0f, 0.0f);
    Entity* trigger = scene.addObstacle(4.0f, false);
    scene.camera->update(0.1f);
    EXPECT_FLOAT_EQ(6.0f, scene.camera->camera.distance);
    EXPECT_TRUE(trigger->graphics->translucentThisFrame);
}

TEST(CameraProbe, ObjectsAtOrBeyondTheCurrentDistanceAreLeftAlone) {
    CameraScene scene(4.0f, 6.0f, 0.0f);
    Entity* atDistance = scene.addObstacle(4.0f, true);
    Entity* beyond = scene.addObstacle(5.0f, true);
    scene.camera->update(0.1f);
    EXPECT_FLOAT_EQ(6.0f, scene.camera->camera.distance);
    EXPECT_FALSE(atDistance->graphics->translucentThisFrame);
    EXPECT_FALSE(beyond->graphics->translucentThisFrame);
}

TEST(CameraProbe, ObjectsBehindTheTargetAreNotOnTheLine) {
    CameraScene scene(10.0f, 6.0f, 0.0f);
    Entity* behind = scene.addObstacle(-3.0f, true);
    scene.camera->update(0.1f);
    EXPECT_FLOAT_EQ(6.0f, scene.camera->camera.distance);
    EXPECT_FALSE(behind->graphics->translucentThisFrame);
}

TEST(CameraMouse, TurnsByTheCursorTravelThroughTheStatesMessages) {
    CameraScene scene(10.0f, 6.0f, 0.5f);
    CapturedMouse captured;
    sendMessage(new MouseMoveMessage(100, 100, 150, 80), true);
    EXPECT_NEAR(-50 * 0.002f, scene.camera->camera.rotateY, 1e-6f);
    EXPECT_NEAR(20 * 0.002f, scene.camera->camera.rotateX, 1e-6f);
    // The view follows at once: the eye has swung round to the side the cursor went from.
    EXPECT_LT(scene.camera->camera.getPosition().x(), 0.0f);
}

TEST(CameraMouse, PitchStopsJustShortOfStraightUpAndDown) {
    CameraScene scene(10.0f, 6.0f, 0.5f);
    CapturedMouse captured;
    MouseMoveMessage up(0, 2000, 0, 0);
    scene.camera->onMouseMove(up);
    EXPECT_FLOAT_EQ(CameraComponent::pitchLimit, scene.camera->camera.rotateX);
    MouseMoveMessage down(0, 0, 0, 4000);
    scene.camera->onMouseMove(down);
    EXPECT_FLOAT_EQ(-CameraComponent::pitchLimit, scene.camera->camera.rotateX);
}

TEST(CameraMouse, IgnoredWhilePausedUncapturedOrTabHeldInEditing) {
    CameraScene scene(10.0f, 6.0f, 0.5f);
    MouseMoveMessage move(0, 0, 40, 40);
    {
        CapturedMouse captured;
        mouseCaptured = false;
        scene.camera->onMouseMove(move);
        EXPECT_EQ(0.0f, scene.camera->camera.rotateY);
    }
    {
        CapturedMouse captured;
        scene.state.setPaused(true);
        scene.camera->onMouseMove(move);
        EXPECT_EQ(0.0f, scene.camera->camera.rotateY);
        scene.state.setPaused(false);
    }
    {
        CapturedMouse captured;
        setEditorControlQuery([](Entity*) { return true; });
        Input::isKeyDown(-27) = true;
        scene.camera->onMouseMove(move);
        EXPECT_EQ(0.0f, scene.camera->camera.rotateY);
        // Tab up: the editor's camera turns again.
        Input::isKeyDown(-27) = false;
        scene.camera->onMouseMove(move);
        EXPECT_NE(0.0f, scene.camera->camera.rotateY);
        setEditorControlQuery(nullptr);
    }
}

TEST(CameraText, WrittenComponentReadsBackWithItsCamera) {
    CameraComponent original;
    original.disabled = true;
    original.targetDistance = 9.5f;
    original.adjustmentTime = 0.25f;
    original.targetEntity = 42;
    original.camera.distance = 12.0f;
    original.camera.rotateX = -0.4f;
    original.camera.fovy = 1.0f;
    std::ostringstream text;
    OStreamWrapper out(text);
    writeObject(out, original);

    std::istringstream source(text.str());
    IStreamWrapper in(source);
    CameraComponent back;
    readValue(in, back);
    EXPECT_FALSE(in.hasFailed()) << text.str();
    EXPECT_TRUE(back.disabled);
    EXPECT_FLOAT_EQ(9.5f, back.targetDistance);
    EXPECT_FLOAT_EQ(0.25f, back.adjustmentTime);
    EXPECT_EQ(42, back.targetEntity);
    EXPECT_FLOAT_EQ(12.0f, back.camera.distance);
    EXPECT_FLOAT_EQ(-0.4f, back.camera.rotateX);
    EXPECT_FLOAT_EQ(1.0f, back.camera.fovy);
}

TEST(CameraText, MissingKeysKeepTheDefaultsAndClonesCopyTheFields) {
    std::istringstream source("CameraComponent 0 0 GameStateComponent end targetEntity 7 end");
    IStreamWrapper in(source);
    CameraComponent read;
    readValue(in, read);
    EXPECT_EQ(7, read.targetEntity);
    EXPECT_FLOAT_EQ(6.0f, read.targetDistance);
    EXPECT_FLOAT_EQ(0.5f, read.adjustmentTime);
    EXPECT_FLOAT_EQ(100.0f, read.camera.zFar);

    read.camera.rotateY = 0.75f;
    std::unique_ptr<GameStateComponent> copy(read.clone());
    auto* camera = dynamic_cast<CameraComponent*>(copy.get());
    ASSERT_NE(nullptr, camera);
    EXPECT_EQ(7, camera->targetEntity);
    EXPECT_FLOAT_EQ(0.75f, camera->camera.rotateY);
}
