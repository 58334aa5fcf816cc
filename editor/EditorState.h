// Base of every editor mode: a state of the editor's machine that receives input while it is current.
// It owns the mode's cursor entity (the thing the mode shows and the camera follows) by id, keeps it
// out of saved levels and out of play, and answers the editor keys shared by all modes.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Vector4.h"
#include "editor/State.h"
#include "engine/EventHandler.h"
#include "physics/Contact.h"

class Body;
class EditorController;
class Entity;
class KeyboardMessage;
struct UndoRecord;

class EditorState : public State, public EventHandler {
public:
    // The size every mode gives new cursor entities and placements; the grow keys change it.
    static float lastGrowSize;

    EditorState() = default;
    // A copy runs in the same machine but has no cursor entity of its own (the original's stays the
    // original's) and no registrations.
    EditorState(const EditorState& other);
    // Takes the cursor entity out of the level; then the registrations end.
    ~EditorState() override;

    int getVersion() const override { return 0; }
    // Registers the saving notices (24, 25) and the shared keys with the running level.
    void enter() override;
    // Called with the new blocked flag: true (editing off) hides the cursor entity, false brings it back.
    void setActive(bool blocked) override;

    // The shared keys, while the mouse is captured: '1' Place, '2' Colour, '3' Multiple select mode,
    // 'H' the hero to the cursor point, 'P' save the level, 'U' undo.
    void onKey(KeyboardMessage& message);

    // The entity becomes the cursor entity (the old one leaves the level) and the camera follows it.
    void setCursorEntity(Entity* entity);
    void removeCursorEntity();
    // Keeps a clone of the cursor entity and takes the entity out of the level.
    void hideCursorEntity();
    // Where the cursor entity is, or else the point the level camera orbits.
    Vector4 getCursorPoint() const;
    // The live cursor entity, or null.
    Entity* getCursorEntity() const;

    // Whether the mode has asked its machine for another mode. Messages of the same frame still reach
    // it until the switch; its own handlers then ignore them, so that a second key cannot act on what
    // the first one already handed on (the shared keys still act, but a
    // mode key replaces only what an earlier mode key chose).
    bool handedOver() const;
    // Registers one of the mode's own input handlers with the running level; it does nothing once the
    // mode has handed over.
    template <class M, class H, class F>
    void registerInputHandler(int type, H* self, F function) {
        registerHandler<M>(type, self, [function](H& mode, M& message) {
            if (!mode.handedOver()) function(mode, message);
        });
    }

    // Onto the undo stack of the controller running this mode (nothing while it is torn down).
    void pushUndo(const UndoRecord& record);
    EditorController* getController() const;

    // A right click calls this. The property bars open here: the mode frees the cursor for them
    // (toggleCaptureForBars) and shows its bar. Nothing in modes without bars.
    virtual void openPropertyBars() {}
    // The first right click frees the cursor, the next captures it again.
    static void toggleCaptureForBars();

    // The "EditorState" part: the "State" part, "lastGrowSize", "end".
    void readEditorStatePart(BaseInStream& in);
    void writeEditorStatePart(BaseOutStream& out);
    // The base part of a mode: its version, the key ("EditorState" or "State") and the part.
    void readBasePart(BaseInStream& in, bool editorStatePart);
    void writeBasePart(BaseOutStream& out, bool editorStatePart);

    std::uint32_t cursorEntityId = 0;
    Entity* hiddenCursorEntity = nullptr;  // owned
    bool entered = false;                  // set by enter: a mode never entered records nothing
    bool handedOverByModeKey = false;      // the hand-over came from a shared mode key, not the mode's work
};

// The contacts of the body with the level's other bodies, leaving out bodies whose entity has left
// the level: a removed entity's body stays in the physics until the next flush, but it is no longer
// there to be picked, painted or selected. Empty without physics.
std::vector<Contact> liveContacts(Body* body);

// The key codes the editor uses.
namespace EditorKey {
enum : int {
    up = -20,
    left = -21,
    down = -22,
    right = -23,
    del = -26,
    tab = -27,
    shift = -28,
    ctrl = -29,
    alt = -30,
    capsLock = -31,
    f1 = -43,
    space = 32,
};
}

// Mouse buttons of click messages.
namespace MouseButton {
enum : int { left = -1, middle = -2, right = -3 };
}
