// A ball of "radius" around the owner body's position: the hero's shape.
#pragma once

#include "physics/Shape.h"

class Sphere : public Shape {
public:
    Sphere() : Sphere(1.0f) {}
    explicit Sphere(float radius) : Shape(SphereKind), radius(radius) {}

    void write(BaseOutStream& out, int version) const override;
    bool intersect(const Shape& other, Vector4& normal, float& depth) const override;
    Shape* clone() const override;
    // Only a positive radius is scaled.
    void scale(float factor) override;
    Matrix transform() const override;
    float getBoundingRadius() const override { return radius; }
    Vector4 getSize() const override { return Vector4(radius, radius, radius, 0.0f); }
    void read(BaseInStream& in, int version) override;

    float radius;
};
