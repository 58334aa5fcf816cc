// Multiple modify mode: group movement, mirrors, quarter turns, copies, deletion and the stay's record.
#include "editor/MultipleModifyMode.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "editor/EditorTransforms.h"
#include "editor/MultipleSelectMode.h"
#include "editor/UndoRecord.h"
#include "engine/ClickMessage.h"
#include "engine/GameState.h"
#include "engine/Input.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "graphics/CameraComponent.h"
#include "physics/Body.h"
#include "physics/Capsule.h"
#include "physics/Rect.h"
#include "physics/Shape.h"

namespace {

const auto& registeredType = registerType<MultipleModifyMode>();

constexpr float quarterTurn = 1.5707964f;

Entity* levelHero() { return currentGameState ? currentGameState->rootEntity : nullptr; }

std::vector<Entity*> withBodies(const std::vector<Entity*>& entities) {
    std::vector<Entity*> result;
    for (Entity* entity : entities)
        if (entity->body) result.push_back(entity);
    return result;
}

// q times (1.5 - 0.5 q.q): one step back toward unit length.
Quaternion renormStep(Quaternion q) {
    const Vector4 v = q.toVector4();
    return Quaternion(v * (1.5f - 0.5f * dot4(v, v)));
}

Vector4 unit4(Vector4 v) {
    const float length = std::sqrt(dot4(v, v));
    return length > 0.0f ? v / length : v;
}

}  // namespace

MultipleModifyMode::MultipleModifyMode(std::vector<std::uint32_t>&& selection, bool isNew)
    : selectedEntities(std::move(selection)), isNewSelection(isNew) {}

MultipleModifyMode::~MultipleModifyMode() {
    if (entered && !undoRecorded && !selectedEntities.empty()) pushRecord(normalKind());
}

State* MultipleModifyMode::clone() const { return new MultipleModifyMode(*this); }

void MultipleModifyMode::read(BaseInStream& in, int) {
    readBasePart(in, true);
    std::string key;
    while (readKey(in, key)) {
        if (key == "selectedEntities") {
            selectedEntities.clear();
            readValue(in, selectedEntities);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void MultipleModifyMode::write(BaseOutStream& out, int) {
    writeBasePart(out, true);
    writeField(out, "selectedEntities", selectedEntities);
    writeEnd(out);
}

int MultipleModifyMode::normalKind() const { return isNewSelection ? UndoRecord::deleteMany : UndoRecord::restoreMany; }

void MultipleModifyMode::pushRecord(int kind) {
    pushUndo(UndoRecord(selectedEntities, kind, selectionText));
    undoRecorded = true;
}

std::vector<Entity*> MultipleModifyMode::liveEntities() const {
    std::vector<Entity*> live;
    for (std::uint32_t id : selectedEntities)
        if (Entity* entity = findEntityById(id)) live.push_back(entity);
    return live;
}

void MultipleModifyMode::enter() {
    EditorState::enter();
    registerInputHandler<KeyboardMessage>(MessageType::KeyDown, this,
                                          [](MultipleModifyMode& self, KeyboardMessage& m) { self.onKey(m); });
    registerHandler<ClickMessage>(MessageType::MouseDown, this, [](MultipleModifyMode&, ClickMessage&) {});
    std::erase_if(selectedEntities, [](std::uint32_t id) { return findEntityById(id) == nullptr; });
    if (selectedEntities.empty()) return;
    const std::vector<Entity*> entities = liveEntities();
    selectionText = entitiesToText(entities);

    const std::vector<Entity*> bodies = withBodies(entities);
    if (bodies.empty()) return;
    const Vector4 centre = getSelectionCentre(bodies);
    Entity* target = nullptr;
    float nearest = 0.0f;
    for (Entity* entity : bodies) {
        const Vector4 offset = entity->body->position - centre;
        const float distance = std::sqrt(dot4(offset, offset));
        if (!target || distance < nearest) {
            target = entity;
            nearest = distance;
        }
    }
    if (CameraComponent* camera = currentGameState->getComponents<CameraComponent>()) {
        float radius = target->body->shape ? target->body->shape->getBoundingRadius() : 0.0f;
        if (!(radius > 0.0f)) radius = 1.0f;
        camera->targetEntity = static_cast<std::int32_t>(target->id);
        camera->targetDistance = getSelectionRadius(bodies, centre) / radius;
    }
}

void MultipleModifyMode::update(float dt) {
    if (selectedEntities.empty() && machine) machine->setNextState(new MultipleSelectMode());
    std::vector<Entity*> live;
    if (!tintSelection(selectedEntities, live)) return;
    if (!mouseCaptured) return;
    if (!Input::isKeyDown(EditorKey::tab)) moveSelection(live, dt);
    scaleSelection(live, dt);
}

void MultipleModifyMode::onKey(KeyboardMessage& message) {
    const bool tab = Input::isKeyDown(EditorKey::tab);
    switch (message.key) {
    case EditorKey::space:
        pushRecord(normalKind());
        if (machine) machine->setNextState(new MultipleSelectMode(std::move(selectedEntities)));
        selectedEntities.clear();
        break;
    case 'C':
        copySelection();
        break;
    case EditorKey::del:
        deleteSelection();
        break;
    case 'E':
        if (tab) mirrorSelection(true);
        break;
    case 'Q':
        if (tab) mirrorSelection(false);
        break;
    case 'A':
        if (tab) rotateSelection(1, true);
        break;
    case 'D':
        if (tab) rotateSelection(1, false);
        break;
    case 'W':
        if (tab) rotateSelection(0, true);
        break;
    case 'S':
        if (tab) rotateSelection(0, false);
        break;
    default:
        break;
    }
}

void MultipleModifyMode::copySelection() {
    pushRecord(normalKind());
    std::vector<Entity*> sources;
    for (Entity* entity : liveEntities())
        if (entity != levelHero()) sources.push_back(entity);
    if (sources.empty() || !currentGameState) {
        if (machine) machine->setNextState(new MultipleSelectMode());
        return;
    }
    const Vector4 centre = getSelectionCentre(sources);
    const float radius = getSelectionRadius(sources, centre);
    const Vector4 offset(0.0f, 0.25f * radius, 0.0f, 0.0f);
    std::vector<std::uint32_t> copies;
    for (Entity* source : sources) {
        Entity* copy = source->clone();
        currentGameState->addEntity(copy);
        if (copy->body) copy->body->position += offset;
        copies.push_back(copy->id);
    }
    if (machine) machine->setNextState(new MultipleModifyMode(std::move(copies), true));
}

void MultipleModifyMode::deleteSelection() {
    Entity* hero = levelHero();
    const bool heroSelected =
        hero && std::find(selectedEntities.begin(), selectedEntities.end(), hero->id) != selectedEntities.end();
    // The hero carries the editor itself and stays. The group's record then restores everything,
    // the hero's state at entry included.
    if (!isNewSelection) pushUndo(UndoRecord(selectedEntities, heroSelected ? UndoRecord::restoreMany : UndoRecord::recreateMany, selectionText));
    undoRecorded = true;
    if (currentGameState)
        for (std::uint32_t id : selectedEntities)
            if (!hero || id != hero->id) currentGameState->removeEntityById(id);
    if (machine) machine->setNextState(new MultipleSelectMode());
}

void MultipleModifyMode::mirrorSelection(bool vertical) {
    const int r = vertical ? 1 : chooseViewAxis(0);
    Vector4 s(1.0f, 1.0f, 1.0f, 0.0f);
    s.set(r, -1.0f);
    const std::vector<Entity*> entities = withBodies(liveEntities());
    if (entities.empty()) return;
    const Vector4 centre = getSelectionCentre(entities);
    for (Entity* entity : entities) {
        Body& body = *entity->body;
        body.position = (body.position - centre) * s + centre;
        const int kind = body.shape ? body.shape->shapeType : -1;
        if (kind == Shape::RectKind) continue;
        if (kind == Shape::CapsuleKind) {
            Capsule& capsule = static_cast<Capsule&>(*body.shape);
            capsule.direction = unit4(s * capsule.direction);
            continue;
        }
        Quaternion q = quaternionNormalized(body.rotation);
        q.set(r, -q.get(r));
        q.setW(-q.w());
        body.rotation = renormStep(q);
    }
}

void MultipleModifyMode::rotateSelection(int axisSelector, bool positive) {
    const int k = axisSelector == 1 ? 1 : chooseViewAxis(0);
    Vector4 axis;
    axis.set(k, 1.0f);
    const float angle = positive ? quarterTurn : -quarterTurn;
    const Quaternion turn = quaternionNormalized(quaternionFromAxisAngle(axis, angle));
    const std::vector<Entity*> entities = withBodies(liveEntities());
    if (entities.empty()) return;
    const Vector4 centre = getSelectionCentre(entities);
    for (Entity* entity : entities) {
        Body& body = *entity->body;
        body.position = quaternionRotate(turn, body.position - centre) + centre;
        const int kind = body.shape ? body.shape->shapeType : -1;
        if (kind == Shape::RectKind) {
            Rect& rect = static_cast<Rect&>(*body.shape);
            const int a = k == 0 ? 1 : 0;
            const int b = k == 2 ? 1 : 2;
            const float kept = rect.size.get(a);
            rect.size.set(a, rect.size.get(b));
            rect.size.set(b, kept);
            continue;
        }
        if (kind == Shape::CapsuleKind) {
            Capsule& capsule = static_cast<Capsule&>(*body.shape);
            capsule.direction = unit4(quaternionRotate(turn, capsule.direction));
            continue;
        }
        body.rotation = renormStep(quaternionMultiply(turn, quaternionNormalized(body.rotation)));
    }
}
