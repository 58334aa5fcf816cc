// A box along the world axes with half extents "size", centred on the owner body's position.
#pragma once

#include "physics/Shape.h"

class Rect : public Shape {
public:
    Rect() : Shape(RectKind), size(1.0f, 1.0f, 1.0f, 0.0f) {}

    void write(BaseOutStream& out, int version) const override;
    bool intersect(const Shape& other, Vector4& normal, float& depth) const override;
    Shape* clone() const override;
    // Only a box with all three half extents positive is scaled; w becomes 0.
    void scale(float factor) override;
    Matrix transform() const override;
    float getBoundingRadius() const override;
    Vector4 getSize() const override { return size; }
    void read(BaseInStream& in, int version) override;

    Vector4 size;

protected:
    explicit Rect(int kind) : Shape(kind), size(1.0f, 1.0f, 1.0f, 0.0f) {}
};
