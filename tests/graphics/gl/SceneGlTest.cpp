// Models and the scene draw on a real (headless) context: shared buffers deleted once, buffers read
// back for writing, the GL state the draw leaves, and a rendered scene of the builders' meshes whose
// pixels show each object where the camera puts it (written to test-output/scene.png).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/PngFile.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/GameStateComponent.h"
#include "engine/MainLoop.h"
#include "graphics/BasicShader.h"
#include "graphics/BoxDrawGroup.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/PerspectiveCamera.h"
#include "graphics/SceneDraw.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"
#include "physics/Body.h"
#include "physics/OBB.h"
#include "physics/Sphere.h"

namespace {

// The plain textured program, able to draw inside a scene pass: it makes itself current when the
// pass opens and uploads each object's colour and texture.
class PassShader : public BasicShader {
public:
    PassShader() = default;
    PassShader(const PassShader& other) = default;
    PassShader* clone() const override { return new PassShader(*this); }
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

// A program that draws nothing and notes the depth-write and face-culling state at every draw.
class StateProbe : public Program {
public:
    struct Seen {
        bool depthWrites;
        bool culling;
    };
    explicit StateProbe(std::vector<Seen>* seen) : seen(seen) { glName = 0; }
    StateProbe* clone() const override { return new StateProbe(*this); }
    void drawGraphics(const Matrix&, Camera&, Graphics&) override { note(); }
    void drawGraphicsInPass(const Matrix&, Graphics&) override { note(); }
    void note() {
        GLboolean depth = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depth);
        seen->push_back(Seen{depth == GL_TRUE, glIsEnabled(GL_CULL_FACE) == GL_TRUE});
    }
    std::vector<Seen>* seen;
};

// Notes the depth-write state when the state components draw.
class DepthWatcher : public GameStateComponent {
public:
    DepthWatcher* clone() const override { return new DepthWatcher(*this); }
    void draw() override {
        GLboolean depth = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depth);
        depthWritesOn = depth == GL_TRUE;
        ++draws;
    }
    bool depthWritesOn = false;
    int draws = 0;
};

class SceneGlTest : public GlTest {
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
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_TRUE);
        white = std::make_unique<Texture>(whitePixelImage(), GL_RGBA);
    }
    void TearDown() override {
        state.drawGroups.clear();
        currentGameState = savedState;
        viewportWidth = savedWidth;
        viewportHeight = savedHeight;
        glDisable(GL_CULL_FACE);
        glDepthMask(GL_TRUE);
    }

    Entity* add(const Model& model, const Program& program, Vector4 position, Vector4 color, float size = 1.5f,
                int drawGroup = 0) {
        Entity* entity = new Entity();
        Body* body = new Body();
        body->setShape(new Sphere(size));
        body->position = position;
        entity->addComponent(body);
        Graphics* graphics = new Graphics();
        graphics->setModel(model);
        graphics->setProgram(program);
        graphics->setTexture(*white);
        graphics->diffuseColor = color;
        graphics->drawGroup = drawGroup;
        entity->addComponent(graphics);
        state.addEntity(entity);
        state.flushAddedEntities();
        return entity;
    }

    GameState state;
    GameState* savedState = nullptr;
    int savedWidth = 0;
    int savedHeight = 0;
    // Made once the context exists (the fixture is built before SetUp runs).
    std::unique_ptr<Texture> white;
};

bool isBuffer(unsigned name) { return glIsBuffer(name) == GL_TRUE; }

}  // namespace

TEST_F(SceneGlTest, CopiesShareBuffersThatTheLastCopyDeletes) {
    unsigned vertexBuffer = 0, indexBuffer = 0;
    {
        Model box = Model::createBox();
        vertexBuffer = box.getVertexBuffer();
        indexBuffer = box.getIndexBuffer();
        ASSERT_TRUE(isBuffer(vertexBuffer));
        ASSERT_TRUE(isBuffer(indexBuffer));
        {
            Model copy(box);
            std::unique_ptr<Model> clone(copy.clone());
            EXPECT_EQ(clone->getVertexBuffer(), vertexBuffer);
        }
        EXPECT_TRUE(isBuffer(vertexBuffer)) << "a copy's end left the buffers to the others";

        // Assigned over, a model that was the last holder of its buffers deletes them.
        Model sphere = Model::createSphere(8);
        const unsigned sphereBuffer = sphere.getVertexBuffer();
        sphere = box;
        EXPECT_FALSE(isBuffer(sphereBuffer));
        EXPECT_EQ(sphere.getVertexBuffer(), vertexBuffer);
    }
    EXPECT_FALSE(isBuffer(vertexBuffer));
    EXPECT_FALSE(isBuffer(indexBuffer));
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(SceneGlTest, WritingReadsTheMeshBackFromItsBuffers) {
    Model bumper = Model::createBumper(8);
    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeValue(out, bumper);
    }
    std::istringstream back(text.str());
    IStreamWrapper in(back);
    Model read;
    readValue(in, read);
    ASSERT_FALSE(in.hasFailed());
    EXPECT_EQ(read.getIndexCount(), 65);
    EXPECT_EQ(read.getVertexCount(), 30);
    std::vector<unsigned short> indices(65);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, read.getIndexBuffer());
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, 130, indices.data());
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    EXPECT_EQ(std::vector<unsigned short>(indices.begin() + 32, indices.begin() + 41),
              (std::vector<unsigned short>{17, 18, 18, 20, 22, 21, 23, 19, 19}));
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(SceneGlTest, DrawingLeavesNoBufferBoundAndNoArrayEnabled) {
    BasicShader shader;
    Model box = Model::createBox();
    glUseProgram(shader.getGLName());
    box.draw(shader.getGLName());
    GLint arrayBuffer = -1, elementBuffer = -1, enabled = 1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
    const GLint position = glGetAttribLocation(shader.getGLName(), "position");
    ASSERT_GE(position, 0);
    glGetVertexAttribiv(static_cast<GLuint>(position), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    glUseProgram(0);
    EXPECT_EQ(arrayBuffer, 0);
    EXPECT_EQ(elementBuffer, 0);
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(SceneGlTest, DepthWritesAndCullingFollowTheTranslucentPhase) {
    std::vector<StateProbe::Seen> seen;
    StateProbe probe(&seen);
    Model box = Model::createBox();
    PerspectiveCamera camera;
    auto* watcher = new DepthWatcher();
    state.addStateComponent(watcher);

    add(box, probe, Vector4(0, 0, -10, 1), Vector4(1, 1, 1, 1));
    add(box, probe, Vector4(0, 0, -20, 1), Vector4(1, 1, 1, 1));
    drawScene(state, camera);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].depthWrites && seen[0].culling && seen[1].depthWrites && seen[1].culling);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << "only opaque objects: culling stays on";
    EXPECT_EQ(watcher->draws, 1) << "a component queued before the draw draws in that frame";

    seen.clear();
    add(box, probe, Vector4(0, 0, -30, 1), Vector4(1, 1, 1, 0.5f));
    Entity* last = add(box, probe, Vector4(0, 0, -5, 1), Vector4(1, 1, 1, 1));
    last->graphics->translucentThisFrame = true;
    drawScene(state, camera);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(seen[0].depthWrites && seen[1].depthWrites);
    EXPECT_FALSE(seen[2].depthWrites || seen[2].culling);
    EXPECT_FALSE(seen[3].depthWrites || seen[3].culling);
    EXPECT_TRUE(watcher->depthWritesOn) << "depth writes are back before the state components draw";
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE));
}

TEST_F(SceneGlTest, RenderedSceneShowsEachMeshWhereTheCameraPutsIt) {
    PassShader shader;
    ASSERT_NE(shader.getGLName(), 0u);
    PerspectiveCamera camera;
    camera.distance = 14;
    camera.rotateX = -0.15f;  // a little from above
    camera.updateView();

    struct Placed {
        const char* what;
        Entity* entity;
        Vector4 probe;  // a model-space point the mesh covers, seen from the camera
        Vector4 expected;
    };
    const Vector4 red(1, 0, 0, 1), green(0, 1, 0, 1), blue(0, 0, 1, 1), yellow(1, 1, 0, 1), magenta(1, 0, 1, 1),
        cyan(0, 1, 1, 1), orange(1, 0.5f, 0, 1), purple(0.5f, 0, 1, 1);
    std::vector<Placed> placed;
    Entity* box = add(Model::createBox(), shader, Vector4(-9, 3, 0, 1), red);
    box->body->rotation = quaternionFromAxisAngle(Vector4(0, 1, 0, 0), 0.5f);
    placed.push_back({"box", box, Vector4(0, 0, 0, 1), red});
    placed.push_back({"sphere", add(Model::createSphere(24), shader, Vector4(-4.5f, 3, 0, 1), green),
                      Vector4(0, 0, 0, 1), green});
    placed.push_back({"capsule", add(Model::createCapsule(24), shader, Vector4(0, 3, 0, 1), blue),
                      Vector4(0, 0, 0, 1), blue});
    placed.push_back({"bumper", add(Model::createBumper(24), shader, Vector4(4.5f, 3, 0, 1), yellow),
                      Vector4(0.3f, 0, 0, 1), yellow});
    placed.push_back({"large bumper", add(Model::createLargeBumper(24), shader, Vector4(9, 3, 0, 1), magenta),
                      Vector4(0, 0, 0, 1), magenta});
    placed.push_back({"arrow", add(Model::createArrow(), shader, Vector4(-6, -3.5f, 0, 1), cyan),
                      Vector4(-0.5f, 0, 0, 1), cyan});
    // Two members of one draw group: both drawn in the first one's colour, from one merged mesh.
    placed.push_back({"group member", add(Model::createSphere(8), shader, Vector4(2, -3.5f, 0, 1), orange, 1.2f, 3),
                      Vector4(0, 0, 0, 1), orange});
    placed.push_back({"second group member", add(Model::createSphere(8), shader, Vector4(7, -3.5f, 0, 1), purple, 1.2f, 3),
                      Vector4(0, 0, 0, 1), orange});
    state.buildDrawGroups();
    ASSERT_EQ(state.drawGroups.size(), 1u);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawScene(state, camera);
    EXPECT_EQ(GlContext::drainErrors(), 0);

    namespace fs = std::filesystem;
    const fs::path folder = fs::path(TOVIK_BINARY_DIR) / "test-output";
    fs::create_directories(folder);
    EXPECT_TRUE(writePngImage((folder / "scene.png").string(), readBackBuffer(), ""));

    const Matrix viewProjection = camera.getProjection() * camera.getView();
    for (const Placed& p : placed) {
        const Vector4 world = getBodyWorldMatrix(*p.entity->body).transform(p.probe);
        const Vector4 clip = viewProjection.transform(world);
        const int x = static_cast<int>((clip.x() / clip.w() + 1) * 0.5f * GlContext::width);
        const int y = static_cast<int>((clip.y() / clip.w() + 1) * 0.5f * GlContext::height);
        ASSERT_TRUE(x >= 0 && x < GlContext::width && y >= 0 && y < GlContext::height) << p.what;
        const std::vector<std::uint8_t> pixel = GlContext::readPixels(x, y, 1, 1);
        EXPECT_NEAR(pixel[0], p.expected.x() * 255, 3) << p.what << " at " << x << ", " << y;
        EXPECT_NEAR(pixel[1], p.expected.y() * 255, 3) << p.what << " at " << x << ", " << y;
        EXPECT_NEAR(pixel[2], p.expected.z() * 255, 3) << p.what << " at " << x << ", " << y;
    }
    // Between the objects the clear colour stays.
    const std::vector<std::uint8_t> corner = GlContext::readPixels(2, 2, 1, 1);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
}
