// Base of the parts an entity is made of: each gives its entity one behaviour or one kind of data
// (drawing, a rigid body, gameplay logic, fades, labels).
#pragma once

#include "core/Type.h"

class BaseInStream;
class BaseOutStream;
class Body;
class Entity;
class Graphics;

class Component {
public:
    // Every subclass is a component for the editor's class lists.
    static constexpr unsigned serializeFlags = typeIsComponent;

    // Unowned, enabled, not initialised.
    Component() = default;
    // Takes over owner and "disabled" (as copyBase); a copy is never initialised.
    Component(const Component& other);
    // Takes over owner and "disabled"; this object's initialised flag stays.
    Component& operator=(const Component& other);
    virtual ~Component();

    // A new copy of the same class.
    virtual Component* clone() const = 0;
    virtual int getVersion() const { return 0; }
    // The base part: the one field "disabled".
    virtual void read(BaseInStream& in, int version);
    virtual void write(BaseOutStream& out, int version);
    // Sets `initialised`; overrides call it (or set the flag) so that nothing is initialised twice.
    virtual void initialize();
    // One frame of the component, dt in seconds. Nothing here.
    virtual void update(float dt);
    virtual Entity* getOwner() const { return owner; }
    virtual void setOwner(Entity* entity) { owner = entity; }
    // Called by whoever has just changed `disabled`, with the new value. Nothing here.
    virtual void onDisabledChanged(bool newDisabled);
    // Copies owner and "disabled" (not `initialised`).
    virtual void copyBase(const Component& other);

    // The entity keeps its drawing and its rigid-body component in plain pointers without knowing
    // their classes: Graphics and Body answer these with themselves.
    virtual Graphics* asGraphics() { return nullptr; }
    virtual Body* asBody() { return nullptr; }

    Entity* owner = nullptr;
    bool disabled = false;  // a disabled component is skipped by Entity::update
    bool initialised = false;
};

// The Component part: "disabled" and "end".
void readComponentFields(BaseInStream& in, Component& component);
void writeComponentFields(BaseOutStream& out, const Component& component);

// The base part of every component kind (entity and game-state components): "disabled" and "end".
void readDisabledPart(BaseInStream& in, bool& disabled);
void writeDisabledPart(BaseOutStream& out, const bool& disabled);
