// Gradient noise on the integer lattice with a quintic fade (see cNoise.h).
#include "cNoise.h"

#include "cRandom.h"

#include <cmath>

namespace {

float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }
float mix(float a, float b, float t) { return a + (b - a) * t; }

} // namespace

cNoise::cNoise(uint64_t seed) {
  uint8_t p[256];
  for (int i = 0; i < 256; ++i)
    p[i] = uint8_t(i);
  cRandom random(seed);
  for (int i = 255; i > 0; --i) {
    const uint32_t j = random.below(uint32_t(i + 1));
    const uint8_t swap = p[i];
    p[i] = p[j];
    p[j] = swap;
  }
  for (int i = 0; i < 512; ++i)
    perm_[i] = p[i & 255];
}

float cNoise::gradient(int hash, float x, float y, float z) const {
  // Twelve edge directions of a cube, four of them repeated to fill sixteen.
  const int h = hash & 15;
  const float u = h < 8 ? x : y;
  const float v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
  return ((h & 1) ? -u : u) + ((h & 2) ? -v : v);
}

float cNoise::at(const vec3 &p) const {
  const float fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
  const int X = int(fx) & 255, Y = int(fy) & 255, Z = int(fz) & 255;
  const float x = p.x - fx, y = p.y - fy, z = p.z - fz;
  const float u = fade(x), v = fade(y), w = fade(z);
  const int A = perm_[X] + Y, AA = perm_[A] + Z, AB = perm_[A + 1] + Z;
  const int B = perm_[X + 1] + Y, BA = perm_[B] + Z, BB = perm_[B + 1] + Z;
  return mix(
      mix(mix(gradient(perm_[AA], x, y, z), gradient(perm_[BA], x - 1, y, z), u),
          mix(gradient(perm_[AB], x, y - 1, z), gradient(perm_[BB], x - 1, y - 1, z), u), v),
      mix(mix(gradient(perm_[AA + 1], x, y, z - 1), gradient(perm_[BA + 1], x - 1, y, z - 1), u),
          mix(gradient(perm_[AB + 1], x, y - 1, z - 1),
              gradient(perm_[BB + 1], x - 1, y - 1, z - 1), u),
          v),
      w);
}

float cNoise::fractal(const vec3 &p, int octaves, float lacunarity, float gain) const {
  float sum = 0, weight = 1, total = 0, frequency = 1;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * at(p * frequency);
    total += weight;
    weight *= gain;
    frequency *= lacunarity;
  }
  return total > 0 ? sum / total : 0;
}
