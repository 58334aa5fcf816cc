// The half-line: its tests against the solid kinds, with the hit distance that orders ray queries.
#include "physics/Ray.h"

#include <cmath>

#include "core/SerializeType.h"
#include "physics/Capsule.h"
#include "physics/Intersection.h"
#include "physics/OBB.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"

bool Ray::intersectWithDistance(const Ray& ray, const Shape& other, Vector4& normal, float& depth,
                                float& distance) {
    normal = Vector4();
    depth = 0.0f;
    distance = 0.0f;
    Vector4 origin = ray.getPosition();
    bool hit = false;
    switch (other.shapeType) {
    case RectKind: {
        const Rect& box = static_cast<const Rect&>(other);
        if (!rayMayHit(origin, ray.direction, box.getPosition(), dot3(box.size, box.size))) return false;
        hit = intersectRayRect(origin, ray.direction, box.getPosition(), box.size, normal, depth, distance);
        break;
    }
    case SphereKind: {
        const Sphere& ball = static_cast<const Sphere&>(other);
        hit = intersectRaySphere(origin, ray.direction, ball.getPosition(), ball.radius, normal, depth, distance);
        break;
    }
    case CapsuleKind: {
        const Capsule& capsule = static_cast<const Capsule&>(other);
        float core = capsule.length * capsule.length * dot4(capsule.direction, capsule.direction);
        float reach = 2.0f * (core + capsule.radius * capsule.radius);
        if (!rayMayHit(origin, ray.direction, capsule.getPosition(), reach)) return false;
        hit = intersectRayCapsule(origin, ray.direction, capsule.getPosition(), capsule.direction, capsule.length,
                                  capsule.radius, normal, depth, distance);
        break;
    }
    case OBBKind: {
        const OBB& box = static_cast<const OBB&>(other);
        if (!rayMayHit(origin, ray.direction, box.getPosition(), dot3(box.size, box.size))) return false;
        hit = intersectRayOBB(origin, ray.direction, box.getPosition(), box.getRotation(), box.size, normal, depth,
                              distance);
        break;
    }
    default:
        // Rays and flat shapes are never hit.
        break;
    }
    if (hit && !std::isfinite(distance)) hit = false;
    if (!acceptContact(hit, normal, depth)) {
        distance = 0.0f;
        return false;
    }
    return true;
}

bool Ray::intersect(const Shape& other, Vector4& normal, float& depth) const {
    float distance;
    return intersectWithDistance(*this, other, normal, depth, distance);
}

Shape* Ray::clone() const { return new Ray(*this); }

void Ray::setLength(float value) {
    if (!(value > 0.0f) || std::isinf(value)) return;
    length = value;
}

namespace {
// The block of a saved Ray: its keys in this order, then "end".
const Field<Ray> rayFields[] = {
    field<&Ray::direction>("direction"),
};
}  // namespace

void Ray::write(BaseOutStream& out, int version) const { writeFields(out, *this, rayFields); }

void Ray::read(BaseInStream& in, int version) { readFields(in, *this, rayFields); }
