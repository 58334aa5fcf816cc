// Frame timing start point.
#include "engine/StopWatch.h"

StopWatch::StopWatch() : start(0.0) {}

StopWatch::~StopWatch() = default;
