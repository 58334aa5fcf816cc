// Four floats in one SSE register: positions (w = 1), directions (w = 0) and colours (r, g, b, a).
// Passed and returned by value; anything holding one must sit on a 16-byte boundary.
#pragma once

#include <xmmintrin.h>
#include <emmintrin.h>

#include <cmath>

class alignas(16) Vector4 {
public:
    __m128 m;

    // Zero in every lane.
    Vector4() : m(_mm_setzero_ps()) {}
    Vector4(float x, float y, float z, float w) : m(_mm_setr_ps(x, y, z, w)) {}
    explicit Vector4(__m128 value) : m(value) {}

    // The same value in all four lanes.
    static Vector4 splat(float value) { return Vector4(_mm_set1_ps(value)); }
    // Four floats from memory (need not be aligned).
    static Vector4 load(const float* values) { return Vector4(_mm_loadu_ps(values)); }

    float x() const { return _mm_cvtss_f32(m); }
    float y() const { return _mm_cvtss_f32(_mm_shuffle_ps(m, m, _MM_SHUFFLE(1, 1, 1, 1))); }
    float z() const { return _mm_cvtss_f32(_mm_shuffle_ps(m, m, _MM_SHUFFLE(2, 2, 2, 2))); }
    float w() const { return _mm_cvtss_f32(_mm_shuffle_ps(m, m, _MM_SHUFFLE(3, 3, 3, 3))); }

    // Lane 0 to 3; an index outside that range is masked into it.
    float get(int lane) const {
        alignas(16) float values[4];
        _mm_store_ps(values, m);
        return values[lane & 3];
    }
    float operator[](int lane) const { return get(lane); }

    void set(int lane, float value) {
        alignas(16) float values[4];
        _mm_store_ps(values, m);
        values[lane & 3] = value;
        m = _mm_load_ps(values);
    }
    void setX(float value) { set(0, value); }
    void setY(float value) { set(1, value); }
    void setZ(float value) { set(2, value); }
    void setW(float value) { set(3, value); }

    // Writes the four lanes to memory (need not be aligned).
    void store(float* out) const { _mm_storeu_ps(out, m); }
    // The four floats in lane order, for handing to GL.
    const float* data() const { return reinterpret_cast<const float*>(&m); }
    float* data() { return reinterpret_cast<float*>(&m); }

    Vector4& operator+=(Vector4 other) { m = _mm_add_ps(m, other.m); return *this; }
    Vector4& operator-=(Vector4 other) { m = _mm_sub_ps(m, other.m); return *this; }
    Vector4& operator*=(Vector4 other) { m = _mm_mul_ps(m, other.m); return *this; }
    Vector4& operator/=(Vector4 other) { m = _mm_div_ps(m, other.m); return *this; }
    Vector4& operator*=(float s) { m = _mm_mul_ps(m, _mm_set1_ps(s)); return *this; }
    Vector4& operator/=(float s) { m = _mm_div_ps(m, _mm_set1_ps(s)); return *this; }
};

inline Vector4 operator+(Vector4 a, Vector4 b) { return Vector4(_mm_add_ps(a.m, b.m)); }
inline Vector4 operator-(Vector4 a, Vector4 b) { return Vector4(_mm_sub_ps(a.m, b.m)); }
inline Vector4 operator*(Vector4 a, Vector4 b) { return Vector4(_mm_mul_ps(a.m, b.m)); }
inline Vector4 operator/(Vector4 a, Vector4 b) { return Vector4(_mm_div_ps(a.m, b.m)); }
inline Vector4 operator*(Vector4 a, float s) { return Vector4(_mm_mul_ps(a.m, _mm_set1_ps(s))); }
inline Vector4 operator*(float s, Vector4 a) { return Vector4(_mm_mul_ps(a.m, _mm_set1_ps(s))); }
inline Vector4 operator/(Vector4 a, float s) { return Vector4(_mm_div_ps(a.m, _mm_set1_ps(s))); }
// Flips the sign bit of every lane.
inline Vector4 operator-(Vector4 a) { return Vector4(_mm_xor_ps(a.m, _mm_set1_ps(-0.0f))); }

// Exact lane-by-lane comparison (so -0 equals 0 and NaN equals nothing).
inline bool operator==(Vector4 a, Vector4 b) { return _mm_movemask_ps(_mm_cmpeq_ps(a.m, b.m)) == 0xF; }
inline bool operator!=(Vector4 a, Vector4 b) { return !(a == b); }

inline Vector4 componentMin(Vector4 a, Vector4 b) { return Vector4(_mm_min_ps(a.m, b.m)); }
inline Vector4 componentMax(Vector4 a, Vector4 b) { return Vector4(_mm_max_ps(a.m, b.m)); }
inline Vector4 componentAbs(Vector4 a) { return Vector4(_mm_andnot_ps(_mm_set1_ps(-0.0f), a.m)); }

// Sum of the four lanes, broadcast to every lane.
inline __m128 horizontalSum(__m128 v) {
    __m128 swapped = _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1));
    __m128 pairs = _mm_add_ps(v, swapped);
    return _mm_add_ps(pairs, _mm_shuffle_ps(pairs, pairs, _MM_SHUFFLE(1, 0, 3, 2)));
}

inline float dot4(Vector4 a, Vector4 b) { return _mm_cvtss_f32(horizontalSum(_mm_mul_ps(a.m, b.m))); }

// Dot product of x, y and z; w takes no part.
inline float dot3(Vector4 a, Vector4 b) {
    const __m128 xyzMask = _mm_castsi128_ps(_mm_setr_epi32(-1, -1, -1, 0));
    return _mm_cvtss_f32(horizontalSum(_mm_and_ps(_mm_mul_ps(a.m, b.m), xyzMask)));
}

// Cross product of the x, y, z parts; the result's w is 0.
inline Vector4 cross3(Vector4 a, Vector4 b) {
    __m128 aYzx = _mm_shuffle_ps(a.m, a.m, _MM_SHUFFLE(3, 0, 2, 1));
    __m128 bYzx = _mm_shuffle_ps(b.m, b.m, _MM_SHUFFLE(3, 0, 2, 1));
    __m128 c = _mm_sub_ps(_mm_mul_ps(a.m, bYzx), _mm_mul_ps(aYzx, b.m));
    return Vector4(_mm_shuffle_ps(c, c, _MM_SHUFFLE(3, 0, 2, 1)));
}

inline float lengthSquared3(Vector4 v) { return dot3(v, v); }
inline float length3(Vector4 v) { return std::sqrt(dot3(v, v)); }

// x, y, z scaled to unit length, w kept; a zero-length vector comes back unchanged.
inline Vector4 normalized3(Vector4 v) {
    float length = length3(v);
    if (!(length > 0.0f)) return v;
    Vector4 result = v / length;
    result.setW(v.w());
    return result;
}

// v with lane n (0 to 3) set to 0, the other lanes unchanged.
inline Vector4 zeroVectorComponent(Vector4 v, int n) {
    alignas(16) static const int masks[4][4] = {
        {0, -1, -1, -1}, {-1, 0, -1, -1}, {-1, -1, 0, -1}, {-1, -1, -1, 0}};
    __m128 mask = _mm_castsi128_ps(_mm_load_si128(reinterpret_cast<const __m128i*>(masks[n & 3])));
    return Vector4(_mm_and_ps(v.m, mask));
}
