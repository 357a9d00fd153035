// Mesh primitives (see mesh_primitives.h).
#include "mesh_primitives.h"

#include "mesh_operators.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTau = 6.28318530717958647692f;

// Turns a triangle of a convex mesh around the origin so it faces away from it.
void face_away_from_origin(cMesh &mesh, sTriangle &t) {
  const vec3 centre = (mesh.positions[t.v[0]] + mesh.positions[t.v[1]] + mesh.positions[t.v[2]]);
  if (dot(mesh.face_normal(t), centre) < 0)
    std::swap(t.v[1], t.v[2]);
}

// Vertex of a chamfered box: on face (axis, side), at the inset corner whose
// other two coordinates have signs su and sv (axes axis + 1 and axis + 2).
uint32_t box_vertex(int axis, int side, int su, int sv) {
  return uint32_t((axis * 2 + (side > 0)) * 4 + (su > 0) * 2 + (sv > 0));
}

// Index of ring vertex k of ring i in a grid of rings with `per_ring` vertices.
uint32_t ring_index(uint32_t first, int i, int k, int per_ring) {
  return first + uint32_t(i * per_ring + ((k % per_ring) + per_ring) % per_ring);
}

bool point_in_triangle(const vec2 &p, const vec2 &a, const vec2 &b, const vec2 &c) {
  return cross2(b - a, p - a) >= 0 && cross2(c - b, p - b) >= 0 && cross2(a - c, p - c) >= 0;
}

// Ear clipping of a simple counter-clockwise polygon: triangles of indices into it.
std::vector<uint32_t> triangulate_polygon(const std::vector<vec2> &poly) {
  std::vector<uint32_t> out, open;
  for (uint32_t i = 0; i < poly.size(); ++i)
    open.push_back(i);
  size_t guard = 0;
  while (open.size() > 3 && guard < poly.size() * poly.size()) {
    ++guard;
    bool clipped = false;
    for (size_t i = 0; i < open.size() && !clipped; ++i) {
      const uint32_t a = open[(i + open.size() - 1) % open.size()], b = open[i],
                     c = open[(i + 1) % open.size()];
      if (cross2(poly[b] - poly[a], poly[c] - poly[b]) <= 0)
        continue; // reflex or flat corner
      bool empty = true;
      for (uint32_t other : open)
        if (other != a && other != b && other != c &&
            point_in_triangle(poly[other], poly[a], poly[b], poly[c])) {
          empty = false;
          break;
        }
      if (!empty)
        continue;
      out.insert(out.end(), {a, b, c});
      open.erase(open.begin() + long(i));
      clipped = true;
    }
    if (!clipped)
      break; // not simple: give up on the rest
  }
  if (open.size() == 3)
    out.insert(out.end(), {open[0], open[1], open[2]});
  return out;
}

} // namespace

namespace primitives {

cMesh chamfered_box(const vec3 &size, float chamfer) {
  const vec3 half = size * 0.5f;
  chamfer = std::clamp(chamfer, 0.0f, std::min({half.x, half.y, half.z}));
  cMesh mesh;
  for (int axis = 0; axis < 3; ++axis)
    for (int side = -1; side <= 1; side += 2)
      for (int su = -1; su <= 1; su += 2)
        for (int sv = -1; sv <= 1; sv += 2) {
          const int u = (axis + 1) % 3, v = (axis + 2) % 3;
          vec3 p;
          p[axis] = float(side) * half[axis];
          p[u] = float(su) * (half[u] - chamfer);
          p[v] = float(sv) * (half[v] - chamfer);
          mesh.add_vertex(p);
        }
  // Faces.
  for (int axis = 0; axis < 3; ++axis)
    for (int side = -1; side <= 1; side += 2)
      mesh.add_quad(box_vertex(axis, side, -1, -1), box_vertex(axis, side, 1, -1),
                    box_vertex(axis, side, 1, 1), box_vertex(axis, side, -1, 1));
  // Edge bevels: along axis e, between the faces of the two other axes.
  for (int e = 0; e < 3; ++e) {
    const int p = (e + 1) % 3, q = (e + 2) % 3;
    for (int sp = -1; sp <= 1; sp += 2)
      for (int sq = -1; sq <= 1; sq += 2)
        mesh.add_quad(box_vertex(p, sp, sq, -1), box_vertex(p, sp, sq, 1), box_vertex(q, sq, 1, sp),
                      box_vertex(q, sq, -1, sp));
  }
  // Corners.
  for (int sx = -1; sx <= 1; sx += 2)
    for (int sy = -1; sy <= 1; sy += 2)
      for (int sz = -1; sz <= 1; sz += 2)
        mesh.add_triangle(box_vertex(0, sx, sy, sz), box_vertex(1, sy, sz, sx),
                          box_vertex(2, sz, sx, sy));
  for (sTriangle &t : mesh.triangles)
    face_away_from_origin(mesh, t);
  return mesh;
}

cMesh lathe(const std::vector<vec2> &profile, int segments) {
  segments = std::max(segments, 3);
  cMesh mesh;
  // First vertex of each profile point, and whether it is a pole.
  std::vector<uint32_t> first;
  std::vector<bool> pole;
  for (const vec2 &pt : profile) {
    first.push_back(uint32_t(mesh.vertex_count()));
    pole.push_back(pt.x == 0);
    if (pt.x == 0) {
      mesh.add_vertex(vec3(0, 0, pt.y));
      continue;
    }
    for (int k = 0; k < segments; ++k) {
      const float a = kTau * float(k) / float(segments);
      mesh.add_vertex(vec3(pt.x * std::cos(a), pt.x * std::sin(a), pt.y));
    }
  }
  auto at = [&](size_t i, int k) { return pole[i] ? first[i] : first[i] + uint32_t(k % segments); };
  for (size_t i = 0; i + 1 < profile.size(); ++i) {
    if (pole[i] && pole[i + 1])
      continue;
    for (int k = 0; k < segments; ++k) {
      const uint32_t a = at(i, k), b = at(i, k + 1), c = at(i + 1, k + 1), d = at(i + 1, k);
      if (pole[i])
        mesh.add_triangle(a, c, d);
      else if (pole[i + 1])
        mesh.add_triangle(a, b, c);
      else
        mesh.add_quad(a, b, c, d);
    }
  }
  return mesh;
}

cMesh uv_sphere(float radius, int rings, int segments) {
  rings = std::max(rings, 2);
  std::vector<vec2> profile;
  for (int i = 0; i <= rings; ++i) {
    const float a = kTau * 0.5f * float(i) / float(rings);
    // Exact zeros at the poles make them single vertices.
    const float r = (i == 0 || i == rings) ? 0.0f : radius * std::sin(a);
    profile.push_back(vec2(r, -radius * std::cos(a)));
  }
  return lathe(profile, segments);
}

cMesh icosphere(float radius, int level) {
  const float g = (1.0f + std::sqrt(5.0f)) * 0.5f;
  cMesh mesh;
  const vec3 corners[12] = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0},
                            {0, -1, g}, {0, 1, g}, {0, -1, -g}, {0, 1, -g},
                            {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
  for (const vec3 &c : corners)
    mesh.add_vertex(normalize(c) * radius);
  const uint32_t faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                 {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                 {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                 {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
  for (const auto &f : faces)
    mesh.add_triangle(f[0], f[1], f[2]);
  for (sTriangle &t : mesh.triangles)
    face_away_from_origin(mesh, t);
  for (int i = 0; i < level; ++i)
    mesh = operators::subdivide_midpoint(mesh);
  for (vec3 &p : mesh.positions)
    p = normalize(p) * radius;
  return mesh;
}

cMesh torus(float major_radius, float minor_radius, int segments, int sides) {
  segments = std::max(segments, 3);
  sides = std::max(sides, 3);
  cMesh mesh;
  for (int i = 0; i < segments; ++i)
    for (int j = 0; j < sides; ++j) {
      const float phi = kTau * float(i) / float(segments), theta = kTau * float(j) / float(sides);
      const float ring = major_radius + minor_radius * std::cos(theta);
      mesh.add_vertex(
          vec3(ring * std::cos(phi), ring * std::sin(phi), minor_radius * std::sin(theta)));
    }
  for (int i = 0; i < segments; ++i)
    for (int j = 0; j < sides; ++j) {
      const int i1 = (i + 1) % segments;
      mesh.add_quad(ring_index(0, i, j, sides), ring_index(0, i1, j, sides),
                    ring_index(0, i1, j + 1, sides), ring_index(0, i, j + 1, sides));
    }
  return mesh;
}

cMesh tube(const std::function<vec3(float)> &curve, const std::function<float(float)> &radius,
           int segments, int sides, bool closed_loop) {
  segments = std::max(segments, closed_loop ? 3 : 1);
  sides = std::max(sides, 3);
  const int rings = closed_loop ? segments : segments + 1;
  const size_t ring_count = size_t(rings);
  std::vector<vec3> centre(ring_count), tangent(ring_count), normal(ring_count);
  for (int i = 0; i < rings; ++i)
    centre[size_t(i)] = curve(float(i) / float(segments));
  // A loop's curve is read around its ends; an open one only inside [0, 1].
  auto sample = [&](float t) {
    return curve(closed_loop ? t - std::floor(t) : std::clamp(t, 0.0f, 1.0f));
  };
  for (int i = 0; i < rings; ++i) {
    const float t = float(i) / float(segments), dt = 0.5f / float(segments);
    tangent[size_t(i)] = normalize(sample(t + dt) - sample(t - dt));
  }
  // Frames carried along the curve: each normal is the previous one with its
  // part along the new tangent taken out, so the tube does not twist by itself.
  normal[0] = any_perpendicular(tangent[0]);
  auto carry = [](const vec3 &n, const vec3 &t) { return normalize(n - t * dot(n, t)); };
  for (int i = 1; i < rings; ++i)
    normal[size_t(i)] = carry(normal[size_t(i - 1)], tangent[size_t(i)]);
  if (closed_loop) {
    // The frame that comes back around differs from the first by a turn about
    // the tangent; spread that turn over the loop so the ends meet.
    const vec3 back = carry(normal[size_t(rings - 1)], tangent[0]);
    const float twist = std::atan2(dot(cross(back, normal[0]), tangent[0]), dot(back, normal[0]));
    for (int i = 1; i < rings; ++i) {
      const float a = twist * float(i) / float(rings);
      const vec3 &t = tangent[size_t(i)], n = normal[size_t(i)];
      normal[size_t(i)] = n * std::cos(a) + cross(t, n) * std::sin(a);
    }
  }
  cMesh mesh;
  for (int i = 0; i < rings; ++i) {
    const vec3 &t = tangent[size_t(i)], &n = normal[size_t(i)];
    const vec3 b = cross(t, n);
    const float r = radius(float(i) / float(segments));
    for (int j = 0; j < sides; ++j) {
      const float a = kTau * float(j) / float(sides);
      const vec3 dir = n * std::cos(a) + b * std::sin(a);
      mesh.add_vertex(centre[size_t(i)] + dir * r, dir);
    }
  }
  for (int i = 0; i < segments; ++i)
    for (int j = 0; j < sides; ++j) {
      const int i1 = (i + 1) % rings;
      mesh.add_quad(ring_index(0, i, j, sides), ring_index(0, i, j + 1, sides),
                    ring_index(0, i1, j + 1, sides), ring_index(0, i1, j, sides));
    }
  if (!closed_loop) {
    const uint32_t start = mesh.add_vertex(centre.front(), -tangent.front());
    const uint32_t end = mesh.add_vertex(centre.back(), tangent.back());
    for (int j = 0; j < sides; ++j) {
      mesh.add_triangle(start, ring_index(0, 0, j + 1, sides), ring_index(0, 0, j, sides));
      mesh.add_triangle(end, ring_index(0, rings - 1, j, sides),
                        ring_index(0, rings - 1, j + 1, sides));
    }
  }
  return mesh;
}

cMesh extrusion(const std::vector<vec2> &outline, float depth) {
  cMesh mesh;
  const int n = int(outline.size());
  if (n < 3)
    return mesh;
  const float z = depth * 0.5f;
  // Rings: bottom cap, top cap, bottom side, top side. The caps have their own
  // vertices so that the rim can stay sharp.
  for (float level : {-z, z, -z, z})
    for (const vec2 &p : outline)
      mesh.add_vertex(vec3(p.x, p.y, level));
  const std::vector<uint32_t> cap = triangulate_polygon(outline);
  for (size_t i = 0; i + 2 < cap.size(); i += 3) {
    mesh.add_triangle(cap[i], cap[i + 2], cap[i + 1]);
    mesh.add_triangle(uint32_t(n) + cap[i], uint32_t(n) + cap[i + 1], uint32_t(n) + cap[i + 2]);
  }
  for (int k = 0; k < n; ++k)
    mesh.add_quad(ring_index(0, 2, k, n), ring_index(0, 2, k + 1, n), ring_index(0, 3, k + 1, n),
                  ring_index(0, 3, k, n));
  return mesh;
}

cMesh grid(float width, float height, int columns, int rows) {
  columns = std::max(columns, 1);
  rows = std::max(rows, 1);
  cMesh mesh;
  for (int r = 0; r <= rows; ++r)
    for (int c = 0; c <= columns; ++c) {
      const float u = float(c) / float(columns), v = float(r) / float(rows);
      mesh.add_vertex(vec3((u - 0.5f) * width, (v - 0.5f) * height, 0), vec3(0, 0, 1), vec2(u, v));
    }
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      mesh.add_quad(ring_index(0, r, c, columns + 1), ring_index(0, r, c + 1, columns + 1),
                    ring_index(0, r + 1, c + 1, columns + 1), ring_index(0, r + 1, c, columns + 1));
  return mesh;
}

cMesh plane(float width, float height) { return grid(width, height, 1, 1); }

} // namespace primitives
