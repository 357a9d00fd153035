// Where a picture is not fully transparent, as a window of the unit square
// (the picture's texture coordinates). Pure; nothing fails.
#pragma once

#include <cstdint>

// The smallest window {left, bottom, right, top} holding every texel of the
// width x height RGBA picture (bottom row first) whose alpha is not 0,
// widened by margin on each side and kept within [0, 1]. False when every
// texel is transparent; window is then left alone.
bool opaque_window(const uint8_t *rgba, int32_t width, int32_t height, float margin,
                   float window[4]);
