// GLSL shaders compiled from files; the compile log is written inside a banner and the shader is used
// whatever its status.
#include "graphics/Shader.h"

#include <GL/glew.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <vector>

#include "core/FileLookup.h"

namespace {

// The whole file found for name; an unopenable file is reported and reads as empty.
std::string readShaderSource(const std::string& name) {
    std::string path;
    findFile(name, path);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "Could not open file \"" << path << "\": " << std::strerror(errno) << std::endl;
        return std::string();
    }
    std::string source = readFileToString(in);
    if (in.fail() && !in.eof()) std::cerr << "Could not read file \"" << path << "\": it is not a readable file" << std::endl;
    return source;
}

}  // namespace

Shader::Shader() : fileName(new std::string()), count(new int(1)) {}

Shader::Shader(unsigned kind, const std::string& name) : Shader(kind, name, std::string()) {}

Shader::Shader(unsigned kind, const std::string& name, const std::string& preamble)
    : fileName(new std::string(name)), count(new int(1)) {
    // A program that only reads data (a fuzzer, a converter) has no GL entry points: only the name is
    // kept, and the program made from it reports that.
    if (!glCreateShader) return;
    glName = glCreateShader(kind);
    std::string source = readShaderSource(name);
    if (!preamble.empty()) {
        // GLSL allows only comments and blanks before "#version".
        std::size_t at = 0;
        const std::size_t version = source.find("#version");
        if (version != std::string::npos) {
            const std::size_t lineEnd = source.find('\n', version);
            if (lineEnd == std::string::npos) source += '\n';
            at = lineEnd == std::string::npos ? source.size() : lineEnd + 1;
        }
        source.insert(at, preamble);
    }
    const GLchar* text = source.c_str();
    const GLint length = static_cast<GLint>(source.size());
    glShaderSource(glName, 1, &text, &length);
    glCompileShader(glName);

    GLint logLength = 0;
    glGetShaderiv(glName, GL_INFO_LOG_LENGTH, &logLength);
    if (logLength > 1) {
        std::vector<GLchar> log(static_cast<std::size_t>(logLength) + 1, 0);
        glGetShaderInfoLog(glName, logLength, nullptr, log.data());
        std::cerr << "\n===========================\n"
                  << "Info log of shader " << name << "\n\n"
                  << log.data() << "\n"
                  << "===========================\n\n"
                  << std::flush;
    }
}

Shader::Shader(const Shader& other) : glName(other.glName), fileName(other.fileName), count(other.count) {
    ++*count;
}

Shader& Shader::operator=(const Shader& other) {
    if (count == other.count) return *this;
    ++*other.count;
    release();
    glName = other.glName;
    fileName = other.fileName;
    count = other.count;
    return *this;
}

Shader::~Shader() {
    release();
}

void Shader::release() {
    if (--*count == 0) {
        if (glName != 0) glDeleteShader(glName);
        delete count;
        delete fileName;
    }
    count = nullptr;
    fileName = nullptr;
    glName = 0;
}
