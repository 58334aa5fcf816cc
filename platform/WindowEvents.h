// What one SDL window event means to the game, worked out without touching the window, so that the
// translation can be checked with events built by hand.
#pragma once

#include <SDL.h>

#include <vector>

struct WindowInput {
    enum Kind {
        KeyDown,        // engine key code in `code`
        KeyUp,
        Character,      // a typed character for the property bars in `code`
        MouseMove,      // client position in x, y
        ButtonDown,     // engine button code (-1 left, -2 middle, -3 right) in `code`
        ButtonUp,
        Wheel,          // notches in `amount`, positive away from the user
        Activated,      // drawing on
        Minimised,      // drawing off
        MovedOrResized,
        CloseRequest,
    };
    Kind kind;
    int code = 0;
    int x = 0;
    int y = 0;
    float amount = 0.0f;
};

// What the translation needs to know of the window.
struct WindowInputState {
    bool mouseCaptured = false;
    int clientWidth = 0;
    int clientHeight = 0;
};

// Appends what the event means, in order; most events mean one thing or nothing.
void translateWindowEvent(const SDL_Event& event, const WindowInputState& state, std::vector<WindowInput>& out);
