// The editor controller in a running level: switching editing with F1, the machine's switches and its
// text, undo of every record kind, autosave, and tearing a level down in the middle of an edit.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/FileLookup.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "editor/AutoSaveComponent.h"
#include "editor/ColorMode.h"
#include "editor/EditorSceneSupport.h"
#include "editor/ModifyMode.h"
#include "editor/MultipleSelectMode.h"
#include "editor/PlaceMode.h"
#include "editor/UndoRecord.h"
#include "engine/MessageTypes.h"

namespace {

std::string controllerText(EditorController& controller) {
    std::ostringstream text;
    OStreamWrapper out(text);
    writeValue(out, static_cast<Component*>(&controller));
    return text.str();
}

std::unique_ptr<Component> readComponent(const std::string& text) {
    std::istringstream stream(text);
    IStreamWrapper in(stream);
    std::unique_ptr<Component> component;
    readValue(in, component);
    return component;
}

TEST_F(EditorScene, F1SwitchesEditingOnAndOffAndTheModesHideTheirCursor) {
    Editor& level = enter(editorScene());
    EditorController* editorController = controller();
    ASSERT_NE(nullptr, editorController);
    EXPECT_TRUE(editorController->disabled);
    EXPECT_FALSE(level.isBeingEdited());

    // Not while paused.
    level.setPaused(true);
    key(EditorKey::f1);
    EXPECT_FALSE(level.isBeingEdited());
    level.setPaused(false);

    key(EditorKey::f1);
    EXPECT_TRUE(level.isBeingEdited());
    frame();
    PlaceMode* place = mode<PlaceMode>();
    ASSERT_NE(nullptr, place) << "a controller without modes starts in Place mode";
    Entity* preview = place->getCursorEntity();
    ASSERT_NE(nullptr, preview);
    EXPECT_EQ(static_cast<std::int32_t>(preview->id), camera()->targetEntity);
    EXPECT_FLOAT_EQ(30.0f, camera()->targetDistance);

    // Back to play: the preview leaves the level, the camera returns to the hero.
    key(EditorKey::f1);
    EXPECT_FALSE(level.isBeingEdited());
    EXPECT_TRUE(place->blocked);
    EXPECT_EQ(nullptr, place->getCursorEntity());
    EXPECT_NE(nullptr, place->hiddenCursorEntity);
    EXPECT_EQ(1, camera()->targetEntity);
    EXPECT_TRUE(mouseCaptured);
    // Blocked modes hear nothing.
    key('2');
    frame();
    EXPECT_EQ(place, mode<PlaceMode>());

    // On again: the preview comes back as a new entity and the camera follows it.
    key(EditorKey::f1);
    EXPECT_FALSE(place->blocked);
    Entity* back = place->getCursorEntity();
    ASSERT_NE(nullptr, back);
    EXPECT_NE(preview, back);
    EXPECT_EQ(static_cast<std::int32_t>(back->id), camera()->targetEntity);

    // The shared keys: a second mode key in one frame replaces the first, which is never entered.
    key('3');
    key('2');
    frame();
    EXPECT_NE(nullptr, mode<ColorMode>());
    key('1');
    frame();
    EXPECT_NE(nullptr, mode<PlaceMode>());
    // 'H' puts the hero where the cursor is.
    mode<PlaceMode>()->getCursorEntity()->body->position = Vector4(3, 4, 5, 1);
    key('H');
    expectNear(Vector4(3, 4, 5, 1), position(1));
    // Nothing while the cursor is free.
    mouseCaptured = false;
    key('2');
    frame();
    EXPECT_NE(nullptr, mode<PlaceMode>());
}

TEST_F(EditorScene, TheMachineIsSavedWithTheLevelAndReadBackPending) {
    enterEditing();
    EditorController& editorController = *controller();
    PlaceMode* place = mode<PlaceMode>();
    ASSERT_NE(nullptr, place);
    place->archetypeName = "b";
    EditorState::lastGrowSize = 2.5f;
    const std::string text = controllerText(editorController);
    EXPECT_NE(std::string::npos, text.find("currentState"));
    EXPECT_NE(std::string::npos, text.find("PlaceMode 3"));
    EXPECT_NE(std::string::npos, text.find("lastGrowSize 2.5"));
    EXPECT_NE(std::string::npos, text.find("nextState NULL"));
    EXPECT_EQ(std::string::npos, text.find("disabled"));

    EditorState::lastGrowSize = 1.0f;
    std::unique_ptr<Component> read = readComponent(text);
    auto* copy = dynamic_cast<EditorController*>(read.get());
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(nullptr, copy->currentState);
    auto* pending = dynamic_cast<PlaceMode*>(copy->nextState);
    ASSERT_NE(nullptr, pending);
    EXPECT_EQ("b", pending->archetypeName);
    EXPECT_EQ(copy, pending->machine);
    EXPECT_FLOAT_EQ(2.5f, EditorState::lastGrowSize);

    // Every mode's text comes back as the same mode with its fields.
    auto roundTrip = [](State* state) {
        std::ostringstream text;
        OStreamWrapper out(text);
        writeValue(out, state);
        std::istringstream stream(text.str());
        IStreamWrapper in(stream);
        EditorState* back = nullptr;
        readValue(in, back);
        EXPECT_FALSE(in.hasFailed()) << text.str();
        return std::unique_ptr<EditorState>(back);
    };
    ModifyMode modify(42, true);
    auto modifyBack = roundTrip(&modify);
    ASSERT_NE(nullptr, dynamic_cast<ModifyMode*>(modifyBack.get()));
    EXPECT_EQ(42u, static_cast<ModifyMode*>(modifyBack.get())->entityId);
    MultipleSelectMode select(std::vector<std::uint32_t>{7, 3, 9});
    auto selectBack = roundTrip(&select);
    ASSERT_NE(nullptr, dynamic_cast<MultipleSelectMode*>(selectBack.get()));
    EXPECT_EQ((std::vector<std::uint32_t>{7, 3, 9}), static_cast<MultipleSelectMode*>(selectBack.get())->selectedEntities);
    ColorMode colour;
    EXPECT_NE(nullptr, dynamic_cast<ColorMode*>(roundTrip(&colour).get()));

    // Older texts: a version-1 controller with a camera, a version-0 machine with a NULL next state,
    // and a machine naming a class that is no editor mode (reported, read as null).
    auto v1 = readComponent(
        "EditorController 1 1 StateMachine currentState ModifyMode 0 2 State end entityId 5 end nextState NULL end "
        "camera PerspectiveCamera 0 distance 3 end end");
    auto* old = dynamic_cast<EditorController*>(v1.get());
    ASSERT_NE(nullptr, old);
    ASSERT_NE(nullptr, dynamic_cast<ModifyMode*>(old->nextState));
    EXPECT_EQ(5u, static_cast<ModifyMode*>(old->nextState)->entityId);
    auto v0 = readComponent("EditorController 1 0 StateMachine PlaceMode 3 0 EditorState 2 State end end end NULL end");
    auto* bare = dynamic_cast<EditorController*>(v0.get());
    ASSERT_NE(nullptr, bare);
    EXPECT_EQ(nullptr, bare->currentState);
    EXPECT_NE(nullptr, dynamic_cast<PlaceMode*>(bare->nextState));
    testing::internal::CaptureStderr();
    auto confused = readComponent(
        "EditorController 2 1 StateMachine currentState Body 1 0 Component end end nextState NULL end end");
    const std::string report = testing::internal::GetCapturedStderr();
    auto* wrong = dynamic_cast<EditorController*>(confused.get());
    ASSERT_NE(nullptr, wrong);
    EXPECT_EQ(nullptr, wrong->currentState);
    EXPECT_EQ(nullptr, wrong->nextState);
    EXPECT_NE(std::string::npos, report.find("Body"));

    // A clone runs copies of the modes, not the same ones, and starts with no records.
    editorController.pushUndo(UndoRecord(2u, UndoRecord::deleteOne, ""));
    std::unique_ptr<Component> cloned(editorController.clone());
    auto* twin = static_cast<EditorController*>(cloned.get());
    ASSERT_NE(nullptr, twin->currentState);
    EXPECT_NE(editorController.currentState, twin->currentState);
    EXPECT_EQ(twin->currentState, twin->nextState);
    EXPECT_EQ(twin, twin->currentState->machine);
    EXPECT_TRUE(twin->undoStack.empty());
    EXPECT_EQ(0u, static_cast<PlaceMode*>(twin->currentState)->cursorEntityId);

    // A Place mode holding an entity to show: its copy holds a copy, so each deletes its own.
    auto* shown = new Entity(*entity(2));
    auto original = std::make_unique<PlaceMode>(shown);
    std::unique_ptr<State> duplicate(original->clone());
    auto* copied = static_cast<PlaceMode*>(duplicate.get());
    ASSERT_NE(nullptr, copied->pendingEntity);
    EXPECT_NE(shown, copied->pendingEntity);
    EXPECT_EQ(shown->components.size(), copied->pendingEntity->components.size());
}

TEST_F(EditorScene, SavingKeepsTheCursorOutOfTheFileAndTheLevelReadsBackIntoPlaceMode) {
    Editor& level = enterEditing();
    const std::string saved = writeTestFile("saved.lvl", "");
    level.levelFileName = saved;
    const std::uint32_t previewId = mode<PlaceMode>()->cursorEntityId;
    key('P');
    std::ifstream file(saved);
    std::stringstream contents;
    contents << file.rdbuf();
    EXPECT_EQ(std::string::npos, contents.str().find("id " + std::to_string(previewId) + " "));
    EXPECT_NE(std::string::npos, contents.str().find("EditorController"));
    Entity* back = mode<PlaceMode>()->getCursorEntity();
    ASSERT_NE(nullptr, back);
    EXPECT_NE(previewId, back->id);
    EXPECT_EQ(static_cast<std::int32_t>(back->id), camera()->targetEntity);

    // The saved level starts with the Place mode pending; F1 enters it once.
    editor->unload();
    editor.reset();
    enter(contents.str());
    EXPECT_EQ(nullptr, controller()->currentState);
    key(EditorKey::f1);
    frame();
    EXPECT_NE(nullptr, mode<PlaceMode>());
    EXPECT_EQ(entityCount(), 5u);
}

TEST_F(EditorScene, UndoRevertsEveryKindOfRecordNewestFirst) {
    Editor& level = enterEditing();
    EditorController& editorController = *controller();
    testing::internal::CaptureStdout();
    editorController.undo();
    EXPECT_EQ("Undo stack is empty, exiting\n", testing::internal::GetCapturedStdout());

    const std::string box2 = entityToText(entity(2));
    const std::string boxes = entitiesToText({entity(2), entity(3)});
    // Kind 0: a deleted entity comes back with its id.
    level.removeEntityById(2);
    editorController.pushUndo(UndoRecord(2u, UndoRecord::recreateOne, box2));
    testing::internal::CaptureStdout();
    key('U');
    EXPECT_EQ("Creating object with entityID2\n", testing::internal::GetCapturedStdout());
    ASSERT_NE(nullptr, entity(2));
    // Kind 1: a modified entity is replaced by its text.
    entity(2)->body->position = Vector4(0, 50, 0, 1);
    editorController.pushUndo(UndoRecord(2u, UndoRecord::restoreOne, box2));
    testing::internal::CaptureStdout();
    key('U');
    EXPECT_EQ("Deleting shape previously created\nRecreating object with new entityID 2\n",
              testing::internal::GetCapturedStdout());
    expectNear(Vector4(10, 0, 0, 1), position(2));
    // Kind 1 of an entity deleted since: reported and dropped; the next record still reverts.
    editorController.pushUndo(UndoRecord(2u, UndoRecord::deleteOne, ""));
    editorController.pushUndo(UndoRecord(77u, UndoRecord::restoreOne, box2));
    testing::internal::CaptureStdout();
    key('U');
    key('U');
    EXPECT_EQ("Tried to modify object that was already deleted, ignoring.\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(nullptr, entity(2));
    EXPECT_TRUE(editorController.undoStack.empty());
    // Kinds 3, 4 and 5.
    level.removeEntityById(3);
    editorController.pushUndo(UndoRecord(std::vector<std::uint32_t>{2, 3}, UndoRecord::recreateMany, boxes));
    key('U');
    ASSERT_NE(nullptr, entity(2));
    ASSERT_NE(nullptr, entity(3));
    entity(3)->body->position = Vector4(1, 1, 1, 1);
    editorController.pushUndo(UndoRecord(std::vector<std::uint32_t>{2, 3}, UndoRecord::restoreMany, boxes));
    key('U');
    expectNear(Vector4(10, 0, 4, 1), position(3));
    editorController.pushUndo(UndoRecord(std::vector<std::uint32_t>{2, 3, 99}, UndoRecord::deleteMany, ""));
    key('U');
    EXPECT_EQ(nullptr, entity(2));
    EXPECT_EQ(nullptr, entity(3));

    // The stack keeps the newest records only.
    for (int i = 0; i < 300; ++i) editorController.pushUndo(UndoRecord(static_cast<std::uint32_t>(1000 + i), 2, ""));
    EXPECT_EQ(EditorController::undoLimit, editorController.undoStack.size());
    EXPECT_EQ(1299u, editorController.undoStack.back().entityId);
    EXPECT_EQ(1044u, editorController.undoStack.front().entityId);
}

TEST_F(EditorScene, UndoingAHeroRecordHandsTheOlderRecordsToTheNewHero) {
    Editor& level = enterEditing();
    Entity* hero = level.rootEntity;
    EditorController* first = controller();
    first->pushUndo(UndoRecord(4u, UndoRecord::deleteOne, ""));
    first->pushUndo(UndoRecord(1u, UndoRecord::restoreOne, entityToText(hero)));
    hero->body->position = Vector4(0, 9, 0, 1);
    testing::internal::CaptureStdout();
    key('U');
    testing::internal::GetCapturedStdout();
    ASSERT_NE(hero, level.rootEntity);
    EXPECT_EQ(1u, level.rootEntity->id);
    expectNear(Vector4(0, 0, 0, 1), level.rootEntity->body->position);
    // The new hero is swept against tunnelling like the one the level loaded.
    EXPECT_NE(nullptr, level.rootEntity->body->sweepRay);
    EditorController* second = controller();
    ASSERT_NE(first, second);
    ASSERT_EQ(1u, second->undoStack.size());
    EXPECT_EQ(4u, second->undoStack.front().entityId);
    EXPECT_TRUE(first->undoStack.empty());
    // The old hero goes at the next frame, with its controller and modes; the new one edits on.
    frame();
    frame();
    EXPECT_TRUE(level.isBeingEdited());
    EXPECT_NE(nullptr, mode<PlaceMode>());
    key('U');
    EXPECT_EQ(nullptr, entity(4));
}

TEST_F(EditorScene, TearingTheLevelDownMidEditRecordsNothingAndLeavesNothingBehind) {
    // Modify mode on a box, the level deleted as a whole (not unloaded first).
    enterEditing();
    mode<PlaceMode>()->getCursorEntity()->body->position = Vector4(10, 0, 0, 1);
    key(EditorKey::space);
    frame();
    ASSERT_NE(nullptr, mode<ModifyMode>());
    currentGameState = nullptr;
    editor.reset();

    // Unloading while a placed entity is being modified.
    enterEditing();
    mode<PlaceMode>()->getCursorEntity()->body->position = Vector4(0, 20, 0, 1);
    key(EditorKey::space);
    frame();
    ASSERT_NE(nullptr, mode<ModifyMode>());
    editor->unload();
    EXPECT_EQ(0u, entityCount());
}

TEST_F(EditorScene, AutosaveCountsWhileEditingAndRotatesItsFiles) {
    // The rotation: 1 + trailing zero bits, at most the last slot.
    std::vector<int> slots;
    for (int n = 1; n <= 8; ++n) slots.push_back(AutoSaveComponent::slotFor(n, 3));
    EXPECT_EQ((std::vector<int>{1, 2, 1, 3, 1, 2, 1, 3}), slots);
    EXPECT_EQ(1, AutoSaveComponent::slotFor(8, 1));
    EXPECT_EQ(1, AutoSaveComponent::slotFor(8, 0));
    EXPECT_EQ(1, AutoSaveComponent::slotFor(8, -2));
    EXPECT_EQ(4, AutoSaveComponent::slotFor(0, 4));
    EXPECT_EQ("autosave3.txt", AutoSaveComponent::slotFileName("autosave.txt", 3));
    EXPECT_EQ("levels/a3.b.png", AutoSaveComponent::slotFileName("levels/a.b.png", 3));
    EXPECT_EQ("v1.0\\a3.b.lvl", AutoSaveComponent::slotFileName("v1.0\\a.b.lvl", 3));
    EXPECT_EQ("Content.v2/level2.lvl", AutoSaveComponent::slotFileName("Content.v2/level.lvl", 2));
    EXPECT_EQ("backup5", AutoSaveComponent::slotFileName("backup", 5));
    EXPECT_EQ("dir.d/backup5", AutoSaveComponent::slotFileName("dir.d/backup", 5));

    configuration.floats["autoSaveInterval"] = 1.0f;
    configuration.ints["numAutoSaveFiles"] = 2;
    configuration.strings["autoSaveFileName"] = "editorTestAutosave.lvl";
    const std::string first = AutoSaveComponent::autoSavePath(1);
    const std::string second = AutoSaveComponent::autoSavePath(2);
    EXPECT_EQ(getSettingsFolder() + "editorTestAutosave1.lvl", first);
    std::filesystem::remove(first);
    std::filesystem::remove(second);

    Editor& level = enter(editorScene("currentState NULL nextState NULL",
                                      "AutoSaveComponent 1 0 GameStateComponent end numAutoSaves 0 end\n"));
    AutoSaveComponent* autosave = level.getComponents<AutoSaveComponent>();
    ASSERT_NE(nullptr, autosave);
    EXPECT_TRUE(autosave->disabled);
    for (int i = 0; i < 15; ++i) frame(0.1f);
    EXPECT_EQ(0, autosave->numAutoSaves) << "no saves while playing";
    key(EditorKey::f1);
    for (int i = 0; i < 4; ++i) frame(0.25f);
    EXPECT_EQ(0, autosave->numAutoSaves) << "exactly one interval does not save yet";
    frame(0.25f);
    EXPECT_EQ(1, autosave->numAutoSaves);
    EXPECT_TRUE(std::filesystem::exists(first));
    const std::uint32_t previewId = mode<PlaceMode>()->cursorEntityId;
    ASSERT_NE(0u, previewId);
    for (int i = 0; i < 5; ++i) frame(0.25f);
    EXPECT_EQ(2, autosave->numAutoSaves);
    EXPECT_TRUE(std::filesystem::exists(second));
    // The saved levels hold not the preview that was shown while saving, and carry the count; the
    // preview came back as a new entity.
    std::ifstream file(second);
    std::stringstream contents;
    contents << file.rdbuf();
    EXPECT_NE(std::string::npos, contents.str().find("numAutoSaves 2"));
    EXPECT_NE(std::string::npos, contents.str().find("id 4 "));
    EXPECT_EQ(std::string::npos, contents.str().find("id " + std::to_string(previewId) + " "));
    EXPECT_NE(previewId, mode<PlaceMode>()->cursorEntityId);

    // An interval of 0 saves at most once a second; the count never overflows.
    configuration.floats["autoSaveInterval"] = 0.0f;
    autosave->numAutoSaves = 2147483647;
    autosave->timeToSave = 0.0f;
    frame(0.1f);
    EXPECT_EQ(1, autosave->numAutoSaves);
    EXPECT_FLOAT_EQ(1.0f, autosave->timeToSave);
    std::filesystem::remove(first);
    std::filesystem::remove(second);
    configuration.floats.erase("autoSaveInterval");
    configuration.ints.erase("numAutoSaveFiles");
    configuration.strings.erase("autoSaveFileName");
}

}  // namespace
