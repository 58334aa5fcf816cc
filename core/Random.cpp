// A 15-bit linear congruential generator, so that random ranges in data files behave as they were tuned.
#include "core/Random.h"

#include <cmath>
#include <iostream>

namespace {

unsigned int& randomState() {
    static unsigned int state = 1;
    return state;
}

}  // namespace

void seedRandom(unsigned int seed) { randomState() = seed; }

int randomInt() {
    unsigned int& state = randomState();
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

int randTo(int n) {
    if (n == 0) {
        std::cerr << "error: randTo called with an empty range (0)" << std::endl;
        return 0;
    }
    return randomInt() % n;
}

Vector4 randomColorAt(float t) {
    const float band = 0.375f;
    const float redBand = 0.05f;
    const float fourThirds = 4.0f / 3.0f;
    const float pi = 3.14159265f;
    const float lastBandScale = 2.5f;
    const float root2 = 1.4142135f;
    static const Vector4 baseColor(0.1f, 0.1f, 0.1f, 0.0f);

    Vector4 color;
    if (t < band) {
        float a = t * fourThirds * pi;
        color = Vector4(std::cos(a), 0.0f, std::sin(a), 0.0f);
    } else if (float u = t - band; u < redBand) {
        color = Vector4(1.0f, 0.0f, 0.0f, 0.0f);
    } else if (float v = u - redBand; v < band) {
        float a = v * fourThirds * pi;
        color = Vector4(std::sin(a), std::cos(a), 0.0f, 0.0f);
    } else {
        float a = (v - band) * lastBandScale * pi;
        color = Vector4(0.0f, std::sin(a), std::cos(a), 0.0f);
    }
    Vector4 result = baseColor + color * root2;
    result.setW(1.0f);
    return result;
}

Vector4 getRandomColor() {
    float t = static_cast<float>(static_cast<double>(randomInt()) / 32767.0);
    return randomColorAt(t);
}
