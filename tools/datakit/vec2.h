// Two floats: texture coordinates and 2D outlines. Plain value type.
#pragma once

struct vec2 {
  float x = 0, y = 0;

  constexpr vec2() = default;
  constexpr vec2(float x_, float y_) : x(x_), y(y_) {}
};

inline vec2 operator+(const vec2 &a, const vec2 &b) { return {a.x + b.x, a.y + b.y}; }
inline vec2 operator-(const vec2 &a, const vec2 &b) { return {a.x - b.x, a.y - b.y}; }
inline vec2 operator*(const vec2 &a, float s) { return {a.x * s, a.y * s}; }
inline bool operator==(const vec2 &a, const vec2 &b) { return a.x == b.x && a.y == b.y; }
inline float cross2(const vec2 &a, const vec2 &b) { return a.x * b.y - a.y * b.x; }
