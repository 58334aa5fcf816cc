// The hidden window with an OpenGL 2.1 context that the drawing benchmarks run in.
#pragma once

// Made once for the whole run; later calls answer as the first did. When none can be made, says why on
// standard error, naming the benchmark, and returns false.
bool openBenchGlContext(const char* name, int width, int height);
