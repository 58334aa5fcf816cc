// The editor's modes in a running level: the keyboard transforms against exact results, placing and
// picking, modifying with its undo records, painting materials, and editing groups.
#include <cmath>
#include <fstream>
#include <sstream>

#include "editor/ColorMode.h"
#include "editor/EditorSceneSupport.h"
#include "editor/EditorTransforms.h"
#include "editor/ModifyMode.h"
#include "editor/MultipleModifyMode.h"
#include "editor/MultipleSelectMode.h"
#include "editor/PlaceMode.h"
#include "editor/UndoRecord.h"
#include "engine/MouseMoveMessage.h"
#include "physics/Capsule.h"
#include "physics/OBB.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"

namespace {

Entity* makeBody(Shape* shape, Vector4 position) {
    auto* entity = new Entity();
    auto* body = new Body();
    body->position = position;
    body->setShape(shape);
    entity->addComponent(body);
    return entity;
}

Rect* boxShape(float x, float y, float z) {
    auto* rect = new Rect();
    rect->size = Vector4(x, y, z, 0);
    return rect;
}

TEST_F(EditorScene, TheKeyboardTransformsGiveExactResults) {
    enter(editorScene());
    std::unique_ptr<Entity> ball(makeBody(new Sphere(2.0f), Vector4(0, 0, 0, 1)));
    // No key, or Q with E: nothing moves. W with S cancel, E rises by speed x dt x radius.
    flyEntity(*ball, 0.5f);
    hold('Q');
    hold('E');
    flyEntity(*ball, 0.5f);
    expectNear(Vector4(0, 0, 0, 1), ball->body->position);
    hold('Q', false);
    hold('W');
    hold('S');
    flyEntity(*ball, 0.5f);
    expectNear(Vector4(0, 1, 0, 1), ball->body->position);
    hold('W', false);
    hold('S', false);
    hold('E', false);
    // W goes along the camera's -z, ten times as far with Shift; D along the camera's right.
    hold('W');
    hold(EditorKey::shift);
    flyEntity(*ball, 0.5f);
    expectNear(Vector4(0, 1, -10, 1), ball->body->position);
    hold('W', false);
    hold(EditorKey::shift, false);
    camera()->camera.rotateY = 1.5707964f;
    camera()->camera.updateView();
    // Turned a quarter to the left, the camera's right is -z.
    hold('D');
    flyEntity(*ball, 0.5f);
    expectNear(Vector4(0, 1, -11, 1), ball->body->position);
    EXPECT_EQ(2, chooseViewAxis(0));
    camera()->camera.rotateY = 0.0f;
    camera()->camera.updateView();
    EXPECT_EQ(0, chooseViewAxis(0));
    hold('D', false);

    // Growing: Down by 1 + dt, Up by its inverse, the shared grow size along.
    hold(EditorKey::down);
    growEntity(*ball, 0.5f);
    EXPECT_FLOAT_EQ(3.0f, static_cast<Sphere*>(ball->body->shape)->radius);
    EXPECT_FLOAT_EQ(1.5f, EditorState::lastGrowSize);
    hold(EditorKey::down, false);
    hold(EditorKey::up);
    growEntity(*ball, 0.5f);
    EXPECT_FLOAT_EQ(2.0f, static_cast<Sphere*>(ball->body->shape)->radius);
    hold(EditorKey::up, false);

    // Extend and retract a box with its half-size x 1: the opposite face stays.
    std::unique_ptr<Entity> box(makeBody(boxShape(1, 1, 1), Vector4(0, 0, 0, 1)));
    Rect& rect = *static_cast<Rect*>(box->body->shape);
    hold('D');
    extendEntity(*box, 1.0f);
    expectNear(Vector4(2, 1, 1, 0), rect.size);
    expectNear(Vector4(1, 0, 0, 1), box->body->position);
    rect.size = Vector4(1, 1, 1, 0);
    box->body->position = Vector4(0, 0, 0, 1);
    retractEntity(*box, 1.0f);
    expectNear(Vector4(0.5f, 1, 1, 0), rect.size);
    expectNear(Vector4(0.5f, 0, 0, 1), box->body->position);
    // Stretch: D widens, W heightens, about the centre.
    hold('W');
    stretchEntity(*box, 1.0f);
    expectNear(Vector4(1, 2, 1, 0), rect.size);
    expectNear(Vector4(0.5f, 0, 0, 1), box->body->position);
    hold('D', false);
    hold('W', false);
    // A capsule stretches in length (never to nothing) and radius.
    std::unique_ptr<Entity> pill(makeBody(new Capsule(), Vector4(0, 0, 0, 1)));
    Capsule& capsule = *static_cast<Capsule*>(pill->body->shape);
    hold('A');
    hold('S');
    stretchEntity(*pill, 1.0f);
    EXPECT_FLOAT_EQ(0.5f, capsule.length);
    EXPECT_FLOAT_EQ(0.5f, capsule.radius);
    hold('A', false);
    hold('S', false);

    // Selections: the centre, the radius, a tenth of the radius per second, scaling about the centre.
    std::unique_ptr<Entity> left(makeBody(new Sphere(1.0f), Vector4(-4, 0, 0, 1)));
    std::unique_ptr<Entity> right(makeBody(new Sphere(1.0f), Vector4(4, 0, 0, 1)));
    const std::vector<Entity*> group{left.get(), right.get()};
    expectNear(Vector4(0, 0, 0, 1), getSelectionCentre(group));
    EXPECT_FLOAT_EQ(5.0f, getSelectionRadius(group, getSelectionCentre(group)));
    moveSelection({}, 1.0f);
    hold('E');
    moveSelection(group, 2.0f);
    expectNear(Vector4(-4, 1, 0, 1), left->body->position);
    hold('E', false);
    EditorState::lastGrowSize = 1.0f;
    scaleSelection(group, 0.5f);
    expectNear(Vector4(4, 1, 0, 1), right->body->position);
    hold(EditorKey::down);
    scaleSelection(group, 0.5f);
    expectNear(Vector4(-5, 1, 0, 1), left->body->position);
    expectNear(Vector4(5, 1, 0, 1), right->body->position);
    EXPECT_FLOAT_EQ(1.25f, static_cast<Sphere*>(left->body->shape)->radius);
    EXPECT_FLOAT_EQ(1.25f, EditorState::lastGrowSize);
}

TEST_F(EditorScene, PlaceModeStepsThroughArchetypesPlacesAndPicks) {
    Editor& level = enterEditing();
    PlaceMode* place = mode<PlaceMode>();
    ASSERT_NE(nullptr, place);
    EXPECT_EQ("a", place->archetypeName);
    EXPECT_TRUE(mouseCaptured);
    Entity* preview = place->getCursorEntity();
    ASSERT_NE(nullptr, preview);
    EXPECT_FALSE(preview->body->resolve);
    EXPECT_FLOAT_EQ(0.3f, preview->graphics->diffuseColor.w());
    // The preview starts at the camera's point, inside the hero: it hides.
    frame();
    EXPECT_TRUE(preview->graphics->disabled);

    // The wheel: b, c, back to a; backwards from a to c; 0 rebuilds the same. Growing carries over.
    hold(EditorKey::down);
    frame(1.0f);
    hold(EditorKey::down, false);
    EXPECT_FLOAT_EQ(2.0f, EditorState::lastGrowSize);
    wheel(1.0f);
    EXPECT_EQ("b", place->archetypeName);
    EXPECT_FLOAT_EQ(2.0f, static_cast<Sphere*>(place->getCursorEntity()->body->shape)->radius);
    EXPECT_EQ(nullptr, preview = findEntityById(preview->id));
    wheel(1.0f);
    wheel(1.0f);
    EXPECT_EQ("a", place->archetypeName);
    wheel(-1.0f);
    EXPECT_EQ("c", place->archetypeName);
    const std::uint32_t before = place->cursorEntityId;
    wheel(0.0f);
    EXPECT_EQ("c", place->archetypeName);
    EXPECT_NE(before, place->cursorEntityId);
    place->archetypeName = "gold";
    wheel(-1.0f);
    EXPECT_EQ("a", place->archetypeName) << "a name that is no entity archetype jumps to the first";

    // Space inside the box with id 2 picks it; the preview leaves with Place mode.
    preview = place->getCursorEntity();
    preview->body->position = Vector4(10, 0.2f, 0, 1);
    const std::uint32_t previewId = preview->id;
    key(EditorKey::space);
    frame();
    ModifyMode* modify = mode<ModifyMode>();
    ASSERT_NE(nullptr, modify);
    EXPECT_EQ(2u, modify->entityId);
    EXPECT_FALSE(modify->isNewEntity);
    EXPECT_EQ(nullptr, findEntityById(previewId));

    // Back in Place mode, the preview is placed in free space with its own alpha and resolve flag.
    key(EditorKey::space);
    frame();
    place = mode<PlaceMode>();
    ASSERT_NE(nullptr, place);
    preview = place->getCursorEntity();
    preview->body->position = Vector4(0, 30, 0, 1);
    const std::size_t entities = entityCount();
    key(EditorKey::space);
    frame();
    modify = mode<ModifyMode>();
    ASSERT_NE(nullptr, modify);
    EXPECT_TRUE(modify->isNewEntity);
    EXPECT_EQ(preview->id, modify->entityId);
    EXPECT_EQ(entities, entityCount());
    EXPECT_TRUE(preview->body->resolve);
    EXPECT_FLOAT_EQ(1.0f, preview->graphics->diffuseColor.w());
    EXPECT_EQ(static_cast<std::int32_t>(preview->id), camera()->targetEntity);
    EXPECT_FLOAT_EQ(20.0f, camera()->targetDistance);

    // A preview whose body has not joined the physics yet still refuses to be placed inside a body.
    key(EditorKey::space);
    frame();
    place = mode<PlaceMode>();
    preview = place->getCursorEntity();
    preview->body->position = Vector4(-10, 0, 0, 1);
    level.getComponents<Physics>()->removeBody(preview->body);
    EXPECT_EQ(entity(4), place->findEntityUnderPreview());
    key(EditorKey::space);
    frame();
    ASSERT_NE(nullptr, mode<ModifyMode>());
    EXPECT_EQ(4u, mode<ModifyMode>()->entityId);
}

TEST_F(EditorScene, ModifyModeEditsOneEntityAndLeavesOneRecordPerVisit) {
    enterEditing();
    EditorController& editorController = *controller();
    auto pick = [this](Vector4 where) {
        mode<PlaceMode>()->getCursorEntity()->body->position = where;
        key(EditorKey::space);
        frame();
        return mode<ModifyMode>();
    };
    // Space right after entering: one record holding the text from the entry.
    ModifyMode* modify = pick(Vector4(10, 0, 0, 1));
    ASSERT_NE(nullptr, modify);
    hold(EditorKey::ctrl);
    hold('E');
    frame(1.0f);
    hold('E', false);
    hold(EditorKey::ctrl, false);
    expectNear(Vector4(10, std::sqrt(3.0f), 0, 1), position(2));
    key(EditorKey::space);
    frame();
    ASSERT_EQ(1u, editorController.undoStack.size());
    EXPECT_EQ(UndoRecord::restoreOne, editorController.undoStack.back().kind);
    key('U');
    frame();
    expectNear(Vector4(10, 0, 0, 1), position(2));

    // Leaving with '3' still records; the arrows move the camera, not the entity.
    modify = pick(Vector4(10, 0, 4, 1));
    ASSERT_NE(nullptr, modify);
    hold(EditorKey::up);
    frame();
    hold(EditorKey::up, false);
    EXPECT_FLOAT_EQ(20.0f / 1.02f, camera()->targetDistance);
    key('3');
    frame();
    EXPECT_EQ(1u, editorController.undoStack.size());
    EXPECT_EQ(3u, editorController.undoStack.back().entityId);
    key('1');
    frame();

    // Delete on an existing entity records it for re-creation; on a new one nothing; never the hero.
    pick(Vector4(10, 0, 4, 1));
    key(EditorKey::del);
    frame();
    EXPECT_EQ(nullptr, entity(3));
    EXPECT_EQ(UndoRecord::recreateOne, editorController.undoStack.back().kind);
    key('U');
    frame();
    ASSERT_NE(nullptr, entity(3));
    const std::size_t records = editorController.undoStack.size();
    ModifyMode* placed = pick(Vector4(0, 40, 0, 1));
    ASSERT_TRUE(placed && placed->isNewEntity);
    const std::uint32_t placedId = placed->entityId;
    key(EditorKey::del);
    frame();
    EXPECT_EQ(nullptr, entity(placedId));
    EXPECT_EQ(records, editorController.undoStack.size());
    ModifyMode* onHero = pick(Vector4(0, 0, 0, 1));
    ASSERT_NE(nullptr, onHero);
    EXPECT_EQ(1u, onHero->entityId);
    key(EditorKey::del);
    frame();
    EXPECT_NE(nullptr, editor->rootEntity);
    EXPECT_EQ(editor->rootEntity, entity(1));
    EXPECT_EQ(onHero, mode<ModifyMode>());
    // 'C' on the hero copies nothing; on a box the copy becomes Place mode's preview.
    key('C');
    frame();
    ASSERT_NE(nullptr, mode<PlaceMode>());
    EXPECT_EQ(UndoRecord::restoreOne, editorController.undoStack.back().kind);
    EXPECT_EQ(1u, editorController.undoStack.back().entityId);
    pick(Vector4(10, 0, 0, 1));
    const std::size_t count = entityCount();
    key('C');
    frame();
    PlaceMode* place = mode<PlaceMode>();
    ASSERT_NE(nullptr, place);
    Entity* copy = place->getCursorEntity();
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(2u, copy->id);
    expectNear(position(2), copy->body->position);
    EXPECT_EQ(count + 1, entityCount());

    // 'M': the entity goes back to where it was entered; a patrol runs from there to where it was moved.
    pick(Vector4(-10, 0, 0, 1));
    hold(EditorKey::ctrl);
    hold('D');
    frame(1.0f);
    hold('D', false);
    hold(EditorKey::ctrl, false);
    key('M');
    frame();
    EXPECT_NE(nullptr, mode<PlaceMode>());
    EXPECT_EQ(4u, editorController.undoStack.back().entityId);
    expectNear(Vector4(-10, 0, 0, 1), position(4));
    ASSERT_EQ(3u, entity(4)->components.size());
    EXPECT_TRUE(entity(4)->components.back()->disabled);
    // The patrol runs from where the entity was entered to where it was moved.
    const std::string text = entityToText(entity(4));
    EXPECT_NE(std::string::npos, text.find("PatrollingComponent")) << text;
    EXPECT_NE(std::string::npos, text.find("startPosition -10 0 0 1")) << text;
    EXPECT_EQ(std::string::npos, text.find("endPosition -10 0 0 1")) << text;
    EXPECT_NE(std::string::npos, text.find("endPosition -6.5")) << text;

    // Turning with Tab held: a sphere does not turn; a box that may turn does, about the vertical.
    Entity* turning = makeBody(new OBB(), Vector4(0, 0, 30, 1));
    editor->addEntity(turning);
    ModifyMode* turn = pick(Vector4(0, 0, 30, 1));
    ASSERT_NE(nullptr, turn);
    sendMessage(new MouseMoveMessage(0, 0, 100, 0), true);
    EXPECT_EQ(Quaternion(), turning->body->rotation);
    hold(EditorKey::tab);
    sendMessage(new MouseMoveMessage(0, 0, 100, 0), true);
    EXPECT_NEAR(std::sin(0.1f), turning->body->rotation.y(), 1e-4f);
    EXPECT_NEAR(std::cos(0.1f), turning->body->rotation.w(), 1e-4f);
}

TEST_F(EditorScene, ColorModePicksUpAndPaintsMaterials) {
    enterEditing();
    EditorController& editorController = *controller();
    key('2');
    frame();
    ColorMode* colour = mode<ColorMode>();
    ASSERT_NE(nullptr, colour);
    EXPECT_EQ("gold", colour->archetypeName);
    Graphics* material = colour->previewGraphics();
    ASSERT_NE(nullptr, material);
    EXPECT_FLOAT_EQ(0.3f, material->diffuseColor.w());
    EXPECT_FLOAT_EQ(0.8f, colour->savedAlpha);
    wheel(1.0f);
    EXPECT_EQ("tile", colour->archetypeName);
    wheel(1.0f);
    EXPECT_EQ("gold", colour->archetypeName);
    wheel(-1.0f);
    EXPECT_EQ("tile", colour->archetypeName);

    // Touching the two boxes 2 and 3: 'C' takes the deeper one's material but keeps the sphere model.
    Entity* preview = colour->getCursorEntity();
    preview->body->position = Vector4(10, 0, 1.2f, 1);
    static_cast<Sphere*>(preview->body->shape)->radius = 2.0f;
    key('C');
    material = colour->previewGraphics();
    expectNear(Vector4(0, 1, 0, 0.3f), material->diffuseColor);
    EXPECT_EQ("sphere", material->getModelName());
    EXPECT_FLOAT_EQ(1.0f, colour->savedAlpha);

    // Space paints both with the real alpha, one record each; undoing once restores the last one.
    entity(3)->graphics->diffuseColor = Vector4(0, 0, 1, 1);
    key(EditorKey::space);
    expectNear(Vector4(0, 1, 0, 1), entity(2)->graphics->diffuseColor);
    expectNear(Vector4(0, 1, 0, 1), entity(3)->graphics->diffuseColor);
    EXPECT_EQ("box", entity(3)->graphics->getModelName());
    EXPECT_FLOAT_EQ(0.3f, material->diffuseColor.w());
    ASSERT_EQ(2u, editorController.undoStack.size());
    testing::internal::CaptureStdout();
    key('U');
    testing::internal::GetCapturedStdout();
    frame();
    expectNear(Vector4(0, 0, 1, 1), entity(3)->graphics->diffuseColor);
    expectNear(Vector4(0, 1, 0, 1), entity(2)->graphics->diffuseColor);

    // Losing the preview hands over to Place mode.
    editor->removeEntityById(colour->cursorEntityId);
    frame();
    frame();
    EXPECT_NE(nullptr, mode<PlaceMode>());
}

TEST_F(EditorScene, GroupsAreSelectedTransformedCopiedAndDeletedWithUndo) {
    enterEditing();
    EditorController& editorController = *controller();
    key('3');
    frame();
    MultipleSelectMode* select = mode<MultipleSelectMode>();
    ASSERT_NE(nullptr, select);
    Entity* sphere = select->getCursorEntity();
    ASSERT_NE(nullptr, sphere);
    EXPECT_FLOAT_EQ(1.0f, sphere->body->shape->getBoundingRadius());
    // Touching both boxes: a left click twice selects each once; a right click elsewhere removes nothing.
    sphere->body->position = Vector4(10, 0, 2, 1);
    static_cast<Sphere*>(sphere->body->shape)->radius = 1.5f;
    click(MouseButton::left);
    click(MouseButton::left);
    EXPECT_EQ((std::vector<std::uint32_t>{2, 3}), select->selectedEntities);
    sphere->body->position = Vector4(0, 50, 0, 1);
    click(MouseButton::right);
    EXPECT_EQ(2u, select->selectedEntities.size());
    frame();
    expectNear(Vector4(1, -1, -1, 0), entity(2)->graphics->diffuseColorOffset);

    // Space: the group is modified; Tab+A turns it a quarter, swapping sizes; Tab+D turns it back.
    const std::uint32_t sphereId = sphere->id;
    key(EditorKey::space);
    frame();
    MultipleModifyMode* group = mode<MultipleModifyMode>();
    ASSERT_NE(nullptr, group);
    EXPECT_EQ(nullptr, findEntityById(sphereId));
    EXPECT_EQ(2, camera()->targetEntity);
    static_cast<Rect*>(entity(2)->body->shape)->size = Vector4(1, 2, 3, 0);
    hold(EditorKey::tab);
    key('A');
    expectNear(Vector4(8, 0, 2, 1), position(2));
    expectNear(Vector4(12, 0, 2, 1), position(3));
    expectNear(Vector4(3, 2, 1, 0), static_cast<Rect*>(entity(2)->body->shape)->size);
    key('D');
    expectNear(Vector4(10, 0, 0, 1), position(2));
    // Seen along x, Q flips z about the group's centre; twice gives back the start.
    camera()->camera.rotateY = 1.5707964f;
    camera()->camera.updateView();
    key('Q');
    expectNear(Vector4(10, 0, 4, 1), position(2));
    expectNear(Vector4(10, 0, 0, 1), position(3));
    key('Q');
    expectNear(Vector4(10, 0, 0, 1), position(2));
    camera()->camera.rotateY = 0.0f;
    camera()->camera.updateView();
    hold(EditorKey::tab, false);
    // Held keys move it; leaving with space leaves one record that restores the group.
    hold('E');
    frame(1.0f);
    hold('E', false);
    EXPECT_GT(position(2).y(), 0.0f);
    key(EditorKey::space);
    frame();
    ASSERT_NE(nullptr, mode<MultipleSelectMode>());
    EXPECT_EQ(2u, mode<MultipleSelectMode>()->selectedEntities.size());
    ASSERT_EQ(1u, editorController.undoStack.size());
    EXPECT_EQ(UndoRecord::restoreMany, editorController.undoStack.back().kind);
    key('U');
    frame();
    expectNear(Vector4(10, 0, 0, 1), position(2));
    expectNear(Vector4(10, 0, 4, 1), position(3));

    // 'C' copies the group a quarter of its radius higher and goes on with the copies; Delete right
    // after removes them without a record; undo restores.
    key(EditorKey::space);
    frame();
    const std::size_t count = entityCount();
    key('C');
    frame();
    MultipleModifyMode* copies = mode<MultipleModifyMode>();
    ASSERT_NE(nullptr, copies);
    EXPECT_TRUE(copies->isNewSelection);
    ASSERT_EQ(2u, copies->selectedEntities.size());
    EXPECT_EQ(count + 2, entityCount());
    const float radius = std::sqrt(4.0f) + std::sqrt(3.0f);
    expectNear(Vector4(10, 0.25f * radius, 0, 1), position(copies->selectedEntities[0]));
    const std::size_t records = editorController.undoStack.size();
    key(EditorKey::del);
    frame();
    EXPECT_EQ(count + 1, entityCount()) << "the copies gone, the selection sphere back";
    EXPECT_EQ(records, editorController.undoStack.size());

    // A group with the hero: Delete keeps the hero, and undo brings the others back.
    key('3');
    frame();
    select = mode<MultipleSelectMode>();
    select->selectedEntities = {1, 4};
    key(EditorKey::space);
    frame();
    key(EditorKey::del);
    frame();
    EXPECT_EQ(nullptr, entity(4));
    ASSERT_NE(nullptr, editor->rootEntity);
    EXPECT_EQ(editor->rootEntity, entity(1));
    testing::internal::CaptureStdout();
    key('U');
    testing::internal::GetCapturedStdout();
    frame();
    frame();
    EXPECT_NE(nullptr, entity(4));
    ASSERT_NE(nullptr, editor->rootEntity);
    EXPECT_EQ(1u, editor->rootEntity->id);
    EXPECT_NE(nullptr, editor->rootEntity->body->sweepRay);
    EXPECT_TRUE(editor->isBeingEdited());
}

// Keys delivered in one frame after a mode has handed over: the mode takes no more of them, and a
// preview queued for removal is neither picked nor painted. Undoing everything and saving leaves the
// level as it was.
TEST_F(EditorScene, KeysAfterAModeHasHandedOverChangeNothing) {
    Editor& level = enterEditing();
    const std::deque<UndoRecord>& records = controller()->undoStack;
    const std::size_t start = entityCount();
    keys({'3'});
    mode<MultipleSelectMode>()->selectedEntities = {2, 3};
    keys({EditorKey::space, EditorKey::space});
    ASSERT_NE(nullptr, mode<MultipleModifyMode>());
    EXPECT_EQ(2u, mode<MultipleModifyMode>()->selectedEntities.size());
    keys({EditorKey::space, EditorKey::space});
    EXPECT_EQ(1u, records.size());
    ASSERT_EQ(2u, mode<MultipleSelectMode>()->selectedEntities.size());
    keys({EditorKey::space});
    keys({EditorKey::del, EditorKey::del});
    EXPECT_EQ(2u, records.size());
    keys({'U'});
    EXPECT_EQ(start, entityCount());
    mode<MultipleSelectMode>()->selectedEntities = {2, 3};
    keys({EditorKey::space});
    keys({'C', 'C', '3'});
    EXPECT_EQ(start + 1, entityCount()) << "two copies and no cursor";
    keys({EditorKey::space});
    EXPECT_EQ(3u, records.size());

    // A wheel step and space in one frame place the new preview, not the one queued for removal.
    keys({'1'});
    mode<PlaceMode>()->getCursorEntity()->body->position = Vector4(0, 30, 0, 1);
    wheel(1.0f);
    const std::uint32_t preview = mode<PlaceMode>()->cursorEntityId;
    keys({EditorKey::space, '1'});
    ASSERT_NE(nullptr, mode<ModifyMode>());
    EXPECT_EQ(preview, mode<ModifyMode>()->entityId);
    keys({EditorKey::space});
    EXPECT_EQ(4u, records.size());
    // In Colour mode they paint nothing: the old preview is the only thing touched.
    keys({'2'});
    mode<ColorMode>()->getCursorEntity()->body->position = Vector4(0, -60, 0, 1);
    wheel(1.0f);
    key(EditorKey::space);
    EXPECT_EQ(4u, records.size());

    keys({'U', 'U', 'U', 'U'});
    EXPECT_TRUE(records.empty());
    level.levelFileName = writeTestFile("saved.lvl", "");
    key('P');
    std::ifstream file(level.levelFileName);
    std::stringstream saved;
    saved << file.rdbuf();
    editor->unload();
    editor.reset();
    enter(saved.str());
    EXPECT_EQ(4u, entityCount());
    for (std::uint32_t id = 1; id <= 4; ++id) EXPECT_NE(nullptr, entity(id)) << id;
}

}  // namespace
