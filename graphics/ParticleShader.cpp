// Flat, textured, tinted drawing for particles: one view-projection, no lighting.
#include "graphics/ParticleShader.h"

#include <GL/glew.h>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "graphics/Camera.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/Texture.h"

namespace {
const auto& particleShaderType = registerType<ParticleShader>("ParticleShader");

void bindGraphicsTexture(Graphics& graphics) {
    Texture* texture = graphics.getTexture();
    glBindTexture(GL_TEXTURE_2D, texture ? texture->getGLName() : 0);
}
}  // namespace

ParticleShader* ParticleShader::clone() const {
    return new ParticleShader(*this);
}

void ParticleShader::setCamera(Camera& camera) {
    glUseProgram(glName);
    setUniformMatrix(glName, "viewProjection", camera.getProjection() * camera.getView());
    glActiveTexture(GL_TEXTURE0);
    setUniformInt(glName, "texture", 0);
}

void ParticleShader::drawGraphicsInPass(const Matrix& world, Graphics& graphics) {
    setUniformMatrix(glName, "world", world);
    setUniformVector(glName, "color", getDrawColor(graphics) + graphics.diffuseColorOffset);
    bindGraphicsTexture(graphics);
    if (Model* model = graphics.getModel()) model->draw(glName);
}

void ParticleShader::drawGraphics(const Matrix& world, Camera& camera, Graphics& graphics) {
    setCamera(camera);
    drawGraphicsInPass(world, graphics);
    endPass();
}

void ParticleShader::endPass() {
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

void ParticleShader::read(BaseInStream& in, int version) {
    readProgramPart(in);
    // The record's own part holds nothing more than its closing "end".
    std::string key;
    while (readKey(in, key)) {
        skipUnknownKey(in, key);
    }
}

void ParticleShader::write(BaseOutStream& out, int version) {
    writeProgramPart(out);
    writeEnd(out);
}
