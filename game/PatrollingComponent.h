// Moves a level object back and forth between two points, a fixed step per frame, waiting at each
// end; while the hero touches it, the object carries the hero along (a bumper or a fire zone does not).
#pragma once

#include "core/Vector4.h"
#include "engine/Component.h"
#include "engine/EventHandler.h"
#include "engine/UnregisterHandle.h"

class CollisionMessage;
class Entity;

class alignas(16) PatrollingComponent : public Component, public EventHandler {
public:
    PatrollingComponent() = default;
    // A patrol from start to end (the editor makes them so).
    PatrollingComponent(const Vector4& startPosition, const Vector4& endPosition);
    // Fields and run state copied; no registrations.
    PatrollingComponent(const PatrollingComponent& other);
    PatrollingComponent& operator=(const PatrollingComponent&) = delete;
    ~PatrollingComponent() override;

    Component* clone() const override;
    int getVersion() const override { return 1; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Listens for contacts and for play and edit mode, then makes the first step.
    void initialize() override;
    void update(float dt) override;

    void onCollision(CollisionMessage& message);
    // Moves the owner's body velocityScaleFactor along the unit direction, and the rider with it.
    void moveStep(const Vector4& direction);

    Vector4 startPosition{0.0f, 0.0f, 0.0f, 0.0f};
    Vector4 endPosition{0.0f, 0.0f, 0.0f, 0.0f};  // the current target
    float velocityScaleFactor = 5.0f;             // world units per frame
    float idleTime = 2.0f;
    float idleCountdown = 2.0f;
    float arrivalTolerance = 10.0f;
    bool idling = false;
    Entity* rider = nullptr;  // the hero when it touched the object since the last step; not owned

private:
    UnregisterHandle collisionHandle;
};
