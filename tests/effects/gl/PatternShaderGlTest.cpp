// The pattern shader on a real context: the program compiles and links, the uniforms of one object
// read back as the slot layout, the light and the ball glow say, the texture falls back to
// "whitePixel", patterns change what is drawn; and the ring texture and the particle pass on the GPU.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "../EffectsScene.h"
#include "effects/BlobPattern.h"
#include "effects/ConcentricCirclePattern.h"
#include "effects/ConcentricCircleWorldPattern.h"
#include "effects/SimpleAlternatingPattern.h"
#include "effects/SlitherPattern.h"
#include "effects/StrangeLinePattern.h"
#include "effects/ParticleEmitter.h"
#include "effects/PatternDispenser.h"
#include "effects/TexturePattern.h"
#include "effects/WavePattern.h"
#include "graphics/Model.h"
#include "graphics/ParticleShader.h"
#include "graphics/PatternShader.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"
#include "physics/Plane.h"
#include "physics/Sphere.h"

namespace {

class PatternShaderGl : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        white = &scene.state.get<Texture>("whitePixel");
        // The scene's stand-in resources have no GL objects; these do.
        scene.state.resources.erase("whitePixel");
        scene.state.addResource("whitePixel", std::make_unique<Texture>(whitePixelImage(), GL_RGBA));
        white = &scene.state.get<Texture>("whitePixel");
        shader = std::make_unique<PatternShader>(Shader(GL_FRAGMENT_SHADER, "Shaders/patternFragment.glsl"),
                                                 Shader(GL_VERTEX_SHADER, "Shaders/patternVertex.glsl"));
    }

    GLint programInt(GLenum what) {
        GLint value = 0;
        glGetProgramiv(shader->getGLName(), what, &value);
        return value;
    }
    // The program whose uniforms are read: a variant once a test names one, else the shader's own.
    GLuint program() const { return readFrom != 0 ? readFrom : shader->getGLName(); }
    int uniformInt(const char* name) {
        GLint value = -12345;
        const GLint location = glGetUniformLocation(program(), name);
        EXPECT_NE(location, -1) << name;
        glGetUniformiv(program(), location, &value);
        return value;
    }
    float uniformFloat(const std::string& name) {
        float value = -12345.0f;
        const GLint location = glGetUniformLocation(program(), name.c_str());
        EXPECT_NE(location, -1) << name;
        glGetUniformfv(program(), location, &value);
        return value;
    }
    Vector4 uniformVector(const char* name) {
        float v[4] = {0, 0, 0, 0};
        const GLint location = glGetUniformLocation(program(), name);
        EXPECT_NE(location, -1) << name;
        glGetUniformfv(program(), location, v);
        return Vector4(v[0], v[1], v[2], v[3]);
    }
    static PatternSlots kindsList(std::initializer_list<int> kinds) {
        PatternSlots slots;
        for (int kind : kinds) slots.ids[slots.filled++] = kind;
        return slots;
    }
    float param(int index) { return uniformFloat("patternParams[" + std::to_string(index) + "]"); }
    GLint bound(GLenum what) {
        GLint value = -1;
        glGetIntegerv(what, &value);
        return value;
    }

    // An entity with a sphere body and a Graphics with a quad drawn through the shader.
    Entity* addObject(Vector4 position) {
        Entity* entity = scene.addEntity(position, new Sphere(1.0f), true);
        entity->graphics->setModel(Model::createQuad());
        entity->graphics->setTexture(Texture(whitePixelImage(), GL_RGBA));
        entity->graphics->setProgram(*shader);
        return entity;
    }

    EffectsScene scene;
    Texture* white = nullptr;
    std::unique_ptr<PatternShader> shader;
    GLuint readFrom = 0;
    TestCamera camera;
};

}  // namespace

TEST_F(PatternShaderGl, CompilesAndLinksEveryUniform) {
    ASSERT_NE(shader->getGLName(), 0u);
    EXPECT_EQ(programInt(GL_LINK_STATUS), GL_TRUE);
    for (const char* name : {"world",
                             "worldInverseTranspose",
                             "view",
                             "projection",
                             "zFar",
                             "texture",
                             "haveBall",
                             "ballPos",
                             "ballRadiusSquared",
                             "ballGlow",
                             "glowRadius",
                             "cameraPos",
                             "lightPos",
                             "lightAmbient",
                             "lightDiffuse",
                             "lightSpecular",
                             "shininess",
                             "colorDiffuse",
                             "colorSpecular",
                             "patternID0",
                             "patternID7",
                             "patternParams",
                             "patternParams[119]"})
        EXPECT_NE(glGetUniformLocation(shader->getGLName(), name), -1) << name;
}

TEST_F(PatternShaderGl, OneObjectsUniformsReadBack) {
    Entity* hero = addObject(Vector4(0.0f, 3.0f, 0.0f, 1.0f));
    hero->body->setShape(new Sphere(0.5f));
    scene.state.rootEntity = hero;

    Entity* drawn = addObject(Vector4(1.0f, 2.0f, 3.0f, 1.0f));
    auto* own = new WavePattern();
    own->color = Vector4(0.25f, 0.5f, 0.75f, 1.0f);
    own->thinness() = 0.125f;
    drawn->graphics->addPattern(own);
    drawn->graphics->diffuseColor = Vector4(0.5f, 0.5f, 0.5f, 1.0f);
    drawn->graphics->diffuseColorOffset = Vector4(0.0f, 0.0f, 0.0f, -0.25f);
    drawn->graphics->shininess = 12.0f;

    Entity* source = addObject(Vector4(4.0f, 2.0f, 3.0f, 1.0f));
    auto* dispenser = new PatternDispenser();
    dispenser->setPattern(new ConcentricCirclePattern());
    dispenser->cutOffStart = 5.0f;
    dispenser->cutOffEnd = 8.0f;
    source->addComponent(dispenser);

    camera.zFar = 250.0f;
    drawn->graphics->draw(Matrix(), camera);

    // Drawn through the one variant made for its kinds, own wave first, then the dispenser's rings,
    // which has them built in.
    ASSERT_EQ(shader->variantCount(), 1);
    readFrom = shader->programFor(kindsList({2, 5}));
    EXPECT_EQ(shader->variantCount(), 1);
    EXPECT_NE(readFrom, shader->getGLName());
    EXPECT_EQ(glGetUniformLocation(readFrom, "patternID0"), -1);
    // Slot 0: the object's own pattern at its body, without cut-off.
    EXPECT_FLOAT_EQ(param(0), 1.0f);
    EXPECT_FLOAT_EQ(param(1), 2.0f);
    EXPECT_FLOAT_EQ(param(2), 3.0f);
    EXPECT_EQ(param(3), std::numeric_limits<float>::infinity());
    EXPECT_EQ(param(4), std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ(param(5), 0.25f);
    EXPECT_FLOAT_EQ(param(8), 1.0f);
    EXPECT_FLOAT_EQ(param(9), 1.3f);
    EXPECT_FLOAT_EQ(param(12), 0.125f);
    // Slot 1: the dispenser's pattern at the dispenser's body.
    EXPECT_FLOAT_EQ(param(17), 4.0f);
    EXPECT_FLOAT_EQ(param(20), 5.0f);
    EXPECT_FLOAT_EQ(param(21), 8.0f);
    EXPECT_FLOAT_EQ(param(26), 18.0f);
    EXPECT_FLOAT_EQ(param(27), 0.7f);

    EXPECT_EQ(uniformInt("haveBall"), 1);
    EXPECT_EQ(uniformVector("ballPos"), Vector4(0.0f, 3.0f, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(uniformFloat("ballRadiusSquared"), 0.25f);
    EXPECT_EQ(uniformVector("ballGlow"), Vector4(0.8f, 0.8f, 0.8f, 0.0f));
    EXPECT_FLOAT_EQ(uniformFloat("glowRadius"), 1.0f);
    EXPECT_EQ(uniformVector("lightPos"), Vector4(50000.0f, 100000.0f, 50000.0f, 1.0f));
    EXPECT_EQ(uniformVector("lightAmbient"), Vector4(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(uniformVector("lightSpecular"), Vector4(0.5f, 0.5f, 0.5f, 0.0f));
    EXPECT_EQ(uniformVector("cameraPos"), Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(uniformFloat("zFar"), 250.0f);
    EXPECT_FLOAT_EQ(uniformFloat("shininess"), 12.0f);
    EXPECT_EQ(uniformVector("colorDiffuse"), Vector4(0.5f, 0.5f, 0.5f, 0.75f));
    EXPECT_EQ(uniformInt("texture"), 0);
    // Drawn alone: nothing stays bound, and the per-frame offset is spent.
    EXPECT_EQ(bound(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(bound(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(drawn->graphics->diffuseColorOffset, Vector4());
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(PatternShaderGl, PassWithoutHeroFallsBackToWhitePixelAndStaysBoundUntilItEnds) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    drawn->graphics->setTexture(Texture());
    shader->setCamera(camera);
    drawn->graphics->drawInPass(Matrix(), camera);
    readFrom = shader->programFor(kindsList({}));
    EXPECT_NE(readFrom, shader->getGLName());
    EXPECT_EQ(bound(GL_CURRENT_PROGRAM), static_cast<GLint>(readFrom));
    EXPECT_EQ(bound(GL_TEXTURE_BINDING_2D), static_cast<GLint>(white->getGLName()));
    // The variant first used inside the pass got the pass's uniforms.
    EXPECT_EQ(uniformInt("haveBall"), 0);
    EXPECT_EQ(uniformInt("texture"), 0);
    shader->endPass();
    EXPECT_EQ(bound(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(bound(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

// Every kind alone and a few lists of several, each object drawn alone and then three in one pass:
// the variants made for the lists draw what the general program draws.
TEST_F(PatternShaderGl, VariantsDrawWhatTheGeneralProgramDraws) {
    Entity* hero = addObject(Vector4(0.2f, 0.1f, 0.3f, 1.0f));
    scene.state.rootEntity = hero;
    auto make = [](int kind) -> Pattern* {
        Pattern* pattern = nullptr;
        switch (kind) {
            case 1: pattern = new SimpleAlternatingPattern(); break;
            case 2: pattern = new WavePattern(); break;
            case 3: pattern = new BlobPattern(); break;
            case 4:
                pattern = new StrangeLinePattern();
                pattern->parameters[3] = 0.0f;  // thin enough to show on a small quad
                pattern->parameters[4] = 3.0f;
                break;
            case 5: pattern = new ConcentricCirclePattern(); break;
            case 6: pattern = new ConcentricCircleWorldPattern(); break;
            case 7: pattern = new SlitherPattern(); break;
            default: pattern = new TexturePattern(); break;
        }
        pattern->scale() = 9.0f + static_cast<float>(kind);
        pattern->color = Vector4(0.1f * static_cast<float>(kind), 0.5f, 1.0f - 0.1f * static_cast<float>(kind), 0.5f);
        return pattern;
    };
    const std::vector<std::vector<int>> lists = {{}, {1}, {2}, {3}, {4}, {5}, {6}, {7}, {8}, {5, 3}, {8, 7, 2}};
    std::vector<Entity*> objects;
    for (const auto& kinds : lists) {
        Entity* object = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
        for (int kind : kinds) object->graphics->addPattern(make(kind));
        objects.push_back(object);
    }
    auto frame = [&](const std::vector<Entity*>& drawn, bool inPass) {
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        if (inPass) shader->setCamera(camera);
        for (Entity* object : drawn) {
            if (inPass) object->graphics->drawInPass(Matrix(), camera);
            else object->graphics->draw(Matrix(), camera);
        }
        if (inPass) shader->endPass();
        glDisable(GL_BLEND);
        return GlContext::readPixels(0, 0, GlContext::width, GlContext::height);
    };
    auto largestDifference = [](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
        int largest = a.size() == b.size() ? 0 : 255;
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            largest = std::max(largest, std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i])));
        return largest;
    };
    std::vector<std::uint8_t> plain;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        shader->setVariantLimit(0);
        const std::vector<std::uint8_t> general = frame({objects[i]}, false);
        // Each list shows: the comparison is between pictures with patterns in them.
        if (i == 0) plain = general;
        else EXPECT_GT(largestDifference(general, plain), 30) << "list " << i;
        shader->setVariantLimit(PatternShader::defaultVariantLimit);
        const std::vector<std::uint8_t> variant = frame({objects[i]}, false);
        EXPECT_LE(largestDifference(general, variant), 2) << "list " << i;
        EXPECT_EQ(shader->variantCount(), static_cast<int>(i) + 1);
    }
    for (std::size_t first = 0; first + 3 <= objects.size(); first += 3) {
        const std::vector<Entity*> three(objects.begin() + static_cast<std::ptrdiff_t>(first),
                                         objects.begin() + static_cast<std::ptrdiff_t>(first) + 3);
        shader->setVariantLimit(0);
        const std::vector<std::uint8_t> general = frame(three, true);
        shader->setVariantLimit(PatternShader::defaultVariantLimit);
        EXPECT_LE(largestDifference(general, frame(three, true)), 2) << "pass from list " << first;
        // A second pass re-sends its camera and the ball's glow to the variants it uses.
        hero->body->position = Vector4(-0.3f, 0.2f, 0.1f * static_cast<float>(first), 1.0f);
        shader->setVariantLimit(0);
        const std::vector<std::uint8_t> generalAgain = frame(three, true);
        shader->setVariantLimit(PatternShader::defaultVariantLimit);
        EXPECT_LE(largestDifference(generalAgain, frame(three, true)), 2) << "second pass from list " << first;
    }
    EXPECT_EQ(shader->variantCount(), static_cast<int>(lists.size()));
    // Past the limit the general program draws.
    shader->setVariantLimit(shader->variantCount());
    EXPECT_EQ(shader->programFor(kindsList({6, 6})), shader->getGLName());
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(PatternShaderGl, RingsShowOnTheSurface) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    auto draw = [&] {
        glClear(GL_COLOR_BUFFER_BIT);
        drawn->graphics->draw(Matrix(), camera);
        return GlContext::readPixels(0, GlContext::height / 2, GlContext::width, 1);
    };
    auto spread = [](const std::vector<std::uint8_t>& row) {
        int low = 255, high = 0;
        for (std::size_t i = 0; i < row.size(); i += 4) {
            low = std::min<int>(low, row[i]);
            high = std::max<int>(high, row[i]);
        }
        return high - low;
    };
    const std::vector<std::uint8_t> plain = draw();
    EXPECT_LE(spread(plain), 2);
    EXPECT_GT(plain[4 * (GlContext::width / 2)], 60);  // lit by the ambient light

    auto* rings = new ConcentricCirclePattern();
    rings->scale() = 12.0f;
    drawn->graphics->addPattern(rings);
    const std::vector<std::uint8_t> patterned = draw();
    EXPECT_GT(spread(patterned), 80);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

// A picture pattern reads the texture at its own place while the surface keeps its own colour: on a
// white texture it adds its full colour, here to green alone, and leaves red and blue as they were.
TEST_F(PatternShaderGl, PictureAddsItsColourOverTheSurface) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    auto centrePixel = [&] {
        glClear(GL_COLOR_BUFFER_BIT);
        drawn->graphics->draw(Matrix(), camera);
        const std::vector<std::uint8_t> row = GlContext::readPixels(0, GlContext::height / 2, GlContext::width, 1);
        const std::size_t at = 4 * (GlContext::width / 2);
        return std::vector<int>{row[at], row[at + 1], row[at + 2]};
    };
    const std::vector<int> plain = centrePixel();
    ASSERT_LT(plain[1], 180);

    auto* picture = new TexturePattern();
    picture->color = Vector4(0.0f, 0.25f, 0.0f, 0.0f);
    drawn->graphics->addPattern(picture);
    const std::vector<int> pictured = centrePixel();
    EXPECT_NEAR(pictured[0], plain[0], 2);
    EXPECT_NEAR(pictured[1], plain[1] + 64, 3);
    EXPECT_NEAR(pictured[2], plain[2], 2);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(PatternShaderGl, RingTextureFromADataFile) {
    Texture ring;
    EXPECT_EQ(readText("function ConcentricCirclePattern::buildTexture 18.5 0.8 1.2\n", ring), "");
    EXPECT_NE(ring.getGLName(), 0u);
    EXPECT_EQ(ring.getWidth(), 2048);
    EXPECT_EQ(ring.getHeight(), 512);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(PatternShaderGl, ParticlePassDrawsAndRestoresTheBlendFunction) {
    scene.state.resources.erase("particleShader");
    scene.state.addResource(
        "particleShader", std::make_unique<ParticleShader>(Shader(GL_FRAGMENT_SHADER, "Shaders/particleFragment.glsl"),
                                                           Shader(GL_VERTEX_SHADER, "Shaders/particleVertex.glsl")));
    scene.state.resources.erase("defaultModel");
    scene.state.addResource("defaultModel", std::make_unique<Model>(Model::createQuad()));
    Entity* owner = scene.addEntity(Vector4(0.0f, 0.0f, 0.0f, 1.0f), new Sphere(1.0f));
    auto* emitter = new ParticleEmitter();
    emitter->directionAngleVariance = Vector4();
    emitter->sizeRelative = false;
    emitter->fadeInTime = 0.0f;
    owner->addComponent(emitter);
    // One big opaque particle over the middle of the view.
    emitter->particleBaseEntity->graphics->diffuseColor = Vector4(1.0f, 1.0f, 1.0f, 1.0f);
    emitter->particleBaseEntity->graphics->setTexture(Texture(whitePixelImage(), GL_RGBA));
    static_cast<Plane*>(emitter->particleBaseEntity->body->shape)->size = Vector4(0.5f, 0.5f, 1.0f, 1.0f);
    emitter->particleBaseEntity->body->velocity = Vector4();
    emitter->particleBaseEntity->body->acceleration = Vector4();
    emitter->update(0.01f);
    ASSERT_EQ(emitter->liveParticleCount(), 1u);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE);
    // The scene draw culls back faces; a sprite turned to the camera shows whichever way it winds.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    emitter->draw(Matrix(), camera);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    glDisable(GL_CULL_FACE);
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(bound(GL_CURRENT_PROGRAM), 0);
    const std::vector<std::uint8_t> centre = GlContext::readPixels(GlContext::width / 2, GlContext::height / 2, 1, 1);
    EXPECT_GT(centre[0], 200);
    glDisable(GL_BLEND);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(PatternShaderGl, ShippedEffectsResourcesLoadQuietly) {
    GameState state;
    GameState* previous = currentGameState;
    currentGameState = &state;
    testing::internal::CaptureStderr();
    state.loadResourceFile("Content/Resources/effects.res");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("error"), std::string::npos) << log;
    EXPECT_EQ(log.find("Info log"), std::string::npos) << log;
    EXPECT_EQ(state.resources.size(), 2u);

    PatternShader& surfaces = state.get<PatternShader>("patternShader");
    GLint linked = GL_FALSE;
    glGetProgramiv(surfaces.getGLName(), GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    EXPECT_EQ(surfaces.getFragmentShader().getFileName(), "Shaders/patternFragment.glsl");

    Animation& puff = state.get<Animation>("smokePuffAnimation");
    ASSERT_EQ(puff.getFrames().size(), 8u);
    EXPECT_EQ(puff.getFrames()[0].getWidth(), 64);
    EXPECT_FLOAT_EQ(puff.getFrameTimes()[7], 0.12f);
    // The record writes back as it was read.
    const std::string text = writeText(surfaces);
    EXPECT_NE(text.find("PatternShader 0"), std::string::npos) << text;
    EXPECT_NE(text.find("fileNameVertex Shaders/patternVertex.glsl"), std::string::npos) << text;
    currentGameState = previous;
    EXPECT_EQ(GlContext::drainErrors(), 0);
}
