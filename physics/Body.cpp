// The rigid-body component: integration with drag and rolling, the hero's sweep, copies and the saved form.
#include "physics/Body.h"

#include <cmath>

#include "core/SerializeType.h"
#include "physics/Physics.h"
#include "physics/Ray.h"
#include "physics/Shape.h"
#include "physics/Sphere.h"

namespace {

Vector4 lanes3(float value) { return Vector4(value, value, value, 0.0f); }

// The shape field frees the shape it replaces (a plain pointer read would leak it).
void readShapeField(BaseInStream& in, Body& body) {
    Shape* shape = body.shape;
    readValue(in, shape);
    if (shape != body.shape) body.setShape(shape);
}

void writeShapeField(BaseOutStream& out, const Body& body) { writeValue(out, body.shape); }

Field<Body> shapeField() {
    Field<Body> entry = field<&Body::shape>("shape");
    entry.read = &readShapeField;
    entry.write = &writeShapeField;
    return entry;
}

// The keys of a saved body, in this order, then "end".
const Field<Body> bodyFields[] = {
    field<&Body::position>("position"),
    field<&Body::rotation>("rotation"),
    field<&Body::velocity>("velocity"),
    field<&Body::acceleration>("acceleration"),
    field<&Body::mass>("mass"),
    field<&Body::drag>("drag"),
    field<&Body::restitution>("restitution"),
    field<&Body::accumulatedForce>("accumulatedForce"),
    shapeField(),
    field<&Body::resolve>("resolve"),
    field<&Body::collides>("collides"),
};

const auto& registeredType = registerType<Body>();

}  // namespace

Body::Body() : position(0.0f, 0.0f, 0.0f, 1.0f), previousPosition(0.0f, 0.0f, 0.0f, 1.0f) {}

Body::Body(const Body& other)
    : Component(),
      rotation(quaternionNormalized(other.rotation)),
      position(other.position),
      previousPosition(other.position),
      velocity(other.velocity),
      acceleration(other.acceleration),
      mass(other.mass),
      inverseMass(other.inverseMass),
      drag(other.drag),
      restitution(other.restitution),
      accumulatedForce(other.accumulatedForce),
      resolve(other.resolve),
      collides(other.collides) {
    if (other.shape) setShape(other.shape->clone());
}

Body::~Body() {
    if (physics) physics->removeBody(this);
    delete shape;
    delete sweepRay;
}

Component* Body::clone() const { return new Body(*this); }

void Body::read(BaseInStream& in, int version) {
    if (version >= 1) {
        int baseVersion = readBaseHeader(in);
        Component::read(in, baseVersion);
    }
    readFields(in, *this, bodyFields);
    setMass(mass);
    if (shape) shape->body = this;
    previousPosition = position;
}

void Body::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, Component::getVersion(), "Component");
    Component::write(out, Component::getVersion());
    writeBaseEnd(out);
    writeFields(out, *this, bodyFields);
}

void Body::initialize() {
    Component::initialize();
    if (Physics* world = currentPhysics()) world->addBody(this);
}

void Body::setMass(float value) {
    mass = value;
    inverseMass = value == 0.0f ? 0.0f : 1.0f / value;
}

void Body::setShape(Shape* newShape) {
    if (newShape == shape) return;
    delete shape;
    shape = newShape;
    if (shape) shape->body = this;
}

void Body::setSweepRay(Ray* ray) {
    if (ray == sweepRay) return;
    delete sweepRay;
    sweepRay = ray;
    if (sweepRay) sweepRay->body = this;
}

void Body::integrate(float dt) {
    previousPosition = position;
    velocity = acceleration * lanes3(dt) + accumulatedForce * lanes3(inverseMass) + velocity;
    accumulatedForce = Vector4();
    // Not clamped: a drag beyond one step's worth reverses the velocity, as tuned levels expect.
    float damping = 1.0f - drag * dt * 60.0f;
    velocity = velocity * lanes3(damping);
    Vector4 displacement = velocity * dt;
    position = position + displacement;

    // Only a ball rolls, and only a move across the floor turns it (each axis about the other one).
    float dx = displacement.x(), dz = displacement.z();
    if ((dx == 0.0f && dz == 0.0f) || !shape || shape->shapeType != Shape::SphereKind) return;
    float radius = static_cast<const Sphere*>(shape)->radius;
    // A ball without a radius cannot roll.
    if (!(radius > 0.0f)) return;
    if (dz != 0.0f) {
        float a = dz / radius * 0.5f;
        rotation = quaternionNormalized(quaternionMultiply(Quaternion(std::sin(a), 0.0f, 0.0f, std::cos(a)), rotation));
    }
    if (dx != 0.0f) {
        float b = dx / radius * 0.5f;
        rotation = quaternionNormalized(quaternionMultiply(Quaternion(0.0f, 0.0f, std::sin(b), -std::cos(b)), rotation));
    }
}

void Body::sweep() {
    if (!sweepRay) return;
    Vector4 target = position;
    Vector4 travel = target - previousPosition;
    float length = std::sqrt(dot4(travel, travel));
    // A body that did not move has nothing to pass through (and no direction to look in).
    if (!(length > 0.0f) || !std::isfinite(length)) return;
    Vector4 direction = travel / length;
    position = previousPosition;
    sweepRay->body = this;
    sweepRay->direction = direction;

    float radius = 0.0f;
    if (shape) {
        radius = shape->shapeType == Shape::SphereKind ? static_cast<const Sphere*>(shape)->radius
                                                       : shape->getBoundingRadius();
    }
    std::map<float, Body*> hits = physics ? physics->castRay(*sweepRay) : castRay(*sweepRay);
    for (const auto& [distance, hit] : hits) {
        // Its own ball and what lies within its radius are where it already is.
        if (hit == this || !hit->resolve || distance < radius) continue;
        if (length > distance) target = previousPosition + zeroVectorComponent(direction * (distance - 0.5f * radius), 3);
        break;
    }
    position = target;
}
