// One vertex of a mesh as it lies in a vertex buffer: 64 bytes, position at byte 16, normal at 32,
// texture coordinates at 48. The shaders' attribute pointers rely on those offsets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Vector4.h"

class BaseInStream;
class BaseOutStream;

struct alignas(16) Vertex {
    // Not read by any attribute; kept so that the position starts at byte 16.
    std::uint32_t header[4] = {0, 0, 0, 0};
    Vector4 position{0.0f, 0.0f, 0.0f, 1.0f};
    // Only x, y, z reach the shaders; w is 0 in every built mesh.
    Vector4 normal{0.0f, 1.0f, 0.0f, 0.0f};
    float texX = 0.0f;
    float texY = 0.0f;
    float padding[2] = {0.0f, 0.0f};

    // Version 1 is keyed; version 0 is positional with a three-float normal.
    static int getVersion() { return 1; }
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version) const;
};

static_assert(sizeof(Vertex) == 64, "vertex records are 64 bytes");
static_assert(alignof(Vertex) == 16, "vertex records are 16-byte aligned");
static_assert(offsetof(Vertex, position) == 16, "position attribute at byte 16");
static_assert(offsetof(Vertex, normal) == 32, "normal attribute at byte 32");
static_assert(offsetof(Vertex, texX) == 48, "texture coordinate attribute at byte 48");
static_assert(offsetof(Vertex, texY) == 52, "texture coordinate v at byte 52");
