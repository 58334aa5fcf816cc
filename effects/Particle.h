// One record of a particle emitter's pool: the particle's entity, held by value, and whether the
// record holds a live particle. Records are reused; a dead particle only clears its flag.
#pragma once

#include "engine/Entity.h"

class BaseInStream;
class BaseOutStream;

class Particle {
public:
    // An empty entity, not in use.
    Particle();
    // A record whose entity is a copy of the template (a new id and clones of its components), made
    // whole at once: owners set, components initialised, the body kept out of the physics world.
    Particle(const Entity& templateEntity, bool inUse);
    // The same from another record: every copy the pool makes (when it grows) behaves so.
    Particle(const Particle& other);
    Particle& operator=(const Particle&) = delete;
    virtual ~Particle();

    int getVersion() const { return 0; }
    // "entity" (the entity as an object) and "inUse", then "end".
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version);
    // The keys of the class part, in the order they are written (defined beside read).
    static const auto& fields();

    Entity entity;
    bool inUse = false;
};

// Takes the entity's body (if any) out of the physics world it joined when it was initialised:
// particles and their templates are moved by their emitter, never by the physics step.
void keepOutOfPhysics(Entity& entity);
