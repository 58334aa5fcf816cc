// A scripted platform for engine tests: a clock the test moves (or that advances on every reading), a
// fixed client area, and counters of what the engine asked of the window.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/Platform.h"

class FakePlatform : public Platform {
public:
    FakePlatform() { setPlatform(this); }
    ~FakePlatform() override { setPlatform(nullptr); }

    std::uint64_t milliseconds() override {
        ++clockReadings;
        const std::uint64_t reading = now;
        now += stepPerReading;
        return reading;
    }
    void pumpWindowMessages() override {
        ++pumps;
        if (onPump) onPump();
    }
    void swapBuffers() override { ++swaps; }
    void setSwapInterval(int interval) override { swapInterval = interval; }
    bool isMinimised() override { return minimised; }
    void getClientSize(int& width, int& height) override {
        width = clientWidth;
        height = clientHeight;
    }
    void warpCursor(int x, int y) override {
        ++warps;
        cursorX = x;
        cursorY = y;
    }
    void setMouseGrab(bool value) override { grabbed = value; }
    void setCursorVisible(bool value) override { cursorVisible = value; }

    std::uint64_t now = 0;             // milliseconds returned by the next reading
    std::uint64_t stepPerReading = 0;  // added after every reading
    int clockReadings = 0;
    int pumps = 0;
    int swaps = 0;
    int swapInterval = 1;
    bool minimised = false;
    int clientWidth = 801;
    int clientHeight = 600;
    int warps = 0;
    int cursorX = -1;
    int cursorY = -1;
    bool grabbed = false;
    bool cursorVisible = true;
    std::function<void()> onPump;
};
