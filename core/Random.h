// The game's own random generator (values 0 to 32767, the range the data files' random values assume)
// and the two random functions that data files call by name.
#pragma once

#include "core/Vector4.h"

// Largest value randomInt returns.
constexpr int randomIntMax = 32767;

// Restarts the sequence; the same seed gives the same sequence. The start-up seeds it with the time.
void seedRandom(unsigned int seed);

// Next value of the sequence, 0 to randomIntMax.
int randomInt();

// randomInt() % n with the sign rule of integer remainder; for n > 0 a value from 0 to n - 1.
// n = 0 names an empty range: it is reported and gives 0.
int randTo(int n);

// A random saturated colour with alpha 1: randomColorAt of randomInt() / 32767.
Vector4 getRandomColor();

// The colour getRandomColor gives for t in [0, 1]: red towards blue below 0.375, pure red up to 0.425,
// green towards red up to 0.8, then blue towards green; every channel is 0.1 + √2 × (0 to 1).
Vector4 randomColorAt(float t);
