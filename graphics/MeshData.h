// A mesh in main memory, as the builders make it and before it goes to GL buffers: vertex records,
// 16-bit indices, the primitive mode and the bounds the model keeps.
#pragma once

#include <vector>

#include "core/Vector4.h"
#include "graphics/AlignedSharedArray.h"
#include "graphics/Vertex.h"

struct MeshData {
    // GL primitive modes, without pulling GL headers into every user.
    static constexpr unsigned triangles = 4;
    static constexpr unsigned triangleStrip = 5;

    unsigned mode = triangles;
    AlignedSharedArray<Vertex> vertices;
    std::vector<unsigned short> indices;
    Vector4 boundsMin{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 boundsMax{0.0f, 0.0f, 0.0f, 1.0f};

    // Vertex count a 16-bit index can still address.
    static constexpr long long maxVertices = 65536;
};
