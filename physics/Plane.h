// A flat textured shape (a particle's quad, a sign) drawn scaled by "size" and turned with its body.
// It collides as a sphere of a quarter of its bounding radius, with depth 0 and a reversed normal.
#pragma once

#include "physics/Shape.h"

class Plane : public Shape {
public:
    Plane() : Shape(PlaneKind), size(1.0f, 1.0f, 1.0f, 0.0f) {}

    void write(BaseOutStream& out, int version) const override;
    // The flat test, whatever other's kind: the normal points from the plane towards other.
    bool intersect(const Shape& other, Vector4& normal, float& depth) const override;
    Shape* clone() const override;
    // Scales all four lanes, always.
    void scale(float factor) override { size = size * factor; }
    // The y scale follows the aspect of the owner's texture.
    Matrix transform() const override;
    // The diagonal of x and y; the depth (z) is left out.
    float getBoundingRadius() const override;
    Vector4 getSize() const override { return size; }
    void read(BaseInStream& in, int version) override;

    Vector4 size;
};

// height / width of the texture the body's entity is drawn with; 1 when there is none or it has no width.
float planeTextureAspect(const Body* body);
