// The flat shape: collides as a small sphere whatever it meets; drawn with its texture's aspect.
#include "physics/Plane.h"

#include <cmath>

#include "core/SerializeType.h"
#include "engine/Entity.h"
#include "graphics/Graphics.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Intersection.h"

bool Plane::intersect(const Shape& other, Vector4& normal, float& depth) const {
    normal = Vector4();
    depth = 0.0f;
    bool hit = intersectPlaneShape(getPosition(), getBoundingRadius(), other.getPosition(), other.getBoundingRadius(),
                                   normal, depth);
    return acceptContact(hit, normal, depth);
}

Shape* Plane::clone() const { return new Plane(*this); }

float Plane::getBoundingRadius() const { return std::sqrt(size.x() * size.x() + size.y() * size.y()); }

Matrix Plane::transform() const {
    float aspect = planeTextureAspect(body);
    return composeTransform(getRotation(), Vector4(size.x(), size.y() * aspect, size.z(), 0.0f));
}

namespace {
// The block of a saved Plane: its keys in this order, then "end".
const Field<Plane> planeFields[] = {
    field<&Plane::size>("size"),
};
const auto& registeredType = registerType<Plane>();
}  // namespace

void Plane::write(BaseOutStream& out, int version) const { writeFields(out, *this, planeFields); }

void Plane::read(BaseInStream& in, int version) { readFields(in, *this, planeFields); }

float planeTextureAspect(const Body* body) {
    Entity* owner = body ? body->getOwner() : nullptr;
    Graphics* graphics = owner ? owner->graphics : nullptr;
    Texture* texture = graphics ? graphics->getTexture() : nullptr;
    // A texture without width (not loaded, or a missed lookup) has no aspect to follow.
    if (!texture || texture->getWidth() == 0) return 1.0f;
    float aspect = static_cast<float>(texture->getHeight()) / static_cast<float>(texture->getWidth());
    return std::isfinite(aspect) ? aspect : 1.0f;
}
