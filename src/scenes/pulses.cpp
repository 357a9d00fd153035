// Beat pulse shapes; see pulses.h.
#include "scenes/pulses.h"

#include <cmath>

namespace {
const float kPi = 3.14159265358979f;

bool within(float d, float span) { return span > 0.0f && d >= 0.0f && d < span; }
} // namespace

float pulse_fall(float d, float span) {
  return within(d, span) ? 0.5f * (1.0f + std::cos(kPi * d / span)) : 0.0f;
}

float pulse_rise_fall(float d, float span) {
  return within(d, span) ? 0.5f * (1.0f - std::cos(2.0f * kPi * d / span)) : 0.0f;
}
