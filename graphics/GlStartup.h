// OpenGL start-up once the window's context is current: entry points, the blend and depth state every
// draw relies on, and the switch to full screen when the settings ask for it.
#pragma once

#include <vector>

struct FullscreenMode {
    unsigned width = 0;
    unsigned height = 0;
};

// What start-up needs of the display; the window shell installs it (graphics never sees the window).
class DisplayModeControl {
public:
    virtual ~DisplayModeControl();
    // The display's distinct sizes, largest width first, then largest height.
    virtual std::vector<FullscreenMode> displayModes() = 0;
    // Whether the display would switch to this size at its current depth and rate (nothing changes).
    virtual bool testFullscreenMode(unsigned width, unsigned height) = 0;
    // Switches to full screen at this size; false, changing nothing, when the size is refused.
    virtual bool enterFullscreen(unsigned width, unsigned height) = 0;
};

// Installs the display control the caller keeps alive; null removes it (no modes, no full screen).
void setDisplayModeControl(DisplayModeControl* control);

// Loads the entry points, switches on alpha blending and the depth test, and enters full screen with
// findFullscreenMode when the setting "fullscreen" is true. False (reported) when the entry points
// or OpenGL 2.0 are missing; the blend and depth state are set in any case.
bool initializeGraphics();

// The largest display size that passes the full-screen test, or (0, 0) when none does.
FullscreenMode findFullscreenMode();
