// The order in which window creation asks for multisampling: the configured count, then the powers
// of two below it down to 2, then none.
#pragma once

#include <functional>
#include <vector>

// Sample counts to try for the setting "antiAliasing" (its absolute value; below 2 means none):
// 8 gives 8, 4, 2, 0; 6 gives 6, 4, 2, 0; 1 gives 0.
std::vector<int> multisampleSampleCounts(int antiAliasing);

// Calls tryCreate with each count in turn until it succeeds; returns the count that succeeded, or -1
// when even the window without multisampling could not be made.
int createWithSampleFallback(int antiAliasing, const std::function<bool(int samples)>& tryCreate);
