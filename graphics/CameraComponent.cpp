// The level camera: following the target's body, the see-through probe between target and eye, the
// mouse turn and the component's level text.
#include "graphics/CameraComponent.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/Input.h"
#include "engine/MainLoop.h"
#include "engine/MouseMoveMessage.h"
#include "engine/PauseMessage.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "physics/Physics.h"
#include "physics/Ray.h"
#include "physics/Shape.h"

namespace {

const auto& cameraComponentType = registerType<CameraComponent>();

constexpr int tabKey = -27;

}  // namespace

CameraComponent::CameraComponent() = default;

CameraComponent::CameraComponent(const CameraComponent& other)
    : GameStateComponent(other),
      EventHandler(other),
      camera(other.camera),
      targetDistance(other.targetDistance),
      adjustmentTime(other.adjustmentTime),
      targetEntity(other.targetEntity) {}

CameraComponent::~CameraComponent() = default;

GameStateComponent* CameraComponent::clone() const { return new CameraComponent(*this); }

const auto& CameraComponent::fields() {
    static constexpr Field<CameraComponent> table[] = {
        field<&CameraComponent::camera>("camera"),
        field<&CameraComponent::targetDistance>("targetDistance"),
        field<&CameraComponent::adjustmentTime>("adjustmentTime"),
        field<&CameraComponent::targetEntity>("targetEntity"),
    };
    return table;
}

void CameraComponent::read(BaseInStream& in, int version) {
    int baseVersion = readBaseHeader(in);
    GameStateComponent::read(in, baseVersion);
    readFields(in, *this, fields());
}

void CameraComponent::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, GameStateComponent::getVersion(), "GameStateComponent");
    GameStateComponent::write(out, GameStateComponent::getVersion());
    writeBaseEnd(out);
    writeFields(out, *this, fields());
}

void CameraComponent::initialize() {
    EventSystem* system = owner ? static_cast<EventSystem*>(owner) : currentEventSystem();
    EventHandler::registerHandler<MouseMoveMessage>(
        system, 9, this, [](CameraComponent& self, MouseMoveMessage& message) { self.onMouseMove(message); });
    EventHandler::registerHandler<PauseMessage>(
        system, 26, this, [](CameraComponent& self, PauseMessage& message) { self.paused = message.paused; });
}

float CameraComponent::probeWantedDistance(Body& target) {
    const float radius = target.shape ? target.shape->getBoundingRadius() : 0.0f;
    const float maxDistance = radius * targetDistance;
    const float minDistance = maxDistance * 0.5f;
    float wanted = maxDistance;

    Vector4 direction;
    if (!probeDirection(camera.getPosition(), target.position, direction)) return wanted;

    Body probe;
    probe.position = target.position;
    Ray* ray = new Ray(direction);
    probe.setShape(ray);  // the probe owns the ray; it never joins the physics world
    const std::map<float, Body*> hits = castRay(*ray);
    for (const auto& [distance, hit] : hits) {
        if (!(distance < camera.distance)) break;
        if (hit == &target) continue;
        if (Entity* entity = hit->owner; entity && entity->graphics) entity->graphics->translucentThisFrame = true;
        if (hit->resolve) wanted = std::min(wanted, std::max(distance, minDistance));
    }
    return wanted;
}

bool CameraComponent::probeDirection(Vector4 eye, Vector4 target, Vector4& direction) {
    Vector4 toEye = eye - target;
    toEye = Vector4(toEye.x(), toEye.y(), toEye.z(), 0.0f);
    const float length = std::sqrt(dot4(toEye, toEye));
    if (!(length > 0.0f) || !std::isfinite(length)) return false;
    direction = toEye / length;
    return true;
}

void CameraComponent::update(float dt) {
    Entity* target = findEntityById(static_cast<std::uint32_t>(targetEntity));
    if (!target || !target->body) return;
    Body& body = *target->body;

    camera.position = body.position;
    camera.updateView();

    const float wanted = probeWantedDistance(body);
    if (adjustmentTime > 0.0f)
        camera.distance = (dt * wanted + (adjustmentTime - dt) * camera.distance) / adjustmentTime;
    else
        camera.distance = wanted;

    // A camera standing on its target (no radius to keep) would get an empty depth range.
    if (camera.distance > 0.0f) {
        camera.zNear = camera.distance / 50.0f;
        camera.zFar = camera.distance * 50.0f;
    }
    camera.updateView();
    camera.updateProjection();
}

void CameraComponent::onMouseMove(MouseMoveMessage& message) {
    if (paused || !mouseCaptured) return;
    Entity* hero = owner ? owner->rootEntity : nullptr;
    if (isHeroUnderEditorControl(hero) && Input::isKeyDown(tabKey)) return;

    camera.rotateY -= static_cast<float>(message.newX - message.previousX) * rotationStep;
    camera.updateView();

    float pitch = camera.rotateX - static_cast<float>(message.newY - message.previousY) * rotationStep;
    if (!(pitch < pitchLimit)) pitch = pitchLimit;
    if (!(pitch > -pitchLimit)) pitch = -pitchLimit;
    camera.rotateX = pitch;
    camera.updateView();
}
