// The editor controller: switching editing on and off, running the modes, and undo.
#include "editor/EditorController.h"

#include <iostream>
#include <utility>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "editor/EditorState.h"
#include "editor/PlaceMode.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "graphics/PerspectiveCamera.h"

namespace {

const auto& registeredType = registerType<EditorController>();

void block(State* state, bool blocked) {
    if (auto* handler = dynamic_cast<EventHandler*>(state)) {
        handler->blocked = blocked;
        handler->setActive(blocked);
    }
}

}  // namespace

EditorController::EditorController(const EditorController& other) : Component(), StateMachine(), EventHandler() {
    if (other.currentState) currentState = other.currentState->clone();
    if (other.nextState && other.nextState != other.currentState)
        nextState = other.nextState->clone();
    else
        nextState = currentState;
    if (currentState) currentState->machine = this;
    if (nextState) nextState->machine = this;
}

EditorController::~EditorController() {
    tearingDown = true;
    deleteStates();
    undoStack.clear();
}

Component* EditorController::clone() const { return new EditorController(*this); }

void EditorController::read(BaseInStream& in, int version) {
    if (version == 0) return;
    const int machineVersion = readBaseHeader(in, 1);
    readMachine(in, machineVersion);
    std::string key;
    while (readKey(in, key)) {
        if (key == "camera" && version == 1) {
            PerspectiveCamera dropped;
            readValue(in, dropped);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void EditorController::write(BaseOutStream& out, int version) {
    if (version == 0) return;
    writeBaseHeader(out, 1, "StateMachine");
    writeMachine(out, 1);
    writeBaseEnd(out);
    if (version == 1) {
        PerspectiveCamera camera;
        writeField(out, "camera", camera);
    }
    writeEnd(out);
}

void EditorController::initialize() {
    Component::initialize();
    registerHandler<Message>(MessageType::EditMode, this, [](EditorController& self, Message&) {
        self.disabled = false;
        self.onDisabledChanged(false);
    });
    registerHandler<Message>(MessageType::PlayMode, this, [](EditorController& self, Message&) {
        self.disabled = true;
        self.onDisabledChanged(true);
    });
}

void EditorController::update(float dt) {
    if (!currentState && !nextState) nextState = new PlaceMode(nullptr);
    step(dt);
}

void EditorController::onDisabledChanged(bool newDisabled) {
    if (currentState) block(currentState, newDisabled);
    if (nextState && nextState != currentState) block(nextState, newDisabled);
}

void EditorController::pushUndo(const UndoRecord& record) {
    if (tearingDown) return;
    undoStack.push_back(record);
    while (undoStack.size() > undoLimit) undoStack.pop_front();
}

void EditorController::undo() {
    if (undoStack.empty()) {
        std::cout << "Undo stack is empty, exiting" << std::endl;
        return;
    }
    const UndoRecord record = undoStack.back();
    Entity* heroBefore = currentGameState ? currentGameState->rootEntity : nullptr;
    revert(record);
    undoStack.pop_back();

    // A record that re-created the hero brought a new controller: the older records go on with it.
    Entity* hero = currentGameState ? currentGameState->rootEntity : nullptr;
    if (hero && hero != heroBefore) {
        EditorController* successor = hero->getComponent<EditorController>();
        if (successor && successor != this) {
            for (UndoRecord& older : undoStack) successor->undoStack.push_back(std::move(older));
            undoStack.clear();
            while (successor->undoStack.size() > undoLimit) successor->undoStack.pop_front();
        }
    }
}

namespace {

// A hero brought back by an undo is the hero again, with the sweep ray its body got when the level loaded.
void makeHero(GameState& state, Entity& hero) {
    state.rootEntity = &hero;
    if (hero.body && gameStateHooks().prepareRootBody) gameStateHooks().prepareRootBody(state, hero);
}

}  // namespace

void EditorController::revert(const UndoRecord& record) {
    GameState* state = currentGameState;
    if (!state) return;
    switch (record.kind) {
    case UndoRecord::recreateOne: {
        Entity* entity = entityFromText(record.text);
        if (!entity) return;
        state->addEntity(entity);
        std::cout << "Creating object with entityID" << entity->id << std::endl;
        break;
    }
    case UndoRecord::restoreOne: {
        Entity* entity = findEntityById(record.entityId);
        if (!entity) {
            std::cout << "Tried to modify object that was already deleted, ignoring." << std::endl;
            return;
        }
        const bool wasHero = entity == state->rootEntity;
        state->removeEntity(entity);
        std::cout << "Deleting shape previously created" << std::endl;
        Entity* restored = entityFromText(record.text);
        if (!restored) return;
        state->addEntity(restored);
        if (wasHero) makeHero(*state, *restored);
        std::cout << "Recreating object with new entityID " << restored->id << std::endl;
        break;
    }
    case UndoRecord::deleteOne:
        state->removeEntityById(record.entityId);
        break;
    case UndoRecord::recreateMany:
        for (Entity* entity : entitiesFromText(record.text)) state->addEntity(entity);
        break;
    case UndoRecord::restoreMany: {
        const std::uint32_t heroId = state->rootEntity ? state->rootEntity->id : 0;
        bool heroRemoved = false;
        for (std::uint32_t id : record.entityIds) {
            if (heroId != 0 && id == heroId && findEntityById(id)) heroRemoved = true;
            state->removeEntityById(id);
        }
        for (Entity* entity : entitiesFromText(record.text)) {
            state->addEntity(entity);
            if (heroRemoved && entity->id == heroId) makeHero(*state, *entity);
        }
        break;
    }
    case UndoRecord::deleteMany:
        for (std::uint32_t id : record.entityIds) state->removeEntityById(id);
        break;
    default:
        break;
    }
}
