// Checks of the vector, quaternion and matrix operations and of the random functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>

#include "core/Matrix.h"
#include "core/Quaternion.h"
#include "core/Random.h"
#include "core/Vector4.h"

namespace {

constexpr float kPi = 3.14159265f;

void expectNear(Vector4 actual, Vector4 expected, float tolerance = 1e-5f) {
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "lane " << i;
}

void expectNear(Quaternion actual, Quaternion expected, float tolerance = 1e-5f) {
    expectNear(actual.toVector4(), expected.toVector4(), tolerance);
}

void expectNear(const Matrix& actual, const Matrix& expected, float tolerance = 1e-5f) {
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(actual.get(i, j), expected.get(i, j), tolerance) << "row " << i << " column " << j;
}

// Plain scalar Hamilton product to hold the SIMD one against.
Quaternion referenceProduct(Quaternion a, Quaternion b) {
    return Quaternion(a.w() * b.x() + a.x() * b.w() + a.y() * b.z() - a.z() * b.y(),
                      a.w() * b.y() + a.y() * b.w() + a.z() * b.x() - a.x() * b.z(),
                      a.w() * b.z() + a.z() * b.w() + a.x() * b.y() - a.y() * b.x(),
                      a.w() * b.w() - a.x() * b.x() - a.y() * b.y() - a.z() * b.z());
}

// Plain scalar product of two matrices.
Matrix referenceMatrixProduct(const Matrix& a, const Matrix& b) {
    Matrix result;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.get(i, k) * b.get(k, j);
            result.set(i, j, sum);
        }
    return result;
}

}  // namespace

TEST(Vector4Test, LanesArithmeticAndSetters) {
    Vector4 v(1.0f, 2.0f, 3.0f, 4.0f);
    EXPECT_EQ(v.x(), 1.0f);
    EXPECT_EQ(v.y(), 2.0f);
    EXPECT_EQ(v.z(), 3.0f);
    EXPECT_EQ(v.w(), 4.0f);
    EXPECT_EQ(Vector4(), Vector4(0.0f, 0.0f, 0.0f, 0.0f));

    Vector4 u(0.5f, -1.0f, 2.0f, 8.0f);
    EXPECT_EQ(v + u, Vector4(1.5f, 1.0f, 5.0f, 12.0f));
    EXPECT_EQ(v - u, Vector4(0.5f, 3.0f, 1.0f, -4.0f));
    EXPECT_EQ(v * u, Vector4(0.5f, -2.0f, 6.0f, 32.0f));
    EXPECT_EQ(v / u, Vector4(2.0f, -2.0f, 1.5f, 0.5f));
    EXPECT_EQ(v * 2.0f, Vector4(2.0f, 4.0f, 6.0f, 8.0f));
    EXPECT_EQ(2.0f * v, v * 2.0f);
    EXPECT_EQ(v / 2.0f, Vector4(0.5f, 1.0f, 1.5f, 2.0f));
    EXPECT_EQ(-v, Vector4(-1.0f, -2.0f, -3.0f, -4.0f));

    Vector4 w = v;
    w += u;
    w *= 2.0f;
    w -= Vector4(1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(w, Vector4(2.0f, 1.0f, 9.0f, 23.0f));

    w.setX(-1.0f);
    w.setY(-2.0f);
    w.setZ(-3.0f);
    w.setW(-4.0f);
    EXPECT_EQ(w, -v);
    w.set(6, 7.0f);  // masked to lane 2
    EXPECT_EQ(w.z(), 7.0f);
    EXPECT_EQ(w.data()[2], 7.0f);
    EXPECT_NE(w, -v);
}

TEST(Vector4Test, DotCrossLengthAndComponentHelpers) {
    Vector4 a(1.0f, 2.0f, 3.0f, 10.0f);
    Vector4 b(4.0f, -5.0f, 6.0f, 10.0f);
    EXPECT_FLOAT_EQ(dot3(a, b), 12.0f);
    EXPECT_FLOAT_EQ(dot4(a, b), 112.0f);
    EXPECT_EQ(cross3(Vector4(1, 0, 0, 0), Vector4(0, 1, 0, 0)), Vector4(0, 0, 1, 0));
    EXPECT_EQ(cross3(Vector4(0, 1, 0, 0), Vector4(0, 0, 1, 0)), Vector4(1, 0, 0, 0));
    expectNear(cross3(a, b), Vector4(27.0f, 6.0f, -13.0f, 0.0f));
    EXPECT_FLOAT_EQ(length3(Vector4(3.0f, 4.0f, 12.0f, 99.0f)), 13.0f);
    expectNear(normalized3(Vector4(3.0f, 0.0f, 4.0f, 1.0f)), Vector4(0.6f, 0.0f, 0.8f, 1.0f));
    EXPECT_EQ(normalized3(Vector4(0, 0, 0, 1)), Vector4(0, 0, 0, 1));
    EXPECT_EQ(componentMin(a, b), Vector4(1.0f, -5.0f, 3.0f, 10.0f));
    EXPECT_EQ(componentMax(a, b), Vector4(4.0f, 2.0f, 6.0f, 10.0f));
    EXPECT_EQ(componentAbs(b), Vector4(4.0f, 5.0f, 6.0f, 10.0f));

    for (int lane = 0; lane < 4; ++lane) {
        Vector4 zeroed = zeroVectorComponent(a, lane);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(zeroed[i], i == lane ? 0.0f : a[i]);
    }
}

TEST(QuaternionTest, MultiplyMatchesHamiltonProduct) {
    Quaternion a(0.1f, -0.7f, 0.3f, 0.6f);
    Quaternion b(-0.4f, 0.2f, 0.9f, -0.1f);
    expectNear(quaternionMultiply(a, b), referenceProduct(a, b));
    expectNear(quaternionMultiply(b, a), referenceProduct(b, a));
    // i * j = k, j * i = -k.
    EXPECT_EQ(quaternionMultiply(Quaternion(1, 0, 0, 0), Quaternion(0, 1, 0, 0)), Quaternion(0, 0, 1, 0));
    EXPECT_EQ(quaternionMultiply(Quaternion(0, 1, 0, 0), Quaternion(1, 0, 0, 0)), Quaternion(0, 0, -1, 0));
    EXPECT_EQ(quaternionMultiply(Quaternion(), a), a);
}

TEST(QuaternionTest, RotateTurnsVectorsAndKeepsW) {
    Quaternion quarterAboutZ = quaternionFromAxisAngle(Vector4(0, 0, 1, 0), kPi / 2);
    expectNear(quaternionRotate(quarterAboutZ, Vector4(1, 0, 0, 1)), Vector4(0, 1, 0, 1));
    expectNear(quaternionRotate(quarterAboutZ, Vector4(0, 1, 0, 0)), Vector4(-1, 0, 0, 0));
    Quaternion halfAboutY = quaternionFromAxisAngle(Vector4(0, 1, 0, 0), kPi);
    expectNear(quaternionRotate(halfAboutY, Vector4(1, 2, 3, 0)), Vector4(-1, 2, -3, 0));
}

TEST(QuaternionTest, NormalizeTakesOneCorrectionStep) {
    Quaternion unit(0, 0, 0, 1);
    quaternionNormalize(unit);
    EXPECT_EQ(unit, Quaternion(0, 0, 0, 1));

    Quaternion doubled(0, 0, 0, 2);
    quaternionNormalize(doubled);
    EXPECT_EQ(doubled, Quaternion(0, 0, 0, -1));

    Quaternion nearUnit = quaternionNormalized(Quaternion(0, 0, 0, 1.1f));
    EXPECT_NEAR(nearUnit.w(), 0.9845f, 1e-4f);

    Quaternion q(0.5f, 0.5f, 0.5f, 0.55f);
    Quaternion copy = quaternionNormalized(q);
    EXPECT_EQ(q, Quaternion(0.5f, 0.5f, 0.5f, 0.55f)) << "the copy form must leave its argument alone";
    float before = std::fabs(dot4(q.toVector4(), q.toVector4()) - 1.0f);
    float after = std::fabs(dot4(copy.toVector4(), copy.toVector4()) - 1.0f);
    EXPECT_LT(after, before);
}

TEST(QuaternionTest, AxisAngleDropsAxisWAndKeepsAxisLength) {
    expectNear(quaternionFromAxisAngle(Vector4(0, 1, 0, 5), kPi / 2),
               Quaternion(0, std::sin(kPi / 4), 0, std::cos(kPi / 4)));
    expectNear(quaternionFromAxisAngle(Vector4(0, 2, 0, 0), kPi), Quaternion(0, 2, 0, 0), 1e-6f);
    expectNear(quaternionFromAxisAngle(Vector4(), 1.0f), Quaternion(0, 0, 0, std::cos(0.5f)));
}

TEST(QuaternionTest, FromDirection) {
    expectNear(quaternionFromDirection(Vector4(1, 0, 0, 0)), Quaternion());
    expectNear(quaternionFromDirection(Vector4()), Quaternion());

    Quaternion towardsMinusZ = quaternionFromDirection(Vector4(0, 0, -1, 0));
    expectNear(towardsMinusZ, Quaternion(0, std::sin(kPi / 4), 0, std::cos(kPi / 4)));
    expectNear(quaternionRotate(towardsMinusZ, Vector4(1, 0, 0, 0)), Vector4(0, 0, -1, 0));

    float yaw = 1.0f, pitch = 1.0f;
    directionToYawPitch(Vector4(0, 3, 0, 0), yaw, pitch);
    EXPECT_NEAR(yaw, 0.0f, 1e-6f);
    EXPECT_NEAR(pitch, kPi / 2, 1e-6f);

    // Any direction: +X must end up along it.
    const Vector4 directions[] = {Vector4(1, 1, 1, 0), Vector4(-2, 0.5f, 3, 0), Vector4(0.3f, -4, -1, 0),
                                  Vector4(-1, 0, 0, 0)};
    for (Vector4 d : directions) {
        Vector4 turned = quaternionRotate(quaternionFromDirection(d), Vector4(1, 0, 0, 0));
        expectNear(turned, normalized3(d), 1e-5f);
    }
}

TEST(MatrixTest, IdentityConstructionAndColumnLayout) {
    Matrix identity;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(identity.get(i, j), i == j ? 1.0f : 0.0f);

    Matrix translation = Matrix::makeTranslation(Vector4(5, 6, 7, 123));
    const float* floats = translation.data();
    // Column order for GL: the translation is in floats 12 to 15.
    EXPECT_EQ(floats[12], 5.0f);
    EXPECT_EQ(floats[13], 6.0f);
    EXPECT_EQ(floats[14], 7.0f);
    EXPECT_EQ(floats[15], 1.0f);
    EXPECT_EQ(floats[0], 1.0f);
    EXPECT_EQ(floats[3], 0.0f);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(floats) % 16, 0u);

    Matrix copy(translation);
    EXPECT_EQ(copy, translation);
    EXPECT_NE(copy, identity);
}

TEST(MatrixTest, TransformMultiplyAndTranspose) {
    Matrix scale = Matrix::makeScale(Vector4(2, 3, 4, 100));
    Matrix translation = Matrix::makeTranslation(Vector4(1, 2, 3, 0));
    EXPECT_EQ(scale.transform(Vector4(1, 1, 1, 1)), Vector4(2, 3, 4, 1));
    EXPECT_EQ(translation.transform(Vector4(1, 1, 1, 1)), Vector4(2, 3, 4, 1));
    EXPECT_EQ(translation.transform(Vector4(1, 1, 1, 0)), Vector4(1, 1, 1, 0)) << "w = 0 is not translated";

    // Translate after scaling.
    Matrix combined = Matrix::multiply(translation, scale);
    EXPECT_EQ(combined.transform(Vector4(1, 1, 1, 1)), Vector4(3, 5, 7, 1));
    EXPECT_EQ(combined * Vector4(1, 1, 1, 1), Vector4(3, 5, 7, 1));

    Matrix a(Vector4(1, 2, 3, 4), Vector4(5, 6, 7, 8), Vector4(9, 10, 11, 12), Vector4(13, 14, 15, 16));
    Matrix b(Vector4(-1, 0.5f, 2, 0), Vector4(3, 1, -2, 1), Vector4(0, 0, 1, 4), Vector4(2, 2, 2, 1));
    expectNear(a * b, referenceMatrixProduct(a, b));

    Matrix inPlace = a;
    inPlace.multiplyInPlace(b);
    expectNear(inPlace, referenceMatrixProduct(a, b));
    Matrix squared = a;
    squared.multiplyInPlace(squared);
    expectNear(squared, referenceMatrixProduct(a, a));

    Matrix t = a.transpose();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(t.get(i, j), a.get(j, i));
}

TEST(MatrixTest, InverseTimesMatrixIsIdentity) {
    Matrix m(Vector4(2, 0, 0, 0), Vector4(1, 3, 0, 0), Vector4(0, 1, 4, 0), Vector4(5, 6, 7, 1));
    expectNear(m.inverse() * m, Matrix());
    expectNear(m * m.inverse(), Matrix());

    // A dense matrix with no zero elements, so every cofactor matters.
    Matrix dense(Vector4(4, -2, 1, 3), Vector4(1, 5, -3, 2), Vector4(2, 1, 6, -1), Vector4(-3, 2, 1, 7));
    expectNear(dense.inverse() * dense, Matrix(), 1e-5f);
    expectNear(dense * dense.inverse(), Matrix(), 1e-5f);

    Matrix rotation = Matrix::fromQuaternion(quaternionFromAxisAngle(normalized3(Vector4(1, 2, 3, 0)), 0.8f));
    expectNear(rotation.inverse(), rotation.transpose());
}

TEST(MatrixTest, SingularInverseGivesNonFiniteValuesWithoutCrashing) {
    Matrix singular(Vector4(1, 2, 3, 4), Vector4(2, 4, 6, 8), Vector4(0, 1, 0, 0), Vector4(0, 0, 0, 1));
    Matrix inverse = singular.inverse();
    bool anyNonFinite = false;
    for (int i = 0; i < 16; ++i) anyNonFinite = anyNonFinite || !std::isfinite(inverse.data()[i]);
    EXPECT_TRUE(anyNonFinite);
}

TEST(MatrixTest, RotationsAgree) {
    expectNear(Matrix::fromQuaternion(Quaternion()), Matrix());
    for (float angle : {0.3f, 1.2f, -2.5f, kPi}) {
        Matrix fromQ = Matrix::fromQuaternion(quaternionFromAxisAngle(Vector4(0, 1, 0, 0), angle));
        expectNear(fromQ, Matrix::makeRotationY(angle));
    }
    Matrix rotY = Matrix::makeRotationY(kPi / 2);
    expectNear(rotY.transform(Vector4(1, 0, 0, 0)), Vector4(0, 0, -1, 0));

    Quaternion q = quaternionFromAxisAngle(normalized3(Vector4(-1, 2, 0.5f, 0)), 1.9f);
    Vector4 v(0.3f, -1.2f, 2.0f, 1.0f);
    expectNear(Matrix::fromQuaternion(q).transform(v), quaternionRotate(q, v));
}

TEST(RandomTest, SequenceRangeAndSeeding) {
    seedRandom(1234);
    int first[20];
    std::set<int> seen;
    for (int& value : first) {
        value = randomInt();
        EXPECT_GE(value, 0);
        EXPECT_LE(value, randomIntMax);
        seen.insert(value);
    }
    EXPECT_GT(seen.size(), 15u) << "the generator must not repeat itself";
    seedRandom(1234);
    for (int value : first) EXPECT_EQ(randomInt(), value);

    int highest = 0;
    for (int i = 0; i < 100000; ++i) highest = std::max(highest, randomInt());
    EXPECT_GT(highest, 32000) << "values span the full 0..32767 range";
}

TEST(RandomTest, RandTo) {
    seedRandom(7);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(randTo(1), 0);
    std::set<int> values;
    for (int i = 0; i < 1000; ++i) {
        int value = randTo(10);
        EXPECT_GE(value, 0);
        EXPECT_LT(value, 10);
        values.insert(value);
    }
    EXPECT_EQ(values.size(), 10u);
    for (int i = 0; i < 100; ++i) {
        int value = randTo(-4);
        EXPECT_GE(value, 0);
        EXPECT_LT(value, 4);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(randTo(0), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("randTo"), std::string::npos);
}

TEST(RandomTest, ColorBands) {
    const float high = 0.1f + 1.4142135f;
    expectNear(randomColorAt(0.0f), Vector4(high, 0.1f, 0.1f, 1.0f));
    expectNear(randomColorAt(0.375f), Vector4(high, 0.1f, 0.1f, 1.0f));
    expectNear(randomColorAt(0.4f), Vector4(high, 0.1f, 0.1f, 1.0f));
    expectNear(randomColorAt(0.4251f), Vector4(0.1f, high, 0.1f, 1.0f), 1e-3f);
    expectNear(randomColorAt(0.8f), Vector4(0.1f, 0.1f, high, 1.0f), 1e-5f);
    expectNear(randomColorAt(1.0f), Vector4(0.1f, high, 0.1f, 1.0f), 1e-5f);
    // Just below the red band the blue end of the first band is reached.
    expectNear(randomColorAt(0.3749999f), Vector4(0.1f, 0.1f, high, 1.0f), 1e-4f);
    // Middle of the first band: red and blue equal.
    Vector4 mid = randomColorAt(0.1875f);
    EXPECT_NEAR(mid.x(), mid.z(), 1e-5f);
    EXPECT_NEAR(mid.y(), 0.1f, 1e-6f);

    seedRandom(99);
    for (int i = 0; i < 2000; ++i) {
        Vector4 color = getRandomColor();
        EXPECT_EQ(color.w(), 1.0f);
        for (int lane = 0; lane < 3; ++lane) {
            EXPECT_GE(color[lane], 0.1f - 1e-6f);
            EXPECT_LE(color[lane], high + 1e-5f);
        }
    }
}
