// The capsule: its pair dispatch, scaling, guarded length and the transform turned from its direction.
#include "physics/Capsule.h"

#include <cmath>

#include "core/SerializeType.h"
#include "physics/Intersection.h"
#include "physics/Ray.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"

bool Capsule::intersect(const Shape& other, Vector4& normal, float& depth) const {
    normal = Vector4();
    depth = 0.0f;
    Vector4 centre = getPosition();
    bool hit = false;
    switch (other.shapeType) {
    case RectKind: {
        const Rect& box = static_cast<const Rect&>(other);
        hit = intersectCapsuleRect(centre, direction, length, box.getPosition(), box.size, normal, depth);
        break;
    }
    case SphereKind: {
        const Sphere& ball = static_cast<const Sphere&>(other);
        hit = intersectCapsuleSphere(centre, direction, length, radius, ball.getPosition(), ball.radius, normal,
                                     depth);
        break;
    }
    case CapsuleKind: {
        const Capsule& capsule = static_cast<const Capsule&>(other);
        hit = intersectCapsuleCapsule(centre, direction, length, radius, capsule.getPosition(), capsule.direction,
                                      capsule.length, capsule.radius, normal, depth);
        break;
    }
    case RayKind: {
        const Ray& ray = static_cast<const Ray&>(other);
        float distance;
        hit = intersectRayCapsule(ray.getPosition(), ray.direction, centre, direction, length, radius, normal, depth,
                                  distance);
        normal = -normal;
        break;
    }
    default:
        break;
    }
    return acceptContact(hit, normal, depth);
}

Shape* Capsule::clone() const { return new Capsule(*this); }

void Capsule::scale(float factor) {
    if (radius > 0.0f && length > 0.0f) {
        radius *= factor;
        length *= factor;
    }
}

void Capsule::setLength(float value) {
    if (!(value > 0.0f) || std::isinf(value)) return;
    length = value;
}

Matrix Capsule::transform() const {
    return composeTransform(quaternionFromDirection(direction), Vector4(length, radius, radius, 0.0f));
}

Vector4 Capsule::getSize() const {
    return direction * Vector4(length, length, length, 0.0f) + Vector4(radius, radius, radius, 0.0f);
}

namespace {
// The block of a saved Capsule: its keys in this order, then "end".
const Field<Capsule> capsuleFields[] = {
    field<&Capsule::radius>("radius"),
    field<&Capsule::direction>("direction"),
    field<&Capsule::length>("length"),
};
const auto& registeredType = registerType<Capsule>();
}  // namespace

void Capsule::write(BaseOutStream& out, int version) const { writeFields(out, *this, capsuleFields); }

void Capsule::read(BaseInStream& in, int version) { readFields(in, *this, capsuleFields); }
