// Follows the window's activation for the frame loop (drawing on with WindowActive, off with WindowInactive) and
// tears the window down on the Shutdown message, then deletes itself.
#pragma once

#include "engine/EventHandler.h"

class GraphicsEventHandler : public EventHandler {
public:
    GraphicsEventHandler();
    ~GraphicsEventHandler() override;

private:
    void onShutdown(Message& message);
};
