// One compiled GLSL shader read from a source file. Copies share the GL shader object through a
// count of their own; the last copy deletes it.
#pragma once

#include <string>

class Shader {
public:
    // No GL object, empty file name.
    Shader();
    // Creates a shader of kind (GL_VERTEX_SHADER or GL_FRAGMENT_SHADER) and compiles the file's text.
    // A failed compile is logged inside its banner and the shader is kept anyway. Without the GL entry
    // points it keeps the name alone (GL object 0).
    Shader(unsigned kind, const std::string& fileName);
    // The same with lines put in right after the file's "#version" line (or before its text when it
    // has none), for variants of one source that fix some of its values at compile time.
    Shader(unsigned kind, const std::string& fileName, const std::string& preamble);
    Shader(const Shader& other);
    Shader& operator=(const Shader& other);
    virtual ~Shader();

    // The same as the (kind, fileName) constructor.
    static Shader compile(unsigned kind, const std::string& fileName) { return Shader(kind, fileName); }

    unsigned getGLName() const { return glName; }
    const std::string& getFileName() const { return *fileName; }
    // How many copies share this shader.
    int useCount() const { return *count; }

private:
    void release();

    unsigned glName = 0;
    std::string* fileName;
    int* count;
};
