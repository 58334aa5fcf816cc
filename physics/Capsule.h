// A core segment from position - length * direction to position + length * direction, swept by "radius".
// The body's rotation plays no part; the drawn capsule is turned from its direction.
#pragma once

#include "physics/Shape.h"

class Capsule : public Shape {
public:
    Capsule() : Shape(CapsuleKind), direction(1.0f, 0.0f, 0.0f, 0.0f) {}

    void write(BaseOutStream& out, int version) const override;
    bool intersect(const Shape& other, Vector4& normal, float& depth) const override;
    Shape* clone() const override;
    // Scales radius and length together, only when both are positive.
    void scale(float factor) override;
    Matrix transform() const override;
    float getBoundingRadius() const override { return length + radius; }
    Vector4 getSize() const override;
    void read(BaseInStream& in, int version) override;

    // Ignores a length that is not positive or is infinite.
    void setLength(float value);

    float radius = 1.0f;
    Vector4 direction;
    float length = 1.0f;
};
