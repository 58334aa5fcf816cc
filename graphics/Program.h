// A linked GLSL program made of a fragment and a vertex shader: the object a Graphics is drawn
// through. Copies share the GL program (resource count) and both shaders; the last copy detaches
// the shaders and deletes the program.
#pragma once

#include <string>

#include "core/Matrix.h"
#include "core/Vector4.h"
#include "engine/Resource.h"
#include "graphics/Shader.h"

class BaseInStream;
class BaseOutStream;
class Camera;
class Graphics;

class Program : public Resource {
public:
    // GL program 0 and two empty shaders (what a resource record starts from, and a missed lookup).
    Program();
    // A new GL program from the two shaders, linked at once.
    Program(Shader fragment, Shader vertex);
    Program(const Program& other);
    Program& operator=(const Program& other);
    ~Program() override;

    Program* clone() const override;
    virtual int getVersion() const { return 1; }

    // Opens a pass: uploads "view" and "projection". The subclasses also make the program current.
    virtual void setCamera(Camera& camera);
    // One object alone: "world", "worldInverseTranspose", "view", "projection", then the model draws.
    virtual void drawGraphics(const Matrix& world, Camera& camera, Graphics& graphics);
    // One object inside an open pass: "world" and "worldInverseTranspose", then the model draws.
    virtual void drawGraphicsInPass(const Matrix& world, Graphics& graphics);
    // Closes a pass; nothing to undo here.
    virtual void endPass();

    unsigned getGLName() const { return glName; }
    const Shader& getFragmentShader() const { return fragmentShader; }
    const Shader& getVertexShader() const { return vertexShader; }

    // The "Program" base part of the serialisable programs: version, label "Program", the keys
    // "fileNameFragment" and "fileNameVertex", "end". New names rebuild the GL program.
    void readProgramPart(BaseInStream& in);
    void writeProgramPart(BaseOutStream& out);
    // The part's fields alone at a stored version (0: the two names without keys, fragment first).
    void readProgramFields(BaseInStream& in, int version);
    void writeProgramFields(BaseOutStream& out);
    // Compiles both files into a new GL program and links it (what a read with new names does).
    void rebuild(const std::string& fragmentFile, const std::string& vertexFile);

protected:
    // Creates the GL program, attaches both shaders and links; a link log is written inside its banner.
    // Without the GL entry points it reports one line and the program stays 0.
    void link();
    // Drops this copy's reference; the last one detaches the shaders and deletes the GL program.
    void releaseProgram();

    unsigned glName = 0;
    Shader fragmentShader;
    Shader vertexShader;
};

// Uniform uploads by name, looked up at the moment of the upload (a name the program does not use is
// ignored by GL).
void setUniformMatrix(unsigned program, const char* name, const Matrix& value, bool transpose = false);
void setUniformVector(unsigned program, const char* name, const Vector4& value);
void setUniformInt(unsigned program, const char* name, int value);
void setUniformFloat(unsigned program, const char* name, float value);
