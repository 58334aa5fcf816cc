// Per-frame timings of a running level on the error stream, for measuring the frame rate: switched on
// by the environment variable TOVIK_FRAME_LOG; costs one clock reading per mark otherwise not at all.
#pragma once

#include <chrono>

class FrameTimeLog {
public:
    // The one log of the process; reads the environment once.
    static FrameTimeLog& instance();

    bool enabled() const { return on; }
    // The level's update begins: the frame period is measured from one of these to the next.
    void frameStarted();
    // The scene is drawn and the buffer swap begins.
    void swapStarted();
    // The swap is done: writes "frame <period> update+draw <ms> swap <ms>" in milliseconds.
    void frameFinished();

private:
    FrameTimeLog();

    using Clock = std::chrono::steady_clock;
    bool on = false;
    bool havePrevious = false;
    Clock::time_point previousStart;
    Clock::time_point start;
    Clock::time_point swapStart;
};
