// The name of the user running the game, under which best times are kept.
#pragma once

#include <string>

// The account name of the effective user, else $USER, else "Username".
std::string getUserName();
