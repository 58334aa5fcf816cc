// The component that makes an entity a rigid body: pose, motion, mass, drag, restitution, one owned
// collision shape and the flags that decide whether it collides and whether contacts move it.
#pragma once

#include <cstddef>

#include "core/Quaternion.h"
#include "core/Vector4.h"
#include "engine/Component.h"

class Physics;
class Ray;
class Shape;

class Body : public Component {
public:
    // Unturned at the origin, at rest, immovable (mass 0), drag 0.01, restitution 0.3, no shape;
    // collides and resolves. Registers with nothing until initialised.
    Body();
    // An unregistered copy with its own clone of the shape, no sweep ray, unowned and enabled; the
    // rotation is renormalised.
    Body(const Body& other);
    Body& operator=(const Body&) = delete;
    // Deletes the shape and the sweep ray and leaves the physics world it joined.
    ~Body() override;

    Component* clone() const override;
    int getVersion() const override { return 1; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Joins the Physics of the current game state (when it has one).
    void initialize() override;
    // Bodies are stepped by Physics, not by their entity.
    void update(float dt) override {}
    Body* asBody() override { return this; }

    // One step of dt seconds: velocity from acceleration, the force accumulator (as an impulse) and
    // drag, then position; a sphere rolls with its displacement as on a floor whose up is +y.
    virtual void integrate(float dt);
    // Keeps the body from passing through a resolving body in one step: casts the sweep ray from the
    // previous position along the step's travel and stops short of the first such body hit.
    void sweep();

    // mass, and inverseMass = 0 for a mass of exactly 0, else 1 / mass.
    void setMass(float value);
    // Takes ownership of the shape (null for none), deletes the previous one and points it at this body.
    void setShape(Shape* newShape);
    // Takes ownership of the ray (null for none) and makes it start at this body.
    void setSweepRay(Ray* ray);

    // The world registering this body, or null.
    Physics* getPhysics() const { return physics; }

    Quaternion rotation;
    Vector4 position;
    Vector4 previousPosition;  // where the last integration step started
    Vector4 velocity;          // units per second
    Vector4 acceleration;      // applied every step (gameplay puts gravity here)
    float mass = 0.0f;         // 0: immovable
    float inverseMass = 0.0f;
    float drag = 0.01f;
    float restitution = 0.3f;
    Vector4 accumulatedForce;  // added times inverseMass at the next step, then cleared
    Shape* shape = nullptr;    // owned
    Ray* sweepRay = nullptr;   // owned; only the hero's body has one
    bool resolve = true;       // false: a trigger, reported but never moved apart or stopped at
    bool collides = true;      // false: takes part in no contact test and no ray query

private:
    friend class Physics;

    Physics* physics = nullptr;
    std::size_t physicsSlot = 0;
};
