// The box of Rect turned by the owner body's rotation.
#pragma once

#include "physics/Rect.h"

class OBB : public Rect {
public:
    OBB() : Rect(OBBKind) {}

    bool intersect(const Shape& other, Vector4& normal, float& depth) const override;
    Shape* clone() const override;
};
