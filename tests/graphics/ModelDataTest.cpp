// Models without a GL context: the text form of vertices, vertex and index arrays and model records,
// the array constructor's bounds and the registered builders.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Function.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "graphics/Model.h"

namespace {

template <class T>
void readFrom(const std::string& text, T& value, bool expectFailure = false) {
    std::istringstream stream(text);
    IStreamWrapper in(stream);
    readValue(in, value);
    EXPECT_EQ(in.hasFailed(), expectFailure) << text;
}

template <class T>
std::string writeText(const T& value) {
    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeValue(out, value);
    }
    return text.str();
}

// Every mesh a shipped resource file spells out vertex by vertex, as (file, vertices, indices).
struct StoredMesh {
    std::string file;
    AlignedSharedArray<Vertex> vertices;
    std::vector<unsigned short> indices;
};

std::vector<StoredMesh> meshesOfResourceFiles() {
    std::vector<StoredMesh> meshes;
    for (const auto& entry : std::filesystem::directory_iterator("Content/Resources")) {
        if (entry.path().extension() != ".res") continue;
        std::ifstream file(entry.path());
        std::stringstream text;
        text << file.rdbuf();
        IStreamWrapper in(text);
        std::string token;
        while (!in.hasFailed()) {
            in.readToken(token);
            if (token.empty()) break;
            if (token != "vertexArray") continue;
            StoredMesh mesh{entry.path().string(), {}, {}};
            readValue(in, mesh.vertices);
            in.readToken(token);
            EXPECT_EQ(token, "indexArray") << mesh.file;
            readValue(in, mesh.indices);
            EXPECT_FALSE(in.hasFailed()) << mesh.file;
            meshes.push_back(std::move(mesh));
        }
    }
    return meshes;
}

}  // namespace

TEST(ShippedMeshes, NormalsPointToTheFrontOfTheirTriangles) {
    // Lighting and culling must agree: a face is front-facing where its corners wind counter-clockwise.
    const std::vector<StoredMesh> meshes = meshesOfResourceFiles();
    ASSERT_FALSE(meshes.empty());  // at least the particles' quad
    for (const StoredMesh& mesh : meshes) {
        ASSERT_EQ(mesh.indices.size() % 3, 0u) << mesh.file;
        for (std::size_t i = 0; i < mesh.indices.size(); i += 3) {
            const Vertex* corner[3];
            for (int k = 0; k < 3; ++k) {
                ASSERT_LT(static_cast<int>(mesh.indices[i + k]), mesh.vertices.size()) << mesh.file;
                corner[k] = &mesh.vertices[mesh.indices[i + k]];
            }
            const Vector4 front =
                cross3(corner[1]->position - corner[0]->position, corner[2]->position - corner[0]->position);
            for (int k = 0; k < 3; ++k)
                EXPECT_GT(dot3(front, corner[k]->normal), 0.0f) << mesh.file << ", triangle " << i / 3;
        }
    }
}

TEST(VertexText, VersionZeroHasAThreeFloatNormalWithoutKeys) {
    Vertex v;
    readFrom("Vertex 0 1 2 3 1 0 0 1 0.25 0.75", v);
    EXPECT_EQ(v.position, Vector4(1, 2, 3, 1));
    EXPECT_EQ(v.normal, Vector4(0, 0, 1, 0));
    EXPECT_FLOAT_EQ(v.texX, 0.25f);
    EXPECT_FLOAT_EQ(v.texY, 0.75f);
}

TEST(VertexText, KeyedVersionReadsAllFourNormalValuesInAnyOrder) {
    Vertex v;
    readFrom("Vertex 1 texY 0.5 normal 0 1 0 0.5 position 4 5 6 1 end", v);
    EXPECT_EQ(v.normal, Vector4(0, 1, 0, 0.5f));
    EXPECT_EQ(v.position, Vector4(4, 5, 6, 1));
    EXPECT_FLOAT_EQ(v.texX, 0.0f);
    EXPECT_FLOAT_EQ(v.texY, 0.5f);

    Vertex back;
    readFrom(writeText(v), back);
    EXPECT_EQ(back.position, v.position);
    EXPECT_EQ(back.normal, v.normal);
    EXPECT_EQ(back.texY, v.texY);
}

TEST(VertexText, ArraysReadUntilEndWhateverTheirSizeLineSays) {
    AlignedSharedArray<Vertex> vertices;
    readFrom("size 1 Vertex 1 texX 1 end Vertex 1 texX 2 end end", vertices);
    ASSERT_EQ(vertices.size(), 2);
    EXPECT_EQ(vertices[1].texX, 2.0f);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(vertices.data) % 16, 0u);

    std::vector<unsigned short> indices;
    readFrom("size 3 0 1 2 2 3 0 end", indices);
    EXPECT_EQ(indices, (std::vector<unsigned short>{0, 1, 2, 2, 3, 0}));
}

TEST(VertexText, CopiesOfAnArrayShareItsRecords) {
    AlignedSharedArray<Vertex> a(3);
    a[2].texX = 7;
    {
        AlignedSharedArray<Vertex> b(a);
        EXPECT_EQ(b.data, a.data);
        EXPECT_EQ(a.useCount(), 2);
        AlignedSharedArray<Vertex> c;
        c = b;
        EXPECT_EQ(a.useCount(), 3);
        c = c;
        EXPECT_EQ(c[2].texX, 7);
    }
    EXPECT_EQ(a.useCount(), 1);
    EXPECT_THROW(AlignedSharedArray<Vertex>(AlignedSharedArray<Vertex>::maxCount + 1), std::bad_alloc);
}

TEST(ModelData, ArrayConstructorSpansEveryPosition) {
    AlignedSharedArray<Vertex> vertices(2);
    vertices[0].position = Vector4(1, 2, 3, 1);
    vertices[1].position = Vector4(-4, 5, 0, 1);
    Model model(vertices, {0, 1, 0});
    EXPECT_EQ(model.boundsMin, Vector4(-4, 2, 0, 1));
    EXPECT_EQ(model.boundsMax, Vector4(1, 5, 3, 1));
    EXPECT_EQ(model.getMode(), 4u);
    EXPECT_EQ(model.getIndexCount(), 3);

    Model empty(AlignedSharedArray<Vertex>(), {});
    EXPECT_TRUE(std::isinf(empty.boundsMin.x()) && empty.boundsMin.x() > 0);
    EXPECT_TRUE(std::isinf(empty.boundsMax.z()) && empty.boundsMax.z() < 0);
    EXPECT_EQ(empty.boundsMin.w(), 1.0f);
}

TEST(ModelData, RecordsReadKeyedOrPositionalAndWriteBack) {
    const std::string mesh =
        " size 3 Vertex 1 position 0 0 0 1 end Vertex 1 position 1 0 0 1 end Vertex 1 position 0 1 0 1 end end ";
    Model keyed;
    readFrom("Model 1 indexArray 0 1 2 end vertexArray" + mesh + "end", keyed);
    EXPECT_EQ(keyed.getIndexCount(), 3);
    EXPECT_EQ(keyed.getVertexCount(), 3);
    // Reading leaves the bounds as the constructor gave them.
    EXPECT_EQ(keyed.boundsMax, Vector4(0, 0, 0, 1));

    Model positional;
    readFrom("Model 0" + mesh + "0 1 2 end", positional);
    EXPECT_EQ(positional.getIndexCount(), 3);

    const std::string text = writeText(keyed);
    EXPECT_EQ(text.rfind("Model 1", 0), 0u) << text;
    EXPECT_LT(text.find("vertexArray"), text.find("indexArray"));
    Model back;
    readFrom(text, back);
    EXPECT_EQ(back.getIndexCount(), 3);
    EXPECT_EQ(writeText(back), text);

    Model empty;
    readFrom("Model 1 end", empty);
    EXPECT_EQ(empty.getIndexCount(), 0);
    readFrom("Model 1 vertexArray end indexArray end end", empty);
    EXPECT_EQ(empty.getIndexCount(), 0);
}

TEST(ModelData, IndicesBeyondTheVerticesLeaveTheModelEmpty) {
    Model model;
    testing::internal::CaptureStderr();
    readFrom("Model 1 vertexArray Vertex 1 end Vertex 1 end end indexArray 0 1 2 end end", model);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("model index 2"), std::string::npos) << errors;
    EXPECT_EQ(model.getIndexCount(), 0);
    EXPECT_EQ(model.getVertexCount(), 0);
}

TEST(ModelData, CopiesShareTheMeshAndAssignmentToItselfChangesNothing) {
    Model box = Model::createBox();
    Model copy(box);
    EXPECT_EQ(copy.useCount(), 2);
    EXPECT_EQ(copy.getIndexCount(), 36);
    Model& same = copy;
    copy = same;
    EXPECT_EQ(copy.useCount(), 2);
    Model other = Model::createSphere(8);
    other = box;
    EXPECT_EQ(box.useCount(), 3);
    EXPECT_EQ(other.getMode(), 4u);
    EXPECT_EQ(writeText(other), writeText(box));
}

TEST(ModelData, BuildersAreRegisteredAsDataFunctions) {
    std::unique_ptr<Model> sphere;
    readFrom("function Model::createSphere 3", sphere);
    ASSERT_NE(sphere, nullptr);
    EXPECT_EQ(sphere->getMode(), 5u);
    EXPECT_EQ(sphere->getIndexCount(), 18);
    EXPECT_EQ(sphere->getVertexCount(), 12);

    Model model;
    readFrom("function Model::createBumper 8", model);
    EXPECT_EQ(model.getIndexCount(), 65);
    readFrom("function Model::createArrow", model);
    EXPECT_EQ(model.getIndexCount(), 54);
    readFrom("function Model::createLargeBumper 8", model);
    EXPECT_EQ(model.getIndexCount(), 96);
    readFrom("function Model::createCapsule 4", model);
    EXPECT_EQ(model.getIndexCount(), 24);
    readFrom("function Model::createBox", model);
    EXPECT_EQ(model.getIndexCount(), 36);
    EXPECT_EQ(model.boundsMin, Vector4(-1, -1, -1, 1));

    testing::internal::CaptureStderr();
    readFrom("function Model::createBumper 2", model);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("at least 4"), std::string::npos);
    EXPECT_EQ(model.getIndexCount(), 0);
}
