// Pictures in memory (see cImage.h).
#include "cImage.h"

#include <algorithm>
#include <cmath>

cImage::cImage(int width, int height, const rgba &fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(size_t(width_) * size_t(height_), fill) {}

const rgba &cImage::at(int x, int y) const {
  x = std::clamp(x, 0, width_ - 1);
  y = std::clamp(y, 0, height_ - 1);
  return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

void cImage::set(int x, int y, const rgba &c) {
  if (x >= 0 && y >= 0 && x < width_ && y < height_)
    pixels_[size_t(y) * size_t(width_) + size_t(x)] = c;
}

void cImage::blend(int x, int y, const rgba &c, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0)
    return;
  rgba &dst = pixels_[size_t(y) * size_t(width_) + size_t(x)];
  dst = over(with_alpha(c, c.a * std::min(coverage, 1.0f)), dst);
}

rgba cImage::sample(float x, float y) const {
  const float fx = std::floor(x - 0.5f), fy = std::floor(y - 0.5f);
  const float tx = x - 0.5f - fx, ty = y - 0.5f - fy;
  const int ix = int(fx), iy = int(fy);
  return mix(mix(at(ix, iy), at(ix + 1, iy), tx), mix(at(ix, iy + 1), at(ix + 1, iy + 1), tx), ty);
}

std::vector<uint8_t> cImage::bytes(int channels) const {
  std::vector<uint8_t> out;
  out.reserve(pixels_.size() * size_t(channels));
  auto byte = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  for (const rgba &p : pixels_) {
    if (channels == 1) {
      out.push_back(byte(0.299f * p.r + 0.587f * p.g + 0.114f * p.b));
      continue;
    }
    out.push_back(byte(p.r));
    out.push_back(byte(p.g));
    out.push_back(byte(p.b));
    if (channels == 4)
      out.push_back(byte(p.a));
  }
  return out;
}
