// The level's backdrop drawn by the scene on a real (headless) context: it fills the view round an eye
// far from the origin with the zenith up, whatever the scene draws stands in front of it even beyond
// its radius, see-through objects blend over it, it leaves the depth state as it found it, and a
// disabled backdrop draws nothing.
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
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
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

    auto addBall = [&](Vector4 offset, float size, Vector4 colour) {
        auto* ball = new Entity();
        auto* body = new Body();
        body->setShape(new Sphere(size));
        body->position = camera.getPosition() + offset;
        ball->addComponent(body);
        auto* graphics = new Graphics();
        graphics->setModel(Model::createSphere(16));
        graphics->setProgram(program);
        graphics->setTexture(white);
        graphics->diffuseColor = colour;
        ball->addComponent(graphics);
        state.addEntity(ball);
        state.flushAddedEntities();
        return ball;
    };
    // A red ball straight ahead, farther than the backdrop's radius but inside the far plane, and a
    // half see-through red one up and to the left, in front of the blue part of the backdrop.
    addBall(Vector4(0.0f, 0.0f, -(radius + 25.0f), 0.0f), 8.0f, Vector4(1, 0, 0, 1));
    Entity* glass = addBall(Vector4(-6.0f, 5.0f, -20.0f, 0.0f), 2.0f, Vector4(1, 0, 0, 0.5f));

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
    // What blends is blended over the backdrop, not over the clear colour, nor hidden by it.
    const Vector4 clip = (camera.getProjection() * camera.getView()).transform(glass->body->position);
    const auto seen = pixel(static_cast<int>((clip.x() / clip.w() + 1) * 0.5f * w),
                            static_cast<int>((clip.y() / clip.w() + 1) * 0.5f * h));
    // Both faces of the ball show, each covering half: three quarters red over a quarter of the blue.
    EXPECT_NEAR(seen[0], 191, 20);
    EXPECT_NEAR(seen[2], 64, 20);
    // The zenith is up: blue along the top edge, green along the bottom.
    const auto top = pixel(w / 4, h - 3), bottom = pixel(w / 4, 2);
    EXPECT_GT(top[2], 200);
    EXPECT_LT(top[1], 60);
    EXPECT_GT(bottom[1], 200);
    EXPECT_LT(bottom[2], 60);

    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE) << "depth writes are back for the scene";
    GLint depthFunction = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    EXPECT_EQ(depthFunction, GL_LESS);
    GLfloat depthRange[2] = {0, 0};
    glGetFloatv(GL_DEPTH_RANGE, depthRange);
    EXPECT_EQ(depthRange[0], 0.0f);
    EXPECT_EQ(depthRange[1], 1.0f);
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
