// Tolerant picture comparison for the visual regression check.
// Pictures of unequal size compare as not comparable.
#include "cImageCompare.h"

#include <algorithm>
#include <cstdlib>

image_difference cImageCompare::compare(const cRgbImage &a, const cRgbImage &b) const {
  image_difference d;
  if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size() || a.rgb.empty())
    return d;
  d.comparable = true;
  uint64_t sum = 0;
  const size_t pixels = a.rgb.size() / 3;
  for (size_t p = 0; p < pixels; ++p) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) {
      int diff = std::abs(a.rgb[3 * p + c] - b.rgb[3 * p + c]);
      sum += static_cast<uint64_t>(diff);
      worst = std::max(worst, diff);
    }
    if (worst > threshold)
      ++d.pixels_off;
  }
  d.mean_abs = static_cast<double>(sum) / static_cast<double>(a.rgb.size());
  d.share_off = static_cast<double>(d.pixels_off) / static_cast<double>(pixels);
  return d;
}

bool cImageCompare::within_limits(const image_difference &d) const {
  return d.comparable && d.mean_abs <= max_mean_abs && d.share_off <= max_share_off;
}

cRgbImage cImageCompare::difference_picture(const cRgbImage &a, const cRgbImage &b) {
  cRgbImage out(std::min(a.width, b.width), std::min(a.height, b.height));
  for (int32_t y = 0; y < out.height; ++y)
    for (int32_t x = 0; x < out.width; ++x)
      for (int c = 0; c < 3; ++c)
        out.pixel(x, y)[c] =
            static_cast<uint8_t>(std::min(255, 4 * std::abs(a.pixel(x, y)[c] - b.pixel(x, y)[c])));
  return out;
}
