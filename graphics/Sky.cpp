// The level's backdrop: its level text and its draw round the eye ahead of the scene.
#include "graphics/Sky.h"

#include <GL/glew.h>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "graphics/Camera.h"

namespace {

const auto& skyType = registerType<Sky>();

}  // namespace

GameStateComponent* Sky::clone() const { return new Sky(*this); }

const auto& Sky::fields() {
    static constexpr Field<Sky> table[] = {
        field<&Sky::graphics>("graphics"),
    };
    return table;
}

void Sky::read(BaseInStream& in, int version) {
    int baseVersion = readBaseHeader(in);
    GameStateComponent::read(in, baseVersion);
    readFields(in, *this, fields());
}

void Sky::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, GameStateComponent::getVersion(), "GameStateComponent");
    GameStateComponent::write(out, GameStateComponent::getVersion());
    writeBaseEnd(out);
    writeFields(out, *this, fields());
}

Matrix Sky::placement(const Camera& camera) {
    const float radius = 0.5f * (camera.getZNear() + camera.getZFar());
    return Matrix::makeTranslation(camera.getPosition()) * Matrix::makeScale(Vector4(radius, radius, radius, 1.0f));
}

void Sky::drawBehind(Camera& camera) {
    if (disabled) return;
    GLboolean depthWrites = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    GLint depthFunction = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    GLfloat depthRange[2] = {0.0f, 1.0f};
    glGetFloatv(GL_DEPTH_RANGE, depthRange);
    const bool culling = glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    glDepthMask(GL_FALSE);
    glDepthRange(1.0, 1.0);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    graphics.draw(placement(camera), camera);
    glDepthMask(depthWrites);
    glDepthRange(depthRange[0], depthRange[1]);
    glDepthFunc(static_cast<GLenum>(depthFunction));
    if (culling) glEnable(GL_CULL_FACE);
}
