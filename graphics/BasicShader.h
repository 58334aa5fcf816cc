// The program of plain textured, tinted objects (loading screen, menus): a texture on unit 0 times
// one colour. Built in code, never read from a resource file.
#pragma once

#include "graphics/Program.h"

class BasicShader : public Program {
public:
    // From "Shaders/basicVertex.glsl" and "Shaders/particleFragment.glsl".
    BasicShader();
    BasicShader(Shader vertex, Shader fragment);
    BasicShader(const BasicShader& other) = default;
    BasicShader& operator=(const BasicShader& other) = default;

    BasicShader* clone() const override;
    // Makes the program current, uploads "texture" 0 and "color" (draw colour plus the diffuse
    // offset), binds the Graphics' texture, draws as Program does, then unbinds texture and program.
    void drawGraphics(const Matrix& world, Camera& camera, Graphics& graphics) override;
};
