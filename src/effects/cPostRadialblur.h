// Radial blur: the captured frame drawn sharp, then as a fan of zoomed,
// additively blended copies sampled with a changing level-of-detail bias.
// An unknown mode prints one error line per copy and keeps the last bias.
#pragma once

#include "effects/cPostEffect.h"

#include <cstdint>

class cPostRadialblur : public cPostEffect {
public:
  cPostRadialblur(uint32_t width, uint32_t height, int32_t mode, float spread);

  void render() override;

  // Number of zoomed copies for a blur length: one per second step of
  // zoom * 100 (truncated).
  static int copy_count(float zoom);
  // Level-of-detail bias of copy i out of n; previous is kept for an
  // unknown mode (after the error line).
  static float copy_bias(int32_t mode, int i, int n, float spread, float previous);

  float zoom;
  float intensity;
  float centre_x;
  float centre_y;
  float spread;
  int32_t mode;
};
