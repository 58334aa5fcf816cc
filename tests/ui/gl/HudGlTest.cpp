// The HUD over a running level: its file in every version, the missing file, its bodies kept out of the
// level's physics, placement, each label's text for known game values, info lines' timing and fades,
// the size gauge, the guidance arrow, hiding while paused, and the HUD drawn over a scene and read back.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "core/Configuration.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/Quaternion.h"
#include "core/TextFormat.h"
#include "editor/Editor.h"
#include "engine/GameplayMessages.h"
#include "engine/Input.h"
#include "engine/MessageDispatcher.h"
#include "game/GrowShrink.h"
#include "game/ScoreSphereLogic.h"
#include "graphics/CameraComponent.h"
#include "graphics/FreetypeFont.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/ParticleShader.h"
#include "graphics/Shader.h"
#include "graphics/Program.h"
#include "graphics/ScopedGameState.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"
#include "physics/Body.h"
#include "physics/Physics.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"
#include "game/TimerLabel.h"
#include "ui/ArrowLogic.h"
#include "ui/HUD.h"
#include "ui/InfoText.h"
#include "ui/OwnViewport.h"
#include "ui/SizeIndicatorLogic.h"
#include "ui/SizeLabel.h"
#include "ui/SpeedLabel.h"
#include "ui/SpheresRemaining.h"

namespace {

class HudTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        state.add<FreetypeFont>("Verdana Bold", std::make_unique<FreetypeFont>("Fonts/DejaVuSans-Bold.ttf", 0));
        state.add<Texture>("whitePixel", std::make_unique<Texture>(whitePixelImage(), GL_RGBA));
        hero = new Entity();
        hero->addComponent(new Body());
        grow = new GrowShrink();
        hero->addComponent(grow);
        state.state.addEntity(hero);
        state.state.flushAddedEntities();
        state.state.rootEntity = hero;
        savedSettings = configuration;
        savedSpheres = liveScoreSpheres;
        savedTarget = nextScoreSpherePosition;
        savedTotal = scoreSpheresAtPlayStart;
    }
    void TearDown() override {
        configuration = savedSettings;
        liveScoreSpheres = savedSpheres;
        nextScoreSpherePosition = savedTarget;
        scoreSpheresAtPlayStart = savedTotal;
        Input::isKeyDown(-28) = false;
    }

    // An entity of the HUD with a plate body and a Graphics, carrying the component.
    template <class C>
    C* labelEntity(Entity& entity, C* component, Shape* shape = new Rect()) {
        auto* body = new Body();
        body->setShape(shape);
        entity.addComponent(body);
        entity.addComponent(new Graphics());
        entity.addComponent(component);
        return component;
    }

    static GLuint textureOf(Entity& entity) { return entity.graphics->getTexture()->getGLName(); }

    ScopedGameState state;
    Entity* hero = nullptr;
    GrowShrink* grow = nullptr;
    Configuration savedSettings;
    LiveScoreSphereList savedSpheres;
    Vector4 savedTarget;
    int savedTotal = 0;
};

template <class T>
std::string textOf(T& value) {
    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeValue(out, value);
    }
    return text.str();
}

template <class T>
void readText(const std::string& text, T& value, bool expectClean = true) {
    std::istringstream stream(text);
    IStreamWrapper in(stream, "hud text");
    readValue(in, value);
    EXPECT_EQ(expectClean, !in.hasFailed()) << text;
}

}  // namespace

TEST_F(HudTest, FileVersionsReadBackAndAMissingFileLeavesAnEmptyHud) {
    HUD hud;
    hud.fileName = "Content/HUD/none.hud";
    hud.camera.fovy = 1.0f;
    Entity* label = new Entity();
    labelEntity(*label, new SpeedLabel());
    label->getComponent<SpeedLabel>()->text = "Speed";
    hud.entities.emplace_back(label);
    Entity* arrow = new Entity();
    labelEntity(*arrow, new ArrowLogic(), new Sphere(0.2f));
    hud.entities.emplace_back(arrow);
    const std::string written = textOf(hud);
    EXPECT_NE(written.find("HUD 2"), std::string::npos);
    EXPECT_NE(written.find("size 2"), std::string::npos);

    HUD again;
    readText(written, again);
    EXPECT_EQ(again.fileName, "Content/HUD/none.hud");
    EXPECT_FLOAT_EQ(again.camera.fovy, 1.0f);
    ASSERT_EQ(again.entities.size(), 2u);
    EXPECT_NE(again.entities[0]->getComponent<SpeedLabel>(), nullptr);
    EXPECT_NE(again.entities[1]->getComponent<ArrowLogic>(), nullptr);
    EXPECT_EQ(textOf(again), written);

    // Version 1: entities only; version 0: one arrow, or none for NULL.
    HUD one;
    readText("HUD 1 entities size 1 Entity 1 components Body 1 0 Component end end end end end end ", one);
    EXPECT_EQ(one.entities.size(), 1u);
    HUD zero;
    readText("HUD 0 arrow Entity 1 components ArrowLogic 0 1 Logic 0 Component end typeName ARROW end end end end end ",
             zero);
    ASSERT_EQ(zero.entities.size(), 1u);
    EXPECT_NE(zero.entities[0]->getComponent<ArrowLogic>(), nullptr);
    HUD none;
    readText("HUD 0 arrow NULL end ", none);
    EXPECT_TRUE(none.entities.empty());

    // A HUD file that is not there: one line, no entities, and the HUD still runs.
    HUD missing;
    missing.fileName = "Content\\HUD\\none.hud";
    testing::internal::CaptureStderr();
    missing.initialize();
    missing.update(0.1f);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("Could not open file \"Content/HUD/none.hud\""), std::string::npos) << errors;
    EXPECT_TRUE(missing.entities.empty());

    // The first level's own file, found beside the program with backslashes, read once.
    HUD shipped;
    shipped.fileName = "Content\\HUD\\level1.hud";
    shipped.owner = &state.state;
    shipped.initialize();
    EXPECT_GE(shipped.entities.size(), 8u);
    const std::size_t count = shipped.entities.size();
    shipped.initialize();
    EXPECT_EQ(shipped.entities.size(), count);
    // Paused: hidden; resumed: back.
    state.state.setPaused(true);
    EXPECT_TRUE(shipped.disabled);
    state.state.setPaused(false);
    EXPECT_FALSE(shipped.disabled);
    // Unloaded and initialised again (a restart): read anew.
    shipped.unload();
    EXPECT_TRUE(shipped.entities.empty());
    shipped.initialize();
    EXPECT_EQ(shipped.entities.size(), count);
    // What each plate and ball shows lies inside the window, and no two labels overlap, at 4:3 and at
    // 16:9: at depth 1 the HUD camera sees +-tan(36 degrees) of each entity's own viewport.
    EXPECT_EQ(ownViewportRect(ViewportRect{0, 0, 1000, 800}, 0, 0, 0.1f).x, 450);
    EXPECT_EQ(ownViewportRect(ViewportRect{0, 0, 1000, 800}, 0, 0, 0.1f).y, 360);
    EXPECT_EQ(ownViewportRect(ViewportRect{0, 0, 1000, 800}, 0, 0, 0.1f).width, 100);
    EXPECT_EQ(ownViewportRect(ViewportRect{0, 0, 1000, 800}, 0, 0, 0.1f).height, 80);
    const float slope = std::tan(36.0f * 3.14159265f / 180.0f);
    for (float width : {1024.0f, 1366.0f}) {
        const float height = 768.0f;
        struct Box {
            float left, bottom, right, top;
        };
        std::vector<Box> labels;
        for (auto& entity : shipped.entities) {
            const Body& body = *entity->body;
            const float r = body.shape->getBoundingRadius();
            Vector4 half = body.shape->getSize();
            if (entity->getComponent<TimerLabel>()) continue;  // glyphs run right and down from the centre
            const float cx = (body.position.x() + 1.0f) * width / 2, cy = (body.position.y() + 1.0f) * height / 2;
            const float hx = half.x() / slope * r * height / 2, hy = half.y() / slope * r * height / 2;
            const Box box{cx - hx, cy - hy, cx + hx, cy + hy};
            EXPECT_GE(box.left, 0.0f);
            EXPECT_GE(box.bottom, 0.0f);
            EXPECT_LE(box.right, width);
            EXPECT_LE(box.top, height);
            if (entity->getComponent<TextureTextComponent>()) {
                for (const Box& other : labels)
                    EXPECT_TRUE(box.right <= other.left || other.right <= box.left || box.top <= other.bottom ||
                                other.top <= box.bottom);
                labels.push_back(box);
            }
        }
        EXPECT_EQ(labels.size(), 5u);
    }
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(HudTest, ItsBodiesStayOutOfTheLevelWhateverTheFileSays) {
    // A running level with the hero where a HUD ball stands, and a HUD file that never says "collides 0".
    state.state.addStateComponent(new Physics());
    state.state.flushAddedComponents();
    Physics* physics = state.state.getComponents<Physics>();
    grow->disabled = true;
    hero->body->setShape(new Sphere(0.5f));
    hero->body->position = Vector4(0, 0, -0.3f, 1);
    hero->body->setMass(1.0f);
    physics->addBody(hero->body);
    HUD hud;
    hud.owner = &state.state;
    hud.fileName = writeTempFile("open.hud",
        "HUD 2 0 GameStateComponent end entities size 2\n"
        " Entity 1 components Body 1 0 Component end position 0 0 -1 1 shape Sphere 0 radius 0.5 end end end end\n"
        " Entity 1 components Body 1 0 Component end position 0 0.2 -1 1 shape Rect 0 size 0.5 0.5 0.5 0 end end\n"
        "  end end\nend end\n");
    for (int restart = 0; restart < 2; ++restart) {
        hud.unload();
        hud.initialize();
        ASSERT_EQ(hud.entities.size(), 2u);
        for (int frame = 0; frame < 10; ++frame) state.state.update(0.016f);
        EXPECT_FLOAT_EQ(hero->body->position.z(), -0.3f) << "the hero was pushed by the HUD";
        for (const auto& entity : hud.entities) EXPECT_FALSE(physics->hasBody(entity->body));
    }
    EXPECT_TRUE(physics->hasBody(hero->body));
}

TEST_F(HudTest, LabelsShowTheGameValuesAndRenderOnlyWhenTheyChange) {
    // Speed: the vertical part does not count; six significant digits.
    Entity speedEntity;
    SpeedLabel* speed = labelEntity(speedEntity, new SpeedLabel());
    hero->body->velocity = Vector4(3, -7, 4, 0);
    speedEntity.update(0.016f);
    EXPECT_EQ(speed->text, "  Speed:\n5cm/s");
    const GLuint steady = textureOf(speedEntity);
    for (int i = 0; i < 20; ++i) speedEntity.update(0.016f);
    EXPECT_EQ(textureOf(speedEntity), steady);
    hero->body->velocity = Vector4(12.3456789f, 0, 0, 0);
    speedEntity.update(0.016f);
    EXPECT_EQ(speed->text, "  Speed:\n12.3457cm/s");
    EXPECT_NE(textureOf(speedEntity), steady);
    std::unique_ptr<Component> speedCopy(speed->clone());
    EXPECT_NE(dynamic_cast<SpeedLabel*>(speedCopy.get()), nullptr);

    // Size limits: the hero's, then only power-ups that widen them.
    grow->minSize = 0.78125f;
    grow->maxSize = 400.0f;
    Entity maxEntity, minEntity;
    MaxSizeLabel* maxLabel = labelEntity(maxEntity, new MaxSizeLabel());
    MinSizeLabel* minLabel = labelEntity(minEntity, new MinSizeLabel());
    EXPECT_EQ(maxLabel->text, "  Max:\n400cm");
    EXPECT_EQ(minLabel->text, "  Min:\n0.78125cm");
    const GLuint maxTexture = textureOf(maxEntity);
    sendMessage(new PowerUpMessage(0.5f, 400.0f, 1.2f), true);
    EXPECT_EQ(textureOf(maxEntity), maxTexture);
    EXPECT_EQ(minLabel->text, "  Min:\n0.5cm");
    sendMessage(new PowerUpMessage(1.0f, 1234567.0f, 1.2f), true);
    EXPECT_EQ(maxLabel->text, "  Max:\n1.23457e+06cm");
    EXPECT_EQ(minLabel->text, "  Min:\n0.5cm");
    hero->removeComponent(grow);
    hero->flushRemovedComponents();
    Entity plainMax;
    EXPECT_EQ(labelEntity(plainMax, new MaxSizeLabel())->text, "  Max:\n100cm");

    // Spheres: collected of the total at play start; rendered when a number changes.
    Entity spheresEntity;
    SpheresRemaining* spheres = labelEntity(spheresEntity, new SpheresRemaining());
    spheres->text = "kept";
    spheres->renderText();
    scoreSpheresAtPlayStart = 0;
    liveScoreSpheres.count = 0;
    spheresEntity.update(0.016f);
    EXPECT_EQ(spheres->text, "kept");
    scoreSpheresAtPlayStart = 12;
    liveScoreSpheres.count = 7;
    spheresEntity.update(0.016f);
    EXPECT_EQ(spheres->text, "5/12");
    const GLuint spheresTexture = textureOf(spheresEntity);
    spheresEntity.update(0.016f);
    EXPECT_EQ(textureOf(spheresEntity), spheresTexture);
    liveScoreSpheres.count = 13;
    spheresEntity.update(0.016f);
    EXPECT_EQ(spheres->text, "-1/12");
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(HudTest, InfoLinesFadeInStayByTheirWordsFadeOutAndFollowTheGameStart) {
    EXPECT_FLOAT_EQ(infoLineTime("Power-up!"), 0.75f);
    EXPECT_FLOAT_EQ(infoLineTime("New record"), 1.5f);
    EXPECT_FLOAT_EQ(infoLineTime("a b c"), 2.25f);
    EXPECT_FLOAT_EQ(infoLineTime("Time Attack Mode unlocked!"), 2.75f);

    configuration.ints["timerMode"] = 0;
    Entity entity;
    InfoText* info = labelEntity(entity, new InfoText());
    entity.graphics->diffuseColor = Vector4(1, 1, 1, 0);
    EXPECT_TRUE(info->lines.empty());
    sendMessage(new InfoMessage("Power-up!"), true);
    sendMessage(new InfoMessage("Checkpoint"), true);
    sendMessage(new InfoMessage("New Time Attack record!"), true);
    ASSERT_EQ(info->lines.size(), 3u);
    EXPECT_EQ(info->renderedText, "Power-up!");

    const float dt = 0.0625f;
    auto alpha = [&] { return entity.graphics->diffuseColor.w(); };
    // Four frames of fade in, then the line's 0.75 s, then four of fade out, then the next line.
    for (int i = 0; i < 4; ++i) entity.update(dt);
    EXPECT_FLOAT_EQ(alpha(), 1.0f);
    EXPECT_FLOAT_EQ(info->lines.front().secondsLeft, 0.75f);
    for (int i = 0; i < 12; ++i) entity.update(dt);
    EXPECT_LE(info->lines.front().secondsLeft, 0.0f);
    EXPECT_FLOAT_EQ(alpha(), 1.0f);
    for (int i = 0; i < 4; ++i) entity.update(dt);
    EXPECT_FLOAT_EQ(alpha(), 0.0f);
    EXPECT_EQ(info->lines.size(), 3u);
    entity.update(dt);
    ASSERT_EQ(info->lines.size(), 2u);
    EXPECT_EQ(info->renderedText, "Checkpoint");
    entity.update(dt);
    EXPECT_FLOAT_EQ(alpha(), 0.25f);

    // Game start in Time Attack Mode: the queue gives way to the introduction.
    configuration.ints["timerMode"] = 1;
    sendMessage(new Message(MessageType::GameStart), true);
    ASSERT_EQ(info->lines.size(), 1u);
    EXPECT_EQ(info->renderedText, "Time Attack Mode\nGet to the \"You Win\" platform\nas fast as possible!");
    configuration.ints["timerMode"] = 2;
    info->resetLines();
    EXPECT_EQ(info->lines.front().text.substr(0, 22), "Super Time Attack Mode");
    configuration.ints.erase("timerMode");
    info->resetLines();
    EXPECT_TRUE(info->lines.empty());
    // With nothing queued the last text stays and updates do nothing.
    entity.update(dt);
    EXPECT_EQ(info->text.substr(0, 5), "Super");
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(HudTest, GaugeFollowsTheHerosSizeOnALogScaleAndTheArrowAimsAndFades) {
    grow->minSize = 25.0f;
    grow->maxSize = 400.0f;
    grow->growFactor = 2.0f;
    grow->currentTargetSize = 100.0f;
    Entity gaugeEntity;
    SizeIndicatorLogic* gauge = labelEntity(gaugeEntity, new SizeIndicatorLogic(), new Sphere(1.0f));
    Sphere* ball = static_cast<Sphere*>(gaugeEntity.body->shape);
    EXPECT_FLOAT_EQ(ball->radius, 0.15f);
    EXPECT_FLOAT_EQ(gauge->targetHeight, 0.1f);
    sendMessage(new SizeChangeMessage(100.0f, 400.0f), true);
    EXPECT_FLOAT_EQ(gauge->targetHeight, 0.4f);
    EXPECT_FLOAT_EQ(gauge->targetRadius, 0.225f);
    // A fifth of the way per 0.04 s frame with the 0.2 s adjustment time; no change when there.
    gaugeEntity.update(0.04f);
    EXPECT_NEAR(gaugeEntity.body->position.y(), 0.08f, 1e-5f);
    gauge->adjustmentTime = 0.0f;
    gaugeEntity.update(0.04f);
    EXPECT_FLOAT_EQ(gaugeEntity.body->position.y(), 0.4f);
    // Coinciding limits and a grow factor of 1 sit in the middle, never at NaN.
    sendMessage(new PowerUpMessage(100.0f, 100.0f, 2.0f), true);
    EXPECT_FLOAT_EQ(gauge->targetHeight, 0.1f);
    sendMessage(new PowerUpMessage(25.0f, 400.0f, 1.0f), true);
    EXPECT_FLOAT_EQ(gauge->targetHeight, 0.1f);
    EXPECT_TRUE(std::isfinite(gauge->targetRadius));
    gauge->onPowerUp(0.0f, 400.0f, 2.0f);
    EXPECT_FLOAT_EQ(gauge->targetHeight, 0.1f);
    std::unique_ptr<SizeIndicatorLogic> stored(new SizeIndicatorLogic());
    readText("SizeIndicatorLogic 1 1 Logic 0 Component end typeName SIZE_INDICATOR end lowDisplayHeight -0.5 "
             "highDisplayHeight 0.5 adjustmentTime 1 end ", *stored);
    EXPECT_FLOAT_EQ(stored->lowDisplayHeight, -0.5f);
    EXPECT_FLOAT_EQ(stored->overrideBodyRadius, 0.15f);

    // The arrow, without a camera: left as it was.
    Entity arrowEntity;
    ArrowLogic* arrow = labelEntity(arrowEntity, new ArrowLogic(), new Sphere(0.2f));
    const Quaternion untouched(0, 0, 0.6f, 0.8f);
    arrowEntity.body->rotation = untouched;
    arrowEntity.update(0.1f);
    EXPECT_EQ(arrowEntity.body->rotation, untouched);

    // With the game camera (looking along -z): to the next sphere, then to the far points.
    state.state.addStateComponent(new CameraComponent());
    state.state.flushAddedComponents();
    CameraComponent* camera = state.state.getComponents<CameraComponent>();
    ASSERT_NE(camera, nullptr);
    camera->camera.position = Vector4(0, 0, 0, 1);
    camera->camera.distance = 0;
    camera->camera.rotateX = camera->camera.rotateY = camera->camera.rotateZ = 0;
    camera->camera.updateView();
    hero->body->position = Vector4(0, 0, 0, 1);
    auto pointing = [&] {
        arrowEntity.update(0.05f);
        return quaternionRotate(arrowEntity.body->rotation, Vector4(1, 0, 0, 0));
    };
    liveScoreSpheres.count = 3;
    nextScoreSpherePosition = Vector4(0, 0, -10, 1);
    const Vector4 ahead = camera->camera.getView() * Vector4(0, 0, -1, 0);
    Vector4 d = pointing();
    EXPECT_NEAR(d.x(), ahead.x(), 1e-4f);
    EXPECT_NEAR(d.y(), ahead.y(), 1e-4f);
    EXPECT_NEAR(d.z(), ahead.z(), 1e-4f);
    nextScoreSpherePosition = Vector4(5, 0, 0, 1);
    d = pointing();
    const Vector4 right = camera->camera.getView() * Vector4(1, 0, 0, 0);
    EXPECT_NEAR(d.x(), right.x(), 1e-4f);
    EXPECT_NEAR(d.z(), right.z(), 1e-4f);
    sendMessage(new Message(MessageType::EndGameReward), true);
    EXPECT_EQ(arrow->target(), nextScoreSpherePosition);
    liveScoreSpheres.count = 0;
    EXPECT_EQ(arrow->target(), arrowTargetAfterReward);
    arrow->rewardReceived = false;
    EXPECT_EQ(arrow->target(), arrowTargetBeforeReward);

    // Always shown: alpha untouched. Otherwise Shift fades it in over fadeTime and out again.
    arrowEntity.update(0.0625f);
    EXPECT_FLOAT_EQ(arrow->alpha, 0.0f);
    arrow->alwaysShow = false;
    arrow->fadeTime = 0.25f;
    Input::isKeyDown(-28) = true;
    for (float expected : {0.25f, 0.5f, 0.75f, 1.0f, 1.0f}) {
        arrowEntity.update(0.0625f);
        EXPECT_FLOAT_EQ(arrow->alpha, expected);
    }
    EXPECT_FLOAT_EQ(arrowEntity.graphics->diffuseColorOffset.w(), 0.0f);
    Input::isKeyDown(-28) = false;
    arrowEntity.update(0.0625f);
    EXPECT_FLOAT_EQ(arrow->alpha, 0.75f);
    EXPECT_FLOAT_EQ(arrowEntity.graphics->diffuseColorOffset.w(), -0.25f);
    arrow->fadeTime = 0.0f;
    arrowEntity.update(0.0625f);
    EXPECT_FLOAT_EQ(arrow->alpha, 0.0f);

    sendMessage(new EndOfFirstPartMessage(Vector4(0.1f, 0.2f, 0.3f, 1), Vector4(1, 0, 0, 1)), true);
    EXPECT_EQ(arrowEntity.graphics->diffuseColor, Vector4(0.6f, 0.7f, 0.8f, 1));
    EXPECT_EQ(arrowEntity.graphics->specularColor, Vector4(1, 0, 0, 1));
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(HudTest, DrawnOverTheSceneLabelsAndArrowShowWhereTheyArePlaced) {
    state.add<Program>("particleShader", std::make_unique<ParticleShader>(
                                             Shader(GL_FRAGMENT_SHADER, "Shaders/particleFragment.glsl"),
                                             Shader(GL_VERTEX_SHADER, "Shaders/particleVertex.glsl")));
    state.add<Model>("defaultModel", std::make_unique<Model>(Model::createQuad()));
    state.add<Model>("arrow", std::make_unique<Model>(Model::createArrow()));
    auto rect = [](float x, float y, float z) {
        auto* shape = new Rect();
        shape->size = Vector4(x, y, z, 0);
        return shape;
    };
    auto makeEntity = [&](Vector4 position, Shape* shape, const std::string& model, Component* extra) {
        auto* entity = new Entity();
        auto* body = new Body();
        body->position = position;
        body->setShape(shape);
        body->collides = false;
        entity->addComponent(body);
        auto* graphics = new Graphics();
        graphics->setModelName(model);
        graphics->setProgramName("particleShader");
        graphics->setTextureName("whitePixel");
        entity->addComponent(graphics);
        if (extra) entity->addComponent(extra);
        return entity;
    };
    HUD hud;
    hud.owner = &state.state;
    auto* label = new TextureTextComponent();
    label->text = "MMMM";
    label->lineHeight = 64;
    hud.entities.emplace_back(makeEntity(Vector4(-0.5f, 0.3f, -1, 1), rect(0.6f, 0.3f, 0), "defaultModel", label));
    hud.entities.emplace_back(makeEntity(Vector4(0.5f, -0.2f, -1, 1), rect(0.6f, 0.2f, 0.6f), "arrow",
                                         new ArrowLogic()));
    Entity* hidden = makeEntity(Vector4(0.0f, -0.8f, -1, 1), rect(0.3f, 0.3f, 0), "defaultModel", nullptr);
    hidden->graphics->disabled = true;
    hud.entities.emplace_back(hidden);
    hud.entities.emplace_back(new Entity());  // nothing to draw with: left out
    hud.initialize();

    // A scene already drawn: depth filled close, colour dark blue.
    glClearColor(0.0f, 0.0f, 0.2f, 1.0f);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    hud.draw();
    glDisable(GL_DEPTH_TEST);

    auto inkIn = [](int x, int y, int w, int h) {
        const auto pixels = GlContext::readPixels(x, y, w, h);
        int ink = 0;
        for (std::size_t i = 0; i + 3 < pixels.size(); i += 4)
            if (pixels[i] > 128 && pixels[i + 1] > 128) ++ink;
        return ink;
    };
    const int w = GlContext::width, h = GlContext::height;
    if (std::getenv("HUD_DUMP")) {
        const auto all = GlContext::readPixels(0, 0, w, h);
        FILE* f = std::fopen(std::getenv("HUD_DUMP"), "wb");
        std::fprintf(f, "P6 %d %d 255\n", w, h);
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) std::fwrite(&all[(y * w + x) * 4], 1, 3, f);
        std::fclose(f);
    }
    // The label's letters around its centre (-0.5, 0.3); the arrow around (0.5, -0.2); nothing where
    // the disabled entity stands, nor in the corners.
    EXPECT_GT(inkIn(w / 4 - 24, h * 65 / 100 - 8, 48, 16), 20);
    EXPECT_GT(inkIn(w * 3 / 4 - 10, h * 40 / 100 - 6, 20, 12), 20);
    EXPECT_EQ(inkIn(w / 2 - 8, 2, 16, 10), 0);
    EXPECT_EQ(inkIn(0, h - 8, 8, 8), 0);
    EXPECT_EQ(inkIn(w - 8, 0, 8, 8), 0);
    // Every body is back where it was.
    EXPECT_EQ(hud.entities[0]->body->position, Vector4(-0.5f, 0.3f, -1, 1));
    EXPECT_EQ(hud.entities[1]->body->position, Vector4(0.5f, -0.2f, -1, 1));
    EXPECT_EQ(GlContext::drainErrors(), 0);
}
