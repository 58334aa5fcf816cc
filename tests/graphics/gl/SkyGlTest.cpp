// The level's backdrop drawn by the scene on a real (headless) context: it fills the view round an eye
// far from the origin with the zenith up, whatever the scene draws stands in front of it even beyond
// its radius, it leaves the GL state as it found it, and a disabled backdrop draws nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "core/PngFile.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/BasicShader.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/PerspectiveCamera.h"
#include "graphics/SceneDraw.h"
#include "graphics/Sky.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"
#include "physics/Body.h"
#include "physics/Sphere.h"

namespace {

// The plain textured program inside a scene pass (as the game's particle program draws).
class TexturedPass : public BasicShader {
public:
    TexturedPass* clone() const override { return new TexturedPass(*this); }
    void setCamera(Camera& camera) override {
        glUseProgram(glName);
        Program::setCamera(camera);
    }
    void drawGraphicsInPass(const Matrix& world, Graphics& graphics) override {
        setUniformInt(glName, "texture", 0);
        setUniformVector(glName, "color", getDrawColor(graphics) + graphics.diffuseColorOffset);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, graphics.getTexture() ? graphics.getTexture()->getGLName() : 0);
        Program::drawGraphicsInPass(world, graphics);
    }
    void endPass() override {
        glBindTexture(GL_TEXTURE_2D, 0);
        glUseProgram(0);
    }
};

// One texel wide, four high: the lower half (towards the nadir) green, the upper half blue.
PixelImage halfAndHalf() {
    PixelImage image;
    image.width = 1;
    image.height = 4;
    image.channels = 4;
    image.format = GL_RGBA;
    image.bitDepth = 8;
    image.rowBytes = 4;
    image.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[16]);
    const unsigned char rows[16] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255};
    std::memcpy(image.pixels.get(), rows, sizeof rows);
    return image;
}

class SkyGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        savedState = currentGameState;
        currentGameState = &state;
        savedWidth = viewportWidth;
        savedHeight = viewportHeight;
        viewportWidth = GlContext::width;
        viewportHeight = GlContext::height;
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
    }
    void TearDown() override {
        currentGameState = savedState;
        viewportWidth = savedWidth;
        viewportHeight = savedHeight;
        glDisable(GL_CULL_FACE);
    }

    std::vector<std::uint8_t> pixel(int x, int y) { return GlContext::readPixels(x, y, 1, 1); }

    GameState state;
    GameState* savedState = nullptr;
    int savedWidth = 0;
    int savedHeight = 0;
};

}  // namespace

TEST_F(SkyGlTest, BackdropFillsTheViewBehindEverythingTheSceneDraws) {
    TexturedPass program;
    ASSERT_NE(program.getGLName(), 0u);
    Texture colours(halfAndHalf(), GL_RGBA);
    Texture white(whitePixelImage(), GL_RGBA);

    auto* sky = new Sky();
    sky->graphics.setModel(Model::createSphere(24));
    sky->graphics.setProgram(program);
    sky->graphics.setTexture(colours);
    state.addStateComponent(sky);
    state.flushAddedComponents();

    // The eye far from the origin, looking level along -z: the backdrop goes with it.
    PerspectiveCamera camera(PerspectiveCamera::defaultFovy, 0.3f, 100.0f);
    camera.position = Vector4(500.0f, 40.0f, -300.0f, 1.0f);
    camera.distance = 5.0f;
    camera.updateView();
    const float radius = 0.5f * (camera.zNear + camera.zFar);

    // A red ball straight ahead, farther than the backdrop's radius but inside the far plane.
    auto* ball = new Entity();
    auto* body = new Body();
    body->setShape(new Sphere(8.0f));
    body->position = camera.getPosition() + Vector4(0.0f, 0.0f, -(radius + 25.0f), 0.0f);
    ball->addComponent(body);
    auto* graphics = new Graphics();
    graphics->setModel(Model::createSphere(16));
    graphics->setProgram(program);
    graphics->setTexture(white);
    graphics->diffuseColor = Vector4(1, 0, 0, 1);
    ball->addComponent(graphics);
    state.addEntity(ball);
    state.flushAddedEntities();

    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_CULL_FACE);
    drawScene(state, camera);
    EXPECT_EQ(GlContext::drainErrors(), 0);

    const int w = GlContext::width, h = GlContext::height;
    const auto centre = pixel(w / 2, h / 2);
    EXPECT_TRUE(centre[0] > 240 && centre[1] < 15 && centre[2] < 15) << "the ball beyond the backdrop is hidden";
    // Every corner is backdrop, never the clear colour: its inside faces are drawn all round.
    for (const auto& [x, y] : {std::pair{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}}) {
        const auto p = pixel(x, y);
        EXPECT_GT(p[1] + p[2], 200) << "no backdrop at " << x << ", " << y;
        EXPECT_LT(p[0], 15) << x << ", " << y;
    }
    // The zenith is up: blue along the top edge, green along the bottom.
    const auto top = pixel(w / 4, h - 3), bottom = pixel(w / 4, 2);
    EXPECT_GT(top[2], 200);
    EXPECT_LT(top[1], 60);
    EXPECT_GT(bottom[1], 200);
    EXPECT_LT(bottom[2], 60);

    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE) << "depth writes are back for the scene";
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << "an opaque scene leaves culling on";
    EXPECT_NEAR(Sky::placement(camera).transform(Vector4(0, 0, 1, 1)).z(), camera.getPosition().z() + radius, 1e-3f);

    // Disabled, the backdrop draws nothing: the clear colour shows round the ball.
    sky->disabled = true;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawScene(state, camera);
    const auto corner = pixel(2, 2);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
    EXPECT_GT(pixel(w / 2, h / 2)[0], 240);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}
