// Held-key state for components that poll the keyboard, and the handler that keeps it (and the cursor
// position and mouse capture) in step with delivered input messages.
#pragma once

#include "engine/EventHandler.h"

class KeyboardMessage;
class MouseMoveMessage;

class Input {
public:
    // The held flag of an engine key code; a key never seen is entered as not held.
    static bool& isKeyDown(int key);

    // Exists from start-up until the shutdown message, on which it deletes itself.
    class InputEventHandler : public EventHandler {
    public:
        InputEventHandler();
        ~InputEventHandler() override;

    private:
        void onKeyDown(KeyboardMessage& message);
        void onKeyUp(KeyboardMessage& message);
        void onMouseMove(MouseMoveMessage& message);
        void onWindowShown(Message& message);
        void onWindowMinimised(Message& message);
        void onShutdown(Message& message);
    };
};
