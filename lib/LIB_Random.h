// The one process-wide pseudo-random generator. Never seeded from the clock: every run
// draws the same sequence, first the welcome animation, then the data file writer.
#pragma once
#include <cstdint>

// A uniform integer 0..n-1 (0 when n <= 0).
int Random(int n);
// Back to the starting state; tests only.
void ResetRandom();
