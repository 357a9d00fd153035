// An 8-bit RGB picture stored top row first, with PNG reading and writing
// through libpng. Load and save report failure by their return value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class cRgbImage {
public:
  cRgbImage() = default;
  cRgbImage(int32_t width, int32_t height);

  // Reverses the row order (GL reads the bottom row first).
  void flip_rows();
  // Averages factor x factor blocks; a factor below 2 returns a copy.
  cRgbImage shrunk(int32_t factor) const;
  uint8_t *pixel(int32_t x, int32_t y) { return &rgb[3 * (static_cast<size_t>(y) * width + x)]; }
  const uint8_t *pixel(int32_t x, int32_t y) const {
    return &rgb[3 * (static_cast<size_t>(y) * width + x)];
  }

  // No time or text chunks: equal pixels give equal files.
  bool save_png(const std::string &path) const;
  // Any PNG colour type, converted to 8-bit RGB.
  bool load_png(const std::string &path);

  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;
};
