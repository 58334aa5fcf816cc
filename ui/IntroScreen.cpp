// The intro: fading pictures one after another.
#include "ui/IntroScreen.h"

#include <GL/glew.h>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "effects/FadeInComponent.h"
#include "effects/FadeOutComponent.h"
#include "engine/MessageDispatcher.h"
#include "ui/Menu.h"
#include "ui/OwnViewport.h"

namespace {

const auto& introScreenType = registerType<IntroScreen>("IntroScreen");

}  // namespace

IntroScreen::IntroScreen(const IntroScreen& other) : GameStateComponent(), EventHandler(), camera(other.camera) {
    for (Entity* screen : other.screens) screens.push_back(screen->clone());
}

IntroScreen::~IntroScreen() { deleteEntities(screens); }

GameStateComponent* IntroScreen::clone() const { return new IntroScreen(*this); }

void IntroScreen::read(BaseInStream& in, int) {
    const int baseVersion = readBaseHeader(in);
    GameStateComponent::read(in, baseVersion);
    std::string key;
    while (readKey(in, key)) {
        if (key == "camera") {
            readValue(in, camera);
        } else if (key == "screens") {
            deleteEntities(screens);
            readEntityList(in, screens);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void IntroScreen::write(BaseOutStream& out, int) {
    writeBaseHeader(out, GameStateComponent::getVersion(), "GameStateComponent");
    GameStateComponent::write(out, GameStateComponent::getVersion());
    writeBaseEnd(out);
    writeField(out, "camera", camera);
    writeField(out, "screens", screens);
    writeEnd(out);
}

void IntroScreen::initialize() {
    for (Entity* screen : screens) initializeScreenEntity(*screen);
    if (!screens.empty()) screens.front()->addComponent(new FadeInComponent(fadeInSeconds, fadeInSeconds));
}

void IntroScreen::update(float dt) {
    for (Entity* screen : screens) screen->update(dt);
    if (!screens.empty()) {
        Entity* front = screens.front();
        if (!fadingOut && !front->getComponent<FadeInComponent>()) {
            // An end fraction of -1 takes the alpha to nothing half way and keeps it there.
            front->addComponent(new FadeOutComponent(fadeOutSeconds, fadeOutSeconds, -1.0f, false));
            fadingOut = true;
        }
        if (fadingOut && !front->getComponent<FadeOutComponent>()) {
            delete front;
            screens.erase(screens.begin());
            fadingOut = false;
            if (!screens.empty()) screens.front()->addComponent(new FadeInComponent(fadeInSeconds, fadeInSeconds));
        }
        if (!screens.empty()) return;
    }
    sendMessage(new Message(introFinishedMessage));
}

void IntroScreen::draw() {
    glClear(GL_DEPTH_BUFFER_BIT);
    glPushAttrib(GL_VIEWPORT_BIT);
    if (!screens.empty()) drawEntityInOwnViewport(*screens.front(), camera);
    glPopAttrib();
}
