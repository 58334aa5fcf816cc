// Fly camera, resizing and group transforms of the editor.
#include "editor/EditorTransforms.h"

#include <cmath>

#include "editor/EditorState.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/Input.h"
#include "engine/MainLoop.h"
#include "graphics/CameraComponent.h"
#include "physics/Body.h"
#include "physics/Capsule.h"
#include "physics/Rect.h"
#include "physics/Shape.h"
#include "physics/Sphere.h"

namespace {

bool held(int key) { return Input::isKeyDown(key); }

Shape* shapeOf(Entity& entity) { return entity.body ? entity.body->shape : nullptr; }

// W/S/A/D in the camera's frame.
Vector4 keyDirection() {
    Vector4 d;
    if (held('W')) d += Vector4(0.0f, 0.0f, -1.0f, 0.0f);
    if (held('S')) d += Vector4(0.0f, 0.0f, 1.0f, 0.0f);
    if (held('A')) d += Vector4(-1.0f, 0.0f, 0.0f, 0.0f);
    if (held('D')) d += Vector4(1.0f, 0.0f, 0.0f, 0.0f);
    return d;
}

Vector4 verticalKeys(Vector4 d) {
    if (held('Q')) d += Vector4(0.0f, -1.0f, 0.0f, 0.0f);
    if (held('E')) d += Vector4(0.0f, 1.0f, 0.0f, 0.0f);
    return d;
}

Vector4 cameraRight() { return quaternionRotate(editorCameraOrientation(), Vector4(1.0f, 0.0f, 0.0f, 0.0f)); }

void setCapsuleLength(Capsule& capsule, float length) {
    if (length > 0.0f && std::isfinite(length)) capsule.length = length;
}

// The shared part of extend and retract once the factors and signs are known.
void moveFace(Entity& entity, float h, float sh, float v, float sv) {
    Shape* shape = shapeOf(entity);
    if (!shape) return;
    Body& body = *entity.body;
    switch (shape->shapeType) {
    case Shape::RectKind:
    case Shape::OBBKind: {
        Rect& rect = static_cast<Rect&>(*shape);
        const Vector4 a = cameraRight();
        Vector4 newSize, offset;
        if (std::fabs(a.x()) > std::fabs(a.z())) {
            if (a.x() < 0.0f) sh = -sh;
            newSize = rect.size * Vector4(h, v, 1.0f, 1.0f);
            offset = Vector4(sh, sv, 0.0f, 0.0f);
        } else {
            if (a.z() < 0.0f) sh = -sh;
            newSize = rect.size * Vector4(1.0f, v, h, 1.0f);
            offset = Vector4(0.0f, sv, sh, 0.0f);
        }
        body.position += (newSize - rect.size) * offset;
        rect.size = newSize;
        break;
    }
    case Shape::SphereKind:
        static_cast<Sphere&>(*shape).radius *= h;
        break;
    case Shape::CapsuleKind: {
        Capsule& capsule = static_cast<Capsule&>(*shape);
        const Vector4 a = cameraRight();
        if (a.x() < 0.0f) sh = -sh;
        if (capsule.direction.x() < 0.0f) sh = -sh;
        body.position += capsule.direction * ((h - 1.0f) * capsule.length * sh);
        setCapsuleLength(capsule, h * capsule.length);
        capsule.radius *= v;
        break;
    }
    default:
        break;
    }
}

}  // namespace

Quaternion editorCameraOrientation() {
    if (currentGameState)
        if (CameraComponent* camera = currentGameState->getComponents<CameraComponent>())
            return camera->camera.getOrientation();
    return Quaternion();
}

int chooseViewAxis(int axis) {
    if (!currentGameState || !currentGameState->getComponents<CameraComponent>()) return axis;
    const Vector4 v = cameraRight();
    return std::fabs(v.x()) > std::fabs(v.z()) ? axis : 2 - axis;
}

void flyEntity(Entity& entity, float dt) {
    Vector4 d = keyDirection();
    if (!(dot4(d, d) > 0.0f) && held('Q') == held('E')) return;
    Shape* shape = shapeOf(entity);
    if (!shape) return;
    const float r = shape->getBoundingRadius();
    d = verticalKeys(quaternionRotate(editorCameraOrientation(), d));
    const float speed = held(EditorKey::shift) ? 10.0f : 1.0f;
    const float length = std::sqrt(dot4(d, d));
    if (!(length > 0.0f)) return;
    entity.body->position += d / length * (speed * dt * r);
}

void growEntity(Entity& entity, float dt) {
    Shape* shape = shapeOf(entity);
    if (!shape) return;
    const float g = dt + 1.0f;
    float f = 1.0f;
    if (held(EditorKey::up)) f = 1.0f / g;
    if (held(EditorKey::down)) f *= g;
    if (f == 1.0f) return;
    EditorState::lastGrowSize *= f;
    shape->scale(f);
}

void stretchEntity(Entity& entity, float dt) {
    Shape* shape = shapeOf(entity);
    if (!shape) return;
    const float g = dt + 1.0f;
    float v = 1.0f;
    if (held('W')) v = g;
    if (held('S')) v /= g;
    float h = 1.0f;
    if (held('A')) h = 1.0f / g;
    if (held('D')) h *= g;
    switch (shape->shapeType) {
    case Shape::RectKind:
    case Shape::OBBKind: {
        Rect& rect = static_cast<Rect&>(*shape);
        const Vector4 a = cameraRight();
        if (std::fabs(a.x()) > std::fabs(a.z()))
            rect.size *= Vector4(h, v, 1.0f, 1.0f);
        else
            rect.size *= Vector4(1.0f, v, h, 1.0f);
        break;
    }
    case Shape::SphereKind:
        static_cast<Sphere&>(*shape).radius *= h;
        break;
    case Shape::CapsuleKind: {
        Capsule& capsule = static_cast<Capsule&>(*shape);
        setCapsuleLength(capsule, capsule.length * h);
        capsule.radius *= v;
        break;
    }
    default:
        break;
    }
}

void extendEntity(Entity& entity, float dt) {
    const float g = dt + 1.0f;
    float h = 1.0f, sh = 1.0f, v = 1.0f, sv = 1.0f;
    if (held('D')) h = g;
    if (held('A')) {
        h *= g;
        sh = -1.0f;
    }
    if (held('W')) v = g;
    if (held('S')) {
        v *= g;
        sv = -1.0f;
    }
    moveFace(entity, h, sh, v, sv);
}

void retractEntity(Entity& entity, float dt) {
    const float g = dt + 1.0f;
    float h = 1.0f, sh = 1.0f, v = 1.0f, sv = 1.0f;
    if (held('D')) {
        h = 1.0f / g;
        sh = -1.0f;
    }
    if (held('A')) h /= g;
    if (held('W')) {
        v = 1.0f / g;
        sv = -1.0f;
    }
    if (held('S')) v /= g;
    moveFace(entity, h, sh, v, sv);
}

Vector4 getSelectionCentre(const std::vector<Entity*>& entities) {
    Vector4 sum;
    int count = 0;
    for (Entity* entity : entities) {
        if (!entity || !entity->body) continue;
        sum += entity->body->position;
        ++count;
    }
    return count > 0 ? sum / static_cast<float>(count) : Vector4(0.0f, 0.0f, 0.0f, 1.0f);
}

float getSelectionRadius(const std::vector<Entity*>& entities, Vector4 centre) {
    float radius = 0.0f;
    for (Entity* entity : entities) {
        if (!entity || !entity->body) continue;
        const Vector4 offset = entity->body->position - centre;
        float reach = std::sqrt(dot4(offset, offset));
        if (entity->body->shape) reach += entity->body->shape->getBoundingRadius();
        if (reach > radius) radius = reach;
    }
    return radius;
}

void moveSelection(const std::vector<Entity*>& entities, float dt) {
    if (entities.empty()) return;
    const Vector4 d = verticalKeys(quaternionRotate(editorCameraOrientation(), keyDirection()));
    if (!(dot4(d, d) > 0.0f)) return;
    const Vector4 centre = getSelectionCentre(entities);
    const float radius = getSelectionRadius(entities, centre);
    const float speed = held(EditorKey::shift) ? 1.0f : 0.1f;
    const Vector4 step = d / std::sqrt(dot4(d, d)) * (speed * dt * radius);
    for (Entity* entity : entities)
        if (entity && entity->body) entity->body->position += step;
}

void scaleSelection(const std::vector<Entity*>& entities, float dt) {
    const float g = dt * 0.5f + 1.0f;
    float f = 1.0f;
    if (held(EditorKey::up)) f = 1.0f / g;
    if (held(EditorKey::down)) f *= g;
    if (f == 1.0f) return;
    EditorState::lastGrowSize *= f;
    const Vector4 centre = getSelectionCentre(entities);
    for (Entity* entity : entities) {
        if (!entity || !entity->body) continue;
        if (entity->body->shape) entity->body->shape->scale(f);
        entity->body->position = (entity->body->position - centre) * f + centre;
    }
}
