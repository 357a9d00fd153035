// Envelope and axis-angle matrices of the beat rotation.
// No failure cases: out-of-range clock values leave the angle alone.
#include "runtime/cKickRotation.h"

#include <cmath>

void cKickRotation::reset() {
  angle = 0.0f;
  strength = 0.0f;
  axis[0] = 0.0f;
  axis[1] = 1.0f;
  axis[2] = 0.0f;
}

void cKickRotation::set_axis(const float *xyz) {
  axis[0] = xyz[0];
  axis[1] = xyz[1];
  axis[2] = xyz[2];
}

void cKickRotation::trigger(const float *s) {
  const float length_factor = 666.6667f;
  const float peak_factor = 333.33334f;
  const float per_degree = 0.0027777778f;
  strength = *s;
  duration_ms = static_cast<int32_t>(*s * length_factor);
  peak = static_cast<float>(static_cast<double>(*s) * *s * peak_factor * per_degree);
}

void cKickRotation::set_start(uint32_t ms) { start_ms = ms; }

bool cKickRotation::update(const uint32_t *now) {
  // Compared in 64 bits so that a start near the top of the tick range
  // cannot wrap the end of the envelope.
  const int64_t t = *now;
  const int64_t start = start_ms;
  if (t <= start)
    return false;
  if (strength == 0.0f)
    return false;
  if (t > start + duration_ms)
    return false;
  const double u = static_cast<double>(t - start) / duration_ms - 1.0;
  const double e = u * u * u + 1.0;
  angle = static_cast<float>(peak * e);
  return true;
}

void cKickRotation::rotation3x3(float *out) const {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const float t = 1.0f - c;
  const float x = axis[0], y = axis[1], z = axis[2];
  out[0] = x * x * t + c;
  out[1] = x * y * t - z * s;
  out[2] = z * x * t + y * s;
  out[3] = x * y * t + z * s;
  out[4] = y * y * t + c;
  out[5] = z * y * t - x * s;
  out[6] = z * x * t - y * s;
  out[7] = z * y * t + x * s;
  out[8] = z * z * t + c;
}

void cKickRotation::rotation4x4(float *out) const {
  float r[9];
  rotation3x3(r);
  for (int i = 0; i < 16; ++i)
    out[i] = 0.0f;
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col)
      out[4 * row + col] = r[3 * row + col];
  out[15] = 1.0f;
}
