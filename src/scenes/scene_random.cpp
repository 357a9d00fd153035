// Random values for the scenes; see scene_random.h. Nothing fails.
#include "scenes/scene_random.h"

#include <cstdlib>

#include "scenes/scene_maths.h"

float random_unit() {
  return static_cast<float>(static_cast<double>(std::rand()) / static_cast<double>(RAND_MAX));
}

float random_span(float span) { return random_unit() * span; }

bool random_unit_axis(float axis[3]) {
  float drawn[3];
  for (float &v : drawn)
    v = random_unit() - 0.5f;
  return normalise_axis(drawn, axis);
}
