// Follows the window's activation for the frame loop (drawing on with message 4, off with 5) and
// tears the window down on the shutdown message (31), then deletes itself.
#pragma once

#include "engine/EventHandler.h"

class GraphicsEventHandler : public EventHandler {
public:
    GraphicsEventHandler();
    ~GraphicsEventHandler() override;

private:
    void onShutdown(Message& message);
};
