// Remembers when something started; the main loop times its frames with one.
#pragma once

class StopWatch {
public:
    StopWatch();
    virtual ~StopWatch();

    double start;  // seconds, on the currentTime clock
};
