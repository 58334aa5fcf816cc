// The level picture given on the command line: a PNG level file whose level text replaces the text of
// the first level's file before that level is loaded.
#pragma once

#include <string>
#include <vector>

// Looks through the arguments (program name excluded) for the first PNG file that carries level text
// and writes that text, whole or not at all, into the file startingState (relative to the working
// folder, no lookup; missing folders are made). Before the first replacement the file as it was is
// kept in "<startingState>.bak", which later replacements leave alone. Other arguments are passed
// over. Returns true when a level was written; a failure is reported and the level file is left as
// it was.
bool applyLevelArgument(const std::vector<std::string>& arguments, const std::string& startingState);
