#include "lib/LIB_Random.h"

namespace {
uint32_t gSeed = 0;
}

int Random(int n) {
  // 32-bit linear congruential step; the high bits scaled to n keep the draw uniform enough
  // and avoid the weak low bits of the generator.
  gSeed = gSeed * 134775813u + 1u;
  if (n <= 0) return 0;
  return static_cast<int>((static_cast<uint64_t>(gSeed) * static_cast<uint32_t>(n)) >> 32);
}

void ResetRandom() { gSeed = 0; }
