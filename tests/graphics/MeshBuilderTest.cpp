// The procedural meshes: counts, exact layouts where the data files rely on them, bounds, outward
// winding, index ranges and the refusal of counts that would overrun or wrap 16-bit indices.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <list>

#include "core/Matrix.h"
#include "graphics/MeshBuilder.h"

namespace {

std::vector<unsigned short> indicesOf(const MeshData& mesh) { return mesh.indices; }

void expectPosition(const Vertex& v, float x, float y, float z, float tolerance = 1e-5f) {
    EXPECT_NEAR(v.position.x(), x, tolerance);
    EXPECT_NEAR(v.position.y(), y, tolerance);
    EXPECT_NEAR(v.position.z(), z, tolerance);
    EXPECT_EQ(v.position.w(), 1.0f);
}

void expectEveryIndexInRange(const MeshData& mesh) {
    for (unsigned short index : mesh.indices) ASSERT_LT(index, mesh.vertices.size());
}

// Calls f(a, b, c) for every triangle with its front-face order, skipping degenerate strip joins.
void forEachTriangle(const MeshData& mesh, const std::function<void(int, int, int)>& f) {
    const auto& idx = mesh.indices;
    if (mesh.mode == MeshData::triangles) {
        for (size_t i = 0; i + 2 < idx.size(); i += 3) f(idx[i], idx[i + 1], idx[i + 2]);
        return;
    }
    for (size_t i = 0; i + 2 < idx.size(); ++i) {
        int a = idx[i], b = idx[i + 1], c = idx[i + 2];
        if (a == b || b == c || a == c) continue;
        if (i % 2 == 0) f(a, b, c);
        else f(b, a, c);
    }
}

Vector4 faceNormal(const MeshData& mesh, int a, int b, int c) {
    Vector4 pa = mesh.vertices[a].position, pb = mesh.vertices[b].position, pc = mesh.vertices[c].position;
    return cross3(pb - pa, pc - pa);
}

Vector4 centroid(const MeshData& mesh, int a, int b, int c) {
    return (mesh.vertices[a].position + mesh.vertices[b].position + mesh.vertices[c].position) * (1.0f / 3.0f);
}

// Every non-degenerate triangle faces away from the point the outward direction is measured from.
void expectOutwardWinding(const MeshData& mesh, const std::function<Vector4(Vector4)>& outward,
                          const std::function<bool(int, int, int)>& include = nullptr) {
    int checked = 0;
    forEachTriangle(mesh, [&](int a, int b, int c) {
        if (include && !include(a, b, c)) return;
        Vector4 n = faceNormal(mesh, a, b, c);
        if (length3(n) < 1e-7f) return;
        EXPECT_GT(dot3(n, outward(centroid(mesh, a, b, c))), 0.0f) << "triangle " << a << " " << b << " " << c;
        ++checked;
    });
    EXPECT_GT(checked, 0);
}

Vector4 fromOrigin(Vector4 p) { return Vector4(p.x(), p.y(), p.z(), 0.0f); }
Vector4 radialAboutX(Vector4 p) { return Vector4(0.0f, p.y(), p.z(), 0.0f); }

}  // namespace

TEST(MeshBuilder, SphereOfThreeJoinsItsColumnsInOneStrip) {
    MeshData mesh = MeshBuilder::sphere(3);
    EXPECT_EQ(mesh.mode, MeshData::triangleStrip);
    ASSERT_EQ(mesh.vertices.size(), 12);
    expectPosition(mesh.vertices[0], 0, -1, 0);
    expectPosition(mesh.vertices[1], 0, 1, 0);
    expectPosition(mesh.vertices[2], 1, 0, 0);
    const std::vector<unsigned short> expected = {0, 0, 5, 2, 1, 1, 3, 3, 8, 5, 4, 4, 6, 6, 11, 8, 7, 7};
    EXPECT_EQ(indicesOf(mesh), expected);
    EXPECT_EQ(mesh.boundsMin, Vector4(-1, -1, -1, 1));
    EXPECT_EQ(mesh.boundsMax, Vector4(1, 1, 1, 1));
}

TEST(MeshBuilder, SphereCountsGrowWithSubdivisions) {
    const int counts[][3] = {{4, 20, 32}, {8, 72, 128}, {16, 272, 512}, {32, 1056, 2048}};
    for (const auto& c : counts) {
        MeshData mesh = MeshBuilder::sphere(c[0]);
        EXPECT_EQ(mesh.vertices.size(), c[1]) << c[0];
        EXPECT_EQ(mesh.indices.size(), static_cast<size_t>(c[2])) << c[0];
        expectEveryIndexInRange(mesh);
    }
}

TEST(MeshBuilder, SphereOfFourHasRingsAtHalfHeight) {
    MeshData mesh = MeshBuilder::sphere(4);
    // Column 0: poles, then ring 1 (phi -30 degrees) and ring 2 (phi 30 degrees).
    EXPECT_NEAR(mesh.vertices[2].position.y(), -0.5f, 1e-5f);
    EXPECT_NEAR(mesh.vertices[3].position.y(), 0.5f, 1e-5f);
    EXPECT_NEAR(mesh.vertices[2].texY, 1.0f / 3.0f, 1e-6f);
    EXPECT_NEAR(mesh.vertices[3].texY, 2.0f / 3.0f, 1e-6f);
    // The seam column repeats column 0 with u = 1.
    expectPosition(mesh.vertices[4 * 4 + 2], mesh.vertices[2].position.x(), mesh.vertices[2].position.y(),
                   mesh.vertices[2].position.z());
    EXPECT_EQ(mesh.vertices[4 * 4 + 2].texX, 1.0f);
}

TEST(MeshBuilder, SphereVerticesLieOnTheUnitSphereWithOutwardNormals) {
    MeshData mesh = MeshBuilder::sphere(16);
    for (const Vertex& v : mesh.vertices) {
        EXPECT_NEAR(length3(v.position), 1.0f, 1e-5f);
        EXPECT_NEAR(length3(v.normal), 1.0f, 1e-5f);
        EXPECT_GT(dot3(v.normal, v.position), 0.99f);
        EXPECT_EQ(v.normal.w(), 0.0f);
    }
    expectOutwardWinding(mesh, fromOrigin);
}

TEST(MeshBuilder, EllipsoidStretchesEachHalfToItsOwnBound) {
    MeshData mesh = MeshBuilder::ellipsoid(-2, -1, -1, 1, 3, 1, 12);
    expectPosition(mesh.vertices[0], 0, -1, 0);
    expectPosition(mesh.vertices[1], 0, 3, 0);
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (const Vertex& v : mesh.vertices) {
        minX = std::min(minX, v.position.x());
        maxX = std::max(maxX, v.position.x());
        minY = std::min(minY, v.position.y());
        maxY = std::max(maxY, v.position.y());
    }
    EXPECT_NEAR(minX, -2.0f, 0.05f);
    EXPECT_NEAR(maxX, 1.0f, 0.05f);
    EXPECT_FLOAT_EQ(minY, -1.0f);
    EXPECT_FLOAT_EQ(maxY, 3.0f);
    EXPECT_EQ(mesh.boundsMin, Vector4(-2, -1, -1, 1));
    EXPECT_EQ(mesh.boundsMax, Vector4(1, 3, 1, 1));
    expectOutwardWinding(mesh, fromOrigin);
}

TEST(MeshBuilder, BoxHasSixOutwardFacesAndItsNormals) {
    MeshData mesh = MeshBuilder::box();
    EXPECT_EQ(mesh.mode, MeshData::triangles);
    ASSERT_EQ(mesh.vertices.size(), 24);
    ASSERT_EQ(mesh.indices.size(), 36u);
    for (int f = 0; f < 6; ++f) {
        const unsigned short base = static_cast<unsigned short>(4 * f);
        const std::vector<unsigned short> face(mesh.indices.begin() + 6 * f, mesh.indices.begin() + 6 * f + 6);
        EXPECT_EQ(face, (std::vector<unsigned short>{base, static_cast<unsigned short>(base + 1),
                                                     static_cast<unsigned short>(base + 2),
                                                     static_cast<unsigned short>(base + 2),
                                                     static_cast<unsigned short>(base + 3), base}));
    }
    expectOutwardWinding(mesh, fromOrigin);
    // The z faces keep the normals the game has always lit them with.
    EXPECT_EQ(mesh.vertices[16].normal, Vector4(0, 0, 1, 0));
    EXPECT_EQ(mesh.vertices[16].position.z(), -1.0f);
    EXPECT_EQ(mesh.vertices[20].normal, Vector4(0, 0, -1, 0));
    EXPECT_EQ(mesh.vertices[0].normal, Vector4(0, -1, 0, 0));
    for (const Vertex& v : mesh.vertices) {
        EXPECT_EQ(std::fabs(v.position.x()), 1.0f);
        EXPECT_EQ(std::fabs(v.position.y()), 1.0f);
        EXPECT_EQ(std::fabs(v.position.z()), 1.0f);
    }
}

TEST(MeshBuilder, CapsuleOfFourWindsEachSegmentAsTwoTriangles) {
    MeshData mesh = MeshBuilder::capsule(4);
    EXPECT_EQ(mesh.vertices.size(), 10);
    const std::vector<unsigned short> expected = {0, 1, 2, 1, 3, 2, 2, 3, 4, 3, 5, 4,
                                                  4, 5, 6, 5, 7, 6, 6, 7, 8, 7, 9, 8};
    EXPECT_EQ(indicesOf(mesh), expected);
    expectPosition(mesh.vertices[0], -1, 0, 1);
    expectPosition(mesh.vertices[3], 1, 1, 0);
    expectOutwardWinding(MeshBuilder::capsule(24), radialAboutX);
}

TEST(MeshBuilder, BumperOfEightPlacesItsKnobAfterTheTube) {
    MeshData mesh = MeshBuilder::bumper(8);
    EXPECT_EQ(mesh.mode, MeshData::triangleStrip);
    EXPECT_EQ(mesh.vertices.size(), 30);
    EXPECT_EQ(mesh.indices.size(), 65u);
    expectPosition(mesh.vertices[18], -0.75f, -1, 0);
    expectPosition(mesh.vertices[19], -0.75f, 1, 0);
    const std::vector<unsigned short> knobStart(mesh.indices.begin() + 32, mesh.indices.begin() + 41);
    EXPECT_EQ(knobStart, (std::vector<unsigned short>{17, 18, 18, 20, 22, 21, 23, 19, 19}));
    expectEveryIndexInRange(mesh);
}

TEST(MeshBuilder, BumperCountsFollowTheSegmentCount) {
    const int counts[][3] = {{4, 12, 25}, {8, 30, 65}, {12, 56, 121}, {16, 90, 193}, {9, 32, 69}};
    for (const auto& c : counts) {
        MeshData mesh = MeshBuilder::bumper(c[0]);
        EXPECT_EQ(mesh.vertices.size(), c[1]) << c[0];
        EXPECT_EQ(mesh.indices.size(), static_cast<size_t>(c[2])) << c[0];
        expectEveryIndexInRange(mesh);
    }
}

TEST(MeshBuilder, BumperTubeAndKnobFaceOutward) {
    const int n = 16;
    MeshData mesh = MeshBuilder::bumper(n);
    const int knobFirst = 2 * n + 2;
    auto isTube = [&](int a, int b, int c) { return a < knobFirst && b < knobFirst && c < knobFirst; };
    auto isKnob = [&](int a, int b, int c) { return a >= knobFirst && b >= knobFirst && c >= knobFirst; };
    expectOutwardWinding(mesh, radialAboutX, isTube);
    expectOutwardWinding(
        mesh, [](Vector4 p) { return Vector4(p.x() + 0.75f, p.y(), p.z(), 0.0f); }, isKnob);
}

TEST(MeshBuilder, LargeBumperHasADoubleSidedDisc) {
    MeshData mesh = MeshBuilder::largeBumper(8);
    EXPECT_EQ(mesh.vertices.size(), 27);
    ASSERT_EQ(mesh.indices.size(), 96u);
    const std::vector<unsigned short> discStart(mesh.indices.begin() + 48, mesh.indices.begin() + 54);
    EXPECT_EQ(discStart, (std::vector<unsigned short>{18, 19, 20, 18, 20, 19}));
    // The last rim segment closes on the first rim vertex.
    const std::vector<unsigned short> discEnd(mesh.indices.end() - 6, mesh.indices.end());
    EXPECT_EQ(discEnd, (std::vector<unsigned short>{18, 26, 19, 18, 19, 26}));
    expectPosition(mesh.vertices[18], -1, 0, 0);
    expectOutwardWinding(mesh, radialAboutX, [](int a, int b, int c) { return a < 18 && b < 18 && c < 18; });
    expectEveryIndexInRange(mesh);
}

TEST(MeshBuilder, ArrowPointsAlongPlusX) {
    MeshData mesh = MeshBuilder::arrow();
    EXPECT_EQ(mesh.vertices.size(), 38);
    EXPECT_EQ(mesh.indices.size(), 54u);
    float tipX = -10;
    for (const Vertex& v : mesh.vertices) tipX = std::max(tipX, v.position.x());
    EXPECT_EQ(tipX, 1.0f);
    // The head spans z -1 to 1 at x = 0, the shaft only -0.4 to 0.4.
    expectPosition(mesh.vertices[20], 0, -1, -1);
    expectPosition(mesh.vertices[0], -1, -1, -0.4f);
    const std::vector<unsigned short> tail(mesh.indices.end() - 6, mesh.indices.end());
    EXPECT_EQ(tail, (std::vector<unsigned short>{32, 33, 34, 35, 37, 36}));
    expectEveryIndexInRange(mesh);
}

TEST(MeshBuilder, EveryArrowFaceFacesOutOfTheArrow) {
    // The solid: a shaft x in [-1, 0], |z| <= 0.4, and a head x in [0, 1], |z| <= 1 - x; |y| <= 1.
    auto inside = [](Vector4 p) {
        const float e = 1e-4f;
        if (std::fabs(p.y()) > 1 + e) return false;
        if (p.x() >= -1 - e && p.x() <= 0 && std::fabs(p.z()) <= 0.4f + e) return true;
        return p.x() >= -e && p.x() <= 1 + e && std::fabs(p.z()) <= 1 - p.x() + e;
    };
    MeshData mesh = MeshBuilder::arrow();
    int faces = 0;
    forEachTriangle(mesh, [&](int a, int b, int c) {
        Vector4 n = normalized3(faceNormal(mesh, a, b, c));
        Vector4 centre = centroid(mesh, a, b, c);
        // Where a face touches the solid on both sides (the back of the head, where the shaft joins
        // it) a sample tells nothing; every other sample must find the solid behind the face.
        int outward = 0, inward = 0;
        for (int k : {-1, a, b, c}) {
            Vector4 p = k < 0 ? centre : (centre + mesh.vertices[k].position) * 0.5f;
            const bool front = inside(p + n * 0.01f), back = inside(p - n * 0.01f);
            if (!front && back) ++outward;
            if (front && !back) ++inward;
        }
        EXPECT_EQ(inward, 0) << "triangle " << a << " " << b << " " << c << " faces inward";
        EXPECT_GT(outward, 0) << "triangle " << a << " " << b << " " << c;
        ++faces;
    });
    EXPECT_EQ(faces, 18);
}

TEST(MeshBuilder, QuadFacesPlusZAndKeepsDefaultBounds) {
    MeshData mesh = MeshBuilder::quad();
    EXPECT_EQ(mesh.vertices.size(), 4);
    EXPECT_EQ(indicesOf(mesh), (std::vector<unsigned short>{0, 1, 3, 1, 2, 3}));
    EXPECT_EQ(mesh.boundsMin, Vector4(0, 0, 0, 1));
    EXPECT_EQ(mesh.boundsMax, Vector4(0, 0, 0, 1));
    expectOutwardWinding(mesh, [](Vector4) { return Vector4(0, 0, 1, 0); });
}

TEST(MeshBuilder, BoxGroupOffsetsIndicesAndTransformsCorners) {
    Matrix scaled = Matrix::makeTranslation(Vector4(10, 20, 30, 1)) * Matrix::makeScale(Vector4(2, 3, 4, 1));
    std::list<Matrix> transforms = {Matrix(), scaled};
    MeshData mesh = MeshBuilder::boxGroup(transforms);
    EXPECT_EQ(mesh.mode, MeshData::triangles);
    ASSERT_EQ(mesh.vertices.size(), 48);
    ASSERT_EQ(mesh.indices.size(), 72u);
    EXPECT_EQ(mesh.boundsMin, Vector4(-1, -1, -1, 1));
    EXPECT_EQ(mesh.boundsMax, Vector4(12, 23, 34, 1));
    expectPosition(mesh.vertices[24], 8, 17, 26);
    for (int i = 0; i < 36; ++i) EXPECT_EQ(mesh.indices[36 + i], mesh.indices[i] + 24);
    // Normals are carried over untransformed.
    EXPECT_EQ(mesh.vertices[24].normal, mesh.vertices[0].normal);
}

TEST(MeshBuilder, EmptyBoxGroupHasInfiniteBounds) {
    MeshData mesh = MeshBuilder::boxGroup({});
    EXPECT_EQ(mesh.vertices.size(), 0);
    EXPECT_TRUE(mesh.indices.empty());
    EXPECT_TRUE(std::isinf(mesh.boundsMin.x()) && mesh.boundsMin.x() > 0);
    EXPECT_TRUE(std::isinf(mesh.boundsMax.w()) && mesh.boundsMax.w() < 0);
}

TEST(MeshBuilder, CountsThatWouldOverrunAreRefusedWithAnEmptyMesh) {
    testing::internal::CaptureStderr();
    MeshData shortBumper = MeshBuilder::bumper(3);
    MeshData negativeBumper = MeshBuilder::bumper(-8);
    MeshData negativeSphere = MeshBuilder::sphere(-3);
    MeshData onePoleSphere = MeshBuilder::sphere(1);
    MeshData negativeCapsule = MeshBuilder::capsule(-1);
    MeshData negativeLarge = MeshBuilder::largeBumper(-5);
    std::string errors = testing::internal::GetCapturedStderr();
    for (const MeshData* mesh :
         {&shortBumper, &negativeBumper, &negativeSphere, &onePoleSphere, &negativeCapsule, &negativeLarge}) {
        EXPECT_EQ(mesh->vertices.size(), 0);
        EXPECT_TRUE(mesh->indices.empty());
    }
    EXPECT_NE(errors.find("Model::createBumper"), std::string::npos);
    EXPECT_NE(errors.find("Model::createCapsule"), std::string::npos);
    EXPECT_NE(errors.find("Model::createLargeBumper"), std::string::npos);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 6);
}

TEST(MeshBuilder, MoreVerticesThanSixteenBitIndicesReachAreRefusedNotWrapped) {
    // The largest sphere that still fits, and the first that does not.
    MeshData largest = MeshBuilder::sphere(255);
    EXPECT_EQ(largest.vertices.size(), 255 * 256);
    expectEveryIndexInRange(largest);
    EXPECT_EQ(*std::max_element(largest.indices.begin(), largest.indices.end()), 255 * 256 - 1);

    testing::internal::CaptureStderr();
    MeshData sphere = MeshBuilder::sphere(256);
    MeshData capsule = MeshBuilder::capsule(32768);
    MeshData large = MeshBuilder::largeBumper(21845);
    MeshData bumper = MeshBuilder::bumper(40000);
    std::list<Matrix> boxes(MeshBuilder::maxBoxesPerGroup + 1);
    MeshData group = MeshBuilder::boxGroup(boxes);
    std::string errors = testing::internal::GetCapturedStderr();
    for (const MeshData* mesh : {&sphere, &capsule, &large, &bumper, &group}) {
        EXPECT_EQ(mesh->vertices.size(), 0);
        EXPECT_TRUE(mesh->indices.empty());
    }
    EXPECT_NE(errors.find("16-bit"), std::string::npos);

    EXPECT_EQ(MeshBuilder::capsule(32767).vertices.size(), 65536);
    EXPECT_EQ(MeshBuilder::largeBumper(21844).vertices.size(), 65535);
    std::list<Matrix> fullGroup(MeshBuilder::maxBoxesPerGroup);
    MeshData full = MeshBuilder::boxGroup(fullGroup);
    EXPECT_EQ(full.vertices.size(), 24 * MeshBuilder::maxBoxesPerGroup);
    expectEveryIndexInRange(full);
}

TEST(MeshBuilder, ZeroSubdivisionsGiveAnEmptyMeshWithoutComplaint) {
    testing::internal::CaptureStderr();
    MeshData sphere = MeshBuilder::sphere(0);
    MeshData capsule = MeshBuilder::capsule(0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(sphere.vertices.size(), 0);
    EXPECT_TRUE(sphere.indices.empty());
    EXPECT_TRUE(capsule.indices.empty());
    expectEveryIndexInRange(capsule);
}
