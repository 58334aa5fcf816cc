// Base of the collision shapes: a body's geometry, placed by its owner body's position (and, for the
// kinds that turn, its rotation). The pair dispatch switches on shapeType, not on the dynamic type.
#pragma once

#include "core/Matrix.h"
#include "core/Quaternion.h"
#include "core/Vector4.h"

class BaseInStream;
class BaseOutStream;
class Body;

class Shape {
public:
    // The kinds, as stored in shapeType.
    enum Kind : int { RectKind = 0, SphereKind = 1, CapsuleKind = 2, RayKind = 3, OBBKind = 4, PlaneKind = 5 };

    explicit Shape(int shapeType) : shapeType(shapeType) {}
    Shape(const Shape& other) = default;
    Shape& operator=(const Shape& other) = default;
    virtual ~Shape();

    // The format version of the kind's block.
    virtual int getVersion() const { return 0; }
    virtual void write(BaseOutStream& out, int version) const = 0;
    // Whether this shape and other overlap; normal points from other towards this shape (reversed for
    // a flat Plane), depth > 0 means overlap. Outputs are zero when there is no contact, and never NaN.
    virtual bool intersect(const Shape& other, Vector4& normal, float& depth) const = 0;
    // A new shape of the same kind with the same dimensions and body pointer.
    virtual Shape* clone() const = 0;
    virtual void scale(float factor) = 0;
    // The world matrix the owner's entity is drawn with: translation x rotation x scale.
    virtual Matrix transform() const = 0;
    virtual float getBoundingRadius() const = 0;
    virtual Vector4 getSize() const = 0;
    virtual void read(BaseInStream& in, int version) = 0;

    // The owner body's pose; a shape without a body sits at the origin, unturned.
    Vector4 getPosition() const;
    Quaternion getRotation() const;

    int shapeType;
    Body* body = nullptr;

protected:
    // T x R x S with R from a normalised copy of q; only x, y, z of scale count.
    Matrix composeTransform(Quaternion q, Vector4 scale) const;
    // Keeps a contact only when its normal and depth are finite; clears the outputs otherwise.
    static bool acceptContact(bool hit, Vector4& normal, float& depth);
};
