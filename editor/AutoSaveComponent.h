// Saves the level being edited every "autoSaveInterval" seconds into a rotating set of
// "numAutoSaveFiles" files in the settings folder: save n goes to slot 1 + (trailing zero bits of n),
// at most the last slot, so recent saves are kept densely and older ones sparsely. It counts only
// while editing.
#pragma once

#include <string>

#include "engine/EventHandler.h"
#include "engine/GameStateComponent.h"

class AutoSaveComponent : public GameStateComponent, public EventHandler {
public:
    AutoSaveComponent();
    // The same count and time left; no registrations.
    AutoSaveComponent(const AutoSaveComponent& other);
    ~AutoSaveComponent() override;

    GameStateComponent* clone() const override;
    int getVersion() const override { return 1; }
    // Version 1: the base part and "numAutoSaves"; version 0 also had "fileName" and
    // "numAutoSaveFiles", read and dropped.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Edit mode on (21) enables the component, play mode on (20) disables it.
    void initialize() override;
    void update(float dt) override;

    // The slot of save number count among files slots (1 when files is at most 1).
    static int slotFor(int count, int files);
    // The file name pattern with the slot inserted before the first '.' of the file name itself, after
    // the last folder separator (at the end when the name has none): "levels/a.b.png" -> "levels/a3.b.png".
    static std::string slotFileName(const std::string& pattern, int slot);
    // Where a save goes: the slot's name in the settings folder.
    static std::string autoSavePath(int slot);

    float timeToSave = 0.0f;
    int numAutoSaves = 0;
};
