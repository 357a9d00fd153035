// A seeded random sequence that gives the same numbers on every machine and
// build (the standard distributions do not promise that). Cannot fail.
#pragma once

#include <cstdint>

class cRandom {
public:
  explicit cRandom(uint64_t seed) : state_(seed) {}

  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // In [0, 1).
  float unit() { return float(next() >> 40) * (1.0f / 16777216.0f); }
  float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
  // In [0, count).
  uint32_t below(uint32_t count) { return uint32_t((next() >> 32) * count >> 32); }

private:
  uint64_t state_;
};
