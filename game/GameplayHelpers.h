// What the gameplay components share: finding the hero, reading a body's sphere, following play and
// edit mode, and the guards that keep data-made zeros out of the bodies.
#pragma once

#include <cmath>
#include <string>

#include "core/Vector4.h"
#include "engine/Entity.h"
#include "engine/EventHandler.h"
#include "engine/MessageTypes.h"
#include "engine/UnregisterHandle.h"
#include "physics/CollisionMessage.h"

class Body;
class Component;
class Sphere;

// The root entity of the running state (the hero), or null.
Entity* heroEntity();
// The entity of the running state with that id, when it is the hero; null otherwise.
Entity* heroById(std::uint32_t id);
// The body's shape when it is a Sphere, or null.
Sphere* sphereOf(Body* body);
// The radius of the body's Sphere, or 0 without one.
float sphereRadius(Body* body);
// The "radius" of a round shape (Sphere, Capsule), else the shape's bounding radius; 0 without shape.
float shapeRadius(Body* body);

// a / b when that is a finite number, else fallback: divisions by a time, a radius or a factor that
// the data may make zero.
inline float safeDivide(float a, float b, float fallback = 0.0f) {
    float q = a / b;
    return std::isfinite(q) ? q : fallback;
}

// Plays the named sound of the running state's resources at a position.
void playSoundAt(const std::string& name, const Vector4& position);

// The edit-mode switch every gameplay component follows: message 21 disables the component, 20
// enables it again, each followed by the disabled-changed notification. The registrations last as
// long as the component's handler part.
template <class C>
void followEditMode(C* component) {
    EventHandler::registerHandler<Message>(MessageType::EditMode, component, [](C& c, Message&) {
        c.disabled = true;
        c.onDisabledChanged(true);
    });
    EventHandler::registerHandler<Message>(MessageType::PlayMode, component, [](C& c, Message&) {
        c.disabled = false;
        c.onDisabledChanged(false);
    });
}

// Registers function(message) for the contacts reported to the entity. The returned handle is active:
// the registration ends with the handle (the component that keeps it), not only with the entity, so
// that a component removed from its entity leaves no handler behind.
template <class F>
UnregisterHandle onContact(Entity* entity, F&& function) {
    if (!entity) return UnregisterHandle();
    UnregisterHandle handle = EventHandler::registerDirectHandler<CollisionMessage>(
        MessageType::Collision, entity,
        [function = std::forward<F>(function)](Entity&, CollisionMessage& message) mutable { function(message); });
    handle.setActive(true);
    return handle;
}
