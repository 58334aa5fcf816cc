// Modify mode: transforms, turning, copy, patrol path, delete, and its undo record.
#include "editor/ModifyMode.h"

#include <cmath>
#include <iostream>
#include <sstream>

#include "core/Configuration.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "editor/EditorTransforms.h"
#include "editor/PlaceMode.h"
#include "editor/UndoRecord.h"
#include "engine/ClickMessage.h"
#include "engine/Component.h"
#include "engine/GameState.h"
#include "engine/Input.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "engine/MouseMoveMessage.h"
#include "graphics/CameraComponent.h"
#include "physics/Body.h"
#include "physics/Capsule.h"
#include "physics/Shape.h"

namespace {

const auto& registeredType = registerType<ModifyMode>();

Quaternion axisAngle(Vector4 axis, float angle) { return quaternionFromAxisAngle(axis, angle); }

// One Newton step toward unit length.
Quaternion renorm(Quaternion q) { return quaternionNormalized(q); }

CameraComponent* levelCamera() { return currentGameState ? currentGameState->getComponents<CameraComponent>() : nullptr; }

// Replaces the values after a key in a component's own text (a default object written out), so that
// the component is made with those values whatever the rest of its layout is.
void setTextValues(std::vector<std::string>& tokens, const std::string& key, const std::vector<float>& values) {
    for (std::size_t i = 0; i + values.size() < tokens.size(); ++i) {
        if (tokens[i] != key) continue;
        for (std::size_t k = 0; k < values.size(); ++k) {
            std::ostringstream number;
            number.precision(9);
            number << values[k];
            tokens[i + 1 + k] = number.str();
        }
        return;
    }
}

}  // namespace

Component* makePatrol(Vector4 start, Vector4 end) {
    static const std::string className = "PatrollingComponent";
    const Type* type = findType(className);
    if (!type || !type->isComponent()) {
        std::cerr << "No patrol path: this game has no component class \"" << className << "\"" << std::endl;
        return nullptr;
    }
    Component* model = createObject<Component>(className);
    if (!model) return nullptr;
    std::ostringstream written;
    {
        OStreamWrapper out(written);
        writeValue(out, model);
    }
    delete model;
    std::vector<std::string> tokens;
    {
        std::istringstream split(written.str());
        std::string token;
        while (split >> token) tokens.push_back(token);
    }
    setTextValues(tokens, "startPosition", {start.x(), start.y(), start.z(), start.w()});
    setTextValues(tokens, "endPosition", {end.x(), end.y(), end.z(), end.w()});
    setTextValues(tokens, "velocityScaleFactor", {5.0f});
    setTextValues(tokens, "idleTime", {2.0f});
    setTextValues(tokens, "arrivalTolerance", {10.0f});
    std::string text;
    for (const std::string& token : tokens) text += token + ' ';
    std::istringstream stream(text);
    IStreamWrapper in(stream, "patrol path");
    Component* patrol = nullptr;
    readValue(in, patrol);
    if (!patrol) return nullptr;
    patrol->disabled = true;
    patrol->onDisabledChanged(true);
    return patrol;
}

ModifyMode::ModifyMode(std::uint32_t id, bool isNew) : entityId(id), isNewEntity(isNew) {}

ModifyMode::~ModifyMode() {
    if (!entered) return;
    withdraw();
    if (!undoRecorded) pushRecord(normalKind());
    tweakBar.reset();
}

State* ModifyMode::clone() const { return new ModifyMode(*this); }

void ModifyMode::read(BaseInStream& in, int version) {
    readBasePart(in, version >= 1);
    std::string key;
    while (readKey(in, key)) {
        if (key == "entityId") {
            readValue(in, entityId);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void ModifyMode::write(BaseOutStream& out, int) {
    writeBasePart(out, true);
    writeField(out, "entityId", entityId);
    writeEnd(out);
}

void ModifyMode::enter() {
    EditorState::enter();
    registerInputHandler<MouseMoveMessage>(MessageType::MouseMove, this,
                                           [](ModifyMode& self, MouseMoveMessage& m) { self.onMouseMove(m); });
    registerInputHandler<KeyboardMessage>(MessageType::KeyDown, this,
                                          [](ModifyMode& self, KeyboardMessage& m) { self.onKey(m); });
    registerInputHandler<ClickMessage>(MessageType::MouseDown, this,
                                       [](ModifyMode& self, ClickMessage& m) { self.onClick(m); });
    registerHandler<Message>(MessageType::SavingLevel, this, [](ModifyMode& self, Message&) { self.withdraw(); });
    registerHandler<Message>(MessageType::LevelSaved, this, [](ModifyMode& self, Message&) { self.refocus(); });
    if (!mouseCaptured) setMouseCaptured(true);
    if (Entity* entity = findEntityById(entityId)) {
        entityText = entityToText(entity);
        if (entity->body) entryPosition = entity->body->position;
    }
    refocus();
}

int ModifyMode::normalKind() const { return isNewEntity ? UndoRecord::deleteOne : UndoRecord::restoreOne; }

void ModifyMode::pushRecord(int kind) {
    pushUndo(UndoRecord(entityId, kind, entityText));
    undoRecorded = true;
}

void ModifyMode::refocus() {
    Entity* entity = findEntityById(entityId);
    if (!entity) return;
    if (CameraComponent* camera = levelCamera()) {
        camera->targetEntity = static_cast<std::int32_t>(entity->id);
        camera->targetDistance = configuration.getFloat("modifyModeDefaultCameraDistance", 20.0f);
    }
    sendMessageToHandler(new Message(MessageType::LiveTextOn), entity, false);
}

void ModifyMode::withdraw() {
    if (Entity* entity = findEntityById(entityId)) sendMessageToHandler(new Message(MessageType::LiveTextOff), entity, false);
}

void ModifyMode::setActive(bool blocked) {
    EditorState::setActive(blocked);
    if (blocked)
        withdraw();
    else
        refocus();
}

void ModifyMode::update(float dt) {
    if (!mouseCaptured || !machine) return;
    Entity* entity = findEntityById(entityId);
    if (!entity) {
        machine->setNextState(new PlaceMode(nullptr));
        return;
    }
    if (Input::isKeyDown(EditorKey::ctrl))
        flyEntity(*entity, dt);
    else if (Input::isKeyDown(EditorKey::alt))
        extendEntity(*entity, dt);
    else if (Input::isKeyDown(EditorKey::capsLock))
        retractEntity(*entity, dt);
    else
        stretchEntity(*entity, dt);
    if (CameraComponent* camera = levelCamera()) {
        if (Input::isKeyDown(EditorKey::up)) camera->targetDistance /= 1.02f;
        if (Input::isKeyDown(EditorKey::down)) camera->targetDistance *= 1.02f;
    }
}

void ModifyMode::onMouseMove(MouseMoveMessage& message) {
    if (!mouseCaptured || !Input::isKeyDown(EditorKey::tab)) return;
    Entity* entity = findEntityById(entityId);
    if (!entity || !entity->body || !entity->body->shape) return;
    Body& body = *entity->body;
    const float a = static_cast<float>(message.newX - message.previousX) * 0.002f;
    const float b = static_cast<float>(message.newY - message.previousY) * 0.002f;
    switch (body.shape->shapeType) {
    case Shape::OBBKind:
    case Shape::PlaneKind: {
        CameraComponent* camera = levelCamera();
        if (!camera) return;
        const Quaternion q1 = axisAngle(Vector4(0.0f, 1.0f, 0.0f, 0.0f), a);
        const Vector4 right = quaternionRotate(camera->camera.getOrientation(), Vector4(1.0f, 0.0f, 0.0f, 0.0f));
        const Quaternion q2 = axisAngle(right, b);
        body.rotation = renorm(quaternionMultiply(quaternionMultiply(q2, q1), renorm(body.rotation)));
        break;
    }
    case Shape::CapsuleKind: {
        Quaternion rot = renorm(body.rotation);
        const Vector4 up = quaternionRotate(rot, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
        rot = renorm(quaternionMultiply(axisAngle(up, a), rot));
        rot = renorm(rot);
        const Vector4 ownZ = quaternionRotate(rot, Vector4(0.0f, 0.0f, 1.0f, 0.0f));
        rot = renorm(quaternionMultiply(axisAngle(ownZ, b), rot));
        body.rotation = rot;
        Capsule& capsule = static_cast<Capsule&>(*body.shape);
        const Vector4 axis = quaternionRotate(renorm(rot), Vector4(1.0f, 0.0f, 0.0f, 0.0f));
        const float length = std::sqrt(dot4(axis, axis));
        if (length > 0.0f) capsule.direction = axis / length;
        break;
    }
    default:
        break;
    }
}

void ModifyMode::onKey(KeyboardMessage& message) {
    if (!mouseCaptured || !machine) return;
    switch (message.key) {
    case EditorKey::space:
        pushRecord(normalKind());
        machine->setNextState(new PlaceMode(nullptr));
        break;
    case 'C': {
        Entity* entity = findEntityById(entityId);
        if (!entity || (currentGameState && entity == currentGameState->rootEntity)) {
            machine->setNextState(new PlaceMode(nullptr));
            break;
        }
        pushRecord(normalKind());
        Entity* copy = entity->clone();
        copy->initialize();
        machine->setNextState(new PlaceMode(copy));
        break;
    }
    case 'M': {
        Entity* entity = findEntityById(entityId);
        if (!entity || !entity->body) {
            machine->setNextState(new PlaceMode(nullptr));
            break;
        }
        pushRecord(normalKind());
        const Vector4 end = entity->body->position;
        if (Component* patrol = makePatrol(entryPosition, end)) {
            entity->body->position = entryPosition;
            entity->addComponent(patrol);
        }
        machine->setNextState(new PlaceMode(nullptr));
        break;
    }
    case EditorKey::del: {
        Entity* entity = findEntityById(entityId);
        // The hero carries the editor itself: it is never deleted.
        if (!entity || (currentGameState && entity == currentGameState->rootEntity)) break;
        withdraw();
        if (!isNewEntity) pushRecord(UndoRecord::recreateOne);
        undoRecorded = true;
        machine->setNextState(new PlaceMode(nullptr));
        currentGameState->removeEntity(entity);
        entityId = 0;
        break;
    }
    default:
        break;
    }
}

void ModifyMode::onClick(ClickMessage& message) {
    if (message.button == MouseButton::right) openPropertyBars();
}

void ModifyMode::openPropertyBars() {
    toggleCaptureForBars();
    if (tweakBar) return;
    if (Entity* entity = findEntityById(entityId))
        tweakBar = std::make_shared<TweakBar<Entity>>("Entity " + std::to_string(entity->id), entity, false);
}
