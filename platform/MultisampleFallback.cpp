// Multisample fallback for window creation.
#include "platform/MultisampleFallback.h"

#include <climits>

std::vector<int> multisampleSampleCounts(int antiAliasing) {
    // INT_MIN has no positive twin; it asks for as many samples as can be named.
    long long wanted = antiAliasing < 0 ? -static_cast<long long>(antiAliasing) : antiAliasing;
    int samples = wanted > INT_MAX ? INT_MAX : static_cast<int>(wanted);
    std::vector<int> counts;
    if (samples >= 2) {
        counts.push_back(samples);
        int power = 1;
        while (power <= samples / 2) power *= 2;  // the largest power of two not above samples
        if (power == samples) power /= 2;
        for (; power >= 2; power /= 2) counts.push_back(power);
    }
    counts.push_back(0);
    return counts;
}

int createWithSampleFallback(int antiAliasing, const std::function<bool(int samples)>& tryCreate) {
    for (int samples : multisampleSampleCounts(antiAliasing))
        if (tryCreate(samples)) return samples;
    return -1;
}
