// The editor mode for materials: a translucent sphere at the cursor wears the Graphics of one of the
// level's "Graphics" archetypes (the wheel steps through them); 'C' picks up the material of the entity
// it touches most deeply, space paints it onto every entity it touches (one undo record each). The
// model is never copied: the preview stays a sphere and painted entities keep their meshes.
#pragma once

#include <string>

#include "editor/EditorState.h"
#include "editor/TweakBar.h"

class ClickMessage;
class Graphics;
class KeyboardMessage;
class MouseWheelMessage;

class ColorMode : public EditorState {
public:
    ColorMode() = default;
    ColorMode(const ColorMode& other) = default;
    ~ColorMode() override;

    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void enter() override;
    void update(float dt) override;
    State* clone() const override;

    void onKey(KeyboardMessage& message);
    void onWheel(MouseWheelMessage& message);
    void onClick(ClickMessage& message);
    // Frees or captures the cursor; the first time also opens the "Material" bar over the preview.
    void openPropertyBars() override;

    // A new preview sphere of the shared grow size at the cursor point. Without a "Graphics"
    // archetype it wears a plain white material.
    void makePreview();
    // The preview's Graphics, or null.
    Graphics* previewGraphics() const;

    std::string archetypeName;
    float savedAlpha = 1.0f;
    // Follows the preview: a new preview (wheel, or the copy restored after a save or a pause)
    // takes the bar with it.
    std::shared_ptr<TweakBar<Graphics>> tweakBar;
};
