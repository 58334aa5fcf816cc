// What the programs upload when a Graphics is drawn through them: colours with the translucency rule
// and the per-frame offset, the matrices, and which program and texture stay bound afterwards.
#include <gtest/gtest.h>

#include "graphics/BasicShader.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/ParticleShader.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"

namespace {

class ProgramDrawTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        graphics.setModel(Model::createQuad());
        graphics.setTexture(Texture(whitePixelImage(), GL_RGBA));
    }

    Vector4 uniformVector(unsigned program, const char* name) {
        float v[4] = {0, 0, 0, 0};
        glGetUniformfv(program, glGetUniformLocation(program, name), v);
        return Vector4(v[0], v[1], v[2], v[3]);
    }
    Matrix uniformMatrix(unsigned program, const char* name) {
        float m[16];
        glGetUniformfv(program, glGetUniformLocation(program, name), m);
        return Matrix(Vector4::load(m), Vector4::load(m + 4), Vector4::load(m + 8), Vector4::load(m + 12));
    }
    GLint bound(GLenum what) {
        GLint value = -1;
        glGetIntegerv(what, &value);
        return value;
    }

    Graphics graphics;
    TestCamera camera;
};

void expectNear(const Matrix& a, const Matrix& b) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.data()[i], b.data()[i], 1e-5f) << i;
}

TEST_F(ProgramDrawTest, BasicShaderUploadsTintMatricesAndUnbindsAfterwards) {
    BasicShader shader;
    graphics.diffuseColor = Vector4(0.5f, 0.25f, 1.0f, 0.8f);
    graphics.diffuseColorOffset = Vector4(0.1f, 0.0f, 0.0f, 0.05f);
    graphics.translucentThisFrame = true;
    camera.view = Matrix::makeTranslation(Vector4(0.0f, 0.0f, -3.0f, 1.0f));
    camera.projection = Matrix::makeScale(Vector4(0.5f, 0.5f, 0.5f, 1.0f));
    const Matrix world = Matrix::makeTranslation(Vector4(1.0f, 2.0f, 3.0f, 1.0f)) *
                         Matrix::makeScale(Vector4(2.0f, 3.0f, 4.0f, 1.0f));
    shader.drawGraphics(world, camera, graphics);

    const Vector4 color = uniformVector(shader.getGLName(), "color");
    EXPECT_FLOAT_EQ(color.x(), 0.6f);
    EXPECT_FLOAT_EQ(color.y(), 0.25f);
    EXPECT_FLOAT_EQ(color.z(), 1.0f);
    EXPECT_FLOAT_EQ(color.w(), 0.8f * 0.25f + 0.05f);
    expectNear(uniformMatrix(shader.getGLName(), "world"), world);
    expectNear(uniformMatrix(shader.getGLName(), "view"), camera.view);
    expectNear(uniformMatrix(shader.getGLName(), "projection"), camera.projection);
    GLint unit = -1;
    glGetUniformiv(shader.getGLName(), glGetUniformLocation(shader.getGLName(), "texture"), &unit);
    EXPECT_EQ(unit, 0);
    EXPECT_EQ(bound(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(bound(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(bound(GL_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(ProgramDrawTest, ParticleShaderKeepsItsPassBoundUntilItEnds) {
    ParticleShader shader(Shader(GL_FRAGMENT_SHADER, "Shaders/particleFragment.glsl"),
                          Shader(GL_VERTEX_SHADER, "Shaders/particleVertex.glsl"));
    graphics.diffuseColor = Vector4(1.0f, 1.0f, 1.0f, 0.8f);
    graphics.translucentThisFrame = true;
    graphics.diffuseColorOffset = Vector4(0.0f, -0.5f, 0.0f, 0.0f);
    const Matrix world = Matrix::makeTranslation(Vector4(-1.0f, 0.5f, 0.0f, 1.0f));

    shader.setCamera(camera);
    shader.drawGraphicsInPass(world, graphics);
    EXPECT_EQ(static_cast<unsigned>(bound(GL_CURRENT_PROGRAM)), shader.getGLName());
    EXPECT_EQ(static_cast<unsigned>(bound(GL_TEXTURE_BINDING_2D)), graphics.getTexture()->getGLName());
    const Vector4 color = uniformVector(shader.getGLName(), "color");
    EXPECT_FLOAT_EQ(color.w(), 0.2f);
    EXPECT_FLOAT_EQ(color.y(), 0.5f);
    expectNear(uniformMatrix(shader.getGLName(), "world"), world);
    shader.endPass();
    EXPECT_EQ(bound(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(bound(GL_TEXTURE_BINDING_2D), 0);

    camera.projection = Matrix::makeScale(Vector4(0.25f, 0.5f, 1.0f, 1.0f));
    shader.drawGraphics(world, camera, graphics);
    EXPECT_EQ(bound(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(bound(GL_TEXTURE_BINDING_2D), 0);
    expectNear(uniformMatrix(shader.getGLName(), "viewProjection"), camera.projection * camera.view);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(ProgramDrawTest, ProgramSendsTheTransposedInverseOfTheWorld) {
    // A program whose vertex stage uses every matrix the base program uploads.
    const std::string vertex = writeTempFile("allMatrices.glsl",
                                             "#version 120\n"
                                             "attribute vec4 position;\nattribute vec3 normal;\n"
                                             "uniform mat4 world;\nuniform mat4 worldInverseTranspose;\n"
                                             "uniform mat4 view;\nuniform mat4 projection;\nvarying vec3 n;\n"
                                             "void main() { n = (worldInverseTranspose * vec4(normal, 0.0)).xyz;\n"
                                             "  gl_Position = projection * view * world * position; }\n");
    const std::string fragment = writeTempFile("normalColour.glsl",
                                               "#version 120\nvarying vec3 n;\nvoid main() { gl_FragColor = vec4(n, 1.0); }\n");
    Program program(Shader(GL_FRAGMENT_SHADER, fragment), Shader(GL_VERTEX_SHADER, vertex));
    const Matrix world = Matrix::makeTranslation(Vector4(3.0f, 0.0f, 1.0f, 1.0f)) *
                         Matrix::makeRotationY(0.7f) * Matrix::makeScale(Vector4(2.0f, 1.0f, 0.5f, 1.0f));
    glUseProgram(program.getGLName());
    program.drawGraphics(world, camera, graphics);
    glUseProgram(0);
    expectNear(uniformMatrix(program.getGLName(), "worldInverseTranspose"), world.inverse().transpose());
    expectNear(uniformMatrix(program.getGLName(), "world"), world);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

}  // namespace
