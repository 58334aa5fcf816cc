// Plain textured, tinted drawing for the screens built in code.
#include "graphics/BasicShader.h"

#include <GL/glew.h>

#include "graphics/Graphics.h"
#include "graphics/Texture.h"

BasicShader::BasicShader()
    : BasicShader(Shader(GL_VERTEX_SHADER, "Shaders/basicVertex.glsl"),
                  Shader(GL_FRAGMENT_SHADER, "Shaders/particleFragment.glsl")) {}

BasicShader::BasicShader(Shader vertex, Shader fragment) : Program(fragment, vertex) {}

BasicShader* BasicShader::clone() const {
    return new BasicShader(*this);
}

void BasicShader::drawGraphics(const Matrix& world, Camera& camera, Graphics& graphics) {
    glUseProgram(glName);
    glActiveTexture(GL_TEXTURE0);
    setUniformInt(glName, "texture", 0);
    setUniformVector(glName, "color", getDrawColor(graphics) + graphics.diffuseColorOffset);
    Texture* texture = graphics.getTexture();
    glBindTexture(GL_TEXTURE_2D, texture ? texture->getGLName() : 0);
    Program::drawGraphics(world, camera, graphics);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}
