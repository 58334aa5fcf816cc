// Vertex and index generation of the procedural meshes; every builder checks its argument before it
// writes a record, so a bad count from a data file gives an empty mesh and one error line.
#include "graphics/MeshBuilder.h"

#include <cmath>
#include <iostream>
#include <limits>

#include "core/Matrix.h"

namespace {

// The value of pi the game's meshes were authored with.
constexpr float pi = 3.1415927f;

// Reports a refused argument and gives the empty mesh every refusal returns.
MeshData refuse(const char* builder, const char* reason, long long value, unsigned mode) {
    std::cerr << "error: " << builder << ": " << reason << " (got " << value << "), building an empty model"
              << std::endl;
    MeshData mesh;
    mesh.mode = mode;
    return mesh;
}

bool fitsIndices(long long vertexCount) { return vertexCount <= MeshData::maxVertices; }

void setVertex(Vertex& v, float x, float y, float z, float nx, float ny, float nz, float u, float t) {
    v.position = Vector4(x, y, z, 1.0f);
    v.normal = Vector4(nx, ny, nz, 0.0f);
    v.texX = u;
    v.texY = t;
}

// Four corners of one flat face and the two triangles 0 1 2, 2 3 0 over them.
struct Corner {
    float x, y, z, u, t;
};

// reversed: the corners run clockwise seen from outside, so the triangles are 0 3 2, 2 1 0.
void addQuad(MeshData& mesh, int firstVertex, Vector4 normal, const Corner (&corners)[4], bool reversed = false) {
    for (int c = 0; c < 4; ++c) {
        setVertex(mesh.vertices[firstVertex + c], corners[c].x, corners[c].y, corners[c].z, normal.x(),
                  normal.y(), normal.z(), corners[c].u, corners[c].t);
    }
    const int order[6] = {0, 1, 2, 2, 3, 0};
    const int reversedOrder[6] = {0, 3, 2, 2, 1, 0};
    for (int k : reversed ? reversedOrder : order) mesh.indices.push_back(static_cast<unsigned short>(firstVertex + k));
}

struct BoxFace {
    Vector4 normal;
    Corner corners[4];
};

// The z faces' normals point inward while their windings face out like the other four.
const BoxFace& boxFace(int face) {
    static const BoxFace faces[6] = {
        {Vector4(0, -1, 0, 0), {{-1, -1, -1, 0, 1}, {1, -1, -1, 1, 1}, {1, -1, 1, 1, 0}, {-1, -1, 1, 0, 0}}},
        {Vector4(0, 1, 0, 0), {{-1, 1, -1, 0, 1}, {-1, 1, 1, 0, 0}, {1, 1, 1, 1, 0}, {1, 1, -1, 1, 1}}},
        {Vector4(1, 0, 0, 0), {{1, -1, -1, 1, 0}, {1, 1, -1, 1, 1}, {1, 1, 1, 0, 1}, {1, -1, 1, 0, 0}}},
        {Vector4(-1, 0, 0, 0), {{-1, -1, -1, 0, 0}, {-1, -1, 1, 1, 0}, {-1, 1, 1, 1, 1}, {-1, 1, -1, 0, 1}}},
        {Vector4(0, 0, 1, 0), {{-1, -1, -1, 1, 0}, {-1, 1, -1, 1, 1}, {1, 1, -1, 0, 1}, {1, -1, -1, 0, 0}}},
        {Vector4(0, 0, -1, 0), {{-1, -1, 1, 0, 0}, {1, -1, 1, 1, 0}, {1, 1, 1, 1, 1}, {-1, 1, 1, 0, 1}}},
    };
    return faces[face];
}

// The ring of a tube: vertex 2i at x0 and 2i + 1 at x1, radius r, i = 0..n.
void addTube(MeshData& mesh, int n, float x0, float x1, float radius) {
    for (int i = 0; i <= n; ++i) {
        float t = static_cast<float>(i) / static_cast<float>(n);
        double theta = static_cast<double>(t) * pi + static_cast<double>(t) * pi;
        float s = static_cast<float>(std::sin(theta));
        float c = static_cast<float>(std::cos(theta));
        setVertex(mesh.vertices[2 * i], x0, radius * s, radius * c, 0, s, c, 0, t);
        setVertex(mesh.vertices[2 * i + 1], x1, radius * s, radius * c, 0, s, c, 1, t);
    }
}

void addTubeTriangles(MeshData& mesh, int n) {
    for (int i = 0; i < n; ++i) {
        const int tri[6] = {2 * i, 2 * i + 1, 2 * i + 2, 2 * i + 1, 2 * i + 3, 2 * i + 2};
        for (int k : tri) mesh.indices.push_back(static_cast<unsigned short>(k));
    }
}

}  // namespace

MeshData MeshBuilder::ellipsoid(float minX, float minY, float minZ, float maxX, float maxY, float maxZ, int n) {
    const char* name = "Model::createEllipsoid";
    if (n < 0) return refuse(name, "the subdivision count must not be negative", n, MeshData::triangleStrip);
    if (n == 1) return refuse(name, "one subdivision cannot hold both poles", n, MeshData::triangleStrip);
    const long long vertexCount = static_cast<long long>(n) * (n + 1);
    if (!fitsIndices(vertexCount)) {
        return refuse(name, "too many vertices for 16-bit indices at this subdivision count", n,
                      MeshData::triangleStrip);
    }

    MeshData mesh;
    mesh.mode = MeshData::triangleStrip;
    mesh.boundsMin = Vector4(minX, minY, minZ, 1.0f);
    mesh.boundsMax = Vector4(maxX, maxY, maxZ, 1.0f);
    mesh.vertices = AlignedSharedArray<Vertex>(static_cast<int>(vertexCount));
    if (n == 0) return mesh;

    for (int i = 0; i <= n; ++i) {
        float u = static_cast<float>(i) / static_cast<float>(n);
        double theta = 2.0 * static_cast<double>(pi) * i / n;
        float cosTheta = static_cast<float>(std::cos(theta));
        float sinTheta = static_cast<float>(std::sin(theta));
        Vertex* column = &mesh.vertices[i * n];
        setVertex(column[0], 0, minY, 0, 0, -1, 0, u, 0);
        setVertex(column[1], 0, maxY, 0, 0, 1, 0, u, 1);
        for (int j = 1; j <= n - 2; ++j) {
            double phi = j * static_cast<double>(pi) / (n - 1) - static_cast<double>(pi) / 2.0;
            float cosPhi = static_cast<float>(std::cos(phi));
            float sinPhi = static_cast<float>(std::sin(phi));
            float dx = cosPhi * cosTheta, dy = sinPhi, dz = cosPhi * sinTheta;
            float sx = dx < 0 ? -minX : maxX;
            float sy = dy < 0 ? -minY : maxY;
            float sz = dz < 0 ? -minZ : maxZ;
            Vector4 normal = normalized3(Vector4(dx / sx, dy / sy, dz / sz, 0.0f));
            if (!std::isfinite(length3(normal))) normal = Vector4(dx, dy, dz, 0.0f);  // a flat box side
            Vertex& v = column[1 + j];
            v.position = Vector4(dx * sx, dy * sy, dz * sz, 1.0f);
            v.normal = normal;
            v.texX = u;
            v.texY = static_cast<float>(j) / static_cast<float>(n - 1);
        }
    }

    mesh.indices.reserve(2 * static_cast<size_t>(n) * n);
    auto push = [&](int index) { mesh.indices.push_back(static_cast<unsigned short>(index)); };
    for (int k = 0; k < n; ++k) {
        push(k * n);
        push(k * n);
        for (int j = 1; j <= n - 2; ++j) {
            push((k + 1) * n + 1 + j);
            push(k * n + 1 + j);
        }
        push(k * n + 1);
        push(k * n + 1);
    }
    return mesh;
}

MeshData MeshBuilder::sphere(int n) { return ellipsoid(-1, -1, -1, 1, 1, 1, n); }

MeshData MeshBuilder::box() {
    MeshData mesh;
    mesh.mode = MeshData::triangles;
    mesh.boundsMin = Vector4(-1, -1, -1, 1);
    mesh.boundsMax = Vector4(1, 1, 1, 1);
    mesh.vertices = AlignedSharedArray<Vertex>(24);
    mesh.indices.reserve(36);
    for (int f = 0; f < 6; ++f) addQuad(mesh, 4 * f, boxFace(f).normal, boxFace(f).corners);
    return mesh;
}

MeshData MeshBuilder::capsule(int n) {
    const char* name = "Model::createCapsule";
    if (n < 0) return refuse(name, "the segment count must not be negative", n, MeshData::triangles);
    const long long vertexCount = 2LL * (n + 1LL);
    if (!fitsIndices(vertexCount)) return refuse(name, "too many vertices for 16-bit indices", n, MeshData::triangles);

    MeshData mesh;
    mesh.mode = MeshData::triangles;
    mesh.boundsMin = Vector4(-1, -1, -1, 1);
    mesh.boundsMax = Vector4(1, 1, 1, 1);
    mesh.vertices = AlignedSharedArray<Vertex>(static_cast<int>(vertexCount));
    if (n == 0) {
        // One ring of two vertices, no segment between rings.
        setVertex(mesh.vertices[0], -1, 0, 1, 0, 0, 1, 0, 0);
        setVertex(mesh.vertices[1], 1, 0, 1, 0, 0, 1, 1, 0);
        return mesh;
    }
    addTube(mesh, n, -1.0f, 1.0f, 1.0f);
    mesh.indices.reserve(6 * static_cast<size_t>(n));
    addTubeTriangles(mesh, n);
    return mesh;
}

MeshData MeshBuilder::arrow() {
    MeshData mesh;
    mesh.mode = MeshData::triangles;
    mesh.boundsMin = Vector4(-1, -1, -1, 1);
    mesh.boundsMax = Vector4(1, 1, 1, 1);
    mesh.vertices = AlignedSharedArray<Vertex>(38);
    mesh.indices.reserve(54);

    const float a = 0.4f;
    const float r = 0.70710677f;
    // Half of the faces list their corners clockwise seen from outside; they are wound the other
    // way so that back-face culling keeps the arrow solid from every side.
    struct Part {
        Vector4 normal;
        Corner corners[4];
        bool clockwise;
    };
    const Part quads[8] = {
        {Vector4(0, -1, 0, 0), {{-1, -1, -a, 0, 1}, {0, -1, -a, 1, 1}, {0, -1, a, 1, 0}, {-1, -1, a, 0, 0}}, false},
        {Vector4(0, 1, 0, 0), {{-1, 1, -a, 0, 1}, {0, 1, -a, 1, 1}, {0, 1, a, 1, 0}, {-1, 1, a, 0, 0}}, true},
        {Vector4(1, 0, 0, 0), {{-1, -1, a, 0, 0}, {-1, 1, a, 0, 1}, {0, 1, a, 1, 1}, {0, -1, a, 1, 0}}, true},
        {Vector4(-1, 0, 0, 0), {{-1, -1, -a, 0, 0}, {-1, 1, -a, 0, 1}, {0, 1, -a, 1, 1}, {0, -1, -a, 1, 0}}, false},
        {Vector4(0, 0, -1, 0), {{-1, -1, -a, 1, 0}, {-1, 1, -a, 1, 1}, {-1, 1, a, 0, 1}, {-1, -1, a, 0, 0}}, true},
        {Vector4(0, 0, -1, 0), {{0, -1, -1, 1, 0}, {0, 1, -1, 1, 1}, {0, 1, 1, 0, 1}, {0, -1, 1, 0, 0}}, true},
        {Vector4(r, 0, r, 0), {{0, -1, 1, 0, 0}, {0, 1, 1, 0, 1}, {1, 1, 0, 1, 1}, {1, -1, 0, 1, 0}}, true},
        {Vector4(-r, 0, r, 0), {{0, -1, -1, 0, 0}, {0, 1, -1, 0, 1}, {1, 1, 0, 1, 1}, {1, -1, 0, 1, 0}}, false},
    };
    for (int q = 0; q < 8; ++q) addQuad(mesh, 4 * q, quads[q].normal, quads[q].corners, quads[q].clockwise);

    const Corner bottom[3] = {{0, -1, -1, 0, 1}, {1, -1, 0, 1, 1}, {0, -1, 1, 0, 0}};
    const Corner top[3] = {{0, 1, -1, 0, 1}, {1, 1, 0, 1, 1}, {0, 1, 1, 0, 0}};
    for (int c = 0; c < 3; ++c) {
        setVertex(mesh.vertices[32 + c], bottom[c].x, bottom[c].y, bottom[c].z, 0, -1, 0, bottom[c].u, bottom[c].t);
        setVertex(mesh.vertices[35 + c], top[c].x, top[c].y, top[c].z, 0, 1, 0, top[c].u, top[c].t);
    }
    for (int k : {32, 33, 34, 35, 37, 36}) mesh.indices.push_back(static_cast<unsigned short>(k));
    return mesh;
}

MeshData MeshBuilder::bumper(int n) {
    const char* name = "Model::createBumper";
    if (n < 4) return refuse(name, "needs at least 4 segments", n, MeshData::triangleStrip);
    const long long m = n / 2;
    const long long vertexCount = 2LL * (n + 1) + 2 + (m + 1) * (m - 2);
    if (!fitsIndices(vertexCount)) {
        return refuse(name, "too many vertices for 16-bit indices", n, MeshData::triangleStrip);
    }

    MeshData mesh;
    mesh.mode = MeshData::triangleStrip;
    // Nothing reads a bumper's bounds; x reaches a little beyond the knob.
    mesh.boundsMin = Vector4(-1.5f, -1, -1, 1);
    mesh.boundsMax = Vector4(1, 1, 1, 1);
    mesh.vertices = AlignedSharedArray<Vertex>(static_cast<int>(vertexCount));

    addTube(mesh, n, -0.8f, 1.0f, 0.9f);
    const int bottomPole = 2 * n + 2;
    const int topPole = 2 * n + 3;
    setVertex(mesh.vertices[bottomPole], -0.75f, -1, 0, 0, -1, 0, 0, 0);
    setVertex(mesh.vertices[topPole], -0.75f, 1, 0, 0, 1, 0, 1, 1);
    const int rings = static_cast<int>(m) - 2;
    auto ringVertex = [&](int k, int j) { return 2 * n + 4 + k * rings + (j - 1); };
    for (int k = 0; k <= m; ++k) {
        double theta = 2.0 * static_cast<double>(pi) * k / static_cast<double>(m);
        float cosTheta = static_cast<float>(std::cos(theta));
        float sinTheta = static_cast<float>(std::sin(theta));
        for (int j = 1; j <= rings; ++j) {
            double phi = j * static_cast<double>(pi) / static_cast<double>(m - 1) - static_cast<double>(pi) / 2.0;
            float cosPhi = static_cast<float>(std::cos(phi));
            float sinPhi = static_cast<float>(std::sin(phi));
            float dx = cosPhi * cosTheta, dy = sinPhi, dz = cosPhi * sinTheta;
            Vertex& v = mesh.vertices[ringVertex(k, j)];
            v.position = Vector4(-0.75f + 0.3f * dx, dy, dz, 1.0f);
            v.normal = normalized3(Vector4(dx / 0.3f, dy, dz, 0.0f));
            v.texX = static_cast<float>(k) / static_cast<float>(m);
            v.texY = static_cast<float>(j) / static_cast<float>(m - 1);
        }
    }

    mesh.indices.reserve(4 * static_cast<size_t>(n) + 1 + 2 * static_cast<size_t>(m * m));
    auto push = [&](int index) { mesh.indices.push_back(static_cast<unsigned short>(index)); };
    for (int i = 0; i < n; ++i) {
        push(2 * i);
        push(2 * i + 1);
        push(2 * i + 2);
        push(2 * i + 3);
    }
    push(2 * n + 1);
    for (int k = 0; k < m; ++k) {
        push(bottomPole);
        push(bottomPole);
        for (int j = 1; j <= rings; ++j) {
            push(ringVertex(k, j));
            push(ringVertex(k + 1, j));
        }
        push(topPole);
        push(topPole);
    }
    return mesh;
}

MeshData MeshBuilder::largeBumper(int n) {
    const char* name = "Model::createLargeBumper";
    if (n < 0) return refuse(name, "the segment count must not be negative", n, MeshData::triangles);
    const long long vertexCount = 3LL * n + 3;
    if (!fitsIndices(vertexCount)) return refuse(name, "too many vertices for 16-bit indices", n, MeshData::triangles);

    MeshData mesh;
    mesh.mode = MeshData::triangles;
    mesh.boundsMin = Vector4(-1, -1, -1, 1);
    mesh.boundsMax = Vector4(1, 1, 1, 1);
    mesh.vertices = AlignedSharedArray<Vertex>(static_cast<int>(vertexCount));
    const int centre = 2 * n + 2;
    if (n == 0) {
        setVertex(mesh.vertices[0], -1, 0, 0.9f, 0, 0, 1, 0, 0);
        setVertex(mesh.vertices[1], 1, 0, 0.9f, 0, 0, 1, 1, 0);
        setVertex(mesh.vertices[centre], -1, 0, 0, 1, 0, 0, 1, 0);
        return mesh;
    }
    addTube(mesh, n, -1.0f, 1.0f, 0.9f);
    setVertex(mesh.vertices[centre], -1, 0, 0, 1, 0, 0, 1, 0);
    for (int i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / static_cast<float>(n);
        double theta = static_cast<double>(t) * pi + static_cast<double>(t) * pi;
        float s = static_cast<float>(std::sin(theta));
        float c = static_cast<float>(std::cos(theta));
        // The disc is flat and seen from both sides: its rim shades like its centre.
        setVertex(mesh.vertices[centre + 1 + i], -1, s, c, 1, 0, 0, 1, t);
    }

    mesh.indices.reserve(12 * static_cast<size_t>(n));
    addTubeTriangles(mesh, n);
    auto rim = [&](int i) { return centre + 1 + (i % n); };
    for (int i = 0; i < n; ++i) {
        const int tri[6] = {centre, rim(i), rim(i + 1), centre, rim(i + 1), rim(i)};
        for (int k : tri) mesh.indices.push_back(static_cast<unsigned short>(k));
    }
    return mesh;
}

MeshData MeshBuilder::quad() {
    MeshData mesh;
    mesh.mode = MeshData::triangles;
    mesh.vertices = AlignedSharedArray<Vertex>(4);
    setVertex(mesh.vertices[0], -1, -1, 0, 0, 0, -1, 0, 0);
    setVertex(mesh.vertices[1], 1, -1, 0, 0, 0, -1, 1, 0);
    setVertex(mesh.vertices[2], 1, 1, 0, 0, 0, -1, 1, 1);
    setVertex(mesh.vertices[3], -1, 1, 0, 0, 0, -1, 0, 1);
    mesh.indices = {0, 1, 3, 1, 2, 3};
    return mesh;
}

MeshData MeshBuilder::boxGroup(const std::list<Matrix>& transforms) {
    const long long boxes = static_cast<long long>(transforms.size());
    if (boxes > maxBoxesPerGroup) {
        return refuse("Model::createBoxGroup", "more boxes than 16-bit indices can address in one mesh", boxes,
                      MeshData::triangles);
    }
    const float inf = std::numeric_limits<float>::infinity();
    MeshData mesh;
    mesh.mode = MeshData::triangles;
    mesh.boundsMin = Vector4(inf, inf, inf, inf);
    mesh.boundsMax = Vector4(-inf, -inf, -inf, -inf);
    mesh.vertices = AlignedSharedArray<Vertex>(static_cast<int>(24 * boxes));
    mesh.indices.reserve(36 * static_cast<size_t>(boxes));

    int box = 0;
    for (const Matrix& m : transforms) {
        const int first = 24 * box;
        for (int f = 0; f < 6; ++f) {
            const BoxFace& face = boxFace(f);
            for (int c = 0; c < 4; ++c) {
                const Corner& corner = face.corners[c];
                Vertex& v = mesh.vertices[first + 4 * f + c];
                v.position = m.transform(Vector4(corner.x, corner.y, corner.z, 1.0f));
                v.normal = face.normal;
                v.texX = corner.u;
                v.texY = corner.t;
            }
            const int order[6] = {0, 1, 2, 2, 3, 0};
            for (int k : order) mesh.indices.push_back(static_cast<unsigned short>(first + 4 * f + k));
        }
        for (int corner = 0; corner < 8; ++corner) {
            Vector4 p = m.transform(Vector4((corner & 1) ? 1.0f : -1.0f, (corner & 2) ? 1.0f : -1.0f,
                                            (corner & 4) ? 1.0f : -1.0f, 1.0f));
            mesh.boundsMin = componentMin(mesh.boundsMin, p);
            mesh.boundsMax = componentMax(mesh.boundsMax, p);
        }
        ++box;
    }
    return mesh;
}
