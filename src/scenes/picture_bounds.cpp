// Opaque window of a picture; see picture_bounds.h.
#include "scenes/picture_bounds.h"

#include <algorithm>

bool opaque_window(const uint8_t *rgba, int32_t width, int32_t height, float margin,
                   float window[4]) {
  int32_t left = width, bottom = height, right = -1, top = -1;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      if (rgba[(size_t(y) * width + x) * 4 + 3] != 0) {
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::min(bottom, y);
        top = std::max(top, y);
      }
  if (right < 0)
    return false;
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  window[0] = std::max(0.0f, static_cast<float>(left) / w - margin);
  window[1] = std::max(0.0f, static_cast<float>(bottom) / h - margin);
  window[2] = std::min(1.0f, static_cast<float>(right + 1) / w + margin);
  window[3] = std::min(1.0f, static_cast<float>(top + 1) / h + margin);
  return true;
}
