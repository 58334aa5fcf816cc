// Shaders and programs on a real context: the shipped shaders compile and link with the names the
// programs upload, failures are logged inside their banners and the program carries on, copies share
// one GL program that the last copy deletes, and the record form rebuilds only on new names.
#include <gtest/gtest.h>

#include <sstream>

#include "core/FileReader.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "graphics/BasicShader.h"
#include "graphics/ParticleShader.h"
#include "graphics/gl/GlContext.h"

namespace {

class ShaderProgramTest : public GlTest {};

GLint shaderStatus(unsigned shader) {
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    return status;
}

GLint linkStatus(unsigned program) {
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status;
}

TEST_F(ShaderProgramTest, ShippedShadersCompileAndLinkQuietly) {
    testing::internal::CaptureStderr();
    BasicShader basic;
    ParticleShader particle(Shader(GL_FRAGMENT_SHADER, "Shaders/particleFragment.glsl"),
                            Shader(GL_VERTEX_SHADER, "Shaders/particleVertex.glsl"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("Info log"), std::string::npos) << log;
    EXPECT_EQ(log.find("Could not open"), std::string::npos) << log;

    ASSERT_NE(basic.getGLName(), 0u);
    EXPECT_EQ(shaderStatus(basic.getVertexShader().getGLName()), GL_TRUE);
    EXPECT_EQ(shaderStatus(basic.getFragmentShader().getGLName()), GL_TRUE);
    EXPECT_EQ(linkStatus(basic.getGLName()), GL_TRUE);
    EXPECT_EQ(basic.getVertexShader().getFileName(), "Shaders/basicVertex.glsl");
    EXPECT_EQ(basic.getFragmentShader().getFileName(), "Shaders/particleFragment.glsl");
    for (const char* uniform : {"world", "view", "projection", "texture", "color"})
        EXPECT_NE(glGetUniformLocation(basic.getGLName(), uniform), -1) << uniform;
    for (const char* attribute : {"position", "vertexTexCoord"})
        EXPECT_NE(glGetAttribLocation(basic.getGLName(), attribute), -1) << attribute;

    ASSERT_NE(particle.getGLName(), 0u);
    EXPECT_EQ(linkStatus(particle.getGLName()), GL_TRUE);
    for (const char* uniform : {"viewProjection", "world", "texture", "color"})
        EXPECT_NE(glGetUniformLocation(particle.getGLName(), uniform), -1) << uniform;
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(ShaderProgramTest, CompileFailureIsLoggedInsideItsBannerAndTheShaderKept) {
    const std::string path = writeTempFile("broken.glsl", "#version 120\nvoid main() { gl_FragColor = vec4(1.0) + ; }\n");
    testing::internal::CaptureStderr();
    Shader shader(GL_FRAGMENT_SHADER, path);
    const std::string log = testing::internal::GetCapturedStderr();
    const std::string head = "\n===========================\nInfo log of shader " + path + "\n\n";
    ASSERT_EQ(log.rfind(head, 0), 0u) << log;
    const std::string tail = "\n===========================\n\n";
    ASSERT_GT(log.size(), head.size() + tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
    // The driver's own text sits between the banners.
    EXPECT_GT(log.size(), head.size() + tail.size() + 5);
    EXPECT_NE(shader.getGLName(), 0u);
    EXPECT_EQ(glIsShader(shader.getGLName()), GL_TRUE);
    EXPECT_EQ(shaderStatus(shader.getGLName()), GL_FALSE);
}

TEST_F(ShaderProgramTest, LinkFailureIsLoggedInsideItsBannerAndTheProgramKept) {
    // A vertex shader without main compiles but cannot link.
    const std::string vertex = writeTempFile("nomain.glsl", "#version 120\nattribute vec4 position;\nvec4 f() { return position; }\n");
    testing::internal::CaptureStderr();
    Program program(Shader(GL_FRAGMENT_SHADER, "Shaders/particleFragment.glsl"), Shader(GL_VERTEX_SHADER, vertex));
    const std::string log = testing::internal::GetCapturedStderr();
    const std::size_t head = log.find("\n===========================\nInfo log of program:\n\n");
    ASSERT_NE(head, std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 30), "\n===========================\n\n");
    EXPECT_NE(program.getGLName(), 0u);
    EXPECT_EQ(glIsProgram(program.getGLName()), GL_TRUE);
    EXPECT_EQ(linkStatus(program.getGLName()), GL_FALSE);
}

TEST_F(ShaderProgramTest, MissingSourceFileIsReportedAndCompiledEmpty) {
    testing::internal::CaptureStderr();
    Shader shader(GL_VERTEX_SHADER, "Shaders/noSuchShader.glsl");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Could not open file \""), std::string::npos) << log;
    EXPECT_NE(log.find("noSuchShader.glsl"), std::string::npos);
    EXPECT_NE(shader.getGLName(), 0u);
}

TEST_F(ShaderProgramTest, CopiesShareOneProgramThatTheLastCopyDeletes) {
    auto* first = new Program(Shader(GL_FRAGMENT_SHADER, "Shaders/particleFragment.glsl"),
                              Shader(GL_VERTEX_SHADER, "Shaders/particleVertex.glsl"));
    const unsigned name = first->getGLName();
    const unsigned vertex = first->getVertexShader().getGLName();
    const unsigned fragment = first->getFragmentShader().getGLName();
    Program* clone = first->clone();
    BasicShader other;
    {
        Program copy(*first);
        EXPECT_EQ(copy.getGLName(), name);
        EXPECT_EQ(first->useCount(), 3);
    }
    EXPECT_EQ(first->useCount(), 2);
    delete first;
    EXPECT_EQ(glIsProgram(name), GL_TRUE);
    EXPECT_EQ(glIsShader(vertex), GL_TRUE);
    // Assigning another program over the last copy frees this one.
    *clone = other;
    EXPECT_EQ(glIsProgram(name), GL_FALSE);
    EXPECT_EQ(glIsShader(vertex), GL_FALSE);
    EXPECT_EQ(glIsShader(fragment), GL_FALSE);
    EXPECT_EQ(clone->getGLName(), other.getGLName());
    EXPECT_EQ(other.useCount(), 2);
    // Assigning to itself changes nothing.
    *clone = *clone;
    EXPECT_EQ(other.useCount(), 2);
    delete clone;
    EXPECT_EQ(glIsProgram(other.getGLName()), GL_TRUE);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(ShaderProgramTest, RecordBuildsTheProgramAndSameNamesRebuildNothing) {
    FileReader in("record", "ParticleShader 0\n 1 Program\n  fileNameFragment Shaders/particleFragment.glsl\n"
                            "  fileNameVertex Shaders/particleVertex.glsl\n end\nend\n");
    ParticleShader shader;
    EXPECT_EQ(shader.getGLName(), 0u);
    readValue(in, shader);
    ASSERT_FALSE(in.hasFailed());
    ASSERT_NE(shader.getGLName(), 0u);
    EXPECT_EQ(linkStatus(shader.getGLName()), GL_TRUE);
    EXPECT_EQ(shader.getFragmentShader().getFileName(), "Shaders/particleFragment.glsl");

    const unsigned name = shader.getGLName();
    FileReader again("again", "ParticleShader 0 1 Program fileNameVertex Shaders/particleVertex.glsl end end");
    readValue(again, shader);
    EXPECT_EQ(shader.getGLName(), name);

    // An old record holds the two names without keys, fragment first.
    FileReader old("old", "ParticleShader 0 0 Program Shaders/particleFragment.glsl Shaders/basicVertex.glsl end");
    readValue(old, shader);
    EXPECT_NE(shader.getGLName(), name);
    EXPECT_EQ(glIsProgram(name), GL_FALSE) << "the program nobody shares any more is deleted";
    EXPECT_EQ(shader.getFragmentShader().getFileName(), "Shaders/particleFragment.glsl");
    EXPECT_EQ(shader.getVertexShader().getFileName(), "Shaders/basicVertex.glsl");
    EXPECT_EQ(linkStatus(shader.getGLName()), GL_TRUE);

    // Written out, the record reads back into a program from the same two files.
    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeValue(out, shader);
    }
    FileReader written("written", text.str());
    ParticleShader copy;
    readValue(written, copy);
    EXPECT_FALSE(written.hasFailed()) << text.str();
    EXPECT_EQ(copy.getFragmentShader().getFileName(), "Shaders/particleFragment.glsl");
    EXPECT_EQ(copy.getVertexShader().getFileName(), "Shaders/basicVertex.glsl");
    EXPECT_EQ(linkStatus(copy.getGLName()), GL_TRUE);
}

TEST_F(ShaderProgramTest, ParticleShaderOpensAPassWithViewProjection) {
    ParticleShader shader(Shader(GL_FRAGMENT_SHADER, "Shaders/particleFragment.glsl"),
                          Shader(GL_VERTEX_SHADER, "Shaders/particleVertex.glsl"));
    TestCamera camera;
    camera.view = Matrix::makeTranslation(Vector4(1.0f, 2.0f, 3.0f, 1.0f));
    camera.projection = Matrix::makeScale(Vector4(2.0f, 4.0f, 0.5f, 1.0f));
    shader.setCamera(camera);
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<unsigned>(current), shader.getGLName());
    float uploaded[16];
    glGetUniformfv(shader.getGLName(), glGetUniformLocation(shader.getGLName(), "viewProjection"), uploaded);
    const Matrix expected = camera.projection * camera.view;
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(uploaded[i], expected.data()[i]) << i;
    GLint unit = -1;
    glGetUniformiv(shader.getGLName(), glGetUniformLocation(shader.getGLName(), "texture"), &unit);
    EXPECT_EQ(unit, 0);
    shader.endPass();
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
}

}  // namespace
