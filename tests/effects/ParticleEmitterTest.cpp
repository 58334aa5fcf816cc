// The particle emitter: template completion and pool sizing, emission timing, reuse of freed records,
// trimming, the start values of new particles from a fixed seed, life and fade-out, culling, copies
// and text; and the guards for rates, free lists and owners that would otherwise hang or crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "EffectsScene.h"
#include "core/Random.h"
#include "core/SerializeType.h"
#include "effects/FadeInComponent.h"
#include "effects/FadeOutComponent.h"
#include "effects/ParticleEmitter.h"
#include "effects/ParticleLifetimeComponent.h"
#include "graphics/AnimationComponent.h"
#include "graphics/Camera.h"
#include "graphics/SceneDraw.h"
#include "physics/Capsule.h"
#include "physics/Plane.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"

namespace {

class Particles : public ::testing::Test {
protected:
    void SetUp() override {
        seedRandom(1234);
        owner = scene.addEntity(Vector4(10.0f, 0.0f, 0.0f, 1.0f), new Sphere(1.0f));
    }
    ParticleEmitter* attach(ParticleEmitter* emitter) {
        owner->addComponent(emitter);
        return emitter;
    }
    // An emitter whose particles start exactly with the template's values.
    ParticleEmitter* plainEmitter() {
        auto* emitter = new ParticleEmitter();
        emitter->directionRelative = ParticleEmitter::directionUnturned;
        emitter->directionAngleVariance = Vector4();
        emitter->sizeRelative = false;
        emitter->velocityRelative = false;
        return attach(emitter);
    }
    static Body& bodyOf(ParticleEmitter& emitter, std::size_t index) { return *emitter.particles[index].entity.body; }
    static ParticleLifetimeComponent* lifetimeOf(ParticleEmitter& emitter, std::size_t index) {
        return emitter.particles[index].entity.getComponent<ParticleLifetimeComponent>();
    }

    EffectsScene scene;
    Entity* owner = nullptr;
};

// Answers the cull test as set and remembers the body it was asked about.
class RecordingCamera : public Camera {
public:
    bool cull = true;
    mutable float askedRadius = -1.0f;
    mutable Vector4 askedPosition;
    Matrix matrix;
    const Matrix& getView() const override { return matrix; }
    const Matrix& getProjection() const override { return matrix; }
    float getZNear() const override { return 0.1f; }
    float getZFar() const override { return 100.0f; }
    Vector4 getPosition() const override { return Vector4(0.0f, 0.0f, 0.0f, 1.0f); }
    Quaternion getOrientation() const override { return Quaternion(); }
    bool isCulled(const Body& body) const override {
        askedRadius = body.shape ? body.shape->getBoundingRadius() : -1.0f;
        askedPosition = body.position;
        return cull;
    }
};

}  // namespace

TEST_F(Particles, RegistrationAndDefaults) {
    EXPECT_TRUE(findType("ParticleEmitter")->isComponent());
    EXPECT_TRUE(findType("ParticleLifetimeComponent")->isComponent());
    Type* particle = findType("Particle");
    ASSERT_NE(particle, nullptr);
    EXPECT_FALSE(particle->isComponent() || particle->isPattern() || particle->isLogic() ||
                 particle->isGameStateComponent());
    ParticleEmitter emitter;
    EXPECT_EQ(emitter.animationName, "smokyRingAnimation");
    EXPECT_FLOAT_EQ(emitter.emissionRate, 20.0f);
    EXPECT_EQ(emitter.stopAfter, -1);
    EXPECT_EQ(emitter.blendMode, 1);
    EXPECT_EQ(emitter.directionRelative, ParticleEmitter::directionMotion);
    EXPECT_TRUE(emitter.velocityRelative && emitter.sizeRelative);
    EXPECT_FALSE(emitter.attachedToOwner || emitter.accelerationRelative);
    EXPECT_FLOAT_EQ(emitter.lifeTime, 10.0f);
    EXPECT_NE(emitter.particleBaseEntity, nullptr);
    EXPECT_NE(emitter.particleVarianceBody, nullptr);
    ParticleLifetimeComponent lifetime;
    EXPECT_EQ(lifetime.particleID, 0xFFFFFFFFu);
    EXPECT_TRUE(std::isinf(lifetime.timeRemaining));
}

TEST_F(Particles, InitializeCompletesTheTemplateAndReservesThePool) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    Entity& base = *emitter->particleBaseEntity;
    ASSERT_NE(base.graphics, nullptr);
    EXPECT_EQ(base.graphics->getModelName(), "defaultModel");
    EXPECT_EQ(base.graphics->getProgramName(), "particleShader");
    EXPECT_EQ(base.graphics->diffuseColor, Vector4(0.2f, 0.1f, 0.0f, 0.2f));
    EXPECT_EQ(base.graphics->specularColor, Vector4());
    ASSERT_NE(base.body, nullptr);
    ASSERT_NE(base.body->shape, nullptr);
    EXPECT_EQ(base.body->shape->shapeType, Shape::PlaneKind);
    EXPECT_EQ(static_cast<Plane*>(base.body->shape)->size, Vector4(0.1f, 0.1f, 1.0f, 1.0f));
    EXPECT_FALSE(base.body->resolve || base.body->collides);
    EXPECT_EQ(base.body->velocity, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_EQ(base.body->acceleration, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_FALSE(scene.physics->hasBody(base.body));
    ASSERT_NE(emitter->particleVarianceBody->shape, nullptr);
    EXPECT_EQ(emitter->particleVarianceBody->shape->getSize(), Vector4());

    EXPECT_EQ(emitter->poolSize(), 203u);
    EXPECT_GE(emitter->particles.capacity(), 203u);
    EXPECT_TRUE(emitter->particles.empty());
    emitter->stopAfter = 50;
    EXPECT_EQ(emitter->poolSize(), 50u);
    emitter->stopAfter = -1;
    emitter->emissionRate = -5.0f;
    EXPECT_EQ(emitter->poolSize(), 0u);
    emitter->emissionRate = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(emitter->poolSize(), 0u);
    emitter->emissionRate = 1.0e12f;
    EXPECT_EQ(emitter->poolSize(), ParticleEmitter::maxPoolSize);
}

TEST_F(Particles, EmissionTiming) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    emitter->update(0.01f);
    EXPECT_EQ(emitter->particlesEmitted, 1);

    ParticleEmitter* four = attach(new ParticleEmitter());
    four->emissionRate = 4.0f;
    four->update(0.5f);
    EXPECT_EQ(four->particlesEmitted, 2);
    EXPECT_FLOAT_EQ(four->timeUntilEmission, 0.0f);

    ParticleEmitter* once = attach(new ParticleEmitter());
    once->emissionRate = 0.0f;
    for (int i = 0; i < 20; ++i) once->update(0.1f);
    EXPECT_EQ(once->particlesEmitted, 1);
}

TEST_F(Particles, NegativeRateEmitsNothingAndDoesNotHang) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    emitter->emissionRate = -3.0f;
    for (int i = 0; i < 5; ++i) emitter->update(0.1f);
    EXPECT_EQ(emitter->particlesEmitted, 0);
    EXPECT_TRUE(emitter->particles.empty());
}

TEST_F(Particles, HugeBacklogIsCappedPerUpdate) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    emitter->lifeTime = 0.05f;
    emitter->timeUntilEmission = -1.0e9f;
    emitter->update(0.0f);
    EXPECT_EQ(emitter->particlesEmitted, ParticleEmitter::maxEmissionsPerUpdate);
    EXPECT_GE(emitter->timeUntilEmission, 0.0f);
}

TEST_F(Particles, StopAfterEmitsExactlyThatManyAndStaysUntilThePoolIsReset) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    emitter->stopAfter = 3;
    emitter->lifeTime = 0.5f;
    for (int i = 0; i < 40; ++i) owner->update(0.05f);
    EXPECT_EQ(emitter->particlesEmitted, 3);
    EXPECT_EQ(emitter->particles.size(), 3u);
    EXPECT_EQ(emitter->liveParticleCount(), 0u);
    EXPECT_EQ(emitter->unusedIDs.size(), 3u);
    EXPECT_EQ(owner->getComponent<ParticleEmitter>(), emitter);
    emitter->resetPool();
    owner->update(0.05f);
    EXPECT_EQ(owner->getComponent<ParticleEmitter>(), nullptr);
}

TEST_F(Particles, FreedRecordsAreReusedMostRecentFirst) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    emitter->emissionRate = 10.0f;
    emitter->lifeTime = 0.25f;
    emitter->fadeOutTime = 0.0f;
    for (int i = 0; i < 200; ++i) emitter->update(0.05f);
    // About three live at a time: the pool stops growing at its steady size.
    EXPECT_LE(emitter->particles.size(), 5u);
    EXPECT_NEAR(emitter->particlesEmitted, 100, 1);

    // A record freed in a frame is the one the next emission takes; it was still moved in that frame.
    ParticleEmitter* single = plainEmitter();
    single->emissionRate = 0.0f;
    single->lifeTime = 0.1f;
    single->update(0.05f);
    ASSERT_EQ(single->particles.size(), 1u);
    const Vector4 start = bodyOf(*single, 0).position;
    single->update(0.06f);
    EXPECT_FALSE(single->particles[0].inUse);
    EXPECT_EQ(single->unusedIDs, std::vector<std::uint32_t>{0});
    EXPECT_NE(bodyOf(*single, 0).position, start);
    single->timeUntilEmission = -0.01f;
    single->update(0.0f);
    EXPECT_EQ(single->particles.size(), 1u);
    EXPECT_TRUE(single->particles[0].inUse);
    EXPECT_TRUE(single->unusedIDs.empty());
    EXPECT_FLOAT_EQ(lifetimeOf(*single, 0)->timeRemaining, 0.1f);
}

TEST_F(Particles, ParticlesNeverJoinThePhysicsWorld) {
    const std::size_t before = scene.physics->bodyCount();
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    emitter->emissionRate = 100.0f;
    for (int i = 0; i < 10; ++i) emitter->update(0.05f);
    EXPECT_GE(emitter->particles.size(), 40u);
    EXPECT_EQ(scene.physics->bodyCount(), before);
    // Nor do the records copied when the pool grows past its reserve.
    emitter->particles.shrink_to_fit();
    emitter->update(0.5f);
    EXPECT_EQ(scene.physics->bodyCount(), before);
}

TEST_F(Particles, DefaultVarianceGivesTheTemplateValuesExactly) {
    ParticleEmitter* emitter = plainEmitter();
    Body& base = *emitter->particleBaseEntity->body;
    base.position = Vector4(1.0f, 2.0f, 3.0f, 1.0f);
    base.velocity = Vector4(0.5f, -1.0f, 2.0f, 0.0f);
    base.acceleration = Vector4(0.0f, -9.0f, 0.0f, 0.0f);
    base.setMass(2.0f);
    for (int i = 0; i < 20; ++i) emitter->emit();
    for (std::size_t i = 0; i < emitter->particles.size(); ++i) {
        const Body& body = bodyOf(*emitter, i);
        EXPECT_EQ(body.position, Vector4(11.0f, 2.0f, 3.0f, 1.0f));
        EXPECT_EQ(body.velocity, base.velocity);
        EXPECT_EQ(body.acceleration, base.acceleration);
        EXPECT_FLOAT_EQ(body.mass, 2.0f);
        EXPECT_FLOAT_EQ(body.inverseMass, 0.5f);
        EXPECT_EQ(body.shape->getSize(), Vector4(0.1f, 0.1f, 1.0f, 1.0f));
        EXPECT_LE(std::fabs(body.drag - base.drag), 0.01f);
        EXPECT_LE(std::fabs(body.restitution - base.restitution), 0.3f);
    }
}

TEST_F(Particles, SameSeedSameParticles) {
    ParticleEmitter* first = attach(new ParticleEmitter());
    first->particleVarianceBody->position = Vector4(1.0f, 1.0f, 1.0f, 0.0f);
    std::unique_ptr<ParticleEmitter> twinSource(first->clone());
    ParticleEmitter* second = attach(twinSource.release());
    seedRandom(77);
    for (int i = 0; i < 5; ++i) first->emit();
    seedRandom(77);
    for (int i = 0; i < 5; ++i) second->emit();
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(bodyOf(*first, i).position, bodyOf(*second, i).position);
        EXPECT_EQ(bodyOf(*first, i).velocity, bodyOf(*second, i).velocity);
    }
    // And the variance is used: not every particle starts at the same place.
    EXPECT_NE(bodyOf(*first, 0).position, bodyOf(*first, 1).position);
}

TEST_F(Particles, RandomTurnKeepsTheSpeed) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    emitter->directionRelative = ParticleEmitter::directionUnturned;
    emitter->velocityRelative = false;
    emitter->sizeRelative = false;
    bool turned = false;
    for (int i = 0; i < 20; ++i) {
        emitter->emit();
        const Vector4 v = bodyOf(*emitter, static_cast<std::size_t>(i)).velocity;
        EXPECT_NEAR(length3(v), 1.0f, 1e-5f);
        EXPECT_NEAR(v.w(), 0.0f, 1e-6f);
        if (std::fabs(v.y() - 1.0f) > 0.01f) turned = true;
    }
    EXPECT_TRUE(turned);
}

TEST_F(Particles, MotionModeTurnsXTowardTheOwnersVelocity) {
    ParticleEmitter* emitter = plainEmitter();
    emitter->directionRelative = ParticleEmitter::directionMotion;
    emitter->particleBaseEntity->body->velocity = Vector4(2.0f, 0.0f, 0.0f, 0.0f);
    emitter->particleBaseEntity->body->acceleration = Vector4(1.0f, 0.0f, 0.0f, 0.0f);
    owner->body->velocity = Vector4(0.0f, 0.0f, 5.0f, 0.0f);
    emitter->emit();
    const Body& body = bodyOf(*emitter, 0);
    EXPECT_NEAR(body.velocity.x(), 0.0f, 1e-5f);
    EXPECT_NEAR(body.velocity.z(), 2.0f, 1e-5f);
    EXPECT_NEAR(body.acceleration.z(), 1.0f, 1e-5f);
    // Upward motion pitches +x up; a resting owner turns nothing.
    owner->body->velocity = Vector4(0.0f, 3.0f, 0.0f, 0.0f);
    EXPECT_NEAR(emitter->applyDirectionMode(Vector4(1.0f, 0.0f, 0.0f, 0.0f)).y(), 1.0f, 1e-5f);
    owner->body->velocity = Vector4();
    EXPECT_EQ(emitter->applyDirectionMode(Vector4(1.0f, 0.0f, 0.0f, 0.0f)), Vector4(1.0f, 0.0f, 0.0f, 0.0f));
}

TEST_F(Particles, HeadingAndOrientationModes) {
    ParticleEmitter* emitter = plainEmitter();
    // A quarter turn about +y carries +x to -z.
    owner->body->rotation = quaternionFromAxisAngle(Vector4(0.0f, 1.0f, 0.0f, 0.0f), 1.5707964f);
    emitter->directionRelative = ParticleEmitter::directionHeading;
    Vector4 v = emitter->applyDirectionMode(Vector4(1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(v.z(), -1.0f, 1e-5f);
    emitter->directionRelative = ParticleEmitter::directionOrientation;
    v = emitter->applyDirectionMode(Vector4(1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(v.z(), -1.0f, 1e-5f);
    // Heading ignores a roll about +x; the full orientation does not.
    owner->body->rotation = quaternionFromAxisAngle(Vector4(1.0f, 0.0f, 0.0f, 0.0f), 1.5707964f);
    v = emitter->applyDirectionMode(Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_NEAR(v.z(), 1.0f, 1e-5f);
    emitter->directionRelative = ParticleEmitter::directionHeading;
    v = emitter->applyDirectionMode(Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_NEAR(v.y(), 1.0f, 1e-5f);
    emitter->directionRelative = static_cast<ParticleEmitter::DirectionRelativeType>(42);
    EXPECT_EQ(emitter->applyDirectionMode(Vector4(0.0f, 1.0f, 0.0f, 0.0f)), Vector4(0.0f, 1.0f, 0.0f, 0.0f));
}

TEST_F(Particles, RelativeSwitchesUseTheOwner) {
    ParticleEmitter* emitter = plainEmitter();
    owner->body->setShape(new Sphere(2.0f));
    owner->body->velocity = Vector4(0.0f, 0.0f, 3.0f, 0.0f);
    owner->body->acceleration = Vector4(0.0f, -1.0f, 0.0f, 0.0f);
    emitter->particleBaseEntity->body->position = Vector4(1.0f, 0.0f, 0.0f, 1.0f);
    emitter->sizeRelative = true;
    emitter->velocityRelative = true;
    emitter->accelerationRelative = true;
    emitter->attachedToOwner = true;
    emitter->emit();
    const Body& body = bodyOf(*emitter, 0);
    // Relative to the owner (w 0), scaled by its size.
    EXPECT_EQ(body.position, Vector4(2.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(body.velocity, Vector4(0.0f, 2.0f, 3.0f, 0.0f));
    EXPECT_EQ(body.acceleration, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_EQ(body.shape->getSize(), Vector4(0.2f, 0.2f, 2.0f, 0.0f));
}

TEST_F(Particles, SphereAndCapsuleVariance) {
    ParticleEmitter* emitter = plainEmitter();
    emitter->particleBaseEntity->body->setShape(new Sphere(1.0f));
    emitter->particleVarianceBody->setShape(new Sphere(0.5f));
    float smallest = 10.0f, largest = 0.0f;
    for (int i = 0; i < 50; ++i) {
        emitter->emit();
        const float r = bodyOf(*emitter, static_cast<std::size_t>(i)).shape->getBoundingRadius();
        smallest = std::min(smallest, r);
        largest = std::max(largest, r);
    }
    EXPECT_GE(smallest, 0.5f);
    EXPECT_LE(largest, 1.5f);
    EXPECT_LT(smallest, 0.8f);
    EXPECT_GT(largest, 1.2f);

    ParticleEmitter* capsules = plainEmitter();
    auto* capsule = new Capsule();
    capsule->length = 1.0f;
    capsules->particleBaseEntity->body->setShape(capsule);
    auto* spread = new Capsule();
    spread->radius = 0.0f;
    spread->length = 5.0f;
    spread->direction = Vector4();
    capsules->particleVarianceBody->setShape(spread);
    for (int i = 0; i < 30; ++i) {
        capsules->emit();
        const auto* made = static_cast<const Capsule*>(bodyOf(*capsules, static_cast<std::size_t>(i)).shape);
        // A length that would come out at 0 or below keeps the one the shape had.
        EXPECT_GT(made->length, 0.0f);
        EXPECT_LE(made->length, 6.0f);
        EXPECT_NEAR(dot4(made->direction, made->direction), 1.0f, 1e-5f);
    }
}

TEST_F(Particles, BoxAndPlaneSizesVaryByOneNumberPerParticle) {
    ParticleEmitter* boxes = plainEmitter();
    auto* box = new Rect();
    box->size = Vector4(1.0f, 2.0f, 3.0f, 0.0f);
    boxes->particleBaseEntity->body->setShape(box);
    auto* boxSpread = new Rect();
    boxSpread->size = Vector4(0.5f, 0.5f, 0.5f, 0.0f);
    boxes->particleVarianceBody->setShape(boxSpread);
    float smallest = 1.0f, largest = -1.0f;
    for (int i = 0; i < 40; ++i) {
        boxes->emit();
        const Vector4 size = static_cast<const Rect*>(bodyOf(*boxes, static_cast<std::size_t>(i)).shape)->size;
        const float d = size.x() - 1.0f;
        EXPECT_NEAR(size.y() - 2.0f, d, 1e-5f);
        EXPECT_NEAR(size.z() - 3.0f, d, 1e-5f);
        EXPECT_LE(std::fabs(d), 0.5f + 1e-6f);
        smallest = std::min(smallest, d);
        largest = std::max(largest, d);
    }
    EXPECT_LT(smallest, -0.2f);
    EXPECT_GT(largest, 0.2f);

    // A plane scaled by the owner's size, lane by lane.
    owner->body->setShape(new Sphere(2.0f));
    ParticleEmitter* planes = plainEmitter();
    planes->sizeRelative = true;
    auto* plane = new Plane();
    plane->size = Vector4(1.0f, 0.5f, 0.0f, 0.0f);
    planes->particleBaseEntity->body->setShape(plane);
    auto* planeSpread = new Plane();
    planeSpread->size = Vector4(0.25f, 0.0f, 0.0f, 0.0f);
    planes->particleVarianceBody->setShape(planeSpread);
    for (int i = 0; i < 20; ++i) {
        planes->emit();
        const Vector4 size = static_cast<const Plane*>(bodyOf(*planes, static_cast<std::size_t>(i)).shape)->size;
        EXPECT_GE(size.x(), 1.5f - 1e-5f);
        EXPECT_LE(size.x(), 2.5f + 1e-5f);
        EXPECT_FLOAT_EQ(size.y(), 1.0f);
        EXPECT_FLOAT_EQ(size.z(), 0.0f);
    }
}

TEST_F(Particles, VarianceShapeOfAnotherKindVariesNothing) {
    ParticleEmitter* emitter = plainEmitter();
    emitter->particleBaseEntity->body->setShape(new Sphere(1.0f));
    auto* box = new Rect();
    box->size = Vector4(5.0f, 5.0f, 5.0f, 0.0f);
    emitter->particleVarianceBody->setShape(box);
    for (int i = 0; i < 10; ++i) {
        emitter->emit();
        EXPECT_FLOAT_EQ(bodyOf(*emitter, static_cast<std::size_t>(i)).shape->getBoundingRadius(), 1.0f);
    }
}

TEST_F(Particles, EmissionAddsItsComponentsEnabled) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    auto* stored = new FadeOutComponent(5.0f);
    stored->disabled = true;
    emitter->particleBaseEntity->addComponent(stored);
    emitter->emit();
    Entity& entity = emitter->particles[0].entity;
    EXPECT_NE(entity.getComponent<AnimationComponent>(), nullptr);
    EXPECT_NE(entity.getComponent<FadeInComponent>(), nullptr);
    ParticleLifetimeComponent* lifetime = entity.getComponent<ParticleLifetimeComponent>();
    ASSERT_NE(lifetime, nullptr);
    EXPECT_EQ(lifetime->emitter, emitter);
    EXPECT_EQ(lifetime->particleID, 0u);
    EXPECT_FLOAT_EQ(lifetime->timeRemaining, 10.0f);
    EXPECT_FLOAT_EQ(lifetime->fadeOutTime, 1.0f);
    for (const auto& component : entity.components) {
        EXPECT_FALSE(component->disabled);
        EXPECT_EQ(component->owner, &entity);
        EXPECT_TRUE(component->initialised);
    }

    ParticleEmitter* noFade = attach(new ParticleEmitter());
    noFade->fadeInTime = 0.0f;
    noFade->emit();
    EXPECT_EQ(noFade->particles[0].entity.getComponent<FadeInComponent>(), nullptr);
}

TEST_F(Particles, LifeFadesOutThenFreesTheRecordOnce) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    emitter->emissionRate = 0.0f;
    emitter->lifeTime = 2.0f;
    emitter->fadeOutTime = 1.0f;
    emitter->fadeInTime = 0.0f;
    emitter->timeUntilEmission = -1.0f;
    emitter->update(0.0f);
    ASSERT_EQ(emitter->particles.size(), 1u);
    Entity& particle = emitter->particles[0].entity;
    for (int frame = 1; frame <= 8; ++frame) {
        emitter->update(0.25f);
        const bool fading = particle.getComponent<FadeOutComponent>() != nullptr || frame >= 8;
        EXPECT_EQ(fading, frame >= 4) << frame;
        EXPECT_EQ(emitter->particles[0].inUse, frame < 8) << frame;
    }
    EXPECT_EQ(emitter->unusedIDs.size(), 1u);
    // A freed record is not updated again: its index is not pushed twice.
    for (int i = 0; i < 4; ++i) emitter->update(0.25f);
    EXPECT_EQ(emitter->unusedIDs.size(), 1u);
}

TEST_F(Particles, LifetimeWithoutEmitterDoesNothing) {
    Entity* entity = scene.addEntity(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    std::unique_ptr<ParticleLifetimeComponent> created(
        createObject<ParticleLifetimeComponent>("ParticleLifetimeComponent"));
    ASSERT_NE(created, nullptr);
    created->timeRemaining = 0.5f;
    created->fadeOutTime = 1.0f;
    created->particleID = 3;
    auto* lifetime = created.release();
    entity->addComponent(lifetime);
    entity->update(1.0f);
    EXPECT_FLOAT_EQ(lifetime->timeRemaining, 0.5f);
    EXPECT_EQ(entity->getComponent<FadeOutComponent>(), nullptr);

    // Bound to an emitter, but naming a record it has not got, or one whose entity is another.
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    lifetime->emitter = emitter;
    entity->update(1.0f);
    emitter->emit();
    lifetime->particleID = 0;
    entity->update(1.0f);
    EXPECT_FLOAT_EQ(lifetime->timeRemaining, 0.5f);
    EXPECT_TRUE(emitter->particles[0].inUse);
    EXPECT_TRUE(emitter->unusedIDs.empty());
}

TEST_F(Particles, InitializeTrimsThePoolAndChecksTheFreeList) {
    ParticleEmitter source;
    source.emissionRate = 0.0f;
    std::unique_ptr<ParticleEmitter> big(source.clone());
    ParticleEmitter* filled = attach(big.release());
    filled->emissionRate = 1000.0f;
    for (int i = 0; i < 15; ++i) filled->emit();
    for (std::uint32_t i : {3u, 12u, 14u}) {
        filled->particles[i].inUse = false;
        filled->unusedIDs.push_back(i);
    }
    std::string text = writeText(*filled);
    // Hand-edited free list: out of range, twice, and a record in use.
    const std::size_t at = text.find("unusedIDs");
    ASSERT_NE(at, std::string::npos);
    text.insert(text.find("end", at), "999 3 5 ");

    ParticleEmitter* read = new ParticleEmitter();
    EXPECT_EQ(readText(text, *read), "");
    EXPECT_EQ(read->particles.size(), 15u);
    read->emissionRate = 10.0f;
    read->lifeTime = 0.9f;  // pool size ceil(1.0 * 10 + 1) = 11
    attach(read);
    EXPECT_EQ(read->particles.size(), 11u);
    EXPECT_EQ(read->unusedIDs, std::vector<std::uint32_t>{3});
    for (std::uint32_t i = 0; i < 11; ++i) {
        ParticleLifetimeComponent* lifetime = lifetimeOf(*read, i);
        ASSERT_NE(lifetime, nullptr);
        EXPECT_EQ(lifetime->emitter, read);
        EXPECT_EQ(lifetime->particleID, i);
        EXPECT_FALSE(scene.physics->hasBody(&bodyOf(*read, i)));
    }
}

TEST_F(Particles, BrokenRecordsFromAFileAreRebuiltAndFreed) {
    const std::string text =
        "ParticleEmitter 0 0 Component end emissionRate 0 particles\n"
        "  Particle 0 entity Entity 1 id 0 components end end inUse 1 end\n"
        "end unusedIDs end end\n";
    auto* emitter = new ParticleEmitter();
    EXPECT_EQ(readText(text, *emitter), "");
    ASSERT_EQ(emitter->particles.size(), 1u);
    attach(emitter);
    EXPECT_FALSE(emitter->particles[0].inUse);
    EXPECT_EQ(emitter->unusedIDs, std::vector<std::uint32_t>{0});
    Entity& entity = emitter->particles[0].entity;
    EXPECT_NE(entity.body, nullptr);
    EXPECT_NE(entity.graphics, nullptr);
    EXPECT_NE(entity.getComponent<ParticleLifetimeComponent>(), nullptr);
    emitter->update(0.1f);
    EXPECT_TRUE(emitter->particles[0].inUse);
    EXPECT_EQ(emitter->particles.size(), 1u);
}

TEST_F(Particles, TextRoundTripKeepsSettingsRecordsAndFreeList) {
    scene.state.addResource("puff", std::make_unique<Animation>());
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    emitter->animationName = "puff";
    emitter->emissionRate = 7.5f;
    emitter->stopAfter = 40;
    emitter->blendMode = 0;
    emitter->attachedToOwner = true;
    emitter->directionRelative = ParticleEmitter::directionOrientation;
    emitter->accelerationRelative = true;
    emitter->lifeTime = 3.0f;
    emitter->fadeInTime = 0.25f;
    emitter->fadeOutTime = 0.5f;
    emitter->directionAngleVariance = Vector4(0.1f, 0.2f, 0.3f, 0.0f);
    emitter->particleVarianceBody->velocity = Vector4(1.0f, 2.0f, 3.0f, 0.0f);
    for (int i = 0; i < 4; ++i) emitter->emit();
    emitter->particles[2].inUse = false;
    emitter->unusedIDs.push_back(2);
    emitter->timeUntilEmission = 0.125f;

    const std::string text = writeText(*emitter);
    auto* back = new ParticleEmitter();
    EXPECT_EQ(readText(text, *back), "") << text;
    EXPECT_EQ(back->animationName, "puff");
    EXPECT_FLOAT_EQ(back->emissionRate, 7.5f);
    EXPECT_EQ(back->stopAfter, 40);
    EXPECT_EQ(back->particlesEmitted, 4);
    EXPECT_EQ(back->blendMode, 0);
    EXPECT_TRUE(back->attachedToOwner);
    EXPECT_EQ(back->directionRelative, ParticleEmitter::directionOrientation);
    EXPECT_TRUE(back->accelerationRelative);
    EXPECT_FLOAT_EQ(back->lifeTime, 3.0f);
    EXPECT_FLOAT_EQ(back->fadeInTime, 0.25f);
    EXPECT_FLOAT_EQ(back->fadeOutTime, 0.5f);
    EXPECT_EQ(back->directionAngleVariance, Vector4(0.1f, 0.2f, 0.3f, 0.0f));
    EXPECT_EQ(back->particleVarianceBody->velocity, Vector4(1.0f, 2.0f, 3.0f, 0.0f));
    EXPECT_FLOAT_EQ(back->timeUntilEmission, 0.125f);
    ASSERT_EQ(back->particles.size(), 4u);
    EXPECT_FALSE(back->particles[2].inUse);
    EXPECT_TRUE(back->particles[3].inUse);
    EXPECT_EQ(back->unusedIDs, std::vector<std::uint32_t>{2});
    EXPECT_EQ(back->particles[1].entity.getComponent<Body>()->position, emitter->particles[1].entity.body->position);
    attach(back);
    // The records read back are this emitter's and run on.
    EXPECT_EQ(lifetimeOf(*back, 3)->emitter, back);
    back->update(0.1f);
    EXPECT_EQ(back->liveParticleCount(), 3u);
    EXPECT_NEAR(lifetimeOf(*back, 3)->timeRemaining, 2.9f, 1e-5f);

    auto* nulls = new ParticleEmitter();
    EXPECT_EQ(
        readText("ParticleEmitter 0 0 Component end particleBaseEntity NULL particleVarianceBody NULL end\n", *nulls),
        "");
    EXPECT_EQ(nulls->particleBaseEntity, nullptr);
    // The emitter needs both: it makes default ones again.
    attach(nulls);
    nulls->update(0.01f);
    EXPECT_EQ(nulls->particlesEmitted, 1);
}

TEST_F(Particles, CopiesBindTheirRecordsToThemselves) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    for (int i = 0; i < 3; ++i) emitter->emit();
    std::unique_ptr<ParticleEmitter> copy(emitter->clone());
    EXPECT_FALSE(copy->initialised);
    ASSERT_EQ(copy->particles.size(), 3u);
    EXPECT_NE(copy->particleBaseEntity.get(), emitter->particleBaseEntity.get());
    EXPECT_NE(copy->particles[0].entity.id, emitter->particles[0].entity.id);
    EXPECT_EQ(lifetimeOf(*copy, 0)->emitter, emitter);
    ParticleEmitter* attached = attach(copy.release());
    EXPECT_EQ(lifetimeOf(*attached, 0)->emitter, attached);
    EXPECT_EQ(emitter->liveParticleCount(), 3u);
}

TEST_F(Particles, UpdateMovesParticlesAndMeasuresTheirSpread) {
    ParticleEmitter* emitter = plainEmitter();
    emitter->emissionRate = 0.0f;
    emitter->particleBaseEntity->body->acceleration = Vector4();
    emitter->particleBaseEntity->body->drag = 0.0f;
    emitter->particleVarianceBody->drag = 0.0f;
    emitter->timeUntilEmission = -1.0f;
    emitter->update(0.0f);
    emitter->update(1.0f);
    EXPECT_NEAR(bodyOf(*emitter, 0).position.y(), 1.0f, 1e-5f);
    emitter->update(1.0f);
    // Measured before this frame's move: one unit up.
    EXPECT_NEAR(emitter->maxDistanceSquared, 1.0f, 1e-4f);
}

TEST_F(Particles, CullingSphereCoversTheSpreadAndACulledEmitterDrawsNothing) {
    ParticleEmitter* emitter = attach(new ParticleEmitter());
    owner->body->setShape(new Sphere(2.0f));
    emitter->maxDistanceSquared = 9.0f;
    RecordingCamera camera;
    emitter->draw(Matrix(), camera);
    // 3 + (template quad radius + zero variance) * owner radius.
    const float quad = emitter->particleBaseEntity->body->shape->getBoundingRadius();
    EXPECT_NEAR(camera.askedRadius, 3.0f + quad * 2.0f, 1e-5f);
    EXPECT_EQ(camera.askedPosition, owner->body->position);
}

TEST_F(Particles, EmittersWithoutALiveOwnerWithABodyAreLeftAlone) {
    // No body: the update does nothing.
    Entity* bodiless = new Entity();
    auto* emitter = new ParticleEmitter();
    bodiless->addComponent(emitter);
    scene.state.addEntity(bodiless);
    scene.state.flushAddedEntities();
    emitter->update(0.5f);
    EXPECT_EQ(emitter->particlesEmitted, 0);
    RecordingCamera camera;
    emitter->draw(Matrix(), camera);
    EXPECT_EQ(camera.askedRadius, -1.0f);

    // The draw walk passes over loose emitters and copies whose owner is gone.
    ParticleEmitter loose;
    ParticleEmitter* placed = attach(new ParticleEmitter());
    std::unique_ptr<ParticleEmitter> copy(placed->clone());
    int visited = 0;
    int visitedLoose = 0;
    struct Visit {
        int* count;
        int* loose;
        const Component* looseOne;
        const Component* copyOne;
    } context{&visited, &visitedLoose, &loose, copy.get()};
    auto visit = [](Component& component, void* raw) {
        auto* c = static_cast<Visit*>(raw);
        ++*c->count;
        if (&component == c->looseOne || &component == c->copyOne) ++*c->loose;
    };
    particleDrawSupport().forEachEmitter(visit, &context);
    EXPECT_EQ(visitedLoose, 0);
    EXPECT_EQ(visited, 2);  // the emitter on the bodiless entity, and the placed one
}
