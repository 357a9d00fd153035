// A colour with alpha, four floats in [0, 1] (values outside are clamped only
// when a picture is written). Plain value type.
#pragma once

#include <algorithm>

struct rgba {
  float r = 0, g = 0, b = 0, a = 1;

  constexpr rgba() = default;
  constexpr rgba(float r_, float g_, float b_, float a_ = 1) : r(r_), g(g_), b(b_), a(a_) {}
};

inline rgba operator+(const rgba &x, const rgba &y) {
  return {x.r + y.r, x.g + y.g, x.b + y.b, x.a + y.a};
}
inline rgba operator*(const rgba &x, float s) { return {x.r * s, x.g * s, x.b * s, x.a * s}; }
inline rgba mix(const rgba &x, const rgba &y, float t) { return x * (1 - t) + y * t; }
// Colour channels times s, alpha kept.
inline rgba shade(const rgba &x, float s) { return {x.r * s, x.g * s, x.b * s, x.a}; }
inline rgba with_alpha(const rgba &x, float a) { return {x.r, x.g, x.b, a}; }
// Straight-alpha "src over dst".
inline rgba over(const rgba &src, const rgba &dst) {
  const float a = src.a + dst.a * (1 - src.a);
  if (a <= 0)
    return {0, 0, 0, 0};
  const float ws = src.a / a, wd = dst.a * (1 - src.a) / a;
  return {src.r * ws + dst.r * wd, src.g * ws + dst.g * wd, src.b * ws + dst.b * wd, a};
}
