// The collectables of a level. Every live score sphere is on one list whose count tells the game how
// many are left; the nearest one not yet collected is published each frame as the next target. A
// touched sphere sounds, stops colliding, fades out in a quarter of a second and removes its entity.
#pragma once

#include <cstdint>

#include "core/Vector4.h"
#include "engine/Logic.h"

class CollisionMessage;

class ScoreSphereLogic : public Logic {
public:
    ScoreSphereLogic();
    // Logic part, distance and score copied; not collected, not listed, no registrations.
    ScoreSphereLogic(const ScoreSphereLogic& other);
    ScoreSphereLogic& operator=(const ScoreSphereLogic&) = delete;
    // Leaves the live list.
    ~ScoreSphereLogic() override;

    Component* clone() const override;
    int getVersion() const override { return 2; }
    // Versions 0 (no "destroy"), 1 (a "Component" part before the "Logic" part) and 2.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Joins the live list and listens for contacts and for play and edit mode.
    void initialize() override;
    void update(float dt) override;

    void onCollision(CollisionMessage& message);
    // The pick-up: fade out, stop colliding, sound.
    void collect();
    // Publishes the nearest sphere not yet collected in nextScoreSpherePosition.
    static void updateNextTarget();

    ScoreSphereLogic* previous = nullptr;
    ScoreSphereLogic* next = nullptr;
    bool listed = false;
    // Set once the hero has counted this sphere, so that no sphere is counted twice.
    bool counted = false;
    float distanceToHeroSquared = 0.0f;
    std::uint32_t score = 10;
    bool destroy = false;

protected:
    UnregisterHandle collisionHandle;
};

// The spheres not yet removed, in the order they joined.
struct LiveScoreSphereList {
    ScoreSphereLogic* head = nullptr;
    ScoreSphereLogic* tail = nullptr;
    std::uint32_t count = 0;
};
extern LiveScoreSphereList liveScoreSpheres;
// Where the next sphere to collect is; the origin when none is left.
extern Vector4 nextScoreSpherePosition;

void addLiveScoreSphere(ScoreSphereLogic* sphere);
// A sphere that is not on the list leaves it unchanged.
void removeLiveScoreSphere(ScoreSphereLogic* sphere);
// Live spheres the hero has not counted yet.
std::uint32_t uncountedLiveScoreSpheres();
