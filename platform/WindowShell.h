// The window operations the rest of the game calls by name: creating and tearing down the one game
// window, the viewport, and the display-mode switches of the options.
#pragma once

#include <string>
#include <vector>

#include "platform/DisplayModes.h"

// The window is full screen.
extern bool isFullscreen;

// Builds the window and its OpenGL context from the settings ("fullscreen", "resolutionX",
// "resolutionY", "antiAliasing"), installs it as the engine's platform, starts the graphics layer
// and queues the first "window active" (4) and "moved or resized" (6) messages. With the window it
// creates the handler that follows activation and tears the window down on the shutdown message.
// False, reported, when no window could be made.
bool createGameWindow(const std::string& title);
// Releases the context and destroys the window; the engine falls back to its null platform.
void destroyGameWindow();
bool gameWindowExists();

// The client area's drawable size into viewportWidth and viewportHeight, and the GL viewport to it.
void resizeViewport();

// Full screen at this size; false, changing nothing, when the display refuses the size.
bool enterFullscreen(int width, int height);
// Between full screen (at findFullscreenMode's size) and a window of "resolutionX" x "resolutionY";
// the setting "fullscreen" follows. The display mode is not changed back.
void toggleFullscreen();
// A window of this size; the settings "resolutionX", "resolutionY" and "fullscreen" (false) follow.
// Saving the settings is the caller's.
void setWindowedResolution(int width, int height);
// The display's distinct sizes, largest first.
std::vector<DisplaySize> enumerateDisplayModes();
