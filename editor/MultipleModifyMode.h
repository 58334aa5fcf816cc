// The editor mode that edits a group at once: held keys move it and the arrows scale it about its
// centre; with Tab held, Q and E mirror it and W, S, A, D turn it by quarter turns; 'C' copies it (and
// goes on with the copies), Delete deletes it, space returns to Multiple select mode. Each stay leaves
// one undo record holding the group as it was on entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/EditorState.h"

class ClickMessage;
class KeyboardMessage;

class MultipleModifyMode : public EditorState {
public:
    MultipleModifyMode() = default;
    // isNewSelection: the group is copies made just before (undoing the stay deletes them).
    MultipleModifyMode(std::vector<std::uint32_t>&& selection, bool isNewSelection);
    MultipleModifyMode(const MultipleModifyMode& other) = default;
    // Pushes the stay's record unless one was pushed already (or the group is empty).
    ~MultipleModifyMode() override;

    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void enter() override;
    void update(float dt) override;
    State* clone() const override;

    void onKey(KeyboardMessage& message);

    // Mirrors the group about its centre across the horizontal plane (vertical true: y flips) or the
    // vertical plane facing the camera.
    void mirrorSelection(bool vertical);
    // A quarter turn of the group about its centre: about y (selector 1) or about the world axis
    // closest to the camera's right.
    void rotateSelection(int axisSelector, bool positive);
    // The live entities of the selection, in order.
    std::vector<Entity*> liveEntities() const;

    std::vector<std::uint32_t> selectedEntities;
    bool undoRecorded = false;
    std::string selectionText;
    bool isNewSelection = false;

private:
    int normalKind() const;
    void pushRecord(int kind);
    void copySelection();
    void deleteSelection();
};
