// The menu base: the menu-file part, the highlight, drawing items in their own viewports, and the
// helpers the screens share.
#include "ui/Menu.h"

#include <GL/glew.h>

#include <iostream>
#include <limits>

#include "core/FileReader.h"
#include "core/TextFormat.h"
#include "engine/ClickMessage.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MouseMoveMessage.h"
#include "graphics/Graphics.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Physics.h"
#include "physics/Plane.h"
#include "ui/MenuManager.h"
#include "ui/OwnViewport.h"
#include "ui/TextureTextComponent.h"

const Vector4 Menu::litColor{1.2f, 1.2f, 1.2f, 1.0f};
const Vector4 Menu::dimColor{1.0f, 1.0f, 1.0f, 0.3f};

namespace {

constexpr int resizeMessage = 6;
constexpr int mouseMoveMessage = 9;
constexpr int buttonDownMessage = 10;
constexpr int keyDownMessage = 7;
constexpr int keyUpMessage = 8;

}  // namespace

Menu::Menu(int actionCount) : actionCount(actionCount) {}

Menu::Menu(const Menu& other)
    : EventSystem(), EventHandler(), background(other.background), actionCount(other.actionCount),
      menuTexs(other.menuTexs), fileName(other.fileName) {
    options.reserve(other.options.size());
    for (Entity* item : other.options) options.push_back(item->clone());
}

Menu::~Menu() { deleteEntities(options); }

void Menu::read(BaseInStream& in, int) { readMenuOnlyFields(in); }

void Menu::write(BaseOutStream& out, int) { writeMenuOnlyFields(out); }

void Menu::clearContents() {
    deleteEntities(options);
    menuTexs.clear();
    for (auto& component : background.components) component.reset();
    background.components.clear();
    background.clearComponentCache();
    background.refreshCachedComponents();
    currentItem = none;
    currentTex = none;
}

void Menu::readMenuFields(BaseInStream& in) {
    clearContents();
    std::string key;
    while (readKey(in, key)) {
        if (key == "menuTexs") {
            readValue(in, menuTexs);
        } else if (key == "background") {
            readValue(in, background);
        } else if (key == "options") {
            readEntityList(in, options);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void Menu::writeMenuFields(BaseOutStream& out) {
    writeField(out, "menuTexs", menuTexs);
    writeField(out, "background", background);
    writeField(out, "options", options);
    writeEnd(out);
}

void Menu::readMenuOnlyFields(BaseInStream& in) {
    readBaseHeader(in);
    readMenuFields(in);
    std::string key;
    while (readKey(in, key)) {
        skipUnknownKey(in, key);
    }
    bindActions();
}

void Menu::writeMenuOnlyFields(BaseOutStream& out) {
    writeBaseHeader(out, 0, "Menu");
    writeMenuFields(out);
    writeBaseEnd(out);
    writeEnd(out);
}

void Menu::loadFile(const std::string& path) {
    fileName = path;
    FileReader in(path);
    if (!in.isOpen()) {
        // The reader has named the file; the menu stays empty and leaves on Escape.
        clearContents();
        return;
    }
    readValue(in, static_cast<Menu&>(*this));
    if (options.size() < static_cast<std::size_t>(actionCount))
        std::cerr << "error: menu file \"" << path << "\" lists " << options.size() << " of its " << actionCount
                  << " items\n";
}

void Menu::bindAction(std::size_t index, std::function<void()> action) {
    if (index >= options.size()) return;
    registerMessageHandler(itemChosenMessage, options[index], [action](Entity&, Message&) { action(); });
}

void Menu::initialize() {
    listen<Message>(resizeMessage, [](Menu& menu, Message&) { menu.fitBackground(); });
    listen<MouseMoveMessage>(mouseMoveMessage, [](Menu& menu, MouseMoveMessage& message) { menu.pick(message); });
    listen<ClickMessage>(buttonDownMessage, [](Menu& menu, ClickMessage& message) {
        if (menu.active) menu.click(message);
    });
    listen<KeyboardMessage>(keyDownMessage, [](Menu& menu, KeyboardMessage& message) { menu.onEscapeKey(message); });

    initializeScreenEntity(background);
    for (Entity* item : options) initializeScreenEntity(*item);
    currentItem = none;
    if (!options.empty()) {
        currentItem = 0;
        light(0, true);
    }
    currentTex = none;
    showPage(0);
    fitBackground();
}

void Menu::update(float dt) {
    background.update(dt);
    for (Entity* item : options) item->update(dt);
}

void Menu::draw(Camera& camera) {
    glClear(GL_DEPTH_BUFFER_BIT);
    if (background.graphics && background.body)
        background.graphics->draw(getBodyWorldMatrix(*background.body), camera);
    drawScreenEntities(options, camera);
}

void Menu::onClose() {}

std::size_t Menu::nearestItem(int x, int y) const {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    float best = std::numeric_limits<float>::max();
    std::size_t chosen = none;
    for (std::size_t i = 0; i < options.size(); ++i) {
        Entity* item = options[i];
        if (!item->graphics || !item->body) continue;
        int rx = viewport[0], ry = viewport[1], rw = viewport[2], rh = viewport[3];
        toPixelRect(*item->graphics, rx, ry, rw, rh);
        const float cx = static_cast<float>(rx) + static_cast<float>(rw) * 0.5f;
        const float cy = static_cast<float>(viewport[3]) - (static_cast<float>(ry) + static_cast<float>(rh) * 0.5f);
        const float dx = static_cast<float>(x) - cx, dy = static_cast<float>(y) - cy;
        const float d = dx * dx + dy * dy;
        if (d < best) {
            best = d;
            chosen = i;
        }
    }
    return chosen;
}

void Menu::pick(MouseMoveMessage& message) {
    if (!active) return;
    const std::size_t chosen = nearestItem(message.newX, message.newY);
    if (chosen != none && chosen != currentItem) moveHighlight(chosen, isItemAvailable(chosen));
}

bool Menu::isItemAvailable(std::size_t) const { return true; }

void Menu::click(ClickMessage&) { chooseCurrentItem(); }

void Menu::light(std::size_t index, bool lit) {
    if (index < options.size() && options[index]->graphics) options[index]->graphics->diffuseColor = lit ? litColor : dimColor;
}

void Menu::moveHighlight(std::size_t index, bool lit) {
    if (currentItem != none) light(currentItem, false);
    currentItem = index;
    if (lit) light(currentItem, true);
}

void Menu::selectNext() {
    if (options.empty()) return;
    moveHighlight(currentItem == none || currentItem + 1 >= options.size() ? 0 : currentItem + 1);
}

void Menu::selectPrevious() {
    if (options.empty()) return;
    moveHighlight(currentItem == none || currentItem == 0 ? options.size() - 1 : currentItem - 1);
}

void Menu::chooseItem(std::size_t index) {
    if (index >= options.size()) return;
    Message chosen(itemChosenMessage);
    options[index]->deliver(chosen);
}

void Menu::chooseCurrentItem() { chooseItem(currentItem); }

void Menu::fitBackground() {
    Body* body = background.body;
    Plane* plane = body ? dynamic_cast<Plane*>(body->shape) : nullptr;
    Texture* texture = background.graphics ? background.graphics->getTexture() : nullptr;
    if (!plane || !texture || texture->getHeight() <= 0) return;
    GLfloat viewport[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glGetFloatv(GL_VIEWPORT, viewport);
    float s = viewport[3] / static_cast<float>(texture->getHeight());
    if (!(s < 1.0f)) s = 1.0f;
    plane->size = Vector4(s, 1.0f, 1.0f, 1.0f);
}

void Menu::onActivationKey(KeyboardMessage& message) {
    if (active && (message.key == keySpace || message.key == keyEnter)) chooseCurrentItem();
}

void Menu::onEscapeKey(KeyboardMessage& message) {
    if (!active || !options.empty() || message.key != keyEscape) return;
    MenuManager* manager = currentMenuManager();
    if (!manager) return;
    if (manager->openMenus.size() > 1 || !currentGameState) {
        manager->popMenu();
        return;
    }
    // The last menu of a paused level: leaving it must give the level back.
    currentGameState->mainMenuOpen = false;
    currentGameState->setPaused(false);
}

bool Menu::showPage(std::size_t index) {
    if (index >= menuTexs.size()) return false;
    currentTex = index;
    if (background.graphics && currentGameState)
        background.graphics->setTexture(currentGameState->get<Texture>(menuTexs[index]));
    return true;
}

MenuManager* currentMenuManager() { return currentGameState ? currentGameState->getComponents<MenuManager>() : nullptr; }

void pushMenu(Menu* menu) {
    if (MenuManager* manager = currentMenuManager())
        manager->pushMenu(menu);
    else
        delete menu;
}

void menuBack() {
    if (MenuManager* manager = currentMenuManager()) manager->popMenu();
}

void initializeScreenEntity(Entity& entity) {
    entity.initialize();
    // Screen entities stand in screen coordinates; the level's bodies must never meet them.
    for (Body* body : entity.getComponents<Body>())
        if (Physics* world = currentPhysics()) world->removeBody(body);
}

void drawScreenEntities(const std::vector<Entity*>& entities, Camera& camera) {
    glPushAttrib(GL_VIEWPORT_BIT);
    for (Entity* entity : entities)
        if (entity->graphics && !entity->graphics->disabled) drawEntityInOwnViewport(*entity, camera);
    glPopAttrib();
}

std::string entityText(Entity* entity) {
    TextureTextComponent* text = entity ? entity->getComponent<TextureTextComponent>() : nullptr;
    return text ? text->text : std::string();
}

void readEntityList(BaseInStream& in, std::vector<Entity*>& entities) {
    std::vector<Entity*> read;
    readValue(in, read);
    for (Entity* entity : read)
        if (entity) entities.push_back(entity);
}

void deleteEntities(std::vector<Entity*>& entities) {
    for (Entity* entity : entities) delete entity;
    entities.clear();
}

void Menu::readMenuWithExtras(BaseInStream& in, std::vector<Entity*>& extraTexs) {
    readBaseHeader(in);
    readMenuFields(in);
    deleteEntities(extraTexs);
    std::string key;
    while (readKey(in, key)) {
        if (key == "extraTexs") {
            readEntityList(in, extraTexs);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void Menu::writeMenuWithExtras(BaseOutStream& out, const std::vector<Entity*>& extraTexs) {
    writeBaseHeader(out, 0, "Menu");
    writeMenuFields(out);
    writeBaseEnd(out);
    writeField(out, "extraTexs", extraTexs);
    writeEnd(out);
}
