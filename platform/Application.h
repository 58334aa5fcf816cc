// The program's start-up and shut-down around the main loop: the process services in their fixed
// order, the first level (a PNG level on the command line replaces its text), and the orderly end.
#pragma once

#include <string>
#include <vector>

// Seeds the random generator, routes the standard streams, creates the input handler, FreeType, the
// window, the sound system, the data functions, the property bars and the logic-type table. False,
// reported, when no window could be made.
bool initializeApplication();

// Registers the functions that data files may call by name.
void registerFunctions();

// The whole run: start-up, level argument, the first level, the main loop and shut-down. Returns the
// process exit code: 0, or 1 when the game could not start.
int runApplication(const std::vector<std::string>& arguments);
