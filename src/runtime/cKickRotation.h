// A beat-driven rotation: a trigger starts a cubic ease-out of the angle
// toward a peak that grows with the strength. Never fails; an envelope too
// short to measure (strength below 0.0015) simply never moves.
#pragma once

#include <cstdint>

class cKickRotation {
public:
  void reset();
  void set_axis(const float *xyz);
  void trigger(const float *strength);
  void set_start(uint32_t ms);
  // True if it changed the angle.
  bool update(const uint32_t *now);
  void rotation3x3(float *out) const;
  void rotation4x4(float *out) const;

  float angle = 0.0f;
  float axis[3] = {0.0f, 1.0f, 0.0f};
  float peak = 0.0f;
  int32_t duration_ms = 0;
  float strength = 0.0f;
  uint32_t start_ms = 0;
};
