// The shared part of the editor modes: cursor entity, shared keys, saving notices and undo pushes.
#include "editor/EditorState.h"

#include "core/Configuration.h"
#include "core/TextFormat.h"
#include "editor/ColorMode.h"
#include "editor/EditorController.h"
#include "editor/MultipleSelectMode.h"
#include "editor/PlaceMode.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "graphics/CameraComponent.h"
#include "physics/Body.h"
#include "physics/Physics.h"

float EditorState::lastGrowSize = 100.0f;

EditorState::EditorState(const EditorState& other) : State(other), EventHandler(other) {}

EditorState::~EditorState() { removeCursorEntity(); }

void EditorState::enter() {
    entered = true;
    registerHandler<Message>(MessageType::SavingLevel, this, [](EditorState& self, Message&) { self.hideCursorEntity(); });
    registerHandler<Message>(MessageType::LevelSaved, this, [](EditorState& self, Message&) {
        if (!self.hiddenCursorEntity) return;
        Entity* restored = self.hiddenCursorEntity;
        self.hiddenCursorEntity = nullptr;
        self.setCursorEntity(restored);
    });
    registerHandler<KeyboardMessage>(MessageType::KeyDown, this,
                                     [](EditorState& self, KeyboardMessage& m) { self.EditorState::onKey(m); });
}

void EditorState::setActive(bool blocked) {
    if (blocked) {
        hideCursorEntity();
    } else if (hiddenCursorEntity) {
        Entity* restored = hiddenCursorEntity;
        hiddenCursorEntity = nullptr;
        setCursorEntity(restored);
    }
}

void EditorState::onKey(KeyboardMessage& message) {
    if (!mouseCaptured || !machine) return;
    // A mode key may replace the mode an earlier mode key of the frame chose, but not the one this mode
    // handed over to (a placement, copies): that would be dropped before it is entered, and with it the
    // undo record of what was just done.
    const bool modeKey = message.key == '1' || message.key == '2' || message.key == '3';
    if (modeKey && handedOver() && !handedOverByModeKey) return;
    if (modeKey && !handedOver()) handedOverByModeKey = true;
    switch (message.key) {
    case '1':
        machine->setNextState(new PlaceMode(nullptr));
        break;
    case '2':
        machine->setNextState(new ColorMode());
        break;
    case '3':
        machine->setNextState(new MultipleSelectMode());
        break;
    case 'H':
        if (currentGameState && currentGameState->rootEntity && currentGameState->rootEntity->body)
            currentGameState->rootEntity->body->position = getCursorPoint();
        break;
    case 'P':
        if (currentGameState) currentGameState->save(currentGameState->levelFileName);
        break;
    case 'U':
        if (EditorController* controller = getController()) controller->undo();
        break;
    default:
        break;
    }
}

Entity* EditorState::getCursorEntity() const { return cursorEntityId ? findEntityById(cursorEntityId) : nullptr; }

void EditorState::setCursorEntity(Entity* entity) {
    removeCursorEntity();
    if (!entity || !currentGameState) {
        delete entity;
        return;
    }
    currentGameState->addEntity(entity);
    cursorEntityId = entity->id;
    if (CameraComponent* camera = currentGameState->getComponents<CameraComponent>()) {
        camera->targetEntity = static_cast<std::int32_t>(entity->id);
        camera->targetDistance = configuration.getFloat("placeModeDefaultCameraDistance", 30.0f);
    }
}

void EditorState::removeCursorEntity() {
    if (Entity* entity = getCursorEntity()) {
        currentGameState->removeEntity(entity);
        cursorEntityId = 0;
    }
    delete hiddenCursorEntity;
    hiddenCursorEntity = nullptr;
}

void EditorState::hideCursorEntity() {
    if (Entity* entity = getCursorEntity()) {
        delete hiddenCursorEntity;
        hiddenCursorEntity = entity->clone();
        currentGameState->removeEntity(entity);
    }
    cursorEntityId = 0;
}

Vector4 EditorState::getCursorPoint() const {
    if (Entity* entity = getCursorEntity(); entity && entity->body) return entity->body->position;
    if (currentGameState)
        if (CameraComponent* camera = currentGameState->getComponents<CameraComponent>()) return camera->camera.position;
    return Vector4(0.0f, 0.0f, 0.0f, 1.0f);
}

bool EditorState::handedOver() const { return machine && machine->currentState == this && machine->nextState != this; }

std::vector<Contact> liveContacts(Body* body) {
    std::vector<Contact> live;
    Physics* physics = currentGameState ? currentGameState->getComponents<Physics>() : nullptr;
    if (!physics) return live;
    for (const Contact& contact : physics->findContacts(body)) {
        Entity* owner = contact.bodyB->getOwner();
        if (owner && findEntityById(owner->id) == owner) live.push_back(contact);
    }
    return live;
}

EditorController* EditorState::getController() const { return dynamic_cast<EditorController*>(machine); }

void EditorState::pushUndo(const UndoRecord& record) {
    if (EditorController* controller = getController()) controller->pushUndo(record);
}

void EditorState::toggleCaptureForBars() { setMouseCaptured(!mouseCaptured); }

void EditorState::readEditorStatePart(BaseInStream& in) {
    const int stateVersion = readBaseHeader(in, 2);
    State::read(in, stateVersion);
    std::string key;
    while (readKey(in, key)) {
        if (key == "lastGrowSize") {
            readValue(in, lastGrowSize);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void EditorState::writeEditorStatePart(BaseOutStream& out) {
    writeBaseHeader(out, 2, "State");
    State::write(out, 2);
    writeBaseEnd(out);
    writeField(out, "lastGrowSize", lastGrowSize);
    writeEnd(out);
}

void EditorState::readBasePart(BaseInStream& in, bool editorStatePart) {
    if (editorStatePart) {
        readBaseHeader(in);
        readEditorStatePart(in);
    } else {
        const int stateVersion = readBaseHeader(in, 2);
        State::read(in, stateVersion);
    }
}

void EditorState::writeBasePart(BaseOutStream& out, bool editorStatePart) {
    if (editorStatePart) {
        writeBaseHeader(out, 0, "EditorState");
        writeEditorStatePart(out);
    } else {
        writeBaseHeader(out, 2, "State");
        State::write(out, 2);
    }
    writeBaseEnd(out);
}
