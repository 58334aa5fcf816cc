// The editor's own work on large levels: one editor frame in Place mode (preview flight, the query for
// the entity under the preview, resizing) and in Multiple modify mode (tinting and moving a group) on a
// 10,000-entity level; an undo record of a 1,000-entity group with its revert; one autosave of the level.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/Configuration.h"
#include "editor/AutoSaveComponent.h"
#include "editor/Editor.h"
#include "editor/EditorController.h"
#include "editor/MultipleModifyMode.h"
#include "editor/PlaceMode.h"
#include "editor/UndoRecord.h"
#include "engine/Input.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "physics/Body.h"

namespace {

std::string folder() {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "tovik-editor-bench";
    std::filesystem::create_directories(path);
    return path.string() + "/";
}

// The hero with an editor, a camera and physics, and `count` boxes on a grid 4 units apart.
std::string levelText(int count) {
    std::string text = "Editor 2 resourceFileName \"\" end components\n"
                       "Physics 0 0 GameStateComponent end end\n"
                       "CameraComponent 0 0 GameStateComponent end targetDistance 30 adjustmentTime 0 targetEntity 1 end\n"
                       "AutoSaveComponent 1 0 GameStateComponent end numAutoSaves 0 end\n"
                       "end archetypes\n"
                       "a Archetype 1 text \"Entity 1 components Body 1 0 Component end shape Rect 0 size 1 1 1 0 end "
                       "end end end \" end\nend entities\n";
    text += "Entity 1 id 1 components Body 1 0 Component end position 0 0 0 1 shape Sphere 0 radius 1 end end "
            "EditorController 2 1 StateMachine currentState NULL nextState NULL end end end end\n";
    for (int i = 0; i < count; ++i) {
        const int x = i % 100 - 50, z = i / 100 - 50;
        text += "Entity 1 id " + std::to_string(i + 10) + " components Body 1 0 Component end position " +
                std::to_string(x * 4) + " 0 " + std::to_string(z * 4) +
                " 1 shape Rect 0 size 1 1 1 0 end end end end\n";
    }
    return text + "end end\n";
}

// A loaded level with editing on and the first editor frame run.
class EditedLevel {
public:
    explicit EditedLevel(int count) {
        const std::string file = folder() + "level" + std::to_string(count) + ".lvl";
        std::ofstream(file) << levelText(count);
        firstLoad = false;
        EditorState::lastGrowSize = 1.0f;
        level = std::make_unique<Editor>(file);
        currentGameState = level.get();
        level->load();
        level->initialize();
        sendMessage(new Message(MessageType::EditMode), true);
        level->update(0.016f);
    }
    ~EditedLevel() {
        level->unload();
        currentGameState = nullptr;
    }
    EditorController& controller() { return *level->rootEntity->getComponent<EditorController>(); }

    std::unique_ptr<Editor> level;
};

void placeModeFrame(benchmark::State& bench) {
    EditedLevel edited(10000);
    auto* place = dynamic_cast<PlaceMode*>(edited.controller().currentState);
    if (!place || !place->getCursorEntity()) {
        bench.SkipWithError("Place mode did not start");
        return;
    }
    place->getCursorEntity()->body->position = Vector4(1, 0, 1, 1);
    Input::isKeyDown('D') = true;
    float direction = 1.0f;
    for (auto _ : bench) {
        edited.controller().update(0.016f);
        direction = -direction;
        Input::isKeyDown('D') = direction > 0.0f;
        Input::isKeyDown('A') = direction < 0.0f;
    }
    Input::isKeyDown('D') = false;
    Input::isKeyDown('A') = false;
}
BENCHMARK(placeModeFrame)->Unit(benchmark::kMicrosecond);

void groupModifyFrame(benchmark::State& bench) {
    EditedLevel edited(10000);
    std::vector<std::uint32_t> group;
    for (std::uint32_t id = 10; id < 1010; ++id) group.push_back(id);
    edited.controller().setNextState(new MultipleModifyMode(std::move(group), false));
    edited.controller().update(0.016f);
    // Leaving Place mode freed the cursor; the group moves only while it is captured.
    mouseCaptured = true;
    auto* mode = dynamic_cast<MultipleModifyMode*>(edited.controller().currentState);
    if (!mode || mode->selectedEntities.size() != 1000) {
        bench.SkipWithError("the group was not taken over");
        return;
    }
    const float before = findEntityById(10)->body->position.y();
    Input::isKeyDown('E') = true;
    for (auto _ : bench) edited.controller().update(0.016f);
    Input::isKeyDown('E') = false;
    if (!(findEntityById(10)->body->position.y() > before)) bench.SkipWithError("the group did not move");
}
BENCHMARK(groupModifyFrame)->Unit(benchmark::kMicrosecond);

void undoRecordAndRevert(benchmark::State& bench) {
    EditedLevel edited(1000);
    std::vector<std::uint32_t> ids;
    for (std::uint32_t id = 10; id < 1010; ++id) ids.push_back(id);
    for (auto _ : bench) {
        std::vector<Entity*> group;
        for (std::uint32_t id : ids) group.push_back(findEntityById(id));
        edited.controller().pushUndo(UndoRecord(ids, UndoRecord::restoreMany, entitiesToText(group)));
        edited.controller().undo();
        edited.level->flushAddedEntities();
        edited.level->flushRemovedEntities();
    }
}
BENCHMARK(undoRecordAndRevert)->Unit(benchmark::kMillisecond);

void autosave(benchmark::State& bench) {
    configuration.strings["autoSaveFileName"] = folder() + "autosave.lvl";
    configuration.ints["numAutoSaveFiles"] = 3;
    EditedLevel edited(10000);
    AutoSaveComponent* component = edited.level->getComponents<AutoSaveComponent>();
    for (auto _ : bench) {
        component->timeToSave = -1.0f;
        component->update(0.0f);
    }
}
BENCHMARK(autosave)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
