// A half-line from the owner body's position along "direction", without end: the hero's sweep ray and
// the camera's sight lines. Made only by code, never read from a level.
#pragma once

#include "physics/Shape.h"

class Ray : public Shape {
public:
    Ray() : Shape(RayKind), direction(1.0f, 0.0f, 0.0f, 0.0f) {}
    explicit Ray(Vector4 direction) : Shape(RayKind), direction(direction) {}

    void write(BaseOutStream& out, int version) const override;
    bool intersect(const Shape& other, Vector4& normal, float& depth) const override;
    Shape* clone() const override;
    void scale(float factor) override {}
    Matrix transform() const override { return Matrix(); }
    float getBoundingRadius() const override { return 0.0f; }
    Vector4 getSize() const override { return Vector4(); }
    void read(BaseInStream& in, int version) override;

    // The ray test against other, also giving the hit distance along the ray in units of the direction's
    // length (for a sphere: where the ray passes nearest to its centre).
    static bool intersectWithDistance(const Ray& ray, const Shape& other, Vector4& normal, float& depth,
                                      float& distance);

    // A reach that callers may keep with the ray (the pair tests treat it as unbounded); ignores a value
    // that is not positive or is infinite, as the capsule's setter does.
    void setLength(float value);

    Vector4 direction;
    float length = 1.0f;
};
