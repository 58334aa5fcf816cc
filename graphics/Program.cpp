// Linked GLSL programs: sharing between copies, the link log, the "Program" record part and the
// matrix uploads every program makes.
#include "graphics/Program.h"

#include <GL/glew.h>

#include <iostream>
#include <vector>

#include "graphics/Camera.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "core/TextFormat.h"

void setUniformMatrix(unsigned program, const char* name, const Matrix& value, bool transpose) {
    glUniformMatrix4fv(glGetUniformLocation(program, name), 1, transpose ? GL_TRUE : GL_FALSE, value.data());
}

void setUniformVector(unsigned program, const char* name, const Vector4& value) {
    glUniform4fv(glGetUniformLocation(program, name), 1, value.data());
}

void setUniformInt(unsigned program, const char* name, int value) {
    glUniform1i(glGetUniformLocation(program, name), value);
}

void setUniformFloat(unsigned program, const char* name, float value) {
    glUniform1f(glGetUniformLocation(program, name), value);
}

namespace {

// Deletes a program after detaching the shaders it was linked from.
void deleteProgram(unsigned program, const Shader& fragment, const Shader& vertex) {
    if (fragment.getGLName() != 0) glDetachShader(program, fragment.getGLName());
    if (vertex.getGLName() != 0) glDetachShader(program, vertex.getGLName());
    glDeleteProgram(program);
}

}  // namespace

Program::Program() = default;

Program::Program(Shader fragment, Shader vertex) : fragmentShader(fragment), vertexShader(vertex) {
    link();
}

Program::Program(const Program& other)
    : Resource(other), glName(other.glName), fragmentShader(other.fragmentShader), vertexShader(other.vertexShader) {}

Program& Program::operator=(const Program& other) {
    if (this == &other) return *this;
    const unsigned previous = glName;
    if (shareFrom(other) && previous != 0) deleteProgram(previous, fragmentShader, vertexShader);
    glName = other.glName;
    fragmentShader = other.fragmentShader;
    vertexShader = other.vertexShader;
    return *this;
}

Program::~Program() {
    releaseProgram();
}

void Program::releaseProgram() {
    if (release() && glName != 0) deleteProgram(glName, fragmentShader, vertexShader);
}

Program* Program::clone() const {
    return new Program(*this);
}

void Program::link() {
    // A program that only reads data (a fuzzer, a converter) has no GL entry points; the names stay, so
    // the record still writes back as read.
    if (!glCreateProgram) {
        std::cerr << "error: the program of \"" << fragmentShader.getFileName() << "\" and \""
                  << vertexShader.getFileName() << "\" was not built: the OpenGL entry points are not loaded"
                  << std::endl;
        return;
    }
    glName = glCreateProgram();
    if (fragmentShader.getGLName() != 0) glAttachShader(glName, fragmentShader.getGLName());
    if (vertexShader.getGLName() != 0) glAttachShader(glName, vertexShader.getGLName());
    glLinkProgram(glName);

    GLint logLength = 0;
    glGetProgramiv(glName, GL_INFO_LOG_LENGTH, &logLength);
    if (logLength > 1) {
        std::vector<GLchar> log(static_cast<std::size_t>(logLength) + 1, 0);
        glGetProgramInfoLog(glName, logLength, nullptr, log.data());
        std::cerr << "\n===========================\n"
                  << "Info log of program:\n\n"
                  << log.data() << "\n"
                  << "===========================\n\n"
                  << std::flush;
    }
}

void Program::rebuild(const std::string& fragmentFile, const std::string& vertexFile) {
    if (useCount() > 1) {
        // Other copies keep the old program; this one becomes an asset of its own under the same name.
        const std::string name = getName();
        Program fresh;
        shareFrom(fresh);
        setName(name);
    } else if (glName != 0) {
        if (fragmentShader.getGLName() != 0) glDetachShader(glName, fragmentShader.getGLName());
        if (vertexShader.getGLName() != 0) glDetachShader(glName, vertexShader.getGLName());
        glDeleteProgram(glName);
    }
    glName = 0;
    fragmentShader = Shader(GL_FRAGMENT_SHADER, fragmentFile);
    vertexShader = Shader(GL_VERTEX_SHADER, vertexFile);
    link();
}

void Program::setCamera(Camera& camera) {
    setUniformMatrix(glName, "view", camera.getView());
    setUniformMatrix(glName, "projection", camera.getProjection());
}

void Program::drawGraphics(const Matrix& world, Camera& camera, Graphics& graphics) {
    setUniformMatrix(glName, "world", world);
    // Sent with the transpose flag, so the shader receives the inverse's transpose.
    setUniformMatrix(glName, "worldInverseTranspose", world.inverse(), true);
    setUniformMatrix(glName, "view", camera.getView());
    setUniformMatrix(glName, "projection", camera.getProjection());
    if (Model* model = graphics.getModel()) model->draw(glName);
}

void Program::drawGraphicsInPass(const Matrix& world, Graphics& graphics) {
    setUniformMatrix(glName, "world", world);
    setUniformMatrix(glName, "worldInverseTranspose", world.inverse(), true);
    if (Model* model = graphics.getModel()) model->draw(glName);
}

void Program::endPass() {}

void Program::readProgramFields(BaseInStream& in, int version) {
    std::string fragmentFile = fragmentShader.getFileName();
    std::string vertexFile = vertexShader.getFileName();
    if (version == 0) {
        readValue(in, fragmentFile);
        readValue(in, vertexFile);
    } else {
        // Hand-written: the keys fill locals, and the program is rebuilt only when they changed.
        std::string key;
        while (readKey(in, key)) {
            if (key == "fileNameFragment") readValue(in, fragmentFile);
            else if (key == "fileNameVertex") readValue(in, vertexFile);
            else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
        }
    }
    if (fragmentFile != fragmentShader.getFileName() || vertexFile != vertexShader.getFileName())
        rebuild(fragmentFile, vertexFile);
}

void Program::writeProgramFields(BaseOutStream& out) {
    // The writing stream may edit the names (the property bars write through it).
    std::string fragmentFile = fragmentShader.getFileName();
    std::string vertexFile = vertexShader.getFileName();
    writeField(out, "fileNameFragment", fragmentFile);
    writeField(out, "fileNameVertex", vertexFile);
    writeEnd(out);
    if (fragmentFile != fragmentShader.getFileName() || vertexFile != vertexShader.getFileName())
        rebuild(fragmentFile, vertexFile);
}

void Program::readProgramPart(BaseInStream& in) {
    const int version = readBaseHeader(in);
    readProgramFields(in, version);
}

void Program::writeProgramPart(BaseOutStream& out) {
    writeBaseHeader(out, Program::getVersion(), "Program");
    writeProgramFields(out);
    writeBaseEnd(out);
}
