// Pictures as PNG and JPEG file bytes, through libpng and libjpeg. The same
// picture gives the same bytes (no time stamps). An encoder failure throws
// std::runtime_error.
#pragma once

#include "cImage.h"

#include <cstdint>
#include <vector>

namespace image_files {

// 8-bit PNG with 1 (grey), 3 (RGB) or 4 (RGBA) channels, never paletted.
std::vector<uint8_t> png_bytes(const cImage &image, int channels);
// Baseline JPEG, RGB, 4:4:4, quality 1..100.
std::vector<uint8_t> jpeg_bytes(const cImage &image, int quality);

} // namespace image_files
