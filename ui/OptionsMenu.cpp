// The options screen: display and sound settings, applied at once and saved when it closes.
#include "ui/OptionsMenu.h"

#include <GL/glew.h>

#include <iostream>
#include <sstream>

#include "audio/Audio.h"
#include "core/Configuration.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/ClickMessage.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "graphics/Graphics.h"
#include "graphics/Texture.h"
#include "platform/WindowShell.h"
#include "ui/TextureTextComponent.h"

namespace {

const auto& optionsMenuType = registerType<OptionsMenu>("OptionsMenu");

void showTexture(Entity* entity, const char* name) {
    if (entity && entity->graphics && currentGameState) entity->graphics->setTexture(currentGameState->get<Texture>(name));
}

}  // namespace

OptionsMenu::OptionsMenu() : Menu(4) {
    loadFile(file);
    if (extraTexs.size() < extrasNeeded)
        std::cerr << "error: menu file \"" << file << "\" lists " << extraTexs.size() << " of its " << int(extrasNeeded)
                  << " extra entities\n";
}

OptionsMenu::OptionsMenu(const OptionsMenu& other)
    : Menu(other), resolutionList(other.resolutionList), currentResolution(other.currentResolution) {
    for (Entity* extra : other.extraTexs) extraTexs.push_back(extra->clone());
}

OptionsMenu::~OptionsMenu() {
    configuration.save();
    deleteEntities(extraTexs);
}

Menu* OptionsMenu::clone() const {
    auto* copy = new OptionsMenu(*this);
    copy->bindActions();
    return copy;
}

void OptionsMenu::read(BaseInStream& in, int) {
    readMenuWithExtras(in, extraTexs);
    bindActions();
}

void OptionsMenu::write(BaseOutStream& out, int) {
    writeMenuWithExtras(out, extraTexs);
}

void OptionsMenu::bindActions() {
    bindAction(0, [this] { toggleFullscreenItem(); });
    bindAction(1, [this] { toggleMuteItem(); });
    bindAction(2, [this] { applyResolution(); });
    bindAction(3, menuBack);
}

void OptionsMenu::initialize() {
    Menu::initialize();
    listen<KeyboardMessage>(MessageType::KeyDown, [this](Menu&, KeyboardMessage& message) { onKeyDown(message); });
    listen<KeyboardMessage>(MessageType::KeyUp, [this](Menu&, KeyboardMessage& message) { onActivationKey(message); });
    for (Entity* extra : extraTexs) initializeScreenEntity(*extra);
    showFullscreenIndicator();
    showSoundIndicator();
    resolutionList = enumerateDisplayModes();
    currentResolution = 0;
    showResolutionLabel();
}

void OptionsMenu::update(float dt) {
    Menu::update(dt);
    for (Entity* extra : extraTexs) extra->update(dt);
}

void OptionsMenu::draw(Camera& camera) {
    Menu::draw(camera);
    glClear(GL_DEPTH_BUFFER_BIT);
    drawScreenEntities(extraTexs, camera);
}

void OptionsMenu::click(ClickMessage& message) {
    Entity* item = currentItemEntity();
    if (currentItem != resolutionItem || !item || !item->graphics || !item->body) {
        Menu::click(message);
        return;
    }
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    int x = viewport[0], y = viewport[1], w = viewport[2], h = viewport[3];
    toPixelRect(*item->graphics, x, y, w, h);
    const float centre = static_cast<float>(x) + static_cast<float>(w) * 0.5f;
    const float d = static_cast<float>(lastCursorPosition.x) - centre;
    const float width = static_cast<float>(viewportWidth > 0 ? viewportWidth : viewport[2]);
    const float height = static_cast<float>(viewportHeight > 0 ? viewportHeight : viewport[3]);
    // The dead zone around the label's centre grows with the window's width.
    const float deadZone = height > 0.0f ? 0.05f * width * width / height : 0.0f;
    if (std::abs(d) < deadZone)
        Menu::click(message);
    else
        stepResolution(centre < static_cast<float>(lastCursorPosition.x));
}

void OptionsMenu::toggleFullscreenItem() {
    toggleFullscreen();
    showFullscreenIndicator();
}

void OptionsMenu::toggleMuteItem() {
    if (Audio* audio = currentGameState ? currentGameState->getComponents<Audio>() : nullptr) audio->toggleMute();
    showSoundIndicator();
}

void OptionsMenu::applyResolution() {
    if (currentResolution >= resolutionList.size()) return;
    const DisplaySize size = resolutionList[currentResolution];
    setWindowedResolution(size.width, size.height);
    showFullscreenIndicator();
}

void OptionsMenu::showFullscreenIndicator() {
    if (extraTexs.size() > fullscreenIndicator)
        showTexture(extraTexs[fullscreenIndicator], isFullscreen ? "selected" : "unselected");
}

void OptionsMenu::showSoundIndicator() {
    if (extraTexs.size() > soundIndicator)
        showTexture(extraTexs[soundIndicator], configuration.boolSetting("muted") ? "unselected" : "selected");
}

void OptionsMenu::showResolutionLabel() {
    if (currentResolution >= resolutionList.size() || extraTexs.size() <= resolutionLabel) return;
    TextureTextComponent* label = extraTexs[resolutionLabel]->getComponent<TextureTextComponent>();
    if (!label) return;
    const DisplaySize size = resolutionList[currentResolution];
    std::ostringstream text;
    text << size.width << " x " << size.height;
    label->text = text.str();
    label->renderText();
}

void OptionsMenu::stepResolution(bool forward) {
    if (entityText(currentItemEntity()).find("Resolution") != std::string::npos) {
        if (forward && currentResolution + 1 < resolutionList.size())
            ++currentResolution;
        else if (!forward && currentResolution > 0 && currentResolution < resolutionList.size())
            --currentResolution;
    }
    showResolutionLabel();
}

void OptionsMenu::onKeyDown(KeyboardMessage& message) {
    if (!active) return;
    switch (message.key) {
    case keyW:
    case keyUp:
        selectPrevious();
        break;
    case keyS:
    case keyDown:
        selectNext();
        break;
    case keyA:
    case keyLeft:
        stepResolution(false);
        break;
    case keyD:
    case keyRight:
        stepResolution(true);
        break;
    default:
        break;
    }
}
