// A Graphics shown only while the level is edited: hidden by "play mode on" (PlayMode), shown
// again by "edit mode on" (EditMode).
#pragma once

#include "engine/EventHandler.h"
#include "graphics/Graphics.h"

class alignas(16) EditorGraphics : public Graphics, public EventHandler {
public:
    EditorGraphics() = default;
    EditorGraphics(const EditorGraphics& other) = default;
    ~EditorGraphics() override;

    // Registers for the two mode messages with the running state.
    void initialize() override;
    // A copy is a plain Graphics: copies of editor-only objects show in play.
    // (Graphics::clone is inherited.)
};
