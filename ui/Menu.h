// Base of every menu screen: a backdrop entity showing one of the menu's pictures and a circular list
// of item entities, one of them highlighted. The mouse highlights the nearest item and a button
// chooses it; the screens add their keys. Choosing delivers message 27 to the item entity, on which
// the screen has bound the item's action. Each menu is a dispatch scope of its own, so its handlers
// go with it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/Vector4.h"
#include "engine/Entity.h"
#include "engine/EventHandler.h"
#include "engine/EventSystem.h"

class BaseInStream;
class BaseOutStream;
class Camera;
class ClickMessage;
class KeyboardMessage;
class MenuManager;
class MouseMoveMessage;

class Menu : public EventSystem, public EventHandler {
public:
    static constexpr int itemChosenMessage = 27;
    static constexpr std::size_t none = static_cast<std::size_t>(-1);
    // Key codes the screens answer.
    static constexpr int keySpace = 32, keyEnter = -25, keyEscape = -24;
    static constexpr int keyUp = -20, keyLeft = -21, keyDown = -22, keyRight = -23;
    static constexpr int keyA = 65, keyD = 68, keyS = 83, keyW = 87;

    // The highlighted item's colour and every other item's once it has lost the highlight.
    static const Vector4 litColor;
    static const Vector4 dimColor;

    // actionCount: how many item actions the screen binds.
    explicit Menu(int actionCount);
    // The backdrop and items cloned, the same pictures; inactive, nothing current, no actions bound.
    Menu(const Menu& other);
    Menu& operator=(const Menu&) = delete;
    // Deletes the items; the backdrop and the registrations go with the object.
    ~Menu() override;

    virtual Menu* clone() const = 0;
    virtual int getVersion() const { return 0; }
    // The class part of a screen without fields of its own: the "Menu" part, then "end". What is
    // read replaces what the menu held, and the actions are bound to the new items.
    virtual void read(BaseInStream& in, int version);
    virtual void write(BaseOutStream& out, int version);
    // Binds the screen's actions to its items, in order (only to the items there are).
    virtual void bindActions() = 0;
    // Handlers for resize, mouse moves and buttons; the entities made ready; the first item lit and
    // the first picture shown.
    virtual void initialize();
    virtual void update(float dt);
    // The backdrop over the whole viewport, then each item whose Graphics is enabled in a viewport of
    // its own.
    virtual void draw(Camera& camera);
    // Just before the menu stack deletes a closed menu.
    virtual void onClose();
    // Highlights the item whose screen centre is nearest the cursor (while active); an unavailable
    // item becomes current without being lit.
    virtual void pick(MouseMoveMessage& message);
    // Whether an item can be chosen now (all of them here).
    virtual bool isItemAvailable(std::size_t index) const;
    // Any button chooses the highlighted item.
    virtual void click(ClickMessage& message);

    void selectNext();
    void selectPrevious();
    // Delivers message 27 to the highlighted item now.
    void chooseCurrentItem();
    // Delivers message 27 to one item now.
    void chooseItem(std::size_t index);
    // Sizes the backdrop to the picture: a picture taller than the viewport narrows it.
    void fitBackground();
    // The shared release handler: space or Enter chooses the highlighted item (while active).
    void onActivationKey(KeyboardMessage& message);
    // A menu without items leaves on Escape (while active), so that no screen can hold the game.
    void onEscapeKey(KeyboardMessage& message);

    // Shows picture `index` of menuTexs on the backdrop; false when there is no such picture.
    bool showPage(std::size_t index);

    Entity* currentItemEntity() const { return currentItem < options.size() ? options[currentItem] : nullptr; }

    // Reads the menu from its file into this object. A file that cannot be read is reported by the
    // reader; a file with fewer items than the screen binds gets one error line naming it.
    void loadFile(const std::string& path);
    // Binds action to item `index` (message 27); an item the file does not have is skipped.
    void bindAction(std::size_t index, std::function<void()> action);
    // Empties the backdrop, the pictures and the items (before reading a menu again).
    void clearContents();

    // The "Menu" part: "menuTexs", "background", "options", "end". Items read as "NULL" are dropped.
    void readMenuFields(BaseInStream& in);
    void writeMenuFields(BaseOutStream& out);
    // The whole part of a screen whose only field of its own is "extraTexs": its Menu base part, then
    // the extra entities (replacing those it held), then "end".
    void readMenuWithExtras(BaseInStream& in, std::vector<Entity*>& extraTexs);
    void writeMenuWithExtras(BaseOutStream& out, const std::vector<Entity*>& extraTexs);
    // The class part of a screen that adds no fields: version, "Menu" and its part, "end".
    void readMenuOnlyFields(BaseInStream& in);
    void writeMenuOnlyFields(BaseOutStream& out);

    Entity background;
    int actionCount = 0;
    bool active = false;
    std::size_t currentTex = none;
    std::vector<std::string> menuTexs;
    std::size_t currentItem = none;
    std::vector<Entity*> options;  // owned
    std::string fileName;          // the menu file, for messages

protected:
    // Registers on this menu's own scope; the registration lasts as long as the menu.
    template <class M, class F>
    void listen(int type, F&& function) {
        EventHandler::registerHandler<M>(static_cast<EventSystem*>(this), type, this, std::forward<F>(function));
    }
    // Sets an item's highlight colour.
    void light(std::size_t index, bool lit);
    // Makes item `index` current, dimming the old one; `lit` says whether the new one is lit.
    void moveHighlight(std::size_t index, bool lit = true);
    // The item nearest the cursor position, or none.
    std::size_t nearestItem(int x, int y) const;
};

// The menu stack of the running game state, or null.
MenuManager* currentMenuManager();
// Pushes a new menu on the running state's stack; without one the menu is deleted unused.
void pushMenu(Menu* menu);
// Pops the top menu of the running state's stack (the shared "back" action).
void menuBack();

// Readies an entity a screen owns (items, lines, pictures): components owned and initialised. Its
// body takes no part in the level's physics.
void initializeScreenEntity(Entity& entity);
// Draws each enabled entity in a viewport of its own (the rule items are drawn by).
void drawScreenEntities(const std::vector<Entity*>& entities, Camera& camera);
// The text of an entity's text component, or "" without one.
std::string entityText(Entity* entity);

// Reads a list of entity pointers, dropping "NULL" entries.
void readEntityList(BaseInStream& in, std::vector<Entity*>& entities);
// Deletes the entities and empties the list.
void deleteEntities(std::vector<Entity*>& entities);
