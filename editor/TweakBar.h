// A property bar over one object (an entity, a Graphics component, the settings or the level's state
// components): every serialised field is a typed, named widget bound to the object's own memory, so
// an edit takes effect at once and is saved with the level. Buttons below it add and delete parts
// through popup bars listing the registered classes.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "engine/CloningContainer.h"
#include "engine/EventHandler.h"
#include "platform/TweakBarLayer.h"

class Configuration;
class Entity;
class GameState;
class GameStateComponent;
class Graphics;
class TweakBarSerializer;

// Bars constructed and not yet destroyed; the last one to go drops every struct type.
extern std::int32_t liveTweakBars;

// What every bar shares, whatever it shows.
class TweakBarBase : public EventHandler {
public:
    explicit TweakBarBase(const std::string& name);
    ~TweakBarBase() override;

    // Brings the bar in line with its object before a draw: a bar whose object was replaced is
    // pointed at the new one and refilled, one whose object is gone is emptied. Main bars only.
    virtual void validate() = 0;

    // A bar released inside a button callback dies once the callback has returned, not under it.
    static void releaseLater(std::shared_ptr<TweakBarBase> bar);

    std::string name;
    TwBar* bar;

protected:
    // Empties the bar and drops the struct types its last fill defined (and no other bar's).
    void clearContent();

    std::vector<TwType> ownedTypes;
    // The absolute addresses and types the bar's variable binds, to tell whether it is still valid.
    std::vector<std::uintptr_t> layout;
    bool filled = false;
    bool awaitingRefill = false;

    friend struct TweakBarCallbacks;
};

template <class T>
class TweakBar : public TweakBarBase {
public:
    // The client data of one button.
    struct ButtonRecord {
        TweakBar* owner;
        void* data;
        void (*callback)(ButtonRecord* record);
    };

    using TweakBarSerializer = ::TweakBarSerializer;

    // Creates the bar and, unless skipFill, fills it now. The object must stay alive while the bar
    // stands, or be found again by the bar (an entity by its id, a Graphics by its entity, the state
    // components by the running state).
    TweakBar(const std::string& name, T* object, bool skipFill = false);
    ~TweakBar() override;

    // Adds the object's variable and, except for the settings, a separator and the buttons.
    void fill();
    // Closes the popups, empties the bar and fills it again 0.2 s later.
    void rebuild();
    void addButton(const std::string& label, void (*callback)(ButtonRecord* record), void* data);
    void addPopup(std::shared_ptr<TweakBar> popup);
    void validate() override;
    // Points the bar at another object (its owner replaced the one shown) and refills it at once;
    // null empties it. The same object changes nothing.
    void follow(T* current);

    T* object;
    std::vector<std::shared_ptr<TweakBar>> popups;
    std::list<ButtonRecord> buttons;  // never shrinks while the bar stands: the layer holds their addresses
    TweakBar* parent = nullptr;

private:
    // The object as it stands now, found again where it can be; null when it is gone.
    T* locate();
    // The layout the object would give now.
    std::vector<std::uintptr_t> currentLayout(T* current);
    std::shared_ptr<TweakBarSerializer> serialize(T* current, std::vector<TwType>* defined);
    void addButtons();
    // Remembers how to find the object again.
    void track();

    std::uint32_t ownerId = 0;
    bool tracked = false;
};

// A popup bar over the same object, titled with the button's label, never filled.
template <class T>
std::shared_ptr<TweakBar<T>> makePopup(const std::string& label, T* object) {
    return std::make_shared<TweakBar<T>>(label, object, true);
}

// Runs every live main bar's validate (the layer calls this before it draws).
void validateTweakBars();

extern template class TweakBar<Entity>;
extern template class TweakBar<Graphics>;
extern template class TweakBar<Configuration>;
extern template class TweakBar<CloningContainer<GameStateComponent>>;
