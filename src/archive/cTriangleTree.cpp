// Builds the triangle tree lazily and answers ray queries against it. Bad
// triangles are dropped at build time with one warning line; queries never
// allocate and never produce NaN from a parallel ray or a flat triangle.
#include "platform/gl_extensions.h"

#include "archive/cTriangleTree.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <iostream>
#include <limits>

namespace {

inline void sub(const float *a, const float *b, float *out) {
  out[0] = a[0] - b[0];
  out[1] = a[1] - b[1];
  out[2] = a[2] - b[2];
}

inline void cross(const float *a, const float *b, float *out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

inline float dot(const float *a, const float *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Double precision so that tiny or huge float vectors neither underflow nor
// overflow on the way; false for a zero vector.
bool normalize(const double v[3], double out[3]) {
  double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(len > 0.0) || !std::isfinite(len))
    return false;
  double inv = 1.0 / len;
  out[0] = v[0] * inv;
  out[1] = v[1] * inv;
  out[2] = v[2] * inv;
  return true;
}

} // namespace

bool cTreeBranch::intersect(const float origin[3], const float direction[3], float &t,
                            float hit_point[3], float reflected[3]) const {
  float entry = -std::numeric_limits<float>::infinity();
  float exit = std::numeric_limits<float>::infinity();
  for (int axis = 0; axis < 3; ++axis) {
    float d = direction[axis];
    if (d == 0.0f) {
      // Parallel to this slab: inside it everywhere or nowhere (avoids 0/0 for
      // an origin lying exactly on a face).
      if (!(origin[axis] >= box_min[axis] && origin[axis] <= box_max[axis]))
        return false;
      continue;
    }
    float near_t = (box_min[axis] - origin[axis]) / d;
    float far_t = (box_max[axis] - origin[axis]) / d;
    if (near_t > far_t)
      std::swap(near_t, far_t);
    if (near_t > entry)
      entry = near_t;
    if (far_t < exit)
      exit = far_t;
  }
  if (entry > exit)
    return false;

  draw();
  bool hit_first = first->intersect(origin, direction, t, hit_point, reflected);
  bool hit_second = second->intersect(origin, direction, t, hit_point, reflected);
  return hit_first || hit_second;
}

void cTreeBranch::draw() const {
  glPushMatrix();
  glTranslatef(box_min[0], box_min[1], box_min[2]);
  glScalef(box_max[0] - box_min[0], box_max[1] - box_min[1], box_max[2] - box_min[2]);
  glTranslatef(0.5f, 0.5f, 0.5f);
  glPopMatrix();
}

cTreeTriangle::cTreeTriangle(const float a[3], const float b[3], const float c[3]) {
  for (int i = 0; i < 3; ++i) {
    corner_a[i] = a[i];
    corner_b[i] = b[i];
    corner_c[i] = c[i];
  }
}

bool cTreeTriangle::intersect(const float origin[3], const float direction[3], float &t,
                              float hit_point[3], float reflected[3]) const {
  float e1[3], e2[3], p[3];
  sub(corner_b, corner_a, e1);
  sub(corner_c, corner_a, e2);
  cross(direction, e2, p);
  float det = dot(e1, p);
  // Written so that a NaN determinant is rejected as well.
  if (!(std::fabs(det) >= epsilon))
    return false;
  float inv = 1.0f / det;

  float s[3];
  sub(origin, corner_a, s);
  float u = dot(s, p) * inv;
  if (!(u >= 0.0f && u <= 1.0f))
    return false;

  float q[3];
  cross(s, e1, q);
  float w = dot(direction, q) * inv;
  if (!(w >= 0.0f && u + w <= 1.0f))
    return false;

  float d = dot(e2, q) * inv;
  if (!(d < t) || !(d > 0.0f))
    return true;

  // Products of floats are exact in double, so the normal is zero only for a
  // truly flat triangle; such a triangle has no plane to hit.
  double n_raw[3] = {double(e1[1]) * e2[2] - double(e1[2]) * e2[1],
                     double(e1[2]) * e2[0] - double(e1[0]) * e2[2],
                     double(e1[0]) * e2[1] - double(e1[1]) * e2[0]};
  double n[3];
  if (!normalize(n_raw, n))
    return false;

  // A ray that starts on this plane (the previous bounce of a traced beam)
  // would meet it again a rounding error away: treat that like a hit behind.
  double plane_distance = std::fabs((double(origin[0]) - corner_a[0]) * n[0] +
                                    (double(origin[1]) - corner_a[1]) * n[1] +
                                    (double(origin[2]) - corner_a[2]) * n[2]);
  float scale = 0.0f;
  for (int i = 0; i < 3; ++i) {
    scale = std::max({scale, std::fabs(origin[i]), std::fabs(corner_a[i]), std::fabs(corner_b[i]),
                      std::fabs(corner_c[i])});
  }
  if (plane_distance <= scale * plane_tolerance)
    return true;

  double along = direction[0] * n[0] + direction[1] * n[1] + direction[2] * n[2];
  double mirror[3] = {direction[0] - 2.0 * along * n[0], direction[1] - 2.0 * along * n[1],
                      direction[2] - 2.0 * along * n[2]};
  double r[3];
  if (!normalize(mirror, r))
    return false;

  t = d;
  for (int i = 0; i < 3; ++i) {
    hit_point[i] = origin[i] + direction[i] * d;
    reflected[i] = float(r[i]);
  }
  return true;
}

void cTriangleTree::build() {
  nodes.clear();
  root = nullptr;
  skipped = 0;

  size_t bad_index = 0, bad_corner = 0;
  std::vector<bounds> list;
  list.reserve(triangles.size());
  for (size_t i = 0; i < triangles.size(); ++i) {
    const std::array<uint32_t, 3> &tri = triangles[i];
    if (tri[0] >= vertices.size() || tri[1] >= vertices.size() || tri[2] >= vertices.size()) {
      ++bad_index;
      continue;
    }
    bounds b;
    b.index = uint32_t(i);
    bool finite = true;
    for (int axis = 0; axis < 3; ++axis) {
      float x0 = vertices[tri[0]][axis], x1 = vertices[tri[1]][axis], x2 = vertices[tri[2]][axis];
      finite = finite && std::isfinite(x0) && std::isfinite(x1) && std::isfinite(x2);
      b.lo[axis] = std::min(std::min(x0, x1), x2);
      b.hi[axis] = std::max(std::max(x0, x1), x2);
    }
    if (!finite) {
      ++bad_corner;
      continue;
    }
    list.push_back(b);
  }
  skipped = bad_index + bad_corner;
  if (skipped != 0) {
    std::cerr << "# WARNING in cTriangleTree line " << __LINE__ << ": left out " << bad_index
              << " triangles with vertex indices out of range and " << bad_corner
              << " with non-finite corners" << std::endl;
  }

  root = build_node(list.data(), list.data() + list.size(), 0);
  built = true;
}

cTreeNode *cTriangleTree::build_node(bounds *begin, bounds *end, int depth) {
  size_t count = size_t(end - begin);
  if (count == 0) {
    nodes.push_back(std::make_unique<cTreeEmpty>());
    return nodes.back().get();
  }
  if (count == 1) {
    const std::array<uint32_t, 3> &tri = triangles[begin->index];
    nodes.push_back(std::make_unique<cTreeTriangle>(
        vertices[tri[0]].data(), vertices[tri[1]].data(), vertices[tri[2]].data()));
    return nodes.back().get();
  }

  auto branch = std::make_unique<cTreeBranch>();
  for (int axis = 0; axis < 3; ++axis) {
    branch->box_min[axis] = begin->lo[axis];
    branch->box_max[axis] = begin->hi[axis];
  }
  for (const bounds *b = begin + 1; b != end; ++b) {
    for (int axis = 0; axis < 3; ++axis) {
      branch->box_min[axis] = std::min(branch->box_min[axis], b->lo[axis]);
      branch->box_max[axis] = std::max(branch->box_max[axis], b->hi[axis]);
    }
  }

  bounds *middle = begin + count / 2;
  if (depth < max_spatial_depth) {
    float extent[3];
    for (int axis = 0; axis < 3; ++axis)
      extent[axis] = branch->box_max[axis] - branch->box_min[axis];
    int axis = 0;
    if (extent[1] >= extent[axis])
      axis = 1;
    if (extent[2] >= extent[axis])
      axis = 2;
    float split = branch->box_min[axis] + extent[axis] * 0.5f;
    // Stable, so the halves-by-position fallback below sees the list order.
    bounds *cut = std::stable_partition(begin, end, [axis, split](const bounds &b) {
      return (b.lo[axis] + b.hi[axis]) * 0.5f < split;
    });
    if (cut != begin && cut != end)
      middle = cut;
  }

  cTreeBranch *raw = branch.get();
  nodes.push_back(std::move(branch));
  raw->first = build_node(begin, middle, depth + 1);
  raw->second = build_node(middle, end, depth + 1);
  return raw;
}

bool cTriangleTree::trace(const float origin[3], const float direction[3], float &t,
                          float hit_point[3], float reflected[3]) {
  if (!built)
    build();
  t = FLT_MAX;
  return root->intersect(origin, direction, t, hit_point, reflected);
}
