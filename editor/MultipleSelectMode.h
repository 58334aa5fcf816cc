// The editor mode that gathers a group: a translucent sphere flies with the editor keys; a left click
// adds every entity it touches, a right click takes them out again; the group is tinted red. Space
// hands the group to Multiple modify mode.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/EditorState.h"

class ClickMessage;
class KeyboardMessage;

class MultipleSelectMode : public EditorState {
public:
    MultipleSelectMode() = default;
    explicit MultipleSelectMode(std::vector<std::uint32_t>&& selection);
    MultipleSelectMode(const MultipleSelectMode& other) = default;
    ~MultipleSelectMode() override;

    int getVersion() const override { return 0; }
    // The "EditorState" part, then "selectedEntities" (a container of ids), "end".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void enter() override;
    void update(float dt) override;
    State* clone() const override;

    void onKey(KeyboardMessage& message);
    void onClick(ClickMessage& message);

    // The white sphere of the shared grow size at the cursor point, made the cursor entity.
    void createCursorEntity();

    std::vector<std::uint32_t> selectedEntities;
};

// Tints the live entities of the selection red for this frame. An id without an entity is dropped and
// ends the walk; the live entities met before it are collected into `live`. True when the walk reached
// the end.
bool tintSelection(std::vector<std::uint32_t>& selection, std::vector<Entity*>& live);
