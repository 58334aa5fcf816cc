// The editor mode that adds entities: a translucent preview built from one of the level's entity
// archetypes hangs at the cursor point and flies with the editor keys; the wheel steps through the
// archetypes; space places the preview (or, when its centre lies inside an entity, picks that entity)
// and goes on in Modify mode.
#pragma once

#include <string>

#include "editor/EditorState.h"
#include "editor/TweakBar.h"

class ClickMessage;
class KeyboardMessage;
class MouseWheelMessage;

class PlaceMode : public EditorState {
public:
    // The first preview is the given entity (owned from now on) instead of a fresh archetype instance.
    explicit PlaceMode(Entity* pendingEntity = nullptr);
    // A copy holds its own copy of a pending entity.
    PlaceMode(const PlaceMode& other);
    // Frees the mouse, deletes a pending entity never shown; the preview leaves the level.
    ~PlaceMode() override;

    int getVersion() const override { return 3; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void enter() override;
    // Flies and resizes the preview and hides it while its centre lies inside another entity.
    void update(float dt) override;
    State* clone() const override;

    void onKey(KeyboardMessage& message);
    void onWheel(MouseWheelMessage& message);
    void onClick(ClickMessage& message);
    // Frees or captures the cursor; the first time also opens the state-component and settings bars.
    void openPropertyBars() override;

    // Builds the preview and makes it the cursor entity.
    void makePreview();
    // The entity whose body holds the preview's centre (the deepest contact), or null.
    Entity* findEntityUnderPreview();

    std::string archetypeName;
    Entity* pendingEntity = nullptr;  // owned
    float savedAlpha = 1.0f;
    bool savedResolve = true;
    std::shared_ptr<TweakBar<CloningContainer<GameStateComponent>>> componentsBar;
    std::shared_ptr<TweakBar<Configuration>> configurationBar;
};

// The level's archetype names of one class ("Entity", "Graphics"), in ascending order.
std::vector<std::string> archetypeNamesOfClass(const std::string& className);
// The name one wheel step from current: the next for a positive delta, the previous for a negative
// one (both wrapping), current for 0; the first name when current is not among them. Empty when there
// are no names.
std::string stepArchetypeName(const std::vector<std::string>& names, const std::string& current, float delta);
