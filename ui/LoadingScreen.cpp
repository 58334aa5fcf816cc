// The loading screen: its pictures, the splash phases of the first load, the rolling progress sphere
// and the window kept alive during a load.
#include "ui/LoadingScreen.h"

#include <GL/glew.h>

#include <cmath>
#include <sstream>
#include <string>
#include <typeinfo>

#include "core/Function.h"
#include "core/IStreamWrapper.h"
#include "engine/ClickMessage.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "engine/MessageTypes.h"
#include "engine/PercentLoadedMessage.h"
#include "engine/Platform.h"
#include "graphics/BasicShader.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Plane.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"
#include "ui/OwnViewport.h"

namespace {

constexpr int spaceKey = 32;
constexpr int enterKey = -25;
constexpr int escapeKey = -24;

const char* const ringTextureFunction = "ConcentricCirclePattern::buildTexture";

// The ring texture of the progress sphere, made by the pattern library's data function when it is
// there; a plain white ball otherwise.
Texture makeSphereTexture() {
    Texture texture;
    if (findFunction(ringTextureFunction)) {
        std::istringstream arguments("18.5 0.8 1.2");
        IStreamWrapper in(arguments, ringTextureFunction);
        ResultTarget target;
        target.destination = &texture;
        target.type = &typeid(Texture);
        callFunction(in, ringTextureFunction, target);
    }
    if (texture.getGLName() == 0) texture = Texture(whitePixelImage(), GL_RGBA);
    return texture;
}

void addBody(Entity& entity, Vector4 position, Shape* shape) {
    Body* body = new Body();
    body->position = position;
    body->previousPosition = position;
    body->setShape(shape);
    entity.addComponent(body);
}

Shape* plane(float x, float y, float z) {
    Plane* shape = new Plane();
    shape->size = Vector4(x, y, z, 0.0f);
    return shape;
}

Shape* rect(float x, float y, float z) {
    Rect* shape = new Rect();
    shape->size = Vector4(x, y, z, 0.0f);
    return shape;
}

// A textured picture drawn with its own copy of the plain textured program.
void addPicture(Entity& entity, const Model& model, const Texture& texture, Vector4 color) {
    Graphics* graphics = new Graphics();
    graphics->setModel(model);
    graphics->setProgram(BasicShader());
    graphics->setTexture(texture);
    graphics->diffuseColor = color;
    entity.addComponent(graphics);
}

void drawPicture(Entity& entity, Camera& camera) {
    if (entity.graphics && entity.body) entity.graphics->draw(getBodyWorldMatrix(*entity.body), camera);
}

void clearTo(float r, float g, float b, float a) {
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

}  // namespace

LoadingScreen::LoadingScreen() {
    registerGlobalHandler<PercentLoadedMessage>(
        30, this, [](LoadingScreen& screen, PercentLoadedMessage& message) { screen.onPercentLoaded(message); });
    registerGlobalHandler<KeyboardMessage>(MessageType::KeyDown, this,
                                           [](LoadingScreen& screen, KeyboardMessage& message) { screen.onKey(message); });
    registerGlobalHandler<ClickMessage>(MessageType::MouseDown, this,
                                        [](LoadingScreen& screen, ClickMessage& message) { screen.onClick(message); });
    loadingScreenUp = true;

    // The pictures belong to no level: their bodies must not join the physics of the state being
    // entered.
    GameState* entering = currentGameState;
    currentGameState = nullptr;
    const Model quad = Model::createQuad();
    const Texture loading = Texture::loadFile("Content/Images/loading.png");
    const Vector4 white(1.0f, 1.0f, 1.0f, 1.0f);

    addBody(loadingPicture, Vector4(0.0f, 0.0f, -1.1f, 1.0f), plane(1.0f, 1.0f, 1.0f));
    addPicture(loadingPicture, quad, loading, white);

    addBody(progressSphere, progressBase, new Sphere(sphereRadius));
    addPicture(progressSphere, Model::createSphere(32), makeSphereTexture(), white);

    addBody(progressTarget, Vector4(0.65f, -0.7f, -1.0f, 1.0f), plane(0.22f, 0.22f, 0.22f));
    addPicture(progressTarget, quad, Texture::loadFile("Content/Images/sphere.png"), white);

    addBody(makerLogo, Vector4(0.0f, 0.0f, -1.0f, 1.0f), rect(0.7f, 0.1688f, 1.0f));
    addPicture(makerLogo, quad, Texture::loadFile("Content/Images/Kestrum.png"), white);

    addBody(groupLogo, Vector4(0.0f, 0.0f, -1.0f, 1.0f), rect(0.6f, 0.6f, 1.0f));
    addPicture(groupLogo, quad, Texture::loadFile("Content/Images/brannoc.png"), white);

    addBody(continueHint, Vector4(0.75f, -0.6f, -0.95f, 1.0f), rect(0.2f, 0.2f, 1.0f));
    Graphics* hint = new Graphics();
    *hint = *loadingPicture.graphics;
    hint->diffuseColor = Vector4(0.0f, 0.0f, 0.0f, 1.0f);
    continueHint.addComponent(hint);
    currentGameState = entering;

    currentTime = readClock();
    splashStartTime = currentTime;
    platform().setSwapInterval(0);
    if (windowActive) draw(0.0f);
}

LoadingScreen::~LoadingScreen() {
    // The last report is always shown, however soon after the frame before it.
    if (framePending && windowActive) draw(pendingProgress);
    loadingScreenUp = false;
    platform().setSwapInterval(1);
}

float LoadingScreen::sphereFraction(float progress, float progressAtSplashEnd) {
    const float span = 1.0f - progressAtSplashEnd;
    if (!(span > 0.0f)) return 1.0f;
    const float fraction = (progress - progressAtSplashEnd) / span;
    if (!(fraction > 0.0f)) return 0.0f;
    return fraction < 1.0f ? fraction : 1.0f;
}

Quaternion LoadingScreen::rollRotation(Quaternion rotation, float dx, float radius, float aspect) {
    const float theta = -(dx / radius) * aspect;
    const Quaternion turn(0.0f, 0.0f, std::sin(theta * 0.5f), std::cos(theta * 0.5f));
    const Quaternion q = quaternionMultiply(rotation, turn);
    // One Newton step towards unit length is enough for the small turns of one report.
    const Vector4 v(q.m);
    const float scale = 1.5f - 0.5f * dot4(v, v);
    return Quaternion(v * scale);
}

void LoadingScreen::onPercentLoaded(PercentLoadedMessage& message) {
    currentTime = readClock();
    pumpWindowMessages();
    updateMessageQueues();

    const float progress = message.percent;
    Body& body = *progressSphere.body;
    const Vector4 next = progressBase + Vector4(sphereTravel * sphereFraction(progress, progressAtSplashEnd), 0.0f, 0.0f, 0.0f);
    const float dx = next.x() - body.position.x();
    body.position = next;
    const float aspect = viewportHeight > 0 ? static_cast<float>(viewportWidth) / static_cast<float>(viewportHeight) : 1.0f;
    if (dx != 0.0f) body.rotation = rollRotation(body.rotation, dx, sphereRadius, aspect);

    if (!windowActive) return;
    if (frameDrawn && currentTime - lastFrameTime < minimumFrameSeconds) {
        framePending = true;
        pendingProgress = progress;
        return;
    }
    draw(progress);
}

void LoadingScreen::onKey(KeyboardMessage& message) {
    if (message.key == spaceKey || message.key == enterKey || message.key == escapeKey) continuePressed = true;
}

void LoadingScreen::onClick(ClickMessage&) { continuePressed = true; }

LoadingScreen::View LoadingScreen::currentView(double now) {
    if (!firstLoad) return View::progress;
    if (now - splashStartTime < splashSeconds) return View::makerLogo;
    if (groupLogoPending) {
        groupLogoStartTime = now;
        groupLogoPending = false;
        return View::groupLogo;
    }
    if (now - groupLogoStartTime < splashSeconds) return View::groupLogo;
    return View::progress;
}

void LoadingScreen::draw(float progress) {
    // The pictures need no edge smoothing, and a software renderer multisamples the small sphere
    // viewport so slowly that a long load would take minutes. Whatever a level left of face culling
    // must not hide a picture either.
    const bool multisampled = glIsEnabled(GL_MULTISAMPLE) == GL_TRUE;
    const bool culling = glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    if (multisampled) glDisable(GL_MULTISAMPLE);
    if (culling) glDisable(GL_CULL_FACE);
    const View view = currentView(currentTime);
    if (view != View::progress) {
        clearTo(1.0f, 1.0f, 1.0f, 1.0f);
        drawPicture(view == View::makerLogo ? makerLogo : groupLogo, camera);
        if (continuePressed) drawPicture(continueHint, camera);
        progressAtSplashEnd = progress;
    } else {
        clearTo(0.2f, 0.2f, 0.2f, 0.0f);
        drawPicture(loadingPicture, camera);
        if (progressSphere.graphics && !progressSphere.graphics->disabled) {
            drawEntityInOwnViewport(progressSphere, camera);
            drawEntityInOwnViewport(progressTarget, camera);
        }
    }
    if (multisampled) glEnable(GL_MULTISAMPLE);
    if (culling) glEnable(GL_CULL_FACE);
    platform().swapBuffers();
    frameDrawn = true;
    // Counted from the end of the frame: where a frame takes longer than the gap, the load still gets
    // the gap between two frames.
    lastFrameTime = readClock();
    framePending = false;
}
