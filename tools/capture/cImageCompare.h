// Compares two pictures of the same size: the mean absolute difference of
// all channel values and the share of pixels off by more than a threshold.
// Pictures of different sizes are not comparable (reported, never read).
#pragma once

#include <cstdint>

#include "cRgbImage.h"

struct image_difference {
  bool comparable = false;
  double mean_abs = 0.0;  // 0..255, over every channel of every pixel
  double share_off = 0.0; // 0..1, pixels with a channel off by > threshold
  int64_t pixels_off = 0;
};

class cImageCompare {
public:
  int32_t threshold = 24;
  double max_mean_abs = 1.5;
  double max_share_off = 0.01;

  image_difference compare(const cRgbImage &a, const cRgbImage &b) const;
  bool within_limits(const image_difference &d) const;
  // |a - b| per channel, scaled by four so small differences show.
  static cRgbImage difference_picture(const cRgbImage &a, const cRgbImage &b);
};
