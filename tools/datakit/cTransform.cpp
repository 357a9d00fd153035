// Affine transforms (see cTransform.h).
#include "cTransform.h"

cTransform cTransform::translate(const vec3 &offset) {
  cTransform r;
  r.t = offset;
  return r;
}

cTransform cTransform::scale(const vec3 &factors) {
  cTransform r;
  r.m[0][0] = factors.x;
  r.m[1][1] = factors.y;
  r.m[2][2] = factors.z;
  return r;
}

cTransform cTransform::rotate(const vec3 &axis, float degrees) {
  const vec3 a = normalize(axis);
  const double rad = double(degrees) * 3.14159265358979323846 / 180.0;
  const float c = float(std::cos(rad)), s = float(std::sin(rad)), k = 1 - c;
  cTransform r;
  r.m[0][0] = c + a.x * a.x * k;
  r.m[0][1] = a.x * a.y * k - a.z * s;
  r.m[0][2] = a.x * a.z * k + a.y * s;
  r.m[1][0] = a.y * a.x * k + a.z * s;
  r.m[1][1] = c + a.y * a.y * k;
  r.m[1][2] = a.y * a.z * k - a.x * s;
  r.m[2][0] = a.z * a.x * k - a.y * s;
  r.m[2][1] = a.z * a.y * k + a.x * s;
  r.m[2][2] = c + a.z * a.z * k;
  return r;
}

cTransform cTransform::basis(const vec3 &x_axis, const vec3 &y_axis, const vec3 &z_axis,
                             const vec3 &origin) {
  cTransform r;
  for (int i = 0; i < 3; ++i) {
    r.m[i][0] = x_axis[i];
    r.m[i][1] = y_axis[i];
    r.m[i][2] = z_axis[i];
  }
  r.t = origin;
  return r;
}

cTransform cTransform::operator*(const cTransform &o) const {
  cTransform r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
  r.t = vector(o.t) + t;
  return r;
}

vec3 cTransform::vector(const vec3 &v) const {
  return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
          m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
          m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

vec3 cTransform::point(const vec3 &p) const { return vector(p) + t; }

float cTransform::determinant() const {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

vec3 cTransform::normal(const vec3 &n) const {
  // Rows of the cofactor matrix, the inverse transpose times the determinant; its sign
  // keeps normals pointing out of a mirrored mesh once its winding is flipped.
  const vec3 c0(m[1][1] * m[2][2] - m[1][2] * m[2][1], m[1][2] * m[2][0] - m[1][0] * m[2][2],
                m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  const vec3 c1(m[0][2] * m[2][1] - m[0][1] * m[2][2], m[0][0] * m[2][2] - m[0][2] * m[2][0],
                m[0][1] * m[2][0] - m[0][0] * m[2][1]);
  const vec3 c2(m[0][1] * m[1][2] - m[0][2] * m[1][1], m[0][2] * m[1][0] - m[0][0] * m[1][2],
                m[0][0] * m[1][1] - m[0][1] * m[1][0]);
  const vec3 r(dot(c0, n), dot(c1, n), dot(c2, n));
  return normalize(determinant() < 0 ? -r : r);
}
