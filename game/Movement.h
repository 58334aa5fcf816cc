// The hero's steering: W, A, S and D push the hero sphere along the ground in the direction the game
// camera faces (harder when steered against its motion), and Space jumps from the ground. Pushes and
// jumps scale with the sphere's radius, so the hero handles alike at every size.
#pragma once

#include "engine/Component.h"
#include "engine/EventHandler.h"
#include "engine/UnregisterHandle.h"

class CollisionMessage;

class Movement : public Component, public EventHandler {
public:
    Movement();
    // Fields and both times copied; no registrations.
    Movement(const Movement& other);
    Movement& operator=(const Movement&) = delete;
    ~Movement() override;

    Component* clone() const override;
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Listens for the hero's contacts and for play and edit mode.
    void initialize() override;
    void update(float dt) override;

    // Whether a ground contact came within the last "jumpToleranceTime" seconds.
    bool isOnGround() const;
    void onCollision(CollisionMessage& message);

    float velocity = 1.0f;    // push per second, per unit of radius
    float brakeSpeed = 2.0f;  // push factor when steered straight against the motion
    float jumpTime = 1.0f;    // seconds from take-off to the top
    float jumpHeight = 1.0f;  // in hero diameters
    float jumpToleranceTime = 0.15f;
    float groundNormalThreshold = 0.65f;
    bool canKeepJumping = false;

    double lastGroundContactTime;
    double lastJumpTime;

private:
    UnregisterHandle collisionHandle;
};

// The take-off speed and the downward acceleration of a jump that rises for jumpTime seconds to
// 2 * radius * jumpHeight; false (outputs untouched) when the numbers give no finite jump.
bool jumpMotion(float radius, float jumpHeight, float jumpTime, float& takeOffSpeed, float& gravity);
