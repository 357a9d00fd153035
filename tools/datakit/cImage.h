// A picture being made: width x height colours with straight alpha, the top
// row first (as image files store them). Reads outside the picture clamp to
// its edge; writes outside are ignored.
#pragma once

#include "rgba.h"

#include <cstdint>
#include <vector>

class cImage {
public:
  cImage() = default;
  cImage(int width, int height, const rgba &fill = rgba(0, 0, 0, 0));

  int width() const { return width_; }
  int height() const { return height_; }

  const rgba &at(int x, int y) const;
  void set(int x, int y, const rgba &c);
  // Composites c over the pixel with its alpha scaled by coverage.
  void blend(int x, int y, const rgba &c, float coverage = 1);
  // Bilinear read at pixel-centre coordinates.
  rgba sample(float x, float y) const;

  // Bytes of the picture, top row first: 1 (grey), 3 (RGB) or 4 (RGBA)
  // channels, each value clamped to [0, 1] and rounded to 0..255.
  std::vector<uint8_t> bytes(int channels) const;

private:
  int width_ = 0, height_ = 0;
  std::vector<rgba> pixels_;
};
