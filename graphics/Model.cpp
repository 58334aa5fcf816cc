// GL buffers of a mesh: upload, draw with a program's attributes, sharing between copies, the text form
// of resource records and the registered mesh builders.
#include "graphics/Model.h"

#include <GL/glew.h>

#include <cmath>
#include <deque>
#include <iostream>
#include <limits>
#include <new>

#include "core/Function.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "graphics/MeshBuilder.h"

namespace {

const auto& modelType = registerType<Model>("Model");

// Without a context (tools and tests that only read data) the entry points are not loaded; the model
// then keeps its mesh in main memory so that it can still be written.
bool glBuffersAvailable() { return glGenBuffers != nullptr; }

const bool builtinMeshFunctionsRegistered = [] {
    registerFunction<Model()>("Model::createBox", &Model::createBox);
    registerFunction<Model(int)>("Model::createSphere", &Model::createSphere);
    registerFunction<Model(int)>("Model::createCapsule", &Model::createCapsule);
    registerFunction<Model()>("Model::createArrow", &Model::createArrow);
    registerFunction<Model(int)>("Model::createBumper", &Model::createBumper);
    registerFunction<Model(int)>("Model::createLargeBumper", &Model::createLargeBumper);
    return true;
}();

void attributePointer(unsigned program, const char* name, int size, int offset) {
    const GLint location = glGetAttribLocation(program, name);
    if (location == -1) return;
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), size, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset)));
}

void disableAttribute(unsigned program, const char* name) {
    const GLint location = glGetAttribLocation(program, name);
    if (location != -1) glDisableVertexAttribArray(static_cast<GLuint>(location));
}

}  // namespace

// Main-memory copy of a mesh, kept only while no GL context is there to hold it.
struct RetainedMesh {
    AlignedSharedArray<Vertex> vertices;
    std::vector<unsigned short> indices;
};

Model::Model(unsigned mode) : mode(mode) { generateBuffers(); }

Model::Model(const AlignedSharedArray<Vertex>& vertices, const std::vector<unsigned short>& indices)
    : mode(MeshData::triangles) {
    generateBuffers();
    upload(vertices, indices);
    const float inf = std::numeric_limits<float>::infinity();
    boundsMin = Vector4(inf, inf, inf, 1.0f);
    boundsMax = Vector4(-inf, -inf, -inf, 1.0f);
    for (const Vertex& v : vertices) {
        boundsMin = componentMin(boundsMin, v.position);
        boundsMax = componentMax(boundsMax, v.position);
    }
}

Model::Model(const MeshData& mesh) : mode(mesh.mode), boundsMin(mesh.boundsMin), boundsMax(mesh.boundsMax) {
    generateBuffers();
    upload(mesh.vertices, mesh.indices);
}

Model::Model(const Model& other)
    : Resource(other),
      mode(other.mode),
      vertexBuffer(other.vertexBuffer),
      indexBuffer(other.indexBuffer),
      indexCount(other.indexCount),
      vertexCount(other.vertexCount),
      boundsMin(other.boundsMin),
      boundsMax(other.boundsMax),
      retained(other.retained) {}

Model& Model::operator=(const Model& other) {
    if (this == &other) return *this;
    if (shareFrom(other)) releaseBuffers();
    mode = other.mode;
    vertexBuffer = other.vertexBuffer;
    indexBuffer = other.indexBuffer;
    indexCount = other.indexCount;
    vertexCount = other.vertexCount;
    boundsMin = other.boundsMin;
    boundsMax = other.boundsMax;
    retained = other.retained;
    return *this;
}

Model::~Model() {
    if (release()) releaseBuffers();
}

Model* Model::clone() const { return new Model(*this); }

void Model::generateBuffers() {
    if (!glBuffersAvailable()) {
        retained = std::make_shared<RetainedMesh>();
        return;
    }
    glGenBuffers(1, &vertexBuffer);
    glGenBuffers(1, &indexBuffer);
}

void Model::releaseBuffers() {
    if (glBuffersAvailable()) {
        if (vertexBuffer) glDeleteBuffers(1, &vertexBuffer);
        if (indexBuffer) glDeleteBuffers(1, &indexBuffer);
    }
    vertexBuffer = 0;
    indexBuffer = 0;
    retained.reset();
}

void Model::upload(const AlignedSharedArray<Vertex>& vertices, const std::vector<unsigned short>& indices) {
    vertexCount = vertices.size();
    indexCount = static_cast<int>(indices.size());
    if (!glBuffersAvailable()) {
        // Shared with every copy, as the buffers would be.
        if (!retained) retained = std::make_shared<RetainedMesh>();
        retained->vertices = vertices;
        retained->indices = indices;
        return;
    }
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCount) * static_cast<GLsizeiptr>(sizeof(Vertex)),
                 vertices.data, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount) * 2,
                 indices.empty() ? nullptr : indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void Model::enableAttributes(unsigned program) {
    attributePointer(program, "position", 4, static_cast<int>(offsetof(Vertex, position)));
    attributePointer(program, "normal", 3, static_cast<int>(offsetof(Vertex, normal)));
    attributePointer(program, "vertexTexCoord", 2, static_cast<int>(offsetof(Vertex, texX)));
}

void Model::disableAttributes(unsigned program) {
    disableAttribute(program, "position");
    disableAttribute(program, "normal");
    disableAttribute(program, "vertexTexCoord");
}

void Model::draw(unsigned program) {
    // An empty mesh draws nothing; sparing the calls changes nothing on screen.
    if (indexCount <= 0 || !glBuffersAvailable()) return;
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    enableAttributes(program);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glDrawElements(mode, indexCount, GL_UNSIGNED_SHORT, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    disableAttributes(program);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void Model::read(BaseInStream& in, int version) {
    AlignedSharedArray<Vertex> vertices;
    std::vector<unsigned short> indices;
    if (version == 0) {
        readValue(in, vertices);
        readValue(in, indices);
    } else {
        // Hand-written: the arrays go to locals that are checked before the model is uploaded.
        std::string key;
        while (readKey(in, key)) {
            if (key == "vertexArray") {
                readValue(in, vertices);
            } else if (key == "indexArray") {
                readValue(in, indices);
            } else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
        }
    }
    for (unsigned short index : indices) {
        if (index >= vertices.size()) {
            std::cerr << "error: " << in.getName() << ": model index " << index << " is beyond its "
                      << vertices.size() << " vertices; the model is left empty" << std::endl;
            vertices = AlignedSharedArray<Vertex>();
            indices.clear();
            break;
        }
    }
    upload(vertices, indices);
}

void Model::write(BaseOutStream& out, int version) {
    AlignedSharedArray<Vertex> vertices;
    std::vector<unsigned short> indices;
    if (retained) {
        vertices = retained->vertices;
        indices = retained->indices;
    } else if (glBuffersAvailable() && (vertexCount > 0 || indexCount > 0)) {
        vertices = AlignedSharedArray<Vertex>(vertexCount);
        indices.resize(static_cast<size_t>(indexCount));
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(vertexCount) * static_cast<GLsizeiptr>(sizeof(Vertex)),
                           vertices.data);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
        glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(indexCount) * 2, indices.data());
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    writeField(out, "vertexArray", vertices);
    writeField(out, "indexArray", indices);
    writeEnd(out);
}

Model Model::createEllipsoid(float minX, float minY, float minZ, float maxX, float maxY, float maxZ, int n) {
    return Model(MeshBuilder::ellipsoid(minX, minY, minZ, maxX, maxY, maxZ, n));
}
Model Model::createSphere(int n) { return Model(MeshBuilder::sphere(n)); }
Model Model::createBox() { return Model(MeshBuilder::box()); }
Model Model::createCapsule(int n) { return Model(MeshBuilder::capsule(n)); }
Model Model::createArrow() { return Model(MeshBuilder::arrow()); }
Model Model::createBumper(int n) { return Model(MeshBuilder::bumper(n)); }
Model Model::createLargeBumper(int n) { return Model(MeshBuilder::largeBumper(n)); }
Model Model::createQuad() { return Model(MeshBuilder::quad()); }
Model Model::createBoxGroup(const std::list<Matrix>& transforms) { return Model(MeshBuilder::boxGroup(transforms)); }

// ---------------------------------------------------------------------------------------------------
// Text form of vertices and the mesh arrays

namespace {
// The keys of a vertex, in the order they are written.
const Field<Vertex> vertexFields[] = {
    field<&Vertex::position>("position"),
    field<&Vertex::normal>("normal"),
    field<&Vertex::texX>("texX"),
    field<&Vertex::texY>("texY"),
};
}  // namespace

void Vertex::read(BaseInStream& in, int version) {
    if (version == 0) {
        readValue(in, position);
        float x = normal.x(), y = normal.y(), z = normal.z();
        readValue(in, x);
        readValue(in, y);
        readValue(in, z);
        normal = Vector4(x, y, z, 0.0f);
        readValue(in, texX);
        readValue(in, texY);
        return;
    }
    readFields(in, *this, vertexFields);
}

void Vertex::write(BaseOutStream& out, int version) const {
    writeFields(out, *this, vertexFields);
}

void TextValue<AlignedSharedArray<Vertex>>::read(BaseInStream& in, AlignedSharedArray<Vertex>& value) {
    std::deque<Vertex> records;
    readContainer(in, records);
    if (records.size() > static_cast<size_t>(AlignedSharedArray<Vertex>::maxCount)) {
        in.fail("more vertices than one array can hold");
        return;
    }
    AlignedSharedArray<Vertex> array(static_cast<int>(records.size()));
    int i = 0;
    for (const Vertex& v : records) array[i++] = v;
    value = array;
}

void TextValue<AlignedSharedArray<Vertex>>::write(BaseOutStream& out, const AlignedSharedArray<Vertex>& value) {
    BaseOutStream& s = out.containerStream(const_cast<AlignedSharedArray<Vertex>*>(&value));
    writeCode(s, BaseOutStream::lineEnd);
    writeContainerSize(out, value.size());
    for (const Vertex& v : value) {
        writeCode(s, BaseOutStream::indent);
        writeValue(s, v);
        writeCode(s, BaseOutStream::dedent);
        writeCode(s, BaseOutStream::lineEnd);
    }
    writeStringToken(s, "end");
}
