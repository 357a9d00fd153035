// An affine transform of 3D points: a 3x3 linear part and a translation.
// Composes like the GL matrix stack: (a * b) applies b first. A singular
// linear part maps normals to zero instead of failing.
#pragma once

#include "vec3.h"

class cTransform {
public:
  cTransform() = default;

  static cTransform translate(const vec3 &offset);
  static cTransform scale(const vec3 &factors);
  static cTransform scale(float factor) { return scale(vec3(factor, factor, factor)); }
  // Right-handed turn about axis (need not be unit) by degrees.
  static cTransform rotate(const vec3 &axis, float degrees);
  // Columns: where the x, y and z axes go.
  static cTransform basis(const vec3 &x_axis, const vec3 &y_axis, const vec3 &z_axis,
                          const vec3 &origin = vec3());

  cTransform operator*(const cTransform &other) const;

  vec3 point(const vec3 &p) const;
  vec3 vector(const vec3 &v) const;
  // Unit normal under the inverse transpose.
  vec3 normal(const vec3 &n) const;
  float determinant() const;

private:
  float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}; // m[row][column]
  vec3 t;
};
