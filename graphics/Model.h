// One mesh on the graphics card: a vertex buffer of 64-byte Vertex records, an index buffer of 16-bit
// indices and the primitive mode. Copies share both buffers through the resource count; the last copy
// deletes them. The procedural builders ("Model::createBox" and the others) live here too.
#pragma once

#include <list>
#include <memory>
#include <vector>

#include "core/Matrix.h"
#include "core/TextFormat.h"
#include "core/Vector4.h"
#include "engine/Resource.h"
#include "graphics/AlignedSharedArray.h"
#include "graphics/MeshData.h"
#include "graphics/Vertex.h"

struct RetainedMesh;

class alignas(16) Model : public Resource {
public:
    // Two fresh buffer names, nothing uploaded, both bounds (0, 0, 0, 1). Mode 4 is GL_TRIANGLES.
    explicit Model(unsigned mode = MeshData::triangles);
    // Triangles from the two arrays; the bounds span every vertex position (infinite when empty).
    Model(const AlignedSharedArray<Vertex>& vertices, const std::vector<unsigned short>& indices);
    // A built mesh with its own mode and bounds.
    explicit Model(const MeshData& mesh);
    Model(const Model& other);
    Model& operator=(const Model& other);
    ~Model() override;

    Model* clone() const override;
    virtual int getVersion() const { return 1; }
    // Keys "vertexArray" and "indexArray" (positional at version 0), then the upload. A mesh whose
    // indices reach past its vertices is reported and left empty.
    virtual void read(BaseInStream& in, int version);
    // Reads the mesh back from the buffers; the buffers are left as they were.
    virtual void write(BaseOutStream& out, int version);

    // Draws indexCount indices in the model's mode with the given linked program; leaves both buffer
    // bindings at 0 and the attribute arrays disabled.
    virtual void draw(unsigned program);
    virtual void enableAttributes(unsigned program);
    virtual void disableAttributes(unsigned program);

    // Replaces the buffer contents (mode and bounds stay).
    void upload(const AlignedSharedArray<Vertex>& vertices, const std::vector<unsigned short>& indices);

    // The builders: each returns a new model owning new buffers. A refused argument (reported) gives
    // an empty model.
    static Model createEllipsoid(float minX, float minY, float minZ, float maxX, float maxY, float maxZ, int n);
    static Model createSphere(int n);
    static Model createBox();
    static Model createCapsule(int n);
    static Model createArrow();
    static Model createBumper(int n);
    static Model createLargeBumper(int n);
    static Model createQuad();
    // One box per matrix; more boxes than 16-bit indices can address are refused.
    static Model createBoxGroup(const std::list<Matrix>& transforms);

    unsigned getMode() const { return mode; }
    unsigned getVertexBuffer() const { return vertexBuffer; }
    unsigned getIndexBuffer() const { return indexBuffer; }
    int getIndexCount() const { return indexCount; }
    int getVertexCount() const { return vertexCount; }

    unsigned mode;
    unsigned vertexBuffer = 0;
    unsigned indexBuffer = 0;
    int indexCount = 0;
    // Records in the vertex buffer; lets write read the buffer back.
    int vertexCount = 0;
    Vector4 boundsMin{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 boundsMax{0.0f, 0.0f, 0.0f, 1.0f};

private:
    void generateBuffers();
    void releaseBuffers();

    // The mesh in main memory, only while no GL context holds it; shared by the copies.
    std::shared_ptr<RetainedMesh> retained;
};

// "vertexArray": a container of Vertex objects ("size" optional, then the records, then "end").
template <>
struct TextValue<AlignedSharedArray<Vertex>> {
    static void read(BaseInStream& in, AlignedSharedArray<Vertex>& value);
    static void write(BaseOutStream& out, const AlignedSharedArray<Vertex>& value);
};
