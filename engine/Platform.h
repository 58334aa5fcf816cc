// What the engine needs of the window system, behind one interface: the SDL window shell provides it
// in the program, a null platform stands in until then (tests, tools).
#pragma once

#include <cstdint>

class Platform {
public:
    virtual ~Platform();

    // A millisecond count from a fixed start; 64 bits so that the clock never wraps.
    virtual std::uint64_t milliseconds() = 0;
    // Turns pending window events into queued messages; never waits.
    virtual void pumpWindowMessages() = 0;
    virtual void swapBuffers() = 0;
    virtual void setSwapInterval(int interval) = 0;
    virtual bool isMinimised() = 0;
    // Size of the client area in pixels.
    virtual void getClientSize(int& width, int& height) = 0;
    // Moves the cursor to a position in client pixels.
    virtual void warpCursor(int x, int y) = 0;
    virtual void setMouseGrab(bool grabbed) = 0;
    virtual void setCursorVisible(bool visible) = 0;
};

// The platform in use; the null platform until setPlatform installs another.
Platform& platform();
// Installs a platform the caller keeps alive; null goes back to the null platform.
void setPlatform(Platform* platform);

// Drains the window's events into queued messages (the platform's pump).
void pumpWindowMessages();
