// Where the game's data files are found: the name as given, then beside the executable, then in the
// per-user settings folder. Paths in data files use '\' as separator; every path opened goes through
// toNativePath first.
#pragma once

#include <istream>
#include <string>

// The path with every '\' turned into '/'.
std::string toNativePath(const std::string& path);

// The folder of the running program with a trailing '/', or "" when it cannot be read.
std::string getExecutableDirectory();

// $XDG_DATA_HOME/Kestrum/Tovik/ (default ~/.local/share/Kestrum/Tovik/), with a trailing '/'; "" when
// neither variable gives a home. The folder is only looked in, never created.
std::string getSettingsFolder();

// Sets outPath to the first of (1) name, (2) executable folder + name, (3) settings folder + name that
// opens for reading as a file, and returns true; when none does, outPath is the name itself and the
// result is false. outPath is always in native form. Nothing is cached: the places are checked anew
// on every call, and nothing is reported.
bool findFile(const std::string& name, std::string& outPath);

// Every character left in the stream.
std::string readFileToString(std::istream& in);
