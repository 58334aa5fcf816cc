// The level's backdrop drawn by the scene on a real (headless) context: it fills the view round an eye
// far from the origin with the zenith up, what the scene draws stands in front of it even beyond its
// radius, see-through objects blend over it, the depth state is restored, and disabled it draws nothing.
#include <gtest/gtest.h>

#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/BasicShader.h"
#include "graphics/Model.h"
#include "graphics/PerspectiveCamera.h"
#include "graphics/SceneDraw.h"
#include "graphics/Sky.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"
#include "physics/Body.h"
#include "physics/Sphere.h"

namespace {

// The plain textured program inside a scene pass, as the game's particle program draws.
class TexturedPass : public BasicShader {
public:
    TexturedPass* clone() const override { return new TexturedPass(*this); }
    void setCamera(Camera& camera) override { glUseProgram(glName), Program::setCamera(camera); }
    void drawGraphicsInPass(const Matrix& world, Graphics& graphics) override {
        setUniformVector(glName, "color", getDrawColor(graphics));
        glBindTexture(GL_TEXTURE_2D, graphics.getTexture()->getGLName());
        Program::drawGraphicsInPass(world, graphics);
    }
    void endPass() override { glUseProgram(0); }
};

Graphics* look(Graphics* graphics, const Program& program, const Texture& texture, Vector4 colour) {
    graphics->setModel(Model::createSphere(24));
    graphics->setProgram(program);
    graphics->setTexture(texture);
    graphics->diffuseColor = colour;
    return graphics;
}

}  // namespace

TEST_F(GlTest, SkyFillsTheViewBehindEverythingTheSceneDraws) {
    GameState state;
    GameState* const saved = currentGameState;
    currentGameState = &state;
    viewportWidth = GlContext::width;
    viewportHeight = GlContext::height;
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    TexturedPass program;
    // One texel wide, four high: the lower half (towards the nadir) green, the upper half blue.
    PixelImage image = whitePixelImage();
    const unsigned char rows[16] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255};
    image.height = 4;
    image.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[16]);
    std::copy(rows, rows + 16, image.pixels.get());
    const Texture colours(image, GL_RGBA), white(whitePixelImage(), GL_RGBA);
    auto* sky = new Sky();
    look(&sky->graphics, program, colours, Vector4(1, 1, 1, 1));
    state.addStateComponent(sky);

    // The eye far from the origin, looking level along -z; a red ball straight ahead, beyond the
    // backdrop's radius, and a half see-through one up and to the left, before the blue.
    PerspectiveCamera camera(PerspectiveCamera::defaultFovy, 0.3f, 100.0f);
    camera.position = Vector4(500.0f, 40.0f, -300.0f, 1.0f);
    camera.distance = 5.0f;
    camera.updateView();
    const float radius = 0.5f * (camera.zNear + camera.zFar);
    for (const auto& [offset, size, alpha] : {std::tuple{Vector4(0, 0, -radius - 25, 0), 8.0f, 1.0f},
                                              std::tuple{Vector4(-6, 5, -20, 0), 2.0f, 0.5f}}) {
        auto* ball = new Entity();
        auto* body = new Body();
        body->setShape(new Sphere(size));
        body->position = camera.getPosition() + offset;
        ball->addComponent(body);
        ball->addComponent(look(new Graphics(), program, white, Vector4(1, 0, 0, alpha)));
        state.addEntity(ball);
    }
    state.flushAddedEntities();
    state.flushAddedComponents();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawScene(state, camera);

    const int w = GlContext::width, h = GlContext::height;
    auto pixel = [](int x, int y) { return GlContext::readPixels(x, y, 1, 1); };
    EXPECT_GT(pixel(w / 2, h / 2)[0], 240) << "the ball beyond the backdrop is hidden";
    // Blue along the top edge, green along the bottom, none of the clear colour: the zenith is up and
    // the inside faces are drawn all round.
    for (int x : {2, w / 2, w - 3}) {
        EXPECT_TRUE(pixel(x, h - 3)[2] > 200 && pixel(x, h - 3)[1] < 60) << x;
        EXPECT_TRUE(pixel(x, 2)[1] > 200 && pixel(x, 2)[2] < 60) << x;
    }
    // Both faces of the see-through ball blend over the blue: three quarters red, a quarter blue.
    const Vector4 clip = (camera.getProjection() * camera.getView()).transform(state.entities[1]->body->position);
    const auto seen = pixel(static_cast<int>((clip.x() / clip.w() + 1) * 0.5f * w),
                            static_cast<int>((clip.y() / clip.w() + 1) * 0.5f * h));
    EXPECT_NEAR(seen[0], 191, 20);
    EXPECT_NEAR(seen[2], 64, 20);
    GLboolean depthWrites = GL_FALSE;
    GLint depthFunction = 0;
    GLfloat depthRange[2] = {0, 0};
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    glGetFloatv(GL_DEPTH_RANGE, depthRange);
    EXPECT_TRUE(depthWrites == GL_TRUE && depthFunction == GL_LESS && depthRange[0] == 0 && depthRange[1] == 1);

    // Disabled, the backdrop draws nothing: the clear colour shows round the ball.
    sky->disabled = true;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawScene(state, camera);
    EXPECT_EQ(pixel(2, 2)[1] + pixel(2, 2)[2], 0);
    EXPECT_EQ(GlContext::drainErrors(), 0);
    glDisable(GL_CULL_FACE);
    currentGameState = saved;
}
