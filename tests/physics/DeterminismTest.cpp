// The same level and the same inputs give the same simulation, run after run: a scripted scene is run
// twice (the second time with its objects at other addresses) and every body's state is hashed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "physics/Capsule.h"
#include "physics/OBB.h"
#include "physics/Plane.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"
#include "PhysicsScene.h"

namespace {

class Hash {
public:
    void add(const void* data, std::size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            value ^= bytes[i];
            value *= 1099511628211ull;
        }
    }
    void add(Vector4 v) { add(v.data(), 4 * sizeof(float)); }
    void add(Quaternion q) { add(q.data(), 4 * sizeof(float)); }
    template <class T>
    void addValue(T v) {
        add(&v, sizeof v);
    }
    std::uint64_t value = 1469598103934665603ull;
};

struct RunResult {
    std::uint64_t hash;
    int framesWithSeveralContacts;
    int reports;
};

Rect* box(float x, float y, float z, bool turned = false) {
    Rect* rect = turned ? new OBB() : new Rect();
    rect->size = Vector4(x, y, z, 0);
    return rect;
}

// A walled floor with bumpers, a capsule, a turned box, a trigger and a sign; the hero is pushed
// around by a scripted force. With scatter set, the bodies are made beforehand in reverse order with
// memory between them, so that their addresses run against the order in which they join.
RunResult runScene(bool scatter, float pushScale) {
    PhysicsScene scene;
    std::vector<std::unique_ptr<char[]>> padding;
    auto spacer = [&](int i) {
        if (scatter) padding.emplace_back(new char[64 + 48 * (i % 7)]);
    };
    std::vector<std::unique_ptr<Body>> madeBodies(32);
    if (scatter) {
        for (int i = 31; i >= 0; --i) {
            madeBodies[i] = std::make_unique<Body>();
            spacer(i);
        }
    }
    std::size_t nextBody = 0;
    auto made = [&]() -> Body* {
        std::unique_ptr<Body>& slot = madeBodies.at(nextBody++);
        return scatter ? slot.release() : nullptr;
    };
    auto add = [&](Shape* shape, Vector4 position, float mass = 0.0f) { return scene.add(shape, position, mass, made()); };
    std::vector<Entity*> entities;
    Entity* hero = scene.addHero(new Sphere(1), at(0, 3, 0), 1, made());
    hero->body->acceleration = Vector4(0, -10, 0, 0);
    hero->body->restitution = 0.5f;
    entities.push_back(hero);
    spacer(0);
    entities.push_back(add(box(12, 1, 12), at(0, -1, 0)));
    spacer(1);
    entities.push_back(add(box(1, 3, 12), at(-10, 2, 0)));
    spacer(2);
    entities.push_back(add(box(1, 3, 12), at(10, 2, 0)));
    spacer(3);
    entities.push_back(add(box(12, 3, 1), at(0, 2, -10)));
    spacer(4);
    entities.push_back(add(box(12, 3, 1), at(0, 2, 10)));
    for (int i = 0; i < 12; ++i) {
        spacer(5 + i);
        float angle = 0.52f * i;
        Entity* bumper = add(new Sphere(0.8f + 0.1f * (i % 3)), at(6 * std::cos(angle), 0.5f, 6 * std::sin(angle)));
        bumper->body->restitution = 0.9f;
        entities.push_back(bumper);
    }
    Capsule* capsule = new Capsule();
    capsule->direction = Vector4(0, 0, 1, 0);
    capsule->length = 3;
    capsule->radius = 0.5f;
    entities.push_back(add(capsule, at(-3, 0.5f, 0)));
    spacer(20);
    Entity* turned = add(box(1.5f, 1, 0.5f, true), at(3, 0.5f, -2));
    turned->body->rotation = quaternionFromAxisAngle(Vector4(0, 1, 0, 0), 0.7f);
    entities.push_back(turned);
    Entity* zone = add(new Sphere(2), at(0, 0, 3));
    zone->body->resolve = false;
    entities.push_back(zone);
    spacer(21);
    Plane* plane = new Plane();
    plane->size = Vector4(2, 2, 0, 0);
    entities.push_back(add(plane, at(2, 1, 2)));
    // Loose movable bodies drift on their own (level objects are not tested against each other).
    for (int i = 0; i < 5; ++i) {
        spacer(30 + i);
        Entity* drifter = add(new Sphere(0.5f), at(-4.0f + 2 * i, 4, 4), 2);
        drifter->body->velocity = Vector4(0.3f * i, 0, -0.2f, 0);
        entities.push_back(drifter);
    }

    RunResult result{0, 0, 0};
    Hash hash;
    const float dt = 1.0f / 60;
    for (int frame = 0; frame < 900; ++frame) {
        float t = frame * dt;
        hero->body->accumulatedForce =
            Vector4(pushScale * std::sin(1.3f * t), 0, pushScale * std::cos(0.9f * t), 0);
        if (frame % 240 == 120) hero->body->accumulatedForce += Vector4(0, 6, 0, 0);
        std::size_t before = scene.messagesOf(hero).size();
        scene.step(dt);
        std::size_t now = scene.messagesOf(hero).size();
        if (now - before >= 2) ++result.framesWithSeveralContacts;
        for (Entity* entity : entities) {
            const Body& body = *entity->body;
            hash.add(body.position);
            hash.add(body.velocity);
            hash.add(body.rotation);
        }
    }
    for (Entity* entity : entities) {
        for (const ReceivedCollision& received : scene.messagesOf(entity)) {
            hash.addValue(received.otherEntityId - entities.front()->id);
            hash.add(received.contact.normal);
            hash.addValue(received.contact.depth);
            hash.addValue(received.contact.separatingVelocity);
            ++result.reports;
        }
    }
    result.hash = hash.value;
    return result;
}

TEST(PhysicsDeterminism, SameSceneSameInputsSameStateWhereverTheObjectsLive) {
    RunResult first = runScene(false, 0.25f);
    RunResult second = runScene(true, 0.25f);
    EXPECT_EQ(first.hash, second.hash);
    EXPECT_EQ(first.reports, second.reports);
    // The scene really exercises the solver with several contacts at a time.
    EXPECT_GT(first.framesWithSeveralContacts, 10);
    EXPECT_GT(first.reports, 900);
    // And the hash does follow the simulation: other inputs give another one.
    RunResult pushedHarder = runScene(false, 0.26f);
    EXPECT_NE(first.hash, pushedHarder.hash);
}

}  // namespace
