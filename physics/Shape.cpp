// What every collision shape shares: its place from the owner body and the world matrix it is drawn with.
#include "physics/Shape.h"

#include <cmath>

#include "physics/Body.h"
#include "physics/Intersection.h"

Shape::~Shape() = default;

Vector4 Shape::getPosition() const { return body ? body->position : Vector4(0.0f, 0.0f, 0.0f, 1.0f); }

Quaternion Shape::getRotation() const { return body ? body->rotation : Quaternion(); }

Matrix Shape::composeTransform(Quaternion q, Vector4 scale) const {
    quaternionNormalize(q);
    Matrix world = Matrix::makeTranslation(getPosition());
    world.multiplyInPlace(Matrix::fromQuaternion(q));
    world.multiplyInPlace(Matrix::makeScale(scale));
    return world;
}

bool Shape::acceptContact(bool hit, Vector4& normal, float& depth) {
    if (hit && isFiniteVector(normal) && std::isfinite(depth)) return true;
    normal = Vector4();
    depth = 0.0f;
    return false;
}
