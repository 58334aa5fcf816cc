// Quaternion products, rotation of vectors, the cheap normalisation step and orientations from directions.
#include "core/Quaternion.h"

#include <cmath>

#include "core/Matrix.h"

Quaternion quaternionMultiply(Quaternion a, Quaternion b) {
    // x = aw bx + ax bw + ay bz - az by, and its rotations; w = aw bw - ax bx - ay by - az bz.
    const __m128 lastNegated = _mm_setr_ps(0.0f, 0.0f, 0.0f, -0.0f);
    __m128 term1 = _mm_mul_ps(_mm_shuffle_ps(a.m, a.m, _MM_SHUFFLE(3, 3, 3, 3)), b.m);
    __m128 term2 = _mm_mul_ps(_mm_shuffle_ps(a.m, a.m, _MM_SHUFFLE(0, 2, 1, 0)),
                              _mm_shuffle_ps(b.m, b.m, _MM_SHUFFLE(0, 3, 3, 3)));
    __m128 term3 = _mm_mul_ps(_mm_shuffle_ps(a.m, a.m, _MM_SHUFFLE(1, 0, 2, 1)),
                              _mm_shuffle_ps(b.m, b.m, _MM_SHUFFLE(1, 1, 0, 2)));
    __m128 term4 = _mm_mul_ps(_mm_shuffle_ps(a.m, a.m, _MM_SHUFFLE(2, 1, 0, 2)),
                              _mm_shuffle_ps(b.m, b.m, _MM_SHUFFLE(2, 0, 2, 1)));
    __m128 signedMiddle = _mm_xor_ps(_mm_add_ps(term2, term3), lastNegated);
    return Quaternion(_mm_sub_ps(_mm_add_ps(term1, signedMiddle), term4));
}

Vector4 quaternionRotate(Quaternion q, Vector4 v) {
    Quaternion turned = quaternionMultiply(quaternionMultiply(q, Quaternion(v)), quaternionConjugate(q));
    return turned.toVector4();
}

void quaternionNormalize(Quaternion& q) {
    __m128 lengthSquared = horizontalSum(_mm_mul_ps(q.m, q.m));
    __m128 factor = _mm_sub_ps(_mm_set1_ps(1.5f), _mm_mul_ps(_mm_set1_ps(0.5f), lengthSquared));
    q.m = _mm_mul_ps(q.m, factor);
}

Quaternion quaternionNormalized(Quaternion q) {
    quaternionNormalize(q);
    return q;
}

Quaternion quaternionFromAxisAngle(Vector4 axis, float angle) {
    float half = angle * 0.5f;
    float s = std::sin(half);
    float c = std::cos(half);
    Vector4 vectorPart = zeroVectorComponent(axis * s, 3);
    vectorPart.setW(c);
    return Quaternion(vectorPart);
}

void directionToYawPitch(Vector4 direction, float& yaw, float& pitch) {
    yaw = std::atan2(-direction.z(), direction.x());
    Vector4 level = Matrix::makeRotationY(-yaw).transform(direction);
    pitch = std::atan2(level.y(), level.x());
}

Quaternion quaternionFromDirection(Vector4 direction) {
    float yaw = 0.0f, pitch = 0.0f;
    directionToYawPitch(direction, yaw, pitch);
    float halfYaw = yaw * 0.5f;
    float halfPitch = pitch * 0.5f;
    Quaternion aboutY(0.0f, std::sin(halfYaw), 0.0f, std::cos(halfYaw));
    Quaternion aboutZ(0.0f, 0.0f, std::sin(halfPitch), std::cos(halfPitch));
    return quaternionMultiply(aboutY, aboutZ);
}
