// The program of flat, textured, tinted objects such as particles: one combined view-projection,
// the world matrix, a texture on unit 0 and one colour. Resource records name it "ParticleShader".
#pragma once

#include "graphics/Program.h"

class ParticleShader : public Program {
public:
    ParticleShader() = default;
    ParticleShader(Shader fragment, Shader vertex) : Program(fragment, vertex) {}
    ParticleShader(const ParticleShader& other) = default;
    ParticleShader& operator=(const ParticleShader& other) = default;

    ParticleShader* clone() const override;
    int getVersion() const override { return 0; }

    // Makes the program current, uploads "viewProjection", texture unit 0 and "texture" 0.
    void setCamera(Camera& camera) override;
    // The whole set-up for one object, then unbinds texture and program.
    void drawGraphics(const Matrix& world, Camera& camera, Graphics& graphics) override;
    // "world", "color", the texture; texture and program stay bound for the next object.
    void drawGraphicsInPass(const Matrix& world, Graphics& graphics) override;
    // Unbinds the texture and the program.
    void endPass() override;

    // The record: the "Program" part, then "end".
    virtual void read(BaseInStream& in, int version);
    virtual void write(BaseOutStream& out, int version);
};
