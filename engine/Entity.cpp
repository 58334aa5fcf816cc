// Entities: ids, owned components, the per-class component cache and the entity's text.
#include "engine/Entity.h"

#include <algorithm>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"

namespace {

const auto& entityRegistration = registerType<Entity>();

// Ids of entities made while no game state exists (tools, tests): they still differ.
std::uint32_t idWithoutState = 0;

std::uint32_t takeEntityId() {
    if (currentGameState) return currentGameState->allocateEntityId();
    if (++idWithoutState == 0) ++idWithoutState;
    return idWithoutState;
}

// After reading or writing, an entity of a running level is made whole at once.
void afterText(Entity& entity) {
    entity.clearComponentCache();
    if (currentGameState && currentGameState->started) entity.initialize();
}

}  // namespace

int nextComponentClassKey() {
    static int next = 0;
    return ++next;
}

Entity::Entity() : id(takeEntityId()) {}

Entity::Entity(const Entity& other) : EventHandler(other), id(takeEntityId()) {
    components.reserve(other.components.size());
    for (const std::unique_ptr<Component>& component : other.components)
        if (component) components.emplace_back(component->clone());
}

Entity::~Entity() {
    pendingRemovals.clear();
    componentCache.clear();
    graphics = nullptr;
    body = nullptr;
    graphicsComponent = nullptr;
    bodyComponent = nullptr;
    // One by one and in order, so that a component's destructor still finds the later ones.
    for (std::unique_ptr<Component>& component : components) component.reset();
    components.clear();
}

Entity* Entity::clone() {
    flushRemovedComponents();
    return new Entity(*this);
}

void Entity::update(float dt) {
    flushRemovedComponents();
    for (std::size_t i = 0; i < components.size(); ++i) {
        Component* component = components[i].get();
        if (component == graphicsComponent || component == bodyComponent) continue;
        if (!component->disabled) component->update(dt);
    }
    flushRemovedComponents();
}

void Entity::initialize() {
    refreshCachedComponents();
    for (std::size_t i = 0; i < components.size(); ++i) {
        Component* component = components[i].get();
        component->setOwner(this);
        if (!component->initialised) component->initialize();
    }
}

void Entity::addComponent(Component* component) {
    if (!component) return;
    components.emplace_back(component);
    component->setOwner(this);
    clearComponentCache();
    refreshCachedComponents();
    if (!component->initialised) component->initialize();
}

void Entity::removeComponent(Component* component) {
    if (!component) return;
    if (std::find(pendingRemovals.begin(), pendingRemovals.end(), component) != pendingRemovals.end()) return;
    pendingRemovals.push_back(component);
}

void Entity::flushRemovedComponents() {
    while (!pendingRemovals.empty()) {
        Component* component = pendingRemovals.front();
        pendingRemovals.pop_front();
        auto found = std::find_if(components.begin(), components.end(),
                                  [component](const std::unique_ptr<Component>& c) { return c.get() == component; });
        if (found == components.end()) continue;
        // Out of the list before it is deleted, so that its destructor sees a consistent entity.
        std::unique_ptr<Component> doomed = std::move(*found);
        components.erase(found);
        clearComponentCache();
        const bool wasCached = component == graphicsComponent || component == bodyComponent;
        if (wasCached) {
            if (component == graphicsComponent) {
                graphicsComponent = nullptr;
                graphics = nullptr;
            }
            if (component == bodyComponent) {
                bodyComponent = nullptr;
                body = nullptr;
            }
        }
        doomed.reset();
        if (wasCached) refreshCachedComponents();
    }
}

void Entity::cloneComponentsFrom(const Entity& other) {
    if (&other == this) return;
    std::vector<std::unique_ptr<Component>> copies;
    copies.reserve(other.components.size());
    for (const std::unique_ptr<Component>& component : other.components)
        if (component) copies.emplace_back(component->clone());
    // The queued removals named the components being replaced.
    pendingRemovals.clear();
    clearComponentCache();
    graphics = nullptr;
    body = nullptr;
    graphicsComponent = nullptr;
    bodyComponent = nullptr;
    components.swap(copies);
    copies.clear();
}

void Entity::refreshCachedComponents() {
    graphics = nullptr;
    body = nullptr;
    graphicsComponent = nullptr;
    bodyComponent = nullptr;
    for (const std::unique_ptr<Component>& component : components) {
        if (!component) continue;  // only while the entity is being destroyed
        if (!graphics) {
            if (Graphics* g = component->asGraphics()) {
                graphics = g;
                graphicsComponent = component.get();
            }
        }
        if (!body) {
            if (Body* b = component->asBody()) {
                body = b;
                bodyComponent = component.get();
            }
        }
        if (graphics && body) break;
    }
}

void Entity::clearComponentCache() { componentCache.clear(); }

const std::vector<Component*>& Entity::cachedComponents(int key, bool (*matches)(Component*)) {
    auto found = componentCache.find(key);
    if (found != componentCache.end()) return found->second;
    std::vector<Component*>& entry = componentCache[key];
    for (const std::unique_ptr<Component>& component : components)
        if (component && matches(component.get())) entry.push_back(component.get());
    return entry;
}

void Entity::read(BaseInStream& in, int version) {
    auto readComponents = [this, &in] {
        const std::size_t before = components.size();
        readValue(in, components);
        // A "NULL" element holds no component.
        components.erase(std::remove(components.begin() + static_cast<std::ptrdiff_t>(before), components.end(), nullptr),
                         components.end());
    };
    if (version == 0) {
        readComponents();
    } else {
        std::string key;
        in.attributes["tweakBar"] = "no";
        // Hand-written: the id travels as a signed number, and every key carries the "tweakBar" attribute.
        while (readKey(in, key)) {
            if (key == "id") {
                int value = static_cast<int>(id);
                readValue(in, value);
                id = static_cast<std::uint32_t>(value);
            } else if (key == "components") {
                readComponents();
            } else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
            in.attributes["tweakBar"] = "no";
        }
        in.attributes.clear();
    }
    afterText(*this);
}

void Entity::write(BaseOutStream& out, int version) {
    if (version == 0) {
        writeValue(out, components);
    } else {
        out.attributes["tweakBar"] = "no";
        writeField(out, "id", static_cast<int>(id));
        writeField(out, "components", components);
        writeEnd(out);
    }
    afterText(*this);
}

Entity* findEntityById(std::uint32_t id) {
    if (!currentGameState) return nullptr;
    auto found = currentGameState->entityIdMap.find(id);
    return found == currentGameState->entityIdMap.end() ? nullptr : found->second;
}

BaseInStream& readEntityReferences(BaseInStream& in, bool progress, std::vector<std::uint32_t>& ids) {
    bool sized = false;
    const int count = readContainerSize(in, sized);
    progress = progress || sized;
    int done = 0;
    while (nextElement(in)) {
        int value = 0;
        readValue(in, value);
        if (in.hasFailed()) break;
        ids.push_back(static_cast<std::uint32_t>(value));
        ++done;
        if (progress && count > 0) reportLoadProgress(static_cast<float>(done) / static_cast<float>(count));
    }
    return in;
}
