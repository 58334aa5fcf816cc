// 4x4 float transforms stored as four SSE columns (column-major, column 3 holds the translation).
// A matrix multiplies column vectors from the left: M * v.
#pragma once

#include "core/Quaternion.h"
#include "core/Vector4.h"

class BaseInStream;

// Registered as the serialisable class "Matrix" (read only: the game never writes one).
class Matrix {
public:
    // columns[j] is the image of the j-th basis vector.
    Vector4 columns[4];

    // The identity.
    Matrix();
    Matrix(Vector4 column0, Vector4 column1, Vector4 column2, Vector4 column3);
    Matrix(const Matrix& other) = default;
    Matrix& operator=(const Matrix& other) = default;
    virtual ~Matrix() = default;

    // Row i, column j.
    float get(int row, int column) const { return columns[column & 3].get(row); }
    void set(int row, int column, float value) { columns[column & 3].set(row, value); }

    // The sixteen floats in column order, as glUniformMatrix4fv expects without transposing.
    const float* data() const { return columns[0].data(); }

    // a * b: column j of the result is a applied to column j of b.
    static Matrix multiply(const Matrix& a, const Matrix& b);
    // This matrix becomes this * b (b may be this matrix itself).
    void multiplyInPlace(const Matrix& b);
    // this * v = column0 * v.x + column1 * v.y + column2 * v.z + column3 * v.w.
    Vector4 transform(Vector4 v) const;
    Matrix transpose() const;
    // Inverse by cofactors; a singular matrix gives infinities and NaNs (no check is made).
    Matrix inverse() const;

    // Identity with column 3 = (v.x, v.y, v.z, 1); v.w is ignored.
    static Matrix makeTranslation(Vector4 v);
    // Diagonal (v.x, v.y, v.z, 1).
    static Matrix makeScale(Vector4 v);
    // Rotation by angle (radians) about +Y: columns (c, 0, -s, 0), (0, 1, 0, 0), (s, 0, c, 0), (0, 0, 0, 1).
    static Matrix makeRotationY(float angle);
    // The rotation matrix of q; q is not normalised first.
    static Matrix fromQuaternion(Quaternion q);

    // Text form. Version 0: four Vector4 rows, row 0 first, no keys and no "end". Any other version:
    // "column0" to "column3" each with a Vector4, in any order, then "end"; a column not given keeps its
    // value. An unknown key is reported and stops the stream.
    int getVersion() const { return 1; }
    void read(BaseInStream& in, int version);
};

inline Matrix operator*(const Matrix& a, const Matrix& b) { return Matrix::multiply(a, b); }
inline Vector4 operator*(const Matrix& a, Vector4 v) { return a.transform(v); }

// Exact element-by-element comparison.
inline bool operator==(const Matrix& a, const Matrix& b) {
    return a.columns[0] == b.columns[0] && a.columns[1] == b.columns[1] && a.columns[2] == b.columns[2] &&
           a.columns[3] == b.columns[3];
}
inline bool operator!=(const Matrix& a, const Matrix& b) { return !(a == b); }
