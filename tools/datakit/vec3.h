// Three floats with the arithmetic the mesh and picture code needs. Plain
// value type; nothing here can fail (normalising a zero vector gives zero).
#pragma once

#include <cmath>

struct vec3 {
  float x = 0, y = 0, z = 0;

  constexpr vec3() = default;
  constexpr vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

  float &operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

  vec3 &operator+=(const vec3 &o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
  vec3 &operator-=(const vec3 &o) {
    x -= o.x;
    y -= o.y;
    z -= o.z;
    return *this;
  }
  vec3 &operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
};

inline vec3 operator+(vec3 a, const vec3 &b) { return a += b; }
inline vec3 operator-(vec3 a, const vec3 &b) { return a -= b; }
inline vec3 operator-(const vec3 &a) { return {-a.x, -a.y, -a.z}; }
inline vec3 operator*(vec3 a, float s) { return a *= s; }
inline vec3 operator*(float s, vec3 a) { return a *= s; }
inline vec3 operator/(const vec3 &a, float s) { return {a.x / s, a.y / s, a.z / s}; }
inline bool operator==(const vec3 &a, const vec3 &b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator!=(const vec3 &a, const vec3 &b) { return !(a == b); }

inline vec3 mul(const vec3 &a, const vec3 &b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
inline float dot(const vec3 &a, const vec3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline vec3 cross(const vec3 &a, const vec3 &b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(const vec3 &a) { return std::sqrt(dot(a, a)); }
inline vec3 normalize(const vec3 &a) {
  const float len = length(a);
  return len > 0 ? a / len : vec3();
}
inline vec3 lerp(const vec3 &a, const vec3 &b, float t) { return a + (b - a) * t; }
inline vec3 min3(const vec3 &a, const vec3 &b) {
  return {std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z)};
}
inline vec3 max3(const vec3 &a, const vec3 &b) {
  return {std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z)};
}
// Any unit vector at right angles to a unit vector n.
inline vec3 any_perpendicular(const vec3 &n) {
  const vec3 other = std::fabs(n.x) < 0.6f ? vec3(1, 0, 0) : vec3(0, 1, 0);
  return normalize(cross(n, other));
}
