// The scene draw without a GL context: the order entities are drawn in, program passes, culling, the
// per-frame inputs, box draw groups, copy-entity graphics and the emitters' owners.
#include <gtest/gtest.h>

#include <algorithm>

#include "FakeProgram.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/BoxDrawGroup.h"
#include "graphics/CameraComponent.h"
#include "graphics/CopyEntityGraphics.h"
#include "graphics/MeshBuilder.h"
#include "graphics/Model.h"
#include "graphics/PerspectiveCamera.h"
#include "graphics/SceneDraw.h"
#include "physics/Body.h"
#include "physics/OBB.h"
#include "physics/Sphere.h"

namespace {

class SceneDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = currentGameState;
        currentGameState = &state;
        log = std::make_shared<FakeProgram::Log>();
    }
    void TearDown() override {
        for (auto& group : state.drawGroups) group.reset();
        currentGameState = saved;
    }

    // An entity with a unit sphere body at p and a Graphics drawn through fake program `name`.
    Entity* add(Vector4 p, float alpha = 1.0f, unsigned program = 1, int drawGroup = 0, bool join = true) {
        Entity* entity = new Entity();
        Body* body = new Body();
        body->setShape(new Sphere(1.0f));
        body->position = p;
        entity->addComponent(body);
        Graphics* graphics = new Graphics();
        graphics->diffuseColor = Vector4(1, 1, 1, alpha);
        graphics->drawGroup = drawGroup;
        graphics->setProgram(FakeProgram(program, log));
        entity->addComponent(graphics);
        if (join) {
            state.addEntity(entity);
            state.flushAddedEntities();
        }
        return entity;
    }

    // The calls of the log as "what:program:entity" strings.
    std::vector<std::string> calls() const {
        std::vector<std::string> result;
        for (const auto& call : *log) {
            std::string line = call.what + ":" + std::to_string(call.program);
            if (call.entity) line += ":" + std::to_string(call.entity);
            result.push_back(line);
        }
        return result;
    }
    static std::string drawn(const char* what, unsigned program, const Entity* e) {
        return std::string(what) + ":" + std::to_string(program) + ":" + std::to_string(e->id);
    }
    static std::string pass(const char* what, unsigned program) {
        return std::string(what) + ":" + std::to_string(program);
    }

    GameState state;
    GameState* saved = nullptr;
    PerspectiveCamera camera;
    std::shared_ptr<FakeProgram::Log> log;
};

}  // namespace

TEST_F(SceneDrawTest, OpaqueComeFirstThenTranslucentEachFarToNear) {
    Entity* nearGlass = add(Vector4(0, 0, -3, 1), 0.5f);
    Entity* nearWall = add(Vector4(0, 0, -4, 1));
    Entity* farGlass = add(Vector4(0, 0, -30, 1), 0.5f);
    Entity* farWall = add(Vector4(0, 0, -40, 1));
    Entity* bare = new Entity();
    state.addEntity(bare);
    state.flushAddedEntities();
    std::vector<DrawOrderKey> scratch;
    sortForDrawing(state.entities, camera, scratch);
    EXPECT_EQ(state.entities, (std::vector<Entity*>{farWall, nearWall, farGlass, nearGlass, bare}));

    // The comparison gives the same order for every pair.
    for (size_t i = 0; i < state.entities.size(); ++i)
        for (size_t j = i + 1; j < state.entities.size(); ++j)
            EXPECT_FALSE(drawOrderLess(state.entities[j], state.entities[i], camera)) << i << " " << j;
    EXPECT_FALSE(drawOrderLess(bare, bare, camera));
    EXPECT_TRUE(drawOrderLess(nearGlass, bare, camera));
}

TEST_F(SceneDrawTest, TranslucentThisFrameMovesAnOpaqueObjectAmongTheTranslucentOnes) {
    Entity* wall = add(Vector4(0, 0, -40, 1));
    Entity* glass = add(Vector4(0, 0, -5, 1), 0.9f);
    Entity* hiding = add(Vector4(0, 0, -10, 1));
    hiding->graphics->translucentThisFrame = true;
    std::vector<DrawOrderKey> scratch;
    sortForDrawing(state.entities, camera, scratch);
    EXPECT_EQ(state.entities, (std::vector<Entity*>{wall, hiding, glass}));
}

TEST_F(SceneDrawTest, DepthOrderFollowsTheCameraNotTheWorldAxes) {
    camera.rotateY = 3.14159265f;  // looking down +z
    camera.updateView();
    Entity* a = add(Vector4(0, 0, 5, 1));
    Entity* b = add(Vector4(0, 0, 50, 1));
    std::vector<DrawOrderKey> scratch;
    sortForDrawing(state.entities, camera, scratch);
    EXPECT_EQ(state.entities, (std::vector<Entity*>{b, a}));
}

TEST_F(SceneDrawTest, NaNDepthDoesNotBreakTheSort) {
    for (int i = 0; i < 40; ++i) add(Vector4(0, 0, -1.0f - i, 1));
    Entity* broken = add(Vector4(0, 0, std::nanf(""), 1));
    std::vector<DrawOrderKey> scratch;
    sortForDrawing(state.entities, camera, scratch);
    EXPECT_EQ(state.entities.back(), broken);
    for (size_t i = 1; i + 1 < state.entities.size(); ++i)
        EXPECT_LE(state.entities[i - 1]->body->position.z(), state.entities[i]->body->position.z());
}

TEST_F(SceneDrawTest, ProgramPassesOpenAndCloseAroundRunsOfOneProgram) {
    Entity* a = add(Vector4(0, 0, -10, 1), 1.0f, 1);
    Entity* d = add(Vector4(0, 0, -7, 1), 1.0f, 0);  // no GL program: drawn alone
    Entity* b = add(Vector4(0, 0, -5, 1), 1.0f, 1);
    Entity* c = add(Vector4(0, 0, -20, 1), 0.5f, 2);
    state.draw(&camera);  // the engine's entry point reaches the scene draw
    // Opaque surfaces are drawn nearest first.
    EXPECT_EQ(calls(), (std::vector<std::string>{pass("setCamera", 1), drawn("drawInPass", 1, b), pass("endPass", 1),
                                                 drawn("draw", 0, d), pass("setCamera", 1), drawn("drawInPass", 1, a),
                                                 pass("endPass", 1), pass("setCamera", 2), drawn("drawInPass", 2, c),
                                                 pass("endPass", 2)}));
}

TEST_F(SceneDrawTest, CulledEntityDoesNotEndThePass) {
    Entity* a = add(Vector4(0, 0, -10, 1), 1.0f, 1);
    add(Vector4(1000, 0, -8, 1), 1.0f, 2);  // far off to the side
    Entity* b = add(Vector4(0, 0, -5, 1), 1.0f, 1);
    drawScene(state, camera);
    EXPECT_EQ(calls(), (std::vector<std::string>{pass("setCamera", 1), drawn("drawInPass", 1, b),
                                                 drawn("drawInPass", 1, a), pass("endPass", 1)}));
}

// The stored order stays far to near (the update walks it); the drawing takes the opaque surfaces
// nearest first, then those that still blend this frame far to near, then the translucent ones and
// the incomplete entities as they stand.
TEST_F(SceneDrawTest, OpaqueSurfacesAreDrawnNearestFirstUnlessTheyBlendThisFrame) {
    Entity* farWall = add(Vector4(0, 0, -40, 1));
    Entity* fadingFar = add(Vector4(0, 0, -30, 1));
    Entity* midWall = add(Vector4(0, 0, -20, 1));
    Entity* fadingNear = add(Vector4(0, 0, -10, 1));
    Entity* nearWall = add(Vector4(0, 0, -4, 1));
    Entity* farGlass = add(Vector4(0, 0, -35, 1), 0.5f);
    Entity* nearGlass = add(Vector4(0, 0, -3, 1), 0.5f);
    Entity* dimmedSpecular = add(Vector4(0, 0, -25, 1));
    Entity* bare = new Entity();
    state.addEntity(bare);
    state.flushAddedEntities();
    // A fade-in lowers the drawn alpha for this frame only; the entity stays in the opaque class.
    fadingFar->graphics->diffuseColorOffset = Vector4(0, 0, 0, -0.5f);
    fadingNear->graphics->diffuseColorOffset = Vector4(0, 0, 0, -0.01f);
    dimmedSpecular->graphics->specularColor = Vector4(1, 1, 1, 0.2f);
    dimmedSpecular->graphics->specularColorOffset = Vector4(0, 0, 0, -0.3f);
    // A brighter fade (offset above full alpha) still covers.
    midWall->graphics->diffuseColorOffset = Vector4(0, 0, 0, 0.5f);

    std::vector<DrawOrderKey> scratch;
    sortForDrawing(state.entities, camera, scratch);
    const std::vector<Entity*> stored{farWall, fadingFar, dimmedSpecular, midWall, fadingNear, nearWall,
                                      farGlass, nearGlass, bare};
    EXPECT_EQ(state.entities, stored);
    std::vector<Entity*> order;
    orderForDrawing(state.entities, camera, order);
    EXPECT_EQ(order, (std::vector<Entity*>{nearWall, midWall, farWall, fadingFar, dimmedSpecular, fadingNear,
                                           farGlass, nearGlass, bare}));

    drawScene(state, camera);
    std::vector<std::string> expected{pass("setCamera", 1)};
    for (Entity* e : {nearWall, midWall, farWall, fadingFar, dimmedSpecular, fadingNear, farGlass, nearGlass})
        expected.push_back(drawn("drawInPass", 1, e));
    expected.push_back(pass("endPass", 1));
    EXPECT_EQ(calls(), expected);
    // Drawing cleared the frame's offsets: the next frame is all opaque walls nearest first.
    orderForDrawing(state.entities, camera, order);
    EXPECT_EQ(order.front(), nearWall);
    EXPECT_EQ(order[5], farWall);
    EXPECT_EQ(state.entities, stored);

    // Nothing opaque: the order is the stored one.
    std::vector<Entity*> glassOnly{farGlass, nearGlass, bare};
    orderForDrawing(glassOnly, camera, order);
    EXPECT_EQ(order, glassOnly);
}

TEST_F(SceneDrawTest, HeroBehindTheCameraIsStillDrawn) {
    Entity* hero = add(Vector4(0, 0, 10, 1));
    Entity* behind = add(Vector4(0, 0, 12, 1));
    state.rootEntity = hero;
    drawScene(state, camera);
    EXPECT_EQ(calls(), (std::vector<std::string>{pass("setCamera", 1), drawn("drawInPass", 1, hero), pass("endPass", 1)}));
    (void)behind;
}

TEST_F(SceneDrawTest, DisabledIncompleteAndGroupedEntitiesDrawNothing) {
    Entity* shown = add(Vector4(0, 0, -10, 1));
    Entity* hidden = add(Vector4(0, 0, -9, 1));
    hidden->graphics->disabled = true;
    Entity* grouped = add(Vector4(0, 0, -8, 1), 1.0f, 1, 4);
    grouped->graphics->translucentThisFrame = true;
    grouped->graphics->diffuseColorOffset = Vector4(0.5f, 0, 0, 0);
    // Components without a place to be drawn at, or nothing to draw.
    Entity* noBody = new Entity();
    noBody->addComponent(new Graphics());
    state.addEntity(noBody);
    Entity* noGraphics = new Entity();
    noGraphics->addComponent(new Body());
    state.addEntity(noGraphics);
    state.flushAddedEntities();
    state.rootEntity = noBody;

    drawScene(state, camera);
    EXPECT_EQ(calls(), (std::vector<std::string>{pass("setCamera", 1), drawn("drawInPass", 1, shown), pass("endPass", 1)}));
    // The grouped Graphics keeps its per-frame inputs.
    EXPECT_TRUE(grouped->graphics->translucentThisFrame);
    EXPECT_EQ(grouped->graphics->diffuseColorOffset, Vector4(0.5f, 0, 0, 0));
}

TEST_F(SceneDrawTest, DrawingClearsTheFrameInputs) {
    Entity* a = add(Vector4(0, 0, -10, 1));
    a->graphics->translucentThisFrame = true;
    a->graphics->diffuseColorOffset = Vector4(1, 1, 1, 0);
    a->graphics->specularColorOffset = Vector4(0, 1, 0, 0);
    drawScene(state, camera);
    ASSERT_EQ(log->size(), 3u);
    EXPECT_TRUE((*log)[1].translucent);
    EXPECT_FALSE(a->graphics->translucentThisFrame);
    EXPECT_EQ(a->graphics->diffuseColorOffset, Vector4(0, 0, 0, 0));
    EXPECT_EQ(a->graphics->specularColorOffset, Vector4(0, 0, 0, 0));
}

TEST_F(SceneDrawTest, EntitiesAreDrawnWithTheirBodyWorldMatrix) {
    Entity* a = add(Vector4(1, 2, -10, 1));
    a->body->setShape(new OBB());
    a->body->rotation = quaternionFromAxisAngle(Vector4(0, 1, 0, 0), 0.5f);
    drawScene(state, camera);
    ASSERT_EQ(log->size(), 3u);
    EXPECT_EQ((*log)[1].world, getBodyWorldMatrix(*a->body));
    EXPECT_EQ((*log)[1].world, a->body->shape->transform());
}

TEST_F(SceneDrawTest, DrawGroupsMergeByKeyInAscendingOrder) {
    Entity* first = add(Vector4(10, 0, 0, 1), 1.0f, 1, 3);
    first->graphics->diffuseColor = Vector4(1, 0, 0, 1);
    first->graphics->modelName = "notABox";
    add(Vector4(0, 0, 0, 1), 1.0f, 1, 0);
    Entity* third = add(Vector4(-10, 0, 0, 1), 1.0f, 1, 3);
    third->graphics->diffuseColor = Vector4(0, 1, 0, 1);
    add(Vector4(0, 5, 0, 1), 1.0f, 1, -1);

    auto groups = buildBoxDrawGroups(state.entities);
    ASSERT_EQ(groups.size(), 2u);
    const BoxDrawGroup& minusOne = *groups.front();
    const BoxDrawGroup& three = *groups.back();
    EXPECT_EQ(minusOne.boxCount, 1);
    EXPECT_EQ(three.boxCount, 2);
    EXPECT_EQ(three.graphics.diffuseColor, Vector4(1, 0, 0, 1));
    EXPECT_EQ(three.graphics.drawGroup, 0);
    EXPECT_TRUE(three.graphics.modelName.empty());
    EXPECT_EQ(three.graphics.owner, first);
    ASSERT_NE(three.graphics.model, nullptr);
    EXPECT_EQ(three.graphics.model->getIndexCount(), 72);
    // Unit spheres at x = 10 and -10 are drawn as boxes from (-11, -1, -1) to (11, 1, 1).
    EXPECT_EQ(three.body.position, Vector4(0, 0, 0, 1));
    ASSERT_NE(three.body.shape, nullptr);
    EXPECT_NEAR(three.body.shape->getBoundingRadius(), std::sqrt(121.0f + 1 + 1), 1e-4f);
}

TEST_F(SceneDrawTest, GroupsAreDrawnFirstWithTheIdentityAndCulledAsOne) {
    Entity* member = add(Vector4(0, 0, -20, 1), 1.0f, 7, 2);
    add(Vector4(0, 0, -10, 1), 1.0f, 1, 0);
    add(Vector4(5000, 0, -10, 1), 1.0f, 7, 5);  // a group wholly out of view
    state.buildDrawGroups();
    ASSERT_EQ(state.drawGroups.size(), 2u);
    log->clear();
    drawScene(state, camera);
    ASSERT_GE(log->size(), 1u);
    EXPECT_EQ((*log)[0].what, "draw");
    EXPECT_EQ((*log)[0].program, 7u);
    EXPECT_EQ((*log)[0].world, Matrix());
    // The group is drawn once; its member's own Graphics draws nothing (its program still opens a pass).
    EXPECT_EQ(std::count_if(log->begin(), log->end(),
                            [](const auto& c) { return c.program == 7u && c.what.rfind("draw", 0) == 0; }),
              1);
    (void)member;
}

TEST_F(SceneDrawTest, GroupTooLargeForOneMeshBecomesSeveral) {
    const int boxes = MeshBuilder::maxBoxesPerGroup + 5;
    std::vector<Entity*> members;
    for (int i = 0; i < boxes; ++i) members.push_back(add(Vector4(static_cast<float>(i), 0, 0, 1), 1.0f, 1, 6, false));
    auto groups = buildBoxDrawGroups(members);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups.front()->boxCount, MeshBuilder::maxBoxesPerGroup);
    EXPECT_EQ(groups.back()->boxCount, 5);
    for (Entity* e : members) delete e;
}

TEST_F(SceneDrawTest, CopyEntityDrawsTheOtherLookTurnedLikeItsBody) {
    Entity* original = add(Vector4(0, 0, -50, 1), 1.0f, 0);
    original->body->rotation = quaternionFromAxisAngle(Vector4(0, 0, 1, 0), 0.75f);
    original->graphics->translucentThisFrame = true;
    Entity* copy = add(Vector4(3, 0, -10, 1), 1.0f, 1);
    auto* copyGraphics = new CopyEntityGraphics();
    copyGraphics->idToCopy = static_cast<int>(original->id);
    copy->addComponent(copyGraphics);
    copy->flushRemovedComponents();
    ASSERT_EQ(copy->graphics, copyGraphics);

    const Matrix copyWorld = getBodyWorldMatrix(*copy->body);
    const Matrix turned = copyWorld * Matrix::fromQuaternion(quaternionNormalized(original->body->rotation));
    log->clear();
    copyGraphics->draw(copyWorld, camera);
    ASSERT_EQ(log->size(), 1u);
    EXPECT_EQ((*log)[0].entity, original->id);
    EXPECT_EQ((*log)[0].world, turned);
    EXPECT_FALSE((*log)[0].translucent);  // drawn with the copy's own flag
    EXPECT_TRUE(original->graphics->translucentThisFrame);

    // Seen through another camera, the copy is also turned back by the scene camera's orientation.
    auto* cameraComponent = new CameraComponent();
    state.addStateComponent(cameraComponent);
    state.flushAddedComponents();
    PerspectiveCamera& sceneCamera = cameraComponent->camera;
    sceneCamera.rotateY = 1.0f;
    log->clear();
    copyGraphics->draw(copyWorld, camera);
    const Quaternion q = sceneCamera.getOrientation();
    EXPECT_EQ((*log)[0].world, copyWorld * Matrix::fromQuaternion(Quaternion(q.x(), q.y(), q.z(), -q.w())) *
                                   Matrix::fromQuaternion(quaternionNormalized(original->body->rotation)));
    log->clear();
    copyGraphics->draw(copyWorld, sceneCamera);
    EXPECT_EQ((*log)[0].world, turned);

    // A missing id draws nothing.
    copyGraphics->idToCopy = 999999;
    log->clear();
    copyGraphics->draw(copyWorld, camera);
    EXPECT_TRUE(log->empty());
}

TEST_F(SceneDrawTest, CopiesThatLeadBackToThemselvesDrawNothing) {
    Entity* a = add(Vector4(0, 0, -10, 1), 1.0f, 1);
    Entity* b = add(Vector4(2, 0, -10, 1), 1.0f, 1);
    Entity* self = add(Vector4(-2, 0, -10, 1), 1.0f, 1);
    auto* ca = new CopyEntityGraphics();
    auto* cb = new CopyEntityGraphics();
    auto* cs = new CopyEntityGraphics();
    ca->idToCopy = static_cast<int>(b->id);
    cb->idToCopy = static_cast<int>(a->id);
    cs->idToCopy = static_cast<int>(self->id);
    a->addComponent(ca);
    b->addComponent(cb);
    self->addComponent(cs);
    for (Entity* e : {a, b, self}) e->flushRemovedComponents();
    log->clear();
    drawScene(state, camera);
    EXPECT_TRUE(log->empty());
}

TEST_F(SceneDrawTest, EmittersDrawOnlyForOwnersInTheSceneWithABody) {
    static std::vector<Component*> emitters;
    static std::vector<std::pair<Component*, Matrix>> drawnEmitters;
    emitters.clear();
    drawnEmitters.clear();
    ParticleDrawSupport saved = particleDrawSupport();
    particleDrawSupport().forEachEmitter = [](void (*visit)(Component&, void*), void* context) {
        for (Component* e : emitters) visit(*e, context);
    };
    particleDrawSupport().drawEmitter = [](Component& emitter, const Matrix& world, Camera&) {
        drawnEmitters.emplace_back(&emitter, world);
    };

    Entity* inScene = add(Vector4(4, 0, -10, 1));
    Entity* outside = add(Vector4(0, 0, -10, 1), 1.0f, 1, 0, false);
    Entity* bodiless = new Entity();
    state.addEntity(bodiless);
    state.flushAddedEntities();
    Entity* gone = new Entity();

    // Stand-in emitters: one held by each owner, and a copy that only names the scene entity.
    std::vector<Component*> held;
    for (Entity* owner : {inScene, outside, bodiless}) {
        Graphics* emitter = new Graphics();
        owner->components.emplace_back(emitter);
        emitter->owner = owner;
        held.push_back(emitter);
    }
    std::unique_ptr<Component> copy(held[0]->clone());
    Graphics orphan;  // its owner is deleted below while it lives on
    orphan.owner = gone;
    Graphics unowned;
    emitters = {held[0], held[1], held[2], copy.get(), &orphan, &unowned};
    delete gone;

    drawScene(state, camera);
    ASSERT_EQ(drawnEmitters.size(), 1u);
    EXPECT_EQ(drawnEmitters[0].first, held[0]);
    EXPECT_EQ(drawnEmitters[0].second, getBodyWorldMatrix(*inScene->body));

    particleDrawSupport() = saved;
    emitters.clear();
    delete outside;
}
