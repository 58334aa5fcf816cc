// The frame loop and the state switches around it, with the process-wide state every subsystem reads:
// the running game state and the requests for the next one, the clock, the window and mouse flags.
#pragma once

#include <functional>
#include <memory>

#include "engine/StopWatch.h"

class GameState;

// The state being run; null before the first one exists.
extern GameState* currentGameState;
// The state asked for next; equal to currentGameState while it keeps running. Set it to a new state,
// to &restartGameState or to &quitGameState; the switch happens when the current frame ends.
extern GameState* nextGameState;
extern GameState* previousGameState;
// Requests only, never run; recognised by address.
extern GameState restartGameState;
extern GameState quitGameState;

// Seconds; read once per frame and stamped into every message.
extern double currentTime;
// Seconds since the previous frame, at most 0.1; handed to every update.
extern float frameDelta;
// Start of the current frame.
extern StopWatch frameStopWatch;

// True until the first state has been entered through a full load.
extern bool firstLoad;
// Frames are rendered only while set (the window shell follows activation and minimising).
extern bool windowActive;
// Set while a loading screen exists.
extern bool loadingScreenUp;
// The cursor is hidden and held at the centre of the client area.
extern bool mouseCaptured;
// Client area in pixels, set with the viewport.
extern int viewportWidth;
extern int viewportHeight;

// The previous position that cursor-move messages report, in client pixels.
struct CursorPosition {
    int x = 0;
    int y = 0;
};
extern CursorPosition lastCursorPosition;

// Builds the loading screen that stands while a state is entered; it is destroyed once the state is in
// and its entry message queued. Empty: states are entered without one.
extern std::function<std::shared_ptr<void>()> loadingScreenFactory;

// Enters, runs and leaves game states until quitGameState becomes current.
void runGameStates();
// Reads the clock into currentTime and frameDelta; with the setting "limitFrameRate" waits until the
// frame has lasted at least 15 ms.
void waitForNextFrame();
// The platform clock in seconds.
double readClock();

// Moves the cursor to the centre of the client area and remembers it as the last position.
void centerCursor();
// Captures (hides and centres) or frees the cursor; asking for the current state does nothing.
void setMouseCaptured(bool captured);
// After the window comes back: captures again when capture is on.
void recaptureMouse();
