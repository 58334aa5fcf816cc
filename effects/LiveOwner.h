// Whether a component still sits on a live entity. Copies of components keep their source's owner
// until they are added to an entity of their own (and the editor's undo copies never are), so code
// that walks every live dispenser or emitter checks this before it reads through the owner.
#pragma once

#include "core/ObjectCounter.h"
#include "engine/Component.h"
#include "engine/Entity.h"
#include "engine/EventHandler.h"

// True when the component's owner is a live entity that holds this very component.
inline bool isHeldByLiveEntity(const Component& component) {
    Entity* owner = component.owner;
    if (owner == nullptr) return false;
    // The owner is looked up by address among the live handlers before anything is read through it.
    EventHandler* handler = static_cast<EventHandler*>(owner);
    if (ObjectCounter<EventHandler>::liveObjects().count(handler) == 0) return false;
    if (dynamic_cast<Entity*>(handler) != owner) return false;
    for (const auto& held : owner->components)
        if (held.get() == &component) return true;
    return false;
}
