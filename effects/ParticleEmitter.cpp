// The particle emitter: its pool of records, its text, the per-frame emission, update and draw, and
// the random start values of every new particle.
#include "effects/ParticleEmitter.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

#include "core/Quaternion.h"
#include "core/Random.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "effects/FadeInComponent.h"
#include "effects/LiveOwner.h"
#include "effects/ParticleLifetimeComponent.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/AnimationComponent.h"
#include "graphics/Camera.h"
#include "graphics/Graphics.h"
#include "graphics/ParticleShader.h"
#include "graphics/SceneDraw.h"
#include "physics/Body.h"
#include "physics/Capsule.h"
#include "physics/Plane.h"
#include "physics/Rect.h"
#include "physics/Shape.h"
#include "physics/Sphere.h"

namespace {

const auto& emitterType = registerType<ParticleEmitter>("ParticleEmitter");

// The scene draw reaches the emitters through these; emitters whose owner is gone are passed over.
void forEachLiveEmitter(void (*visit)(Component& emitter, void* context), void* context) {
    for (ObjectCounter<ParticleEmitter>* counter : liveParticleEmitters()) {
        ParticleEmitter* emitter = counter->object();
        if (isHeldByLiveEntity(*emitter)) visit(*emitter, context);
    }
}

void drawOneEmitter(Component& emitter, const Matrix& world, Camera& camera) {
    static_cast<ParticleEmitter&>(emitter).draw(world, camera);
}

const bool particleDrawInstalled = [] {
    ParticleDrawSupport& support = particleDrawSupport();
    support.forEachEmitter = &forEachLiveEmitter;
    support.drawEmitter = &drawOneEmitter;
    return true;
}();

ParticleLifetimeComponent* findLifetime(Entity& entity) {
    for (const auto& component : entity.components)
        if (auto* lifetime = dynamic_cast<ParticleLifetimeComponent*>(component.get())) return lifetime;
    return nullptr;
}

// A shape's size and bounding radius, or what leaves a value unscaled when there is no shape.
Vector4 shapeSize(const Body& body) { return body.shape ? body.shape->getSize() : Vector4(1.0f, 1.0f, 1.0f, 1.0f); }
float shapeRadius(const Body& body) { return body.shape ? body.shape->getBoundingRadius() : 1.0f; }
float boundingRadiusOrZero(const Body* body) { return body && body->shape ? body->shape->getBoundingRadius() : 0.0f; }

// A box-like shape's size: the template's plus the variance's times one random number, scaled by
// the owner's shape when scaleBy is given. Rect and Plane both keep a size vector.
template <class BoxLike>
void varySize(Shape& shape, const Shape& base, const Shape& variance, const Body* scaleBy) {
    const float r = randomSigned();
    auto& target = static_cast<BoxLike&>(shape);
    target.size = static_cast<const BoxLike&>(base).size +
                  static_cast<const BoxLike&>(variance).size * Vector4(r, r, r, 0.0f);
    if (scaleBy) target.size = target.size * shapeSize(*scaleBy);
}

// (r3, r2, r1, 0) from three numbers drawn in the order r1, r2, r3.
Vector4 randomLanes() {
    const float r1 = randomSigned();
    const float r2 = randomSigned();
    const float r3 = randomSigned();
    return Vector4(r3, r2, r1, 0.0f);
}

// The key, then the value, without emptying the stream's attributes (the "tweakBar" setting stays).
template <class T>
void writeKeyedKeepingAttributes(BaseOutStream& out, const char* key, const T& value) {
    writeStringToken(out, key);
    writeCode(out, BaseOutStream::indent);
    writeValue(out, value);
    writeCode(out, BaseOutStream::dedent);
    writeCode(out, BaseOutStream::lineEnd);
}

// The pool is no business of the property bars: its two keys are read with "tweakBar" set to "no".
template <auto Member>
constexpr Field<ParticleEmitter> hiddenField(const char* key) {
    Field<ParticleEmitter> entry = field<Member>(key);
    entry.read = [](BaseInStream& in, ParticleEmitter& emitter) {
        in.attributes["tweakBar"] = "no";
        readValue(in, emitter.*Member);
    };
    return entry;
}

const Field<ParticleEmitter> emitterFields[] = {
    field<&ParticleEmitter::animationName>("animationName"),
    field<&ParticleEmitter::emissionRate>("emissionRate"),
    field<&ParticleEmitter::stopAfter>("stopAfter"),
    field<&ParticleEmitter::particlesEmitted>("particlesEmitted"),
    field<&ParticleEmitter::blendMode>("blendMode"),
    field<&ParticleEmitter::lifeTime>("lifeTime"),
    field<&ParticleEmitter::fadeInTime>("fadeInTime"),
    field<&ParticleEmitter::fadeOutTime>("fadeOutTime"),
    field<&ParticleEmitter::attachedToOwner>("attachedToOwner"),
    field<&ParticleEmitter::sizeRelative>("sizeRelative"),
    field<&ParticleEmitter::directionRelative>("directionRelative"),
    field<&ParticleEmitter::velocityRelative>("velocityRelative"),
    field<&ParticleEmitter::accelerationRelative>("accelerationRelative"),
    field<&ParticleEmitter::directionAngleVariance>("directionAngleVariance"),
    field<&ParticleEmitter::particleBaseEntity>("particleBaseEntity"),
    field<&ParticleEmitter::particleVarianceBody>("particleVarianceBody"),
    field<&ParticleEmitter::timeUntilEmission>("timeUntilEmission"),
    hiddenField<&ParticleEmitter::particles>("particles"),
    hiddenField<&ParticleEmitter::unusedIDs>("unusedIDs"),
};

}  // namespace

float randomSigned() { return 2.0f * static_cast<float>(randomInt() / 32767.0) - 1.0f; }

ParticleEmitter::ParticleEmitter()
    : particleBaseEntity(std::make_unique<Entity>()), particleVarianceBody(std::make_unique<Body>()) {}

ParticleEmitter::ParticleEmitter(const ParticleEmitter& other)
    : Component(other),
      ObjectCounter<ParticleEmitter>(other),
      animationName(other.animationName),
      emissionRate(other.emissionRate),
      stopAfter(other.stopAfter),
      particlesEmitted(other.particlesEmitted),
      blendMode(other.blendMode),
      attachedToOwner(other.attachedToOwner),
      directionRelative(other.directionRelative),
      velocityRelative(other.velocityRelative),
      sizeRelative(other.sizeRelative),
      accelerationRelative(other.accelerationRelative),
      lifeTime(other.lifeTime),
      fadeInTime(other.fadeInTime),
      fadeOutTime(other.fadeOutTime),
      particles(other.particles),
      unusedIDs(other.unusedIDs),
      particleBaseEntity(other.particleBaseEntity ? other.particleBaseEntity->clone() : nullptr),
      particleVarianceBody(other.particleVarianceBody ? static_cast<Body*>(other.particleVarianceBody->clone())
                                                      : nullptr),
      directionAngleVariance(other.directionAngleVariance),
      timeUntilEmission(other.timeUntilEmission),
      maxDistanceSquared(other.maxDistanceSquared) {}

// The members go in reverse order: the variance body, the template, the free list, then the records.
ParticleEmitter::~ParticleEmitter() = default;

ParticleEmitter* ParticleEmitter::clone() const { return new ParticleEmitter(*this); }

void ParticleEmitter::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFields(in, *this, emitterFields);
}

void ParticleEmitter::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeField(out, "animationName", animationName);
    writeField(out, "emissionRate", emissionRate);
    writeField(out, "stopAfter", stopAfter);
    writeField(out, "particlesEmitted", particlesEmitted);
    writeField(out, "blendMode", blendMode);
    writeField(out, "lifeTime", lifeTime);
    writeField(out, "fadeInTime", fadeInTime);
    writeField(out, "fadeOutTime", fadeOutTime);
    writeField(out, "attachedToOwner", attachedToOwner);
    writeField(out, "sizeRelative", sizeRelative);
    // The property bars learn the enumeration's name through the object hook.
    writeStringToken(out, "directionRelative");
    writeCode(out, BaseOutStream::indent);
    writeValue(out.objectStream(&directionRelative, "ParticleEmitter::DirectionRelativeType"), directionRelative);
    writeCode(out, BaseOutStream::dedent);
    writeCode(out, BaseOutStream::lineEnd);
    out.attributes.clear();
    writeField(out, "velocityRelative", velocityRelative);
    writeField(out, "accelerationRelative", accelerationRelative);
    writeField(out, "directionAngleVariance", directionAngleVariance);
    writeField(out, "particleBaseEntity", particleBaseEntity);
    writeField(out, "particleVarianceBody", particleVarianceBody);
    writeField(out, "timeUntilEmission", timeUntilEmission);
    // The pool is no business of the property bars.
    out.attributes["tweakBar"] = "no";
    writeKeyedKeepingAttributes(out, "particles", particles);
    writeKeyedKeepingAttributes(out, "unusedIDs", unusedIDs);
    writeEnd(out);
}

std::uint32_t ParticleEmitter::poolSize() const {
    // Worked in double and rounded to float before the ceiling, so that 10 s at 20 a second gives 203.
    const float wanted = static_cast<float>((static_cast<double>(lifeTime) + 0.1) * emissionRate + 1.0);
    std::uint32_t n = 0;
    if (wanted >= static_cast<float>(maxPoolSize))
        n = maxPoolSize;
    else if (wanted > 0.0f)
        n = static_cast<std::uint32_t>(std::ceil(wanted));
    if (stopAfter > 0) n = std::min(n, static_cast<std::uint32_t>(stopAfter));
    return n;
}

std::size_t ParticleEmitter::liveParticleCount() const {
    return static_cast<std::size_t>(
        std::count_if(particles.begin(), particles.end(), [](const Particle& p) { return p.inUse; }));
}

void ParticleEmitter::resetPool() {
    particles.clear();
    unusedIDs.clear();
}

Body* ParticleEmitter::ownerBody() const { return owner ? owner->body : nullptr; }

void ParticleEmitter::ensureTemplates() {
    if (!particleBaseEntity) particleBaseEntity = std::make_unique<Entity>();
    if (!particleVarianceBody) particleVarianceBody = std::make_unique<Body>();
}

void ParticleEmitter::initialize() {
    Component::initialize();
    ensureTemplates();
    Entity& base = *particleBaseEntity;
    base.initialize();
    if (base.graphics == nullptr) {
        auto* graphics = new Graphics();
        graphics->setModelName("defaultModel");
        graphics->setProgramName("particleShader");
        graphics->diffuseColor = Vector4(0.2f, 0.1f, 0.0f, 0.2f);
        graphics->specularColor = Vector4(0.0f, 0.0f, 0.0f, 0.0f);
        base.addComponent(graphics);
    }
    if (base.body == nullptr) {
        auto* body = new Body();
        Plane quad;
        quad.size = Vector4(0.1f, 0.1f, 1.0f, 1.0f);
        quad.body = body;
        body->setShape(quad.clone());
        body->resolve = false;
        body->collides = false;
        body->velocity = Vector4(0.0f, 1.0f, 0.0f, 0.0f);
        body->acceleration = Vector4(0.0f, 1.0f, 0.0f, 0.0f);
        base.addComponent(body);
    }
    if (particleVarianceBody->shape == nullptr) {
        // A flat shape of size zero: by default new particles keep the template's size exactly.
        Plane none;
        none.body = particleVarianceBody.get();
        Shape* shape = none.clone();
        shape->scale(0.0f);
        particleVarianceBody->setShape(shape);
    }
    keepOutOfPhysics(base);

    const std::uint32_t n = poolSize();
    if (particles.size() < n) {
        particles.reserve(n);
    } else if (particles.size() > n) {
        while (particles.size() > n) particles.pop_back();
    }
    unusedIDs.reserve(std::max<std::size_t>(n, particles.size()));

    // Free indices read from a file are kept only when they name a free record of this pool, once.
    std::vector<bool> listed(particles.size(), false);
    std::size_t kept = 0;
    for (std::uint32_t index : unusedIDs) {
        if (index >= particles.size() || particles[index].inUse || listed[index]) continue;
        listed[index] = true;
        unusedIDs[kept++] = index;
    }
    unusedIDs.resize(kept);

    for (std::uint32_t i = 0; i < particles.size(); ++i) bindRecord(i);
}

void ParticleEmitter::buildRecordEntity(std::uint32_t index) {
    Entity& entity = particles[index].entity;
    entity.cloneComponentsFrom(*particleBaseEntity);
    entity.addComponent(new AnimationComponent(animationName));
    entity.addComponent(new ParticleLifetimeComponent(this, index, lifeTime, fadeOutTime));
    entity.initialize();
    keepOutOfPhysics(entity);
}

void ParticleEmitter::bindRecord(std::uint32_t index) {
    Particle& record = particles[index];
    Entity& entity = record.entity;
    entity.refreshCachedComponents();
    ParticleLifetimeComponent* lifetime = findLifetime(entity);
    if (entity.graphics == nullptr || entity.body == nullptr || entity.body->shape == nullptr || lifetime == nullptr) {
        // Only hand-edited text gets here: the record is made a proper particle again and freed.
        buildRecordEntity(index);
        lifetime = findLifetime(entity);
        if (record.inUse) {
            record.inUse = false;
            unusedIDs.push_back(index);
        } else if (std::find(unusedIDs.begin(), unusedIDs.end(), index) == unusedIDs.end()) {
            unusedIDs.push_back(index);
        }
    }
    entity.initialize();
    keepOutOfPhysics(entity);
    lifetime->particleID = index;
    lifetime->emitter = this;
}

void ParticleEmitter::update(float dt) {
    // A copy that was never added to an entity still has the source's records bound to the source.
    if (!initialised) initialize();
    Body* ownerBodyNow = ownerBody();
    if (ownerBodyNow == nullptr) return;

    timeUntilEmission -= dt;
    // A negative rate would never make the next emission due (the loop would run for ever).
    if (emissionRate >= 0.0f) {
        int emittedNow = 0;
        while (timeUntilEmission < 0.0f && (stopAfter < 1 || particlesEmitted < stopAfter)) {
            if (emittedNow == maxEmissionsPerUpdate) {
                timeUntilEmission = 0.0f;
                break;
            }
            timeUntilEmission += 1.0f / emissionRate;
            emit();
            ++emittedNow;
        }
    }

    maxDistanceSquared = 0.0f;
    const Vector4 ownerPosition = ownerBodyNow->position;
    for (Particle& record : particles) {
        if (!record.inUse) continue;
        Body* body = record.entity.body;
        if (body == nullptr) continue;
        const Vector4 before = body->position;
        record.entity.update(dt);
        const Vector4 d = before - ownerPosition;
        maxDistanceSquared = std::max(maxDistanceSquared, dot4(d, d));
        // Moved also in the frame its life ended.
        if (Body* moved = record.entity.body) moved->integrate(dt);
    }

    if (stopAfter > 0 && particlesEmitted >= stopAfter && particles.empty() && owner) owner->removeComponent(this);
}

void ParticleEmitter::emit() {
    ensureTemplates();
    // A template read again after initialisation may lack what every particle needs.
    if (particleBaseEntity->body == nullptr || particleBaseEntity->graphics == nullptr ||
        particleVarianceBody->shape == nullptr)
        initialize();
    std::uint32_t index = 0;
    bool reused = false;
    while (!unusedIDs.empty()) {
        const std::uint32_t candidate = unusedIDs.back();
        unusedIDs.pop_back();
        if (candidate < particles.size() && !particles[candidate].inUse) {
            index = candidate;
            reused = true;
            break;
        }
    }
    if (!reused) {
        index = static_cast<std::uint32_t>(particles.size());
        particles.emplace_back(*particleBaseEntity, true);
        Entity& entity = particles.back().entity;
        entity.addComponent(new AnimationComponent(animationName));
        entity.addComponent(new ParticleLifetimeComponent(this, index, lifeTime, fadeOutTime));
    } else {
        Particle& record = particles[index];
        record.inUse = true;
        ParticleLifetimeComponent* lifetime = findLifetime(record.entity);
        if (lifetime == nullptr || record.entity.body == nullptr || record.entity.graphics == nullptr) {
            buildRecordEntity(index);
            lifetime = findLifetime(record.entity);
        }
        lifetime->emitter = this;
        lifetime->particleID = index;
        lifetime->timeRemaining = lifeTime;
        lifetime->fadeOutTime = fadeOutTime;
    }

    Entity& entity = particles[index].entity;
    Body& body = *entity.body;
    const Body& base = *particleBaseEntity->body;
    const Body& variance = *particleVarianceBody;
    body.position = randomPosition();
    body.velocity = randomVelocity();
    body.acceleration = randomAcceleration();
    const float mass = base.mass + variance.mass * randomSigned();
    body.mass = mass;
    body.inverseMass = mass == 0.0f ? 0.0f : 1.0f / mass;
    body.drag = base.drag + variance.drag * randomSigned();
    body.restitution = base.restitution + variance.restitution * randomSigned();
    randomizeShape(body);
    if (fadeInTime > 0.0f) entity.addComponent(new FadeInComponent(fadeInTime));
    // Template components stored disabled run in particles.
    for (const auto& component : entity.components) {
        component->disabled = false;
        component->onDisabledChanged(false);
    }
    entity.refreshCachedComponents();
    for (const auto& component : entity.components) {
        component->setOwner(&entity);
        if (!component->initialised) component->initialize();
    }
    keepOutOfPhysics(entity);
    ++particlesEmitted;
}

Vector4 ParticleEmitter::randomPosition() {
    const Body& base = *particleBaseEntity->body;
    const Vector4 lanes = randomLanes();
    Vector4 offset = base.position;
    offset.setW(0.0f);
    offset = offset + particleVarianceBody->position * lanes;
    const Body* ownerBodyNow = ownerBody();
    if (sizeRelative && ownerBodyNow) offset = offset * shapeSize(*ownerBodyNow);
    if (attachedToOwner || ownerBodyNow == nullptr) return offset;
    return ownerBodyNow->position + offset;
}

Vector4 ParticleEmitter::randomVelocity() {
    const Body& base = *particleBaseEntity->body;
    const Vector4 lanes = randomLanes();
    Vector4 v = base.velocity + particleVarianceBody->velocity * lanes;
    const Body* ownerBodyNow = ownerBody();
    if (sizeRelative && ownerBodyNow) v = v * shapeRadius(*ownerBodyNow);
    v = applyDirectionMode(v);
    const Vector4 axes[3] = {Vector4(1.0f, 0.0f, 0.0f, 0.0f), Vector4(0.0f, 1.0f, 0.0f, 0.0f),
                             Vector4(0.0f, 0.0f, 1.0f, 0.0f)};
    for (int axis = 0; axis < 3; ++axis) {
        const float angle = directionAngleVariance.get(axis) * randomSigned();
        v = quaternionRotate(quaternionFromAxisAngle(axes[axis], angle), v);
    }
    if (velocityRelative && ownerBodyNow) v = v + ownerBodyNow->velocity;
    return v;
}

Vector4 ParticleEmitter::randomAcceleration() {
    const Body& base = *particleBaseEntity->body;
    const Vector4 lanes = randomLanes();
    Vector4 a = base.acceleration + particleVarianceBody->acceleration * lanes;
    a = applyDirectionMode(a);
    const Body* ownerBodyNow = ownerBody();
    if (sizeRelative && ownerBodyNow) a = a * shapeRadius(*ownerBodyNow);
    if (accelerationRelative && ownerBodyNow) a = a + ownerBodyNow->acceleration;
    return a;
}

Vector4 ParticleEmitter::applyDirectionMode(Vector4 v) const {
    const Body* ownerBodyNow = ownerBody();
    if (ownerBodyNow == nullptr) return v;
    switch (directionRelative) {
    case directionHeading: {
        const Quaternion q = quaternionNormalized(ownerBodyNow->rotation);
        // Clamped so that a rotation slightly off unit length cannot give NaN.
        const float sine = std::clamp(2.0f * (q.w() * q.y() - q.x() * q.z()), -1.0f, 1.0f);
        const float heading = std::asin(sine);
        const Quaternion turn(0.0f, std::sin(heading / 2.0f), 0.0f, std::cos(heading / 2.0f));
        return quaternionRotate(turn, v);
    }
    case directionMotion:
        return quaternionRotate(quaternionFromDirection(ownerBodyNow->velocity), v);
    case directionOrientation:
        return quaternionRotate(quaternionNormalized(ownerBodyNow->rotation), v);
    default:
        return v;
    }
}

void ParticleEmitter::randomizeShape(Body& body) {
    const Shape* baseShape = particleBaseEntity->body ? particleBaseEntity->body->shape : nullptr;
    const Shape* varianceShape = particleVarianceBody->shape;
    Shape* shape = body.shape;
    // A variance shape of another kind holds other fields: it varies nothing then.
    if (!baseShape || !varianceShape || !shape) return;
    if (varianceShape->shapeType != baseShape->shapeType || shape->shapeType != baseShape->shapeType) return;
    const Body* ownerBodyNow = ownerBody();
    const bool scaled = sizeRelative && ownerBodyNow != nullptr;

    switch (baseShape->shapeType) {
    case Shape::RectKind:
        varySize<Rect>(*shape, *baseShape, *varianceShape, scaled ? ownerBodyNow : nullptr);
        break;
    case Shape::PlaneKind:
        varySize<Plane>(*shape, *baseShape, *varianceShape, scaled ? ownerBodyNow : nullptr);
        break;
    case Shape::SphereKind: {
        const float r = randomSigned();
        auto& target = static_cast<Sphere&>(*shape);
        target.radius =
            static_cast<const Sphere&>(*baseShape).radius + r * static_cast<const Sphere&>(*varianceShape).radius;
        if (scaled) target.radius *= shapeRadius(*ownerBodyNow);
        break;
    }
    case Shape::CapsuleKind: {
        const auto& from = static_cast<const Capsule&>(*baseShape);
        const auto& spread = static_cast<const Capsule&>(*varianceShape);
        auto& target = static_cast<Capsule&>(*shape);
        const float r1 = randomSigned();
        target.radius = from.radius + r1 * spread.radius;
        const float r2 = randomSigned();
        target.setLength(from.length + r2 * spread.length);
        const float r3 = randomSigned();
        const float r4 = randomSigned();
        const float r5 = randomSigned();
        const Vector4 direction = from.direction + spread.direction * Vector4(r3, r4, r5, 0.0f);
        const float length = std::sqrt(dot4(direction, direction));
        // A direction that cancels out keeps the template's.
        target.direction = length > 0.0f && std::isfinite(length) ? direction / length : from.direction;
        if (scaled) {
            const float radius = shapeRadius(*ownerBodyNow);
            target.radius *= radius;
            target.setLength(target.length * radius);
        }
        break;
    }
    default:
        break;
    }
}

void ParticleEmitter::draw(const Matrix& ownerWorld, Camera& camera) {
    Body* ownerBodyNow = ownerBody();
    if (ownerBodyNow == nullptr || currentGameState == nullptr) return;
    ensureTemplates();

    float extent = boundingRadiusOrZero(particleBaseEntity->body) + boundingRadiusOrZero(particleVarianceBody.get());
    if (sizeRelative) extent *= shapeRadius(*ownerBodyNow);
    const float radius = std::sqrt(maxDistanceSquared) + extent;
    if (!cullingBody) {
        cullingBody = std::make_unique<Body>();
        cullingBody->setShape(new Sphere(radius));
    }
    cullingBody->position = ownerBodyNow->position;
    static_cast<Sphere*>(cullingBody->shape)->radius = radius;
    if (camera.isCulled(*cullingBody)) return;

    ParticleShader& shader = currentGameState->get<ParticleShader>("particleShader");
    if (blendMode != 0) glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    // Sprites are flat: whichever way a quad's corners wind, both of its sides show.
    const bool culling = glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    if (culling) glDisable(GL_CULL_FACE);
    shader.setCamera(camera);

    // Every particle faces the camera: the camera's orientation turned half a turn about its up axis.
    const Quaternion view = camera.getOrientation();
    const Vector4 up = quaternionRotate(view, Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    const float half = 1.5707964f;
    const Quaternion flip(up.x() * std::sin(half), up.y() * std::sin(half), up.z() * std::sin(half), std::cos(half));
    const Quaternion facing = quaternionMultiply(flip, view);
    const Vector4 facingLanes = facing.toVector4();
    const Quaternion rotation(facingLanes * (1.5f - 0.5f * dot4(facingLanes, facingLanes)));

    const Matrix follow = Matrix::makeTranslation(ownerWorld.columns[3]);
    for (Particle& record : particles) {
        if (!record.inUse) continue;
        Graphics* graphics = record.entity.graphics;
        Body* body = record.entity.body;
        if (graphics == nullptr || body == nullptr || graphics->disabled) continue;
        body->rotation = rotation;
        Matrix world = getBodyWorldMatrix(*body);
        if (attachedToOwner) world = follow * world;
        graphics->drawInPass(world, camera);
    }

    shader.endPass();
    if (culling) glEnable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
