// The axis-aligned box: its pair dispatch, scaling and drawn transform (shared with OBB).
#include "physics/Rect.h"

#include <cmath>

#include "core/SerializeType.h"
#include "physics/Capsule.h"
#include "physics/Intersection.h"
#include "physics/Ray.h"
#include "physics/Sphere.h"

bool Rect::intersect(const Shape& other, Vector4& normal, float& depth) const {
    normal = Vector4();
    depth = 0.0f;
    Vector4 centre = getPosition();
    bool hit = false;
    switch (other.shapeType) {
    case RectKind: {
        const Rect& box = static_cast<const Rect&>(other);
        hit = intersectRectRect(centre, size, box.getPosition(), box.size, normal, depth);
        break;
    }
    case SphereKind: {
        const Sphere& ball = static_cast<const Sphere&>(other);
        hit = intersectRectSphere(centre, size, ball.getPosition(), ball.radius, normal, depth);
        break;
    }
    case CapsuleKind: {
        const Capsule& capsule = static_cast<const Capsule&>(other);
        hit = intersectCapsuleRect(capsule.getPosition(), capsule.direction, capsule.length, centre, size, normal,
                                   depth);
        normal = -normal;
        break;
    }
    case RayKind: {
        const Ray& ray = static_cast<const Ray&>(other);
        float distance;
        hit = intersectRayRect(ray.getPosition(), ray.direction, centre, size, normal, depth, distance);
        normal = -normal;
        break;
    }
    default:
        // A box against a turned box or a flat shape is not tested.
        break;
    }
    return acceptContact(hit, normal, depth);
}

Shape* Rect::clone() const { return new Rect(*this); }

void Rect::scale(float factor) {
    if (size.x() > 0.0f && size.y() > 0.0f && size.z() > 0.0f) size = size * Vector4(factor, factor, factor, 0.0f);
}

Matrix Rect::transform() const { return composeTransform(getRotation(), size); }

float Rect::getBoundingRadius() const {
    return std::sqrt(size.x() * size.x() + size.y() * size.y() + size.z() * size.z());
}

namespace {
// The block of a saved Rect: its keys in this order, then "end".
const Field<Rect> rectFields[] = {
    field<&Rect::size>("size"),
};
const auto& registeredType = registerType<Rect>();
}  // namespace

void Rect::write(BaseOutStream& out, int version) const { writeFields(out, *this, rectFields); }

void Rect::read(BaseInStream& in, int version) { readFields(in, *this, rectFields); }
