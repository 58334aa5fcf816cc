// The hero's reactions to what it touches, chosen by the other entity's logic type: bounces off
// bumpers, sphere counting with a power-up every ten, checkpoints as respawn points, derez zones that
// send it back, and fire that heats it until it burns. Each frame the heat decays, tints the hero
// red, and a power-up glow brightens it for a second.
#pragma once

#include <cstdint>

#include "core/Vector4.h"
#include "engine/Logic.h"

class CollisionMessage;
class Entity;

class alignas(16) HeroLogic : public Logic {
public:
    HeroLogic();
    // Fields and run state copied; no registrations.
    HeroLogic(const HeroLogic& other);
    HeroLogic& operator=(const HeroLogic&) = delete;
    ~HeroLogic() override;

    Component* clone() const override;
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Listens for contacts and for play and edit mode; the hero's start is its first respawn point.
    void initialize() override;
    void update(float dt) override;

    void onCollision(CollisionMessage& message);
    void bounceOffBumper(Entity& bumper, const Vector4& normal);
    void bounceOffDirectedBumper(Entity& bumper, const Vector4& normal);
    // Counts the touched sphere (once) and powers up at every tenth the hero has picked up.
    void collectScoreSphere(Entity& sphere);
    void reachCheckPoint(Entity& checkPoint);
    void touchFire(CollisionMessage& message);
    // Back to the respawn point at the respawn size, at rest.
    void respawn();

    float heat = 0.0f;
    float heatInstantDeath = 0.5f;
    float heatBurnDeath = 0.2f;
    float heatHalfLife = 1.0f;
    bool immuneToHeat = false;

    float frameHeat = 0.0f;
    std::uint32_t nextPowerUpCount = 10;
    // The hero's own pick-ups: the level's sphere count restarts with every return from the editor,
    // this count does not.
    std::uint32_t spheresCollected = 0;
    Vector4 respawnPosition{0.0f, 0.0f, 0.0f, 0.0f};
    float respawnSize = 100.0f;
    float glowTimeLeft = 0.0f;
    Vector4 savedDiffuseColor{0.0f, 0.0f, 0.0f, 0.0f};
    Vector4 savedSpecularColor{0.0f, 0.0f, 0.0f, 0.0f};

private:
    void respawnWithSound();
    UnregisterHandle collisionHandle;
};
