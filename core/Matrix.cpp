// Matrix products, transpose, cofactor inverse and the standard transforms, all in four-lane SSE arithmetic.
#include "core/Matrix.h"

#include <cmath>
#include <string>

#include "core/SerializeType.h"
#include "core/TextFormat.h"

namespace {
const auto& matrixType = registerType<Matrix>();
}

Matrix::Matrix()
    : columns{Vector4(1.0f, 0.0f, 0.0f, 0.0f), Vector4(0.0f, 1.0f, 0.0f, 0.0f), Vector4(0.0f, 0.0f, 1.0f, 0.0f),
              Vector4(0.0f, 0.0f, 0.0f, 1.0f)} {}

Matrix::Matrix(Vector4 column0, Vector4 column1, Vector4 column2, Vector4 column3)
    : columns{column0, column1, column2, column3} {}

Vector4 Matrix::transform(Vector4 v) const {
    __m128 x = _mm_shuffle_ps(v.m, v.m, _MM_SHUFFLE(0, 0, 0, 0));
    __m128 y = _mm_shuffle_ps(v.m, v.m, _MM_SHUFFLE(1, 1, 1, 1));
    __m128 z = _mm_shuffle_ps(v.m, v.m, _MM_SHUFFLE(2, 2, 2, 2));
    __m128 w = _mm_shuffle_ps(v.m, v.m, _MM_SHUFFLE(3, 3, 3, 3));
    __m128 sum = _mm_add_ps(_mm_mul_ps(columns[0].m, x), _mm_mul_ps(columns[1].m, y));
    sum = _mm_add_ps(sum, _mm_mul_ps(columns[2].m, z));
    sum = _mm_add_ps(sum, _mm_mul_ps(columns[3].m, w));
    return Vector4(sum);
}

Matrix Matrix::multiply(const Matrix& a, const Matrix& b) {
    return Matrix(a.transform(b.columns[0]), a.transform(b.columns[1]), a.transform(b.columns[2]),
                  a.transform(b.columns[3]));
}

void Matrix::multiplyInPlace(const Matrix& b) {
    // Work from a copy, so that b may alias this matrix.
    Matrix product = multiply(*this, b);
    for (int j = 0; j < 4; ++j) columns[j] = product.columns[j];
}

Matrix Matrix::transpose() const {
    __m128 c0 = columns[0].m, c1 = columns[1].m, c2 = columns[2].m, c3 = columns[3].m;
    _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
    return Matrix(Vector4(c0), Vector4(c1), Vector4(c2), Vector4(c3));
}

namespace {

// The 2x2 determinants a[i]*b[j] - b[i]*a[j] for the lane pairs (0,1), (0,2), (0,3), (1,2).
inline __m128 lowPairDeterminants(__m128 a, __m128 b) {
    __m128 aFirst = _mm_shuffle_ps(a, a, _MM_SHUFFLE(1, 0, 0, 0));
    __m128 bSecond = _mm_shuffle_ps(b, b, _MM_SHUFFLE(2, 3, 2, 1));
    __m128 bFirst = _mm_shuffle_ps(b, b, _MM_SHUFFLE(1, 0, 0, 0));
    __m128 aSecond = _mm_shuffle_ps(a, a, _MM_SHUFFLE(2, 3, 2, 1));
    return _mm_sub_ps(_mm_mul_ps(aFirst, bSecond), _mm_mul_ps(bFirst, aSecond));
}

}  // namespace

// Cofactor expansion over 2x2 minors. Treating the stored columns as the rows of a matrix N = Mᵀ,
// the rows of adj(N) are the columns of adj(M), so the adjugate comes out directly in column form.
Matrix Matrix::inverse() const {
    const __m128 n0 = columns[0].m, n1 = columns[1].m, n2 = columns[2].m, n3 = columns[3].m;

    // Minors of rows 0-1 (s) and rows 2-3 (c) of N for the column pairs
    // s0..s3 / c0..c3: (0,1), (0,2), (0,3), (1,2); high: s4, s5, c4, c5 for (1,3), (2,3).
    const __m128 s = lowPairDeterminants(n0, n1);
    const __m128 c = lowPairDeterminants(n2, n3);
    const __m128 high = _mm_sub_ps(
        _mm_mul_ps(_mm_shuffle_ps(n0, n2, _MM_SHUFFLE(2, 1, 2, 1)), _mm_shuffle_ps(n1, n3, _MM_SHUFFLE(3, 3, 3, 3))),
        _mm_mul_ps(_mm_shuffle_ps(n1, n3, _MM_SHUFFLE(2, 1, 2, 1)), _mm_shuffle_ps(n0, n2, _MM_SHUFFLE(3, 3, 3, 3))));

    // X_k = (c_k, c_k, s_k, s_k).
    const __m128 x0 = _mm_shuffle_ps(c, s, _MM_SHUFFLE(0, 0, 0, 0));
    const __m128 x1 = _mm_shuffle_ps(c, s, _MM_SHUFFLE(1, 1, 1, 1));
    const __m128 x2 = _mm_shuffle_ps(c, s, _MM_SHUFFLE(2, 2, 2, 2));
    const __m128 x3 = _mm_shuffle_ps(c, s, _MM_SHUFFLE(3, 3, 3, 3));
    const __m128 x4 = _mm_shuffle_ps(high, high, _MM_SHUFFLE(0, 0, 2, 2));
    const __m128 x5 = _mm_shuffle_ps(high, high, _MM_SHUFFLE(1, 1, 3, 3));

    // Column k of N is row k of M; A_k = (N[1][k], -N[0][k], N[3][k], -N[2][k]).
    __m128 t0 = n0, t1 = n1, t2 = n2, t3 = n3;
    _MM_TRANSPOSE4_PS(t0, t1, t2, t3);
    const __m128 alternate = _mm_setr_ps(0.0f, -0.0f, 0.0f, -0.0f);
    const __m128 a0 = _mm_xor_ps(_mm_shuffle_ps(t0, t0, _MM_SHUFFLE(2, 3, 0, 1)), alternate);
    const __m128 a1 = _mm_xor_ps(_mm_shuffle_ps(t1, t1, _MM_SHUFFLE(2, 3, 0, 1)), alternate);
    const __m128 a2 = _mm_xor_ps(_mm_shuffle_ps(t2, t2, _MM_SHUFFLE(2, 3, 0, 1)), alternate);
    const __m128 a3 = _mm_xor_ps(_mm_shuffle_ps(t3, t3, _MM_SHUFFLE(2, 3, 0, 1)), alternate);

    const __m128 r0 = _mm_add_ps(_mm_sub_ps(_mm_mul_ps(a1, x5), _mm_mul_ps(a2, x4)), _mm_mul_ps(a3, x3));
    const __m128 r1 = _mm_sub_ps(_mm_sub_ps(_mm_mul_ps(a2, x2), _mm_mul_ps(a0, x5)), _mm_mul_ps(a3, x1));
    const __m128 r2 = _mm_add_ps(_mm_sub_ps(_mm_mul_ps(a0, x4), _mm_mul_ps(a1, x2)), _mm_mul_ps(a3, x0));
    const __m128 r3 = _mm_sub_ps(_mm_sub_ps(_mm_mul_ps(a1, x1), _mm_mul_ps(a0, x3)), _mm_mul_ps(a2, x0));

    // det = sum over j of adj[0][j] * N[j][0].
    const __m128 determinant = horizontalSum(_mm_mul_ps(r0, t0));
    const __m128 reciprocal = _mm_div_ps(_mm_set1_ps(1.0f), determinant);
    return Matrix(Vector4(_mm_mul_ps(r0, reciprocal)), Vector4(_mm_mul_ps(r1, reciprocal)),
                  Vector4(_mm_mul_ps(r2, reciprocal)), Vector4(_mm_mul_ps(r3, reciprocal)));
}

Matrix Matrix::makeTranslation(Vector4 v) {
    Matrix result;
    result.columns[3] = Vector4(v.x(), v.y(), v.z(), 1.0f);
    return result;
}

Matrix Matrix::makeScale(Vector4 v) {
    return Matrix(Vector4(v.x(), 0.0f, 0.0f, 0.0f), Vector4(0.0f, v.y(), 0.0f, 0.0f),
                  Vector4(0.0f, 0.0f, v.z(), 0.0f), Vector4(0.0f, 0.0f, 0.0f, 1.0f));
}

Matrix Matrix::makeRotationY(float angle) {
    float c = std::cos(angle);
    float s = std::sin(angle);
    return Matrix(Vector4(c, 0.0f, -s, 0.0f), Vector4(0.0f, 1.0f, 0.0f, 0.0f), Vector4(s, 0.0f, c, 0.0f),
                  Vector4(0.0f, 0.0f, 0.0f, 1.0f));
}

Matrix Matrix::fromQuaternion(Quaternion q) {
    float x = q.x(), y = q.y(), z = q.z(), w = q.w();
    return Matrix(Vector4(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + w * z), 2.0f * (x * z - w * y), 0.0f),
                  Vector4(2.0f * (x * y - w * z), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + w * x), 0.0f),
                  Vector4(2.0f * (x * z + w * y), 2.0f * (y * z - w * x), 1.0f - 2.0f * (x * x + y * y), 0.0f),
                  Vector4(0.0f, 0.0f, 0.0f, 1.0f));
}

void Matrix::read(BaseInStream& in, int version) {
    if (version == 0) {
        // Rows are read into the columns of a transposed copy, so anything missing keeps its value.
        Matrix rows = transpose();
        for (Vector4& row : rows.columns) readValue(in, row);
        *this = rows.transpose();
        return;
    }
    static const char* const keys[4] = {"column0", "column1", "column2", "column3"};
    // Hand-written: the four column keys index one array.
    std::string key;
    while (readKey(in, key)) {
        int column = -1;
        for (int i = 0; i < 4; ++i)
            if (key == keys[i]) column = i;
        if (column < 0) {
            skipUnknownKey(in, key);
            in.attributes.clear();
            continue;
        }
        readValue(in, columns[column]);
        in.attributes.clear();
    }
}
