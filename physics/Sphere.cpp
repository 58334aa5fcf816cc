// The ball: its pair dispatch (the hero is always one, so this is the hot path of a physics step).
#include "physics/Sphere.h"

#include "core/SerializeType.h"
#include "physics/Capsule.h"
#include "physics/Intersection.h"
#include "physics/OBB.h"
#include "physics/Plane.h"
#include "physics/Ray.h"

bool Sphere::intersect(const Shape& other, Vector4& normal, float& depth) const {
    normal = Vector4();
    depth = 0.0f;
    Vector4 centre = getPosition();
    bool hit = false;
    switch (other.shapeType) {
    case RectKind: {
        const Rect& box = static_cast<const Rect&>(other);
        if (!mayTouch(box.getPosition() - centre, dot3(box.size, box.size), radius * radius)) return false;
        hit = intersectRectSphere(box.getPosition(), box.size, centre, radius, normal, depth);
        normal = -normal;
        break;
    }
    case SphereKind: {
        const Sphere& ball = static_cast<const Sphere&>(other);
        hit = intersectSphereSphere(centre, radius, ball.getPosition(), ball.radius, normal, depth);
        break;
    }
    case CapsuleKind: {
        const Capsule& capsule = static_cast<const Capsule&>(other);
        float core = capsule.length * capsule.length * dot4(capsule.direction, capsule.direction);
        float reach = capsule.radius + radius;
        if (!mayTouch(capsule.getPosition() - centre, core, reach * reach)) return false;
        hit = intersectCapsuleSphere(capsule.getPosition(), capsule.direction, capsule.length, capsule.radius,
                                     centre, radius, normal, depth);
        normal = -normal;
        break;
    }
    case RayKind: {
        const Ray& ray = static_cast<const Ray&>(other);
        float distance;
        hit = intersectRaySphere(ray.getPosition(), ray.direction, centre, radius, normal, depth, distance);
        normal = -normal;
        break;
    }
    case OBBKind: {
        const OBB& box = static_cast<const OBB&>(other);
        if (!mayTouch(box.getPosition() - centre, dot3(box.size, box.size), radius * radius)) return false;
        hit = intersectSphereOBB(centre, radius, box.getPosition(), box.getRotation(), box.size, normal, depth);
        break;
    }
    case PlaneKind:
        hit = intersectPlaneShape(other.getPosition(), other.getBoundingRadius(), centre, radius, normal, depth);
        normal = -normal;
        break;
    default:
        break;
    }
    return acceptContact(hit, normal, depth);
}

Shape* Sphere::clone() const { return new Sphere(*this); }

void Sphere::scale(float factor) {
    if (radius > 0.0f) radius *= factor;
}

Matrix Sphere::transform() const { return composeTransform(getRotation(), Vector4(radius, radius, radius, 0.0f)); }

namespace {
// The block of a saved Sphere: its keys in this order, then "end".
const Field<Sphere> sphereFields[] = {
    field<&Sphere::radius>("radius"),
};
const auto& registeredType = registerType<Sphere>();
}  // namespace

void Sphere::write(BaseOutStream& out, int version) const { writeFields(out, *this, sphereFields); }

void Sphere::read(BaseInStream& in, int version) { readFields(in, *this, sphereFields); }
