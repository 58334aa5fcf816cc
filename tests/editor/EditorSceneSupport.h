// A running level for the editor tests: the hero (id 1) with an editor controller, a camera looking
// along -z (its right is +x), physics, a few entities to pick, paint and group, and archetypes of both
// kinds. Input is sent as the window would send it; held keys are set directly.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/Configuration.h"
#include "editor/Editor.h"
#include "editor/EditorController.h"
#include "editor/EditorState.h"
#include "editor/EditorTestSupport.h"
#include "engine/ClickMessage.h"
#include "engine/FakePlatform.h"
#include "engine/Input.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MouseWheelMessage.h"
#include "graphics/CameraComponent.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "physics/Physics.h"
#include "physics/Shape.h"

inline std::string boxEntity(int id, float x, float y, float z, float size, const char* colour) {
    return "Entity 1 id " + std::to_string(id) + " components Body 1 0 Component end position " + std::to_string(x) + " " +
           std::to_string(y) + " " + std::to_string(z) + " 1 shape Rect 0 size " + std::to_string(size) + " " +
           std::to_string(size) + " " + std::to_string(size) + " 0 end end Graphics 5 0 Component end diffuseColor " +
           colour + " modelName box end end end\n";
}

// The editor's machine as the hero's component text: both states given, or "NULL".
inline std::string editorScene(const std::string& machine = "currentState NULL nextState NULL",
                               const std::string& extraComponents = "") {
    std::string text = "Editor 2 resourceFileName \"\" end components\n";
    text += "Physics 0 0 GameStateComponent end end\n";
    text += "CameraComponent 0 0 GameStateComponent end camera PerspectiveCamera 0 pos 0 0 0 1 distance 6 end "
            "targetDistance 3 adjustmentTime 0 targetEntity 1 end\n";
    text += extraComponents;
    text += "end archetypes\n";
    text += "b Archetype 1 text \"Entity 1 components Body 1 0 Component end shape Sphere 0 radius 1 end end "
            "Graphics 5 0 Component end diffuseColor 0 0 1 0.5 modelName sphere end end end \" end\n";
    text += "a Archetype 1 text \"Entity 1 components Body 1 0 Component end shape Rect 0 size 1 1 1 0 end end "
            "Graphics 5 0 Component end diffuseColor 1 1 0 1 modelName box end end end \" end\n";
    text += "c Archetype 1 text \"Entity 1 components Body 1 0 Component end shape Sphere 0 radius 2 end end end end \" end\n";
    text += "gold Archetype 1 text \"Graphics 5 0 Component end diffuseColor 1 0.8 0 0.8 modelName sphere end \" end\n";
    text += "tile Archetype 1 text \"Graphics 5 0 Component end diffuseColor 0.5 0.5 0.5 1 modelName sphere end \" end\n";
    text += "end entities\n";
    text += "Entity 1 id 1 components Body 1 0 Component end position 0 0 0 1 mass 1 shape Sphere 0 radius 1 end end "
            "Graphics 5 0 Component end diffuseColor 1 0 0 1 modelName sphere end "
            "EditorController 2 1 StateMachine " + machine + " end end end end\n";
    text += boxEntity(2, 10, 0, 0, 1, "0 1 0 1");
    text += boxEntity(3, 10, 0, 4, 1, "0 0 1 1");
    text += boxEntity(4, -10, 0, 0, 2, "1 1 1 1");
    text += "end end\n";
    return text;
}

class EditorScene : public ::testing::Test {
protected:
    void SetUp() override {
        savedFirstLoad = firstLoad;
        firstLoad = false;
        mouseCaptured = false;
        EditorState::lastGrowSize = 1.0f;
        configuration.floats["placeModeDefaultCameraDistance"] = 30.0f;
        configuration.floats["modifyModeDefaultCameraDistance"] = 20.0f;
    }
    void TearDown() override {
        for (int key : heldKeys) Input::isKeyDown(key) = false;
        if (editor) {
            editor->unload();
            currentGameState = nullptr;
            editor.reset();
        }
        firstLoad = savedFirstLoad;
        mouseCaptured = false;
        nextGameState = nullptr;
        currentGameState = nullptr;
        EditorState::lastGrowSize = 100.0f;
    }

    Editor& enter(const std::string& text) {
        editor = std::make_unique<Editor>(writeTestFile("level.lvl", text));
        currentGameState = editor.get();
        nextGameState = editor.get();
        editor->load();
        editor->initialize();
        return *editor;
    }
    // Enters the level, switches editing on with F1 and runs the first editor frame.
    Editor& enterEditing(const std::string& text = editorScene()) {
        enter(text);
        key(EditorKey::f1);
        frame();
        return *editor;
    }

    void frame(float dt = 0.1f) { editor->update(dt); }
    static void key(int code) { sendMessage(new KeyboardMessage(7, code), true); }
    // Key presses the window hands on in one frame, then that frame's update.
    void keys(std::initializer_list<int> codes) {
        for (int code : codes) key(code);
        frame();
    }
    void hold(int code, bool down = true) {
        Input::isKeyDown(code) = down;
        heldKeys.push_back(code);
    }
    static void wheel(float delta) { sendMessage(new MouseWheelMessage(delta), true); }
    static void click(int button) { sendMessage(new ClickMessage(10, button), true); }

    EditorController* controller() const {
        return editor && editor->rootEntity ? editor->rootEntity->getComponent<EditorController>() : nullptr;
    }
    template <class T>
    T* mode() const {
        EditorController* c = controller();
        return c ? dynamic_cast<T*>(c->currentState) : nullptr;
    }
    Entity* entity(std::uint32_t id) const { return findEntityById(id); }
    Vector4 position(std::uint32_t id) const { return entity(id)->body->position; }
    CameraComponent* camera() const { return editor->getComponents<CameraComponent>(); }
    std::size_t entityCount() const { return editor->entityIdMap.size(); }

    FakePlatform window;
    std::unique_ptr<Editor> editor;
    std::vector<int> heldKeys;
    bool savedFirstLoad = true;
};

inline void expectNear(Vector4 expected, Vector4 actual, float tolerance = 1e-4f) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(expected[i], actual[i], tolerance) << "lane " << i;
}
