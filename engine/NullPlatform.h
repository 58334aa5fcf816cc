// A platform without a window: a real monotonic clock, a fixed client size, and nothing to draw to.
#pragma once

#include <chrono>

#include "engine/Platform.h"

class NullPlatform : public Platform {
public:
    NullPlatform();
    ~NullPlatform() override;

    std::uint64_t milliseconds() override;
    void pumpWindowMessages() override;
    void swapBuffers() override;
    void setSwapInterval(int interval) override;
    bool isMinimised() override;
    void getClientSize(int& width, int& height) override;
    void warpCursor(int x, int y) override;
    void setMouseGrab(bool grabbed) override;
    void setCursorVisible(bool visible) override;

private:
    std::chrono::steady_clock::time_point start;
};
