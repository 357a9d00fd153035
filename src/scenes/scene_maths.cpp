// Small vector and matrix arithmetic of the scenes; see scene_maths.h.
#include "scenes/scene_maths.h"

#include <cmath>

void mat4_product(const float a[16], const float b[16], float out[16]) {
  float result[16];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k)
        sum += a[4 * i + k] * b[4 * k + j];
      result[4 * i + j] = sum;
    }
  for (int n = 0; n < 16; ++n)
    out[n] = result[n];
}

void mat4_identity(float out[16]) {
  for (int n = 0; n < 16; ++n)
    out[n] = n % 5 == 0 ? 1.0f : 0.0f;
}

bool normalise_axis(const float v[3], float out[3]) {
  const double length = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
  // Below this a float direction is mostly rounding noise.
  if (!std::isfinite(length) || length < 1e-6)
    return false;
  for (int k = 0; k < 3; ++k)
    out[k] = static_cast<float>(v[k] / length);
  return true;
}
