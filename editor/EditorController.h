// The root of the level editor: a component of the hero whose "disabled" flag is the edit-mode switch
// (messages 21 and 20 turn it on and off), the state machine that runs one editor mode at a time, and
// the owner of the undo stack.
#pragma once

#include <cstddef>
#include <deque>

#include "editor/State.h"
#include "editor/UndoRecord.h"
#include "engine/Component.h"
#include "engine/EventHandler.h"

class EditorController : public Component, public StateMachine, public EventHandler {
public:
    // The newest records kept; older ones are dropped.
    static constexpr std::size_t undoLimit = 256;

    EditorController() = default;
    // Clones of the other's modes, an empty undo stack, no registrations, unowned and enabled.
    EditorController(const EditorController& other);
    // Deletes the modes first (they record nothing while the controller goes), then the records.
    ~EditorController() override;

    Component* clone() const override;
    int getVersion() const override { return 2; }
    // Version 2: the "StateMachine" part and "end"; version 1 also had a "camera", read and dropped;
    // version 0 is empty.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Listens for edit mode on (21) and play mode on (20) in the running level.
    void initialize() override;
    // The machine's step; a controller without any mode starts in Place mode.
    void update(float dt) override;
    // Blocks or unblocks the modes (they hide or show their cursor entities).
    void onDisabledChanged(bool newDisabled) override;

    // Reverts and drops the newest record.
    void undo();
    void pushUndo(const UndoRecord& record);

    std::deque<UndoRecord> undoStack;
    bool tearingDown = false;

private:
    void revert(const UndoRecord& record);
};
