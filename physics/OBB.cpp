// The turned box: only spheres and rays are tested against it.
#include "physics/OBB.h"

#include "core/SerializeType.h"
#include "physics/Intersection.h"
#include "physics/Ray.h"
#include "physics/Sphere.h"

bool OBB::intersect(const Shape& other, Vector4& normal, float& depth) const {
    normal = Vector4();
    depth = 0.0f;
    bool hit = false;
    switch (other.shapeType) {
    case SphereKind: {
        const Sphere& ball = static_cast<const Sphere&>(other);
        hit = intersectSphereOBB(ball.getPosition(), ball.radius, getPosition(), getRotation(), size, normal, depth);
        normal = -normal;
        break;
    }
    case RayKind: {
        const Ray& ray = static_cast<const Ray&>(other);
        float distance;
        hit = intersectRayOBB(ray.getPosition(), ray.direction, getPosition(), getRotation(), size, normal, depth,
                              distance);
        normal = -normal;
        break;
    }
    default:
        break;
    }
    return acceptContact(hit, normal, depth);
}

Shape* OBB::clone() const { return new OBB(*this); }

namespace {
// Saved with the block of Rect.
const auto& registeredType = registerType<OBB>();
}  // namespace
