// Everything in a level is an entity: a message receiver with a persistent id that owns a list of
// components, finds them by class and adds or removes them at safe points.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "engine/Component.h"
#include "engine/EventHandler.h"

class BaseInStream;
class BaseOutStream;
class Body;
class Graphics;

// A small integer per class asked for, the key of the per-class caches of entities and game states.
int nextComponentClassKey();
template <class T>
int componentClassKey() {
    static const int key = nextComponentClassKey();
    return key;
}

class Entity : public EventHandler {
public:
    // Takes a fresh id from the current game state.
    Entity();
    // A fresh id and clones of the other's components, in order; not initialised, not in any state.
    Entity(const Entity& other);
    Entity& operator=(const Entity&) = delete;
    // Deletes the components.
    ~Entity() override;

    // Flushes the pending removals, then returns a copy (see the copy constructor).
    virtual Entity* clone();
    virtual int getVersion() const { return 1; }
    // One frame: every enabled component except the cached Graphics and Body (the scene draw and the
    // physics step handle those); components queued for removal go before and after the walk.
    virtual void update(float dt);

    // Text: "id" and "components" (version 0: the component list alone).
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version);

    // Refreshes the cached Graphics and Body, gives every component its owner and initialises those
    // not initialised yet.
    void initialize();
    // Takes ownership, sets the owner, refreshes the caches and initialises the component unless it
    // is already. Null is ignored.
    void addComponent(Component* component);
    void addComponent(std::unique_ptr<Component> component) { addComponent(component.release()); }
    // Queues the component for deletion at the next flush (never at once, so that a component may
    // remove itself from inside its own update). Queuing twice, or a component that is not ours,
    // has no effect.
    void removeComponent(Component* component);
    void flushRemovedComponents();
    // Replaces the components by clones of the other's (nothing when other is this entity). The
    // caches are cleared, so that initialising this entity afterwards finds its own components.
    void cloneComponentsFrom(const Entity& other);

    // The first component that is a T (subclasses count), or null; cached per class.
    template <class T>
    T* getComponent();
    // Every component that is a T, in component order.
    template <class T>
    std::vector<T*> getComponents();

    // Looks the Graphics and Body up afresh.
    void refreshCachedComponents();
    // Empties the per-class cache (after the component list changed).
    void clearComponentCache();

    std::uint32_t id;
    std::vector<std::unique_ptr<Component>> components;
    std::unordered_map<int, std::vector<Component*>> componentCache;
    std::list<Component*> pendingRemovals;
    Graphics* graphics = nullptr;  // the first Graphics component, or null
    Body* body = nullptr;          // the first Body component, or null

private:
    const std::vector<Component*>& cachedComponents(int key, bool (*matches)(Component*));

    // The same two components as plain Components, to skip them in update.
    Component* graphicsComponent = nullptr;
    Component* bodyComponent = nullptr;
};

template <class T>
T* Entity::getComponent() {
    const std::vector<Component*>& found =
        cachedComponents(componentClassKey<T>(), [](Component* c) { return dynamic_cast<T*>(c) != nullptr; });
    if (found.empty()) return nullptr;
    if constexpr (std::is_base_of_v<Component, T>)
        return static_cast<T*>(found.front());
    else
        return dynamic_cast<T*>(found.front());
}

template <class T>
std::vector<T*> Entity::getComponents() {
    const std::vector<Component*>& found =
        cachedComponents(componentClassKey<T>(), [](Component* c) { return dynamic_cast<T*>(c) != nullptr; });
    std::vector<T*> result;
    result.reserve(found.size());
    for (Component* c : found) {
        if constexpr (std::is_base_of_v<Component, T>)
            result.push_back(static_cast<T*>(c));
        else
            result.push_back(dynamic_cast<T*>(c));
    }
    return result;
}

// The entity with that id in the current game state, or null.
Entity* findEntityById(std::uint32_t id);

// Entity ids as a container ("size" N optional, ids, "end"), appended to ids; with progress set, each
// id read posts its share of the loading bar.
BaseInStream& readEntityReferences(BaseInStream& in, bool progress, std::vector<std::uint32_t>& ids);
