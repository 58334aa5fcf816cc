// The one game window over SDL2: the window with its OpenGL context, the event pump that turns window
// events into queued engine messages, the cursor, buffer swaps and display modes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/Platform.h"
#include "graphics/GlStartup.h"
#include "platform/DisplayModes.h"

struct SDL_Window;
struct WindowInput;

// How the window is asked for.
struct WindowRequest {
    std::string title;
    int width = 1024;
    int height = 768;
    bool popup = false;     // borderless at (0, 0), as full screen starts
    int antiAliasing = 0;   // multisample count wanted; see multisampleSampleCounts
};

class SdlPlatform : public Platform, public DisplayModeControl {
public:
    SdlPlatform();
    ~SdlPlatform() override;  // destroys the context and the window

    // Starts SDL's video system (needed before the display modes can be read); false, reported,
    // when there is no display.
    bool startVideo();
    // Makes the window and its context (retrying with fewer samples), makes the context current and
    // shows the window. False, reported on the error stream, when not even a plain window could be made.
    bool open(const WindowRequest& request);
    // The sample count the window got (0: none), or -1 before open succeeded.
    int samples() const { return grantedSamples; }
    bool isOpen() const { return window != nullptr; }

    std::uint64_t milliseconds() override;
    void pumpWindowMessages() override;
    void swapBuffers() override;
    void setSwapInterval(int interval) override;
    bool isMinimised() override;
    void getClientSize(int& width, int& height) override;
    void warpCursor(int x, int y) override;
    void setMouseGrab(bool grabbed) override;
    void setCursorVisible(bool visible) override;

    std::vector<FullscreenMode> displayModes() override;
    bool testFullscreenMode(unsigned width, unsigned height) override;
    bool enterFullscreen(unsigned width, unsigned height) override;
    // Back to a bordered, resizable window of this size at (0, 0); the display mode is left as it is.
    void leaveFullscreen(int width, int height);
    bool fullscreen() const { return isFullscreenNow; }

    // Every display size, distinct and largest first.
    std::vector<DisplaySize> displaySizes();
    // Reads the drawable size into viewportWidth and viewportHeight and sets the GL viewport to it.
    void resizeViewport();

    // What one translated window event does: queue the engine message, hand a character to the
    // property bars, set the viewport, or answer the close request.
    void handle(const WindowInput& input);

    // Ends the process when the window is closed during loading; replaceable for tests.
    static std::function<void(int)> exitProcess;

private:
    SDL_Window* window = nullptr;
    void* context = nullptr;
    int grantedSamples = -1;
    bool isFullscreenNow = false;
    bool videoStarted = false;
};
