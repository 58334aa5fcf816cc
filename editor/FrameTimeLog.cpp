// The frame-time log of a running level.
#include "editor/FrameTimeLog.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

FrameTimeLog& FrameTimeLog::instance() {
    static FrameTimeLog log;
    return log;
}

FrameTimeLog::FrameTimeLog() {
    const char* value = std::getenv("TOVIK_FRAME_LOG");
    on = value && *value && *value != '0';
}

void FrameTimeLog::frameStarted() {
    if (!on) return;
    previousStart = start;
    start = Clock::now();
}

void FrameTimeLog::swapStarted() {
    if (on) swapStart = Clock::now();
}

void FrameTimeLog::frameFinished() {
    if (!on) return;
    const Clock::time_point end = Clock::now();
    auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    const double period = havePrevious ? ms(start - previousStart) : 0.0;
    havePrevious = true;
    char line[128];
    const int length = std::snprintf(line, sizeof line, "frame %.3f update+draw %.3f swap %.3f\n", period,
                                     ms(swapStart - start), ms(end - swapStart));
    // Straight to the descriptor: the standard streams batch their text until a flush.
    if (length > 0) (void)!::write(2, line, static_cast<std::size_t>(length));
}
