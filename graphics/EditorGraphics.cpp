// Editor-only drawing: follows the play-mode and edit-mode messages of the running level.
#include "graphics/EditorGraphics.h"

#include "core/SerializeType.h"
#include "engine/MessageTypes.h"

namespace {
const auto& editorGraphicsType = registerType<EditorGraphics>("EditorGraphics");
}

EditorGraphics::~EditorGraphics() = default;

void EditorGraphics::initialize() {
    // Registered once: an entity initialised again must not double the handlers.
    if (initialised) return;
    initialised = true;
    EventHandler::registerHandler(MessageType::PlayMode, this, [](EditorGraphics& graphics, Message&) {
        graphics.disabled = true;
        graphics.onDisabledChanged(true);
    });
    EventHandler::registerHandler(MessageType::EditMode, this, [](EditorGraphics& graphics, Message&) {
        graphics.disabled = false;
        graphics.onDisabledChanged(false);
    });
}
