// Sprays short-lived particles around its entity: a pool of particle entities copied from a template
// entity and varied within the ranges of a variance body. The emitter updates, moves and draws its
// particles itself; they never join the scene or the physics world. Dead particles free their
// record, and the next emission reuses the most recently freed one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Matrix.h"
#include "core/ObjectCounter.h"
#include "core/Vector4.h"
#include "effects/Particle.h"
#include "engine/Component.h"

class Body;
class Camera;
class Entity;

class alignas(16) ParticleEmitter : public Component, public ObjectCounter<ParticleEmitter> {
public:
    // Which rotation turns a new particle's velocity and acceleration.
    enum DirectionRelativeType : std::int32_t {
        directionUnturned = 0,
        directionHeading = 1,  // the owner's turn about +y
        directionMotion = 2,   // +x turned toward the owner's velocity
        directionOrientation = 3,
    };

    // The pool never reserves or keeps more records than this, whatever rate and life ask for.
    static constexpr std::uint32_t maxPoolSize = 100000;
    // At most this many particles start in one update; a larger backlog is dropped.
    static constexpr int maxEmissionsPerUpdate = 10000;

    // The defaults: smoke rings, 20 a second, endless, 10 s of life; an empty template entity and a
    // default variance body.
    ParticleEmitter();
    // Every field and record copied, clones of the template entity and the variance body; not
    // initialised (the copied records are bound to the copy when it is).
    ParticleEmitter(const ParticleEmitter& other);
    ParticleEmitter& operator=(const ParticleEmitter&) = delete;
    ~ParticleEmitter() override;

    ParticleEmitter* clone() const override;
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Completes the template (a particle Graphics and Body when it has none), sizes the pool and binds
    // every record to this emitter.
    void initialize() override;
    // Emits what is due, then runs and moves every live particle.
    void update(float dt) override;
    // Draws the live particles in one pass of the "particleShader" program, facing the camera.
    virtual void draw(const Matrix& ownerWorld, Camera& camera);

    // One new particle (a freed record when there is one).
    void emit();
    // Start values of a new particle, each varied by the variance body and the owner-relative switches.
    Vector4 randomPosition();
    Vector4 randomVelocity();
    Vector4 randomAcceleration();
    // v turned as directionRelative says.
    Vector4 applyDirectionMode(Vector4 v) const;
    // Varies the size of the body's shape from the template's and the variance body's shapes.
    void randomizeShape(Body& body);

    // Deletes every record and empties the free list (the editor's reset); nothing else changes.
    void resetPool();
    // The record count initialize sizes the pool to, from the rate, the life and stopAfter.
    std::uint32_t poolSize() const;
    // Number of records holding a live particle.
    std::size_t liveParticleCount() const;

    std::string animationName = "smokyRingAnimation";
    float emissionRate = 20.0f;   // particles per second
    std::int32_t stopAfter = -1;  // total to emit; below 1: endless
    std::int32_t particlesEmitted = 0;
    // 0: normal blending; otherwise the pass adds the particles' light (source factor one).
    std::int32_t blendMode = 1;
    bool attachedToOwner = false;  // positions relative to the owner, drawn moved with it
    DirectionRelativeType directionRelative = directionMotion;
    bool velocityRelative = true;  // the owner's velocity is added
    bool sizeRelative = true;      // offsets, speeds and sizes scale with the owner's shape
    bool accelerationRelative = false;
    float lifeTime = 10.0f;
    float fadeInTime = 1.0f;
    float fadeOutTime = 1.0f;
    std::vector<Particle> particles;
    // Free records, used last in first out.
    std::vector<std::uint32_t> unusedIDs;
    std::unique_ptr<Entity> particleBaseEntity;
    std::unique_ptr<Body> particleVarianceBody;
    // Largest random turn of a new velocity about x, y and z, in radians.
    Vector4 directionAngleVariance{1.5707964f, 1.5707964f, 1.5707964f, 0.0f};
    float timeUntilEmission = 0.0f;  // negative: an emission is due
    // Largest squared distance of a live particle from the owner in the last update (culling).
    float maxDistanceSquared = 0.0f;

private:
    // The owner's body, or null when the emitter stands on no entity with a body.
    Body* ownerBody() const;
    // Template and variance body, recreated as defaults when a file gave "NULL" for them.
    void ensureTemplates();
    // Gives a record's entity what every particle carries: a clone of the template's components, the
    // animation and a lifetime component bound to this emitter.
    void buildRecordEntity(std::uint32_t index);
    // Binds an existing record to this emitter; a record missing its drawing, body or lifetime is
    // rebuilt from the template and freed.
    void bindRecord(std::uint32_t index);

    // A body of one sphere that stands for all particles when the emitter is culled.
    std::unique_ptr<Body> cullingBody;
};

// The live emitters, as the scene draw walks them.
inline ObjectCounter<ParticleEmitter>::Set& liveParticleEmitters() {
    return ObjectCounter<ParticleEmitter>::liveObjects();
}

// A random number from -1 to 1 from the game's generator.
float randomSigned();
