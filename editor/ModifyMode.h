// The editor mode that works on one entity: the camera orbits it, held keys move, resize and reshape
// it, Tab with the mouse turns it, and space, 'C' (copy), 'M' (patrol path) or Delete end the edit.
// Every visit leaves one undo record holding the entity as it was when the mode was entered.
#pragma once

#include <cstdint>
#include <string>

#include "core/Vector4.h"
#include "editor/EditorState.h"
#include "editor/TweakBar.h"

class ClickMessage;
class KeyboardMessage;
class MouseMoveMessage;

class alignas(16) ModifyMode : public EditorState {
public:
    ModifyMode() = default;
    // isNewEntity: the entity was placed just before (undoing the visit then deletes it).
    ModifyMode(std::uint32_t entityId, bool isNewEntity);
    ModifyMode(const ModifyMode& other) = default;
    // Tells the entity the edit ends and, unless a record was pushed already, pushes the visit's record.
    ~ModifyMode() override;

    int getVersion() const override { return 1; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void enter() override;
    void update(float dt) override;
    State* clone() const override;
    // Editing off: the entity is told the edit pauses; on again: the camera comes back to it.
    void setActive(bool blocked) override;

    void onMouseMove(MouseMoveMessage& message);
    void onKey(KeyboardMessage& message);
    void onClick(ClickMessage& message);
    // Frees or captures the cursor; the first time also opens the entity's bar.
    void openPropertyBars() override;

    // Camera on the entity at the modify distance, and notice 22 to it.
    void refocus();
    // Notice 23 to the entity.
    void withdraw();
    // The record of a visit: kind 2 for a new entity, else 1.
    int normalKind() const;
    void pushRecord(int kind);

    std::uint32_t entityId = 0;
    bool isNewEntity = false;
    std::string entityText;
    bool undoRecorded = false;
    Vector4 entryPosition;
    std::shared_ptr<TweakBar<Entity>> tweakBar;
};

// A patrolling component running from start to end (the gameplay's "PatrollingComponent", made through
// the type registry), disabled; null, after a report, when the game has no such class.
class Component;
Component* makePatrol(Vector4 start, Vector4 end);
