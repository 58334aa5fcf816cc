// The level state: play-mode entry, the Escape key, the per-frame guidance target and the frame on
// screen.
#include "editor/Editor.h"

#include <GL/glew.h>

#include "core/Configuration.h"
#include "editor/EditorController.h"
#include "editor/FrameTimeLog.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "engine/Platform.h"
#include "graphics/CameraComponent.h"
#include "physics/Physics.h"
#include "platform/TweakBarLayer.h"

int scoreSpheresAtPlayStart = 0;

namespace {

constexpr int escapeKey = -24;
constexpr int f1Key = -43;
// Level files saved to this temporary name have no save target of their own.
const char* const temporaryLevelFile = "tempLevelState.levelFile";

}  // namespace

EditorHooks& editorHooks() {
    static EditorHooks hooks;
    return hooks;
}

Editor::Editor(const std::string& levelFileName) : GameState(levelFileName) {}

Editor::~Editor() = default;

bool Editor::isBeingEdited() const { return isHeroUnderEditorControl(rootEntity); }

Camera* Editor::levelCamera() {
    CameraComponent* component = getComponents<CameraComponent>();
    return component ? &component->camera : nullptr;
}

void Editor::initialize() {
    GameState::initialize();
    if (levelFileName == temporaryLevelFile) levelFileName.clear();

    enterPlayView();
    const EditorHooks& hooks = editorHooks();

    // The first level of the run waits under the main menu; without menus nothing could ever lift
    // that pause, so such a level starts playing at once.
    if (firstLoad && hooks.hasMainMenu && hooks.hasMainMenu(*this)) {
        mainMenuOpen = true;
        setPaused(true);
    }

    escapeHandle = EventHandler::registerHandler<KeyboardMessage>(
        static_cast<EventSystem*>(this), 7, this, [](Editor& editor, KeyboardMessage& message) { editor.onKeyDown(message); });
}

void Editor::enterPlayView() {
    // Play mode: the editor components switch editing off when they hear this.
    sendMessage(new Message(MessageType::PlayMode), true);
    setMouseCaptured(true);
    if (CameraComponent* camera = getComponents<CameraComponent>()) {
        camera->targetEntity = rootEntity ? static_cast<std::int32_t>(rootEntity->id) : 0;
        camera->targetDistance = configuration.getFloat("playModeDefaultCameraDistance", camera->targetDistance);
    }
    const EditorHooks& hooks = editorHooks();
    scoreSpheresAtPlayStart = hooks.liveScoreSphereCount ? hooks.liveScoreSphereCount() : 0;
}

void Editor::toggleEditing() {
    if (isBeingEdited()) {
        enterPlayView();
        return;
    }
    if (paused || mainMenuOpen || !rootEntity || !rootEntity->getComponent<EditorController>()) return;
    sendMessage(new Message(MessageType::EditMode), true);
}

void Editor::onKeyDown(KeyboardMessage& message) {
    if (message.key == f1Key) {
        toggleEditing();
        return;
    }
    if (message.key != escapeKey) return;
    if (isBeingEdited()) {
        nextGameState = &quitGameState;
        return;
    }
    if (mainMenuOpen) return;
    setPaused(!paused);
}

void Editor::update(float dt) {
    FrameTimeLog::instance().frameStarted();
    GameState::update(dt);
    if (!isBeingEdited()) {
        if (auto updateNextTarget = editorHooks().updateNextTarget) updateNextTarget();
    }
}

void Editor::render() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (Camera* camera = levelCamera()) draw(camera);
    if (isBeingEdited()) TwDraw();
    FrameTimeLog& log = FrameTimeLog::instance();
    log.swapStarted();
    platform().swapBuffers();
    log.frameFinished();
}

void Editor::unload() {
    escapeHandle.release();
    GameState::unload();
}

void Editor::clearResources() {
    GameState::clearResources();
    delete this;
}
