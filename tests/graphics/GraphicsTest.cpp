// The drawing component's data: defaults, every stored text version, copies, resource lookups, the draw
// colour, takeover on attach, and the editor-only, camera-facing and copy-entity kinds.
#include <gtest/gtest.h>

#include <sstream>

#include "FakeProgram.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "effects/ConcentricCirclePattern.h"
#include "effects/WavePattern.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "graphics/CameraIndependentGraphics.h"
#include "graphics/CopyEntityGraphics.h"
#include "graphics/EditorGraphics.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/PerspectiveCamera.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Sphere.h"

namespace {

std::unique_ptr<Graphics> readGraphics(const std::string& text, Graphics* into = nullptr) {
    std::unique_ptr<Graphics> graphics(into ? into : new Graphics());
    std::istringstream stream(text);
    IStreamWrapper in(stream);
    readValue(in, *graphics);
    EXPECT_FALSE(in.hasFailed()) << text;
    return graphics;
}

std::string writeText(Graphics& graphics) {
    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeValue(out, graphics);
    }
    return text.str();
}

// The pattern library's hooks taken away for one test, as in a program that does not link it.
class WithoutPatternLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        saved = patternSupport();
        patternSupport() = PatternSupport();
    }
    void TearDown() override { patternSupport() = saved; }
    PatternSupport saved;
};

WavePattern* makeWave(float scale) {
    auto* wave = new WavePattern();
    wave->scale() = scale;
    return wave;
}

void expectColor(Vector4 actual, Vector4 expected) {
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(actual[i], expected[i]) << "lane " << i;
}

}  // namespace

TEST(GraphicsData, DefaultsAreWhiteUngroupedAndWithoutResources) {
    Graphics g;
    EXPECT_EQ(g.textureName, "whitePixel");
    EXPECT_TRUE(g.modelName.empty());
    EXPECT_TRUE(g.programName.empty());
    EXPECT_EQ(g.texture, nullptr);
    EXPECT_EQ(g.model, nullptr);
    EXPECT_EQ(g.program, nullptr);
    EXPECT_EQ(g.diffuseColor, Vector4(1, 1, 1, 1));
    EXPECT_EQ(g.specularColor, Vector4(1, 1, 1, 0));
    EXPECT_EQ(g.diffuseColorOffset, Vector4(0, 0, 0, 0));
    EXPECT_FALSE(g.translucentThisFrame);
    EXPECT_FLOAT_EQ(g.shininess, 5.0f);
    EXPECT_EQ(g.drawGroup, 0);
    EXPECT_EQ(g.getVersion(), 5);
}

TEST(GraphicsData, DrawColorThinsOnlyWhileTranslucentAndAboveAQuarter) {
    Graphics g;
    g.diffuseColor = Vector4(1, 0, 0, 1);
    expectColor(getDrawColor(g), Vector4(1, 0, 0, 1));
    g.translucentThisFrame = true;
    expectColor(getDrawColor(g), Vector4(1, 0, 0, 0.25f));
    g.diffuseColor = Vector4(0, 1, 0, 0.25f);
    expectColor(getDrawColor(g), Vector4(0, 1, 0, 0.25f));
    g.diffuseColor = Vector4(0, 1, 0, 0.2f);
    expectColor(getDrawColor(g), Vector4(0, 1, 0, 0.2f));
    g.specularColor = Vector4(1, 1, 1, 0.8f);
    expectColor(getDrawSpecularColor(g), Vector4(1, 1, 1, 0.2f));
    g.diffuseColor = Vector4(0, 0, 0, std::nanf(""));
    EXPECT_TRUE(std::isnan(getDrawColor(g).w()));
}

TEST(GraphicsData, CurrentVersionReadsEveryFieldInOnePass) {
    auto g = readGraphics(
        "Graphics 5\n 0 Component\n disabled 1\n end\n diffuseColor 1 0 0 0.5\n specularColor 0 1 0 1\n"
        " textureName tex\n modelName mod\n programName prog\n patterns\n end\n shininess 7\n drawGroup 3\nend\n");
    EXPECT_TRUE(g->disabled);
    expectColor(g->diffuseColor, Vector4(1, 0, 0, 0.5f));
    expectColor(g->specularColor, Vector4(0, 1, 0, 1));
    EXPECT_EQ(g->textureName, "tex");
    EXPECT_EQ(g->modelName, "mod");
    EXPECT_EQ(g->programName, "prog");
    EXPECT_FLOAT_EQ(g->shininess, 7);
    EXPECT_EQ(g->drawGroup, 3);
}

TEST(GraphicsData, MissingFieldKeepsItsValueAndReorderedFieldsAreAllRead) {
    Graphics* held = new Graphics();
    held->drawGroup = 9;
    auto g = readGraphics("Graphics 5 0 Component end diffuseColor 0 0 1 1 end", held);
    EXPECT_EQ(g->drawGroup, 9);
    expectColor(g->diffuseColor, Vector4(0, 0, 1, 1));

    auto reordered = readGraphics(
        "Graphics 5 0 Component end drawGroup -2 shininess 3 programName p patterns end modelName m "
        "textureName t specularColor 0 0 0 1 diffuseColor 1 1 0 1 end");
    EXPECT_EQ(reordered->drawGroup, -2);
    EXPECT_FLOAT_EQ(reordered->shininess, 3);
    EXPECT_EQ(reordered->programName, "p");
    EXPECT_EQ(reordered->modelName, "m");
    EXPECT_EQ(reordered->textureName, "t");
    expectColor(reordered->diffuseColor, Vector4(1, 1, 0, 1));
}

TEST(GraphicsData, VersionZeroIsPositionalAndSetsBothColours) {
    auto g = readGraphics("Graphics 0 0.5 0.5 0.5 1 sphere pattern");
    expectColor(g->diffuseColor, Vector4(0.5f, 0.5f, 0.5f, 1));
    expectColor(g->specularColor, Vector4(0.5f, 0.5f, 0.5f, 1));
    EXPECT_EQ(g->modelName, "sphere");
    EXPECT_EQ(g->programName, "pattern");
    EXPECT_EQ(g->textureName, "whitePixel");
}

TEST(GraphicsData, OldSingleColourWinsOverDiffuseAndSpecular) {
    auto g = readGraphics("Graphics 2 color 1 0 0 1 diffuseColor 0 1 0 1 specularColor 0 0 1 1 end");
    expectColor(g->diffuseColor, Vector4(1, 0, 0, 1));
    expectColor(g->specularColor, Vector4(1, 0, 0, 1));
    // Without a stored colour, the diffuse colour held before reading stands for both.
    Graphics* held = new Graphics();
    held->diffuseColor = Vector4(0.2f, 0.3f, 0.4f, 1);
    auto kept = readGraphics("Graphics 1 diffuseColor 0 1 0 1 shininess 2 end", held);
    expectColor(kept->diffuseColor, Vector4(0.2f, 0.3f, 0.4f, 1));
    expectColor(kept->specularColor, Vector4(0.2f, 0.3f, 0.4f, 1));
    EXPECT_FLOAT_EQ(kept->shininess, 2);
}

TEST(GraphicsData, SolidFlagOfVersionsThreeAndFourIsDropped) {
    auto three = readGraphics("Graphics 3 color 0 0 0 1 modelName box solid 1 shininess 9 end");
    EXPECT_EQ(three->modelName, "box");
    EXPECT_FLOAT_EQ(three->shininess, 9);
    auto four = readGraphics("Graphics 4 diffuseColor 1 0 1 1 solid 0 drawGroup 4 end");
    expectColor(four->diffuseColor, Vector4(1, 0, 1, 1));
    EXPECT_EQ(four->specularColor, Vector4(1, 1, 1, 0));  // version 4 keeps its colours apart
    EXPECT_EQ(four->drawGroup, 4);
}

TEST(GraphicsData, UnknownKeyIsReportedAndSkipped) {
    std::istringstream stream("Graphics 5 0 Component end wobble 3 shininess 7 end");
    IStreamWrapper in(stream);
    Graphics g;
    testing::internal::CaptureStderr();
    readValue(in, g);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(in.hasFailed());
    EXPECT_EQ(g.shininess, 7.0f);
    EXPECT_NE(errors.find("wobble"), std::string::npos);
}

TEST(GraphicsData, WritesTheCurrentVersionAndReadsItBack) {
    Graphics g;
    g.diffuseColor = Vector4(0.25f, 0.5f, 0.75f, 0.5f);
    g.specularColor = Vector4(1, 0, 0, 1);
    g.textureName = "stone";
    g.modelName = "";
    g.programName = "pattern";
    g.shininess = 12.5f;
    g.drawGroup = -7;
    g.disabled = true;
    const std::string text = writeText(g);
    EXPECT_EQ(text.rfind("Graphics 5", 0), 0u) << text;
    EXPECT_NE(text.find("Component"), std::string::npos);
    EXPECT_EQ(text.find("solid"), std::string::npos);
    EXPECT_EQ(text.find("color "), std::string::npos);
    auto back = readGraphics(text);
    EXPECT_TRUE(back->disabled);
    expectColor(back->diffuseColor, g.diffuseColor);
    expectColor(back->specularColor, g.specularColor);
    EXPECT_EQ(back->textureName, "stone");
    EXPECT_EQ(back->modelName, "");
    EXPECT_EQ(back->programName, "pattern");
    EXPECT_FLOAT_EQ(back->shininess, 12.5f);
    EXPECT_EQ(back->drawGroup, -7);
    EXPECT_EQ(writeText(*back), text);
}

TEST(GraphicsPatterns, StoredPatternsAreAppendedAndRoundTrip) {
    Graphics* held = new Graphics();
    held->addPattern(makeWave(1.0f));
    auto g = readGraphics(
        "Graphics 5 0 Component end patterns size 3\n"
        "  WavePattern 1 1 Pattern scale 4 end end\n"
        "  NULL\n"
        "  ConcentricCirclePattern 2 1 Pattern scale 6 end thinness 0.5 end\n"
        "end end",
        held);
    ASSERT_EQ(g->patterns.size(), 3u);  // the stored NULL is not kept
    EXPECT_FLOAT_EQ(g->patterns[0]->scale(), 1.0f);
    EXPECT_EQ(g->patterns[1]->getPatternID(), WavePattern::kindNumber);
    EXPECT_FLOAT_EQ(g->patterns[1]->scale(), 4.0f);
    ASSERT_EQ(g->patterns[2]->getPatternID(), ConcentricCirclePattern::kindNumber);
    EXPECT_FLOAT_EQ(static_cast<ConcentricCirclePattern*>(g->patterns[2])->thinness(), 0.5f);

    auto back = readGraphics(writeText(*g));
    ASSERT_EQ(back->patterns.size(), 3u);
    EXPECT_EQ(back->patterns[2]->getPatternID(), ConcentricCirclePattern::kindNumber);
    EXPECT_FLOAT_EQ(back->patterns[2]->scale(), 6.0f);
    EXPECT_FLOAT_EQ(back->patterns[2]->getParameters()[1], 0.5f);
}

TEST(GraphicsPatterns, CopiesCloneEveryPatternAndSelfAssignmentKeepsThem) {
    Graphics g;
    g.addPattern(makeWave(2.0f));
    g.addPattern(new ConcentricCirclePattern());
    Graphics copy(g);
    ASSERT_EQ(copy.patterns.size(), 2u);
    EXPECT_NE(copy.patterns[0], g.patterns[0]);
    EXPECT_EQ(copy.patterns[1]->getPatternID(), ConcentricCirclePattern::kindNumber);
    copy.patterns[0]->scale() = 9.0f;
    EXPECT_FLOAT_EQ(g.patterns[0]->scale(), 2.0f);

    Graphics& same = g;
    g = same;
    ASSERT_EQ(g.patterns.size(), 2u);
    EXPECT_FLOAT_EQ(g.patterns[0]->scale(), 2.0f);

    Graphics other;
    other.addPattern(makeWave(8.0f));
    other = g;
    ASSERT_EQ(other.patterns.size(), 2u);
    EXPECT_FLOAT_EQ(other.patterns[0]->scale(), 2.0f);
    EXPECT_NE(other.patterns[0], g.patterns[0]);
}

TEST_F(WithoutPatternLibrary, StoredPatternsAreSteppedOver) {
    // Nothing can hold a pattern, but the rest of the object still reads.
    auto g = readGraphics(
        "Graphics 5 0 Component end patterns WavePattern 1 1 Pattern scale 4 end scaleX 2 end NULL end "
        "shininess 4 end");
    EXPECT_TRUE(g->patterns.empty());
    EXPECT_FLOAT_EQ(g->shininess, 4);
}

TEST(GraphicsData, CopiesShareResourcesAndKeepMissingOnesMissing) {
    Graphics g;
    g.setModel(Model(MeshData::triangles));
    g.setTexture(Texture());
    ASSERT_NE(g.model, nullptr);
    EXPECT_TRUE(g.modelName.empty());
    EXPECT_TRUE(g.textureName.empty());
    Graphics copy(g);
    ASSERT_NE(copy.model, nullptr);
    EXPECT_NE(copy.model, g.model);
    EXPECT_EQ(copy.model->useCount(), g.model->useCount());
    EXPECT_EQ(g.model->useCount(), 2);
    EXPECT_EQ(copy.program, nullptr);

    Graphics assigned;
    assigned.setModel(Model(MeshData::triangleStrip));
    assigned = Graphics();
    EXPECT_EQ(assigned.model, nullptr);
    EXPECT_EQ(assigned.textureName, "whitePixel");
}

TEST(GraphicsData, SetTextureSharesIntoTheCopyItAlreadyOwns) {
    Texture first;
    first.setName("first");
    Texture second;
    second.setName("second");
    Graphics g;
    g.setTexture(first);
    Texture* held = g.getTexture();
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->getName(), "first");
    EXPECT_EQ(first.useCount(), 2);

    // Animations set a texture on every particle that changes frame: no new copy each time.
    g.setTexture(second);
    ASSERT_EQ(g.getTexture(), held);
    EXPECT_EQ(held->getName(), "second");
    EXPECT_EQ(first.useCount(), 1);
    EXPECT_EQ(second.useCount(), 2);

    g.setTexture(*g.getTexture());
    EXPECT_EQ(g.getTexture(), held);
    EXPECT_EQ(second.useCount(), 2);

    g.textureName = "stone";
    g.setTexture(first);
    EXPECT_TRUE(g.textureName.empty());
    EXPECT_EQ(first.useCount(), 2);
    EXPECT_EQ(second.useCount(), 1);
}

TEST(GraphicsData, NamedResourcesAreLookedUpInTheRunningState) {
    GameState state;
    GameState* saved = currentGameState;
    currentGameState = &state;
    auto box = std::make_unique<Model>(Model::createBox());
    box->boundsMax = Vector4(4, 4, 4, 1);
    state.addResource("box", std::move(box));

    auto g = readGraphics("Graphics 5 0 Component end modelName box textureName \"\" end");
    ASSERT_NE(g->model, nullptr);
    EXPECT_EQ(g->model->boundsMax, Vector4(4, 4, 4, 1));
    EXPECT_EQ(g->model->getIndexCount(), 36);
    EXPECT_EQ(g->texture, nullptr);  // an empty name looks nothing up

    testing::internal::CaptureStderr();
    g->setTextureName("nothingByThatName");
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("error: tried to load a resource that doesn't exist"), std::string::npos);
    ASSERT_NE(g->texture, nullptr);
    EXPECT_EQ(g->texture->getGLName(), 0u);
    g.reset();
    currentGameState = saved;
}

TEST(GraphicsData, SecondGraphicsTakesOverTheFirstOnAttach) {
    Entity entity;
    Graphics* first = new Graphics();
    first->modelName = "ball";
    first->diffuseColor = Vector4(0, 0, 1, 1);
    entity.addComponent(first);
    ASSERT_EQ(entity.graphics, first);

    EditorGraphics* second = new EditorGraphics();
    entity.addComponent(second);
    EXPECT_EQ(second->modelName, "ball");
    expectColor(second->diffuseColor, Vector4(0, 0, 1, 1));
    entity.flushRemovedComponents();
    ASSERT_EQ(entity.components.size(), 1u);
    EXPECT_EQ(entity.components[0].get(), second);
    EXPECT_EQ(entity.graphics, second);

    // Attaching the cached Graphics again changes nothing.
    second->modelName = "cube";
    second->setOwner(&entity);
    EXPECT_EQ(second->modelName, "cube");
    EXPECT_EQ(entity.components.size(), 1u);
}

TEST(GraphicsData, ToPixelRectRoundsHalvesUpward) {
    Entity entity;
    Body* body = new Body();
    body->setShape(new Sphere(0.5f));
    body->position = Vector4(0, 0, 0, 1);
    entity.addComponent(body);
    Graphics* g = new Graphics();
    entity.addComponent(g);
    int x = 10, y = 20, w = 200, h = 100;
    toPixelRect(*g, x, y, w, h);
    EXPECT_EQ(h, 50);
    EXPECT_EQ(w, 100);  // the radius times the width: a circle on a stretched screen
    EXPECT_EQ(x, 10 + 100 - 50);
    EXPECT_EQ(y, 20 + 50 - 25);

    // (px + 1) * w / 2 = 2.5 rounds to 3, the intermediate -2.5 to -2.
    body->position = Vector4(-0.5f, -1.05f, 0, 1);
    body->setShape(new Sphere(0.0f));
    x = 0, y = 0, w = 10, h = 100;
    toPixelRect(*g, x, y, w, h);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, -2);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST(GraphicsVariants, EditorGraphicsHidesInPlayAndShowsInEdit) {
    Entity entity;
    EditorGraphics* g = new EditorGraphics();
    entity.addComponent(g);
    EXPECT_FALSE(g->disabled);
    sendMessage(new Message(20), true);
    EXPECT_TRUE(g->disabled);
    sendMessage(new Message(20), true);
    EXPECT_TRUE(g->disabled);
    sendMessage(new Message(21), true);
    EXPECT_FALSE(g->disabled);
    // Initialising again does not register twice: one message still flips it once.
    g->initialize();
    sendMessage(new Message(20), true);
    EXPECT_TRUE(g->disabled);
    EXPECT_EQ(g->getHandlerTable().size(), 2u);

    std::unique_ptr<Component> copy(g->clone());
    EXPECT_EQ(typeid(*copy), typeid(Graphics));
    EXPECT_TRUE(copy->disabled);
}

TEST(GraphicsVariants, CameraIndependentGraphicsTurnsAboutItsOwnPosition) {
    PerspectiveCamera camera;
    Matrix world = Matrix::makeTranslation(Vector4(3, 4, 5, 1)) * Matrix::makeScale(Vector4(2, 2, 2, 1));
    EXPECT_EQ(CameraIndependentGraphics::faceCamera(world, camera), world);

    camera.rotateY = 3.14159265f / 2;
    Matrix turned = CameraIndependentGraphics::faceCamera(world, camera);
    // The object's centre stays; its +x side now faces -z, as the camera turned.
    Vector4 centre = turned.transform(Vector4(0, 0, 0, 1));
    EXPECT_NEAR(centre.x(), 3, 1e-5f);
    EXPECT_NEAR(centre.z(), 5, 1e-5f);
    Vector4 side = turned.transform(Vector4(1, 0, 0, 1));
    EXPECT_NEAR(side.x(), 3, 1e-5f);
    EXPECT_NEAR(side.z(), 3, 1e-5f);
}

TEST(GraphicsVariants, CameraIndependentGraphicsWrapsTheGraphicsPart) {
    CameraIndependentGraphics g;
    g.diffuseColor = Vector4(0, 1, 1, 1);
    g.modelName = "arrow";
    const std::string text = writeText(g);
    EXPECT_EQ(text.rfind("CameraIndependentGraphics 0", 0), 0u) << text;
    EXPECT_NE(text.find("Graphics"), std::string::npos);
    auto back = readGraphics(text, new CameraIndependentGraphics());
    EXPECT_EQ(back->modelName, "arrow");
    expectColor(back->diffuseColor, Vector4(0, 1, 1, 1));
    std::unique_ptr<Component> copy(back->clone());
    EXPECT_EQ(typeid(*copy), typeid(CameraIndependentGraphics));

    auto old = readGraphics("CameraIndependentGraphics 0 2 Graphics color 1 0 0 1 end end",
                            new CameraIndependentGraphics());
    expectColor(old->specularColor, Vector4(1, 0, 0, 1));
}

TEST(GraphicsVariants, CameraIndependentGraphicsInADrawGroupDrawsNothing) {
    auto log = std::make_shared<FakeProgram::Log>();
    CameraIndependentGraphics g;
    g.setProgram(FakeProgram(0, log));
    g.drawGroup = 2;
    g.translucentThisFrame = true;
    PerspectiveCamera camera;
    g.draw(Matrix(), camera);
    g.drawInPass(Matrix(), camera);
    EXPECT_TRUE(log->empty());
    EXPECT_TRUE(g.translucentThisFrame);
    g.drawGroup = 0;
    g.draw(Matrix(), camera);
    EXPECT_EQ(log->size(), 1u);
    EXPECT_FALSE(g.translucentThisFrame);
}

TEST(GraphicsVariants, CopyEntityGraphicsReadsOnlyItsIdAndInstallsPlaceholders) {
    auto g = readGraphics("CopyEntityGraphics 0 idToCopy 12 end", new CopyEntityGraphics());
    auto* copy = static_cast<CopyEntityGraphics*>(g.get());
    EXPECT_EQ(copy->idToCopy, 12);
    EXPECT_EQ(copy->textureName, "whitePixel");
    EXPECT_EQ(copy->program, nullptr);

    Entity entity;
    entity.addComponent(g.release());
    ASSERT_NE(copy->program, nullptr);
    ASSERT_NE(copy->model, nullptr);
    ASSERT_NE(copy->texture, nullptr);
    EXPECT_EQ(copy->program->getGLName(), 0u);
    EXPECT_EQ(copy->model->getIndexCount(), 0);
    EXPECT_EQ(copy->texture->getWidth(), 0);
    EXPECT_TRUE(copy->textureName.empty());
    EXPECT_TRUE(copy->modelName.empty());
    EXPECT_TRUE(copy->programName.empty());

    std::unique_ptr<Component> clone(copy->clone());
    ASSERT_EQ(typeid(*clone), typeid(CopyEntityGraphics));
    EXPECT_EQ(static_cast<CopyEntityGraphics&>(*clone).idToCopy, 12);
    EXPECT_EQ(writeText(*copy).rfind("CopyEntityGraphics 0", 0), 0u);
}
