// Orientations as four floats (x, y, z, w) in one SSE register; (x, y, z) is the vector part, w the scalar.
// The rotation functions assume unit quaternions; quaternionNormalize nudges a nearly-unit one back.
#pragma once

#include "core/Vector4.h"

class alignas(16) Quaternion {
public:
    __m128 m;

    // The identity orientation (0, 0, 0, 1).
    Quaternion() : m(_mm_setr_ps(0.0f, 0.0f, 0.0f, 1.0f)) {}
    Quaternion(float x, float y, float z, float w) : m(_mm_setr_ps(x, y, z, w)) {}
    explicit Quaternion(__m128 value) : m(value) {}
    // The same four lanes read as a quaternion.
    explicit Quaternion(Vector4 v) : m(v.m) {}

    Vector4 toVector4() const { return Vector4(m); }

    float x() const { return Vector4(m).x(); }
    float y() const { return Vector4(m).y(); }
    float z() const { return Vector4(m).z(); }
    float w() const { return Vector4(m).w(); }
    float get(int lane) const { return Vector4(m).get(lane); }
    float operator[](int lane) const { return get(lane); }

    void set(int lane, float value) {
        Vector4 v(m);
        v.set(lane, value);
        m = v.m;
    }
    void setX(float value) { set(0, value); }
    void setY(float value) { set(1, value); }
    void setZ(float value) { set(2, value); }
    void setW(float value) { set(3, value); }

    const float* data() const { return reinterpret_cast<const float*>(&m); }
    float* data() { return reinterpret_cast<float*>(&m); }
};

inline bool operator==(Quaternion a, Quaternion b) { return Vector4(a.m) == Vector4(b.m); }
inline bool operator!=(Quaternion a, Quaternion b) { return !(a == b); }

// (-x, -y, -z, w): the inverse rotation of a unit quaternion.
inline Quaternion quaternionConjugate(Quaternion q) {
    const __m128 signs = _mm_setr_ps(-0.0f, -0.0f, -0.0f, 0.0f);
    return Quaternion(_mm_xor_ps(q.m, signs));
}

// Hamilton product a * b.
Quaternion quaternionMultiply(Quaternion a, Quaternion b);

// q * v * conjugate(q) with v taken as a quaternion in all four lanes, so a unit q keeps v.w.
Vector4 quaternionRotate(Quaternion q, Vector4 v);

// One correction step towards unit length: every lane times 1.5 - 0.5 * (x² + y² + z² + w²).
// Only quaternions already close to unit length come out close to it.
void quaternionNormalize(Quaternion& q);
Quaternion quaternionNormalized(Quaternion q);

// (axis * sin(angle / 2), cos(angle / 2)); axis.w is dropped and the axis is not normalised.
Quaternion quaternionFromAxisAngle(Vector4 axis, float angle);

// yaw = atan2(-d.z, d.x); pitch is the elevation of d once it is turned back by that yaw about +Y.
void directionToYawPitch(Vector4 direction, float& yaw, float& pitch);

// The orientation that turns +X onto the direction d: a yaw about +Y times a pitch about +Z.
// A zero vector gives the identity.
Quaternion quaternionFromDirection(Vector4 direction);
