// Smooth gradient noise in three dimensions, seeded, with fractal sums of
// octaves. Values lie roughly in [-1, 1]; the same seed gives the same field.
#pragma once

#include "vec3.h"

#include <cstdint>

class cNoise {
public:
  explicit cNoise(uint64_t seed);

  float at(const vec3 &p) const;
  // Sum of octaves, each at lacunarity times the frequency and gain times the
  // weight of the one before, divided by the sum of the weights.
  float fractal(const vec3 &p, int octaves, float lacunarity = 2.0f, float gain = 0.5f) const;

private:
  float gradient(int hash, float x, float y, float z) const;
  uint8_t perm_[512];
};
