// The game camera of a level: a state component owning the PerspectiveCamera that follows one entity
// (the hero), turns with the mouse and pulls in front of whatever would hide the entity.
#pragma once

#include <cstdint>

#include "engine/EventHandler.h"
#include "engine/GameStateComponent.h"
#include "graphics/PerspectiveCamera.h"

class BaseInStream;
class BaseOutStream;
class Body;
class MouseMoveMessage;

class alignas(16) CameraComponent : public GameStateComponent, public EventHandler {
public:
    // Radians of turn per pixel of mouse travel.
    static constexpr float rotationStep = 0.002f;
    // The pitch stops a hair short of straight up and down.
    static constexpr float pitchLimit = 1.5707964f;

    CameraComponent();
    // Copies the fields and the camera; the copy has no registrations until initialised.
    CameraComponent(const CameraComponent& other);
    CameraComponent& operator=(const CameraComponent&) = delete;
    ~CameraComponent() override;

    GameStateComponent* clone() const override;
    int getVersion() const override { return 0; }
    // The "GameStateComponent" part, then "camera", "targetDistance", "adjustmentTime", "targetEntity".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // The keys of the class part, in the order they are written (defined beside read).
    static const auto& fields();
    // Follows mouse motion (9) and the pause flag (26) in the owning state's event system.
    void initialize() override;
    // Centres the orbit on the target's body and eases the distance toward the wanted one.
    void update(float dt) override;

    // Turns the camera by the cursor's travel, unless paused, not captured, or the editor holds Tab.
    void onMouseMove(MouseMoveMessage& message);

    // The distance the camera wants this frame: radius * targetDistance, shortened by the nearest solid
    // body between the target and the eye (never below half of it). Bodies on the way that lie closer
    // than the current distance are marked see-through for the frame. An eye standing on the target
    // has no direction to look along, so nothing is probed then.
    float probeWantedDistance(Body& target);
    // The unit direction from the target to the eye; false when the two stand on one point (or are
    // not finite), and the direction is then left as it was.
    static bool probeDirection(Vector4 eye, Vector4 target, Vector4& direction);

    PerspectiveCamera camera{PerspectiveCamera::defaultFovy, 0.01f, 100.0f};
    float targetDistance = 6.0f;  // in multiples of the target's bounding radius
    float adjustmentTime = 0.5f;  // seconds to close the gap to the wanted distance
    std::int32_t targetEntity = 0;
    bool paused = false;  // follows PauseMessage; not stored
};
