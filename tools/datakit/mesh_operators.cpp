// Mesh operators (see mesh_operators.h).
#include "mesh_operators.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <unordered_map>

namespace {

constexpr float kPi = 3.14159265358979323846f;

uint64_t edge_key(uint32_t a, uint32_t b) {
  return a < b ? (uint64_t(a) << 32) | b : (uint64_t(b) << 32) | a;
}

// Same position, bit for bit: the vertices of one point of the surface.
struct position_key {
  uint32_t bits[3];
  bool operator==(const position_key &o) const { return std::memcmp(bits, o.bits, 12) == 0; }
};
struct position_hash {
  size_t operator()(const position_key &k) const {
    return size_t(k.bits[0]) * 73856093u ^ size_t(k.bits[1]) * 19349663u ^
           size_t(k.bits[2]) * 83492791u;
  }
};
position_key key_of(const vec3 &p) {
  position_key k;
  const float v[3] = {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f}; // -0 counts as 0
  std::memcpy(k.bits, v, 12);
  return k;
}

// Group number of every vertex, one per distinct position.
std::vector<uint32_t> position_groups(const cMesh &mesh, uint32_t &group_count) {
  std::unordered_map<position_key, uint32_t, position_hash> groups;
  std::vector<uint32_t> out(mesh.vertex_count());
  for (size_t i = 0; i < mesh.vertex_count(); ++i)
    out[i] = groups.emplace(key_of(mesh.positions[i]), uint32_t(groups.size())).first->second;
  group_count = uint32_t(groups.size());
  return out;
}

// Normals summed over the triangles of each group of vertices.
void accumulate_normals(cMesh &mesh, const std::vector<uint32_t> &group, uint32_t group_count) {
  std::vector<vec3> sum(group_count);
  for (const sTriangle &t : mesh.triangles) {
    const vec3 n = mesh.face_normal(t);
    for (uint32_t v : t.v)
      sum[group[v]] += n;
  }
  mesh.normals.resize(mesh.vertex_count());
  for (size_t i = 0; i < mesh.vertex_count(); ++i)
    mesh.normals[i] = normalize(sum[group[i]]);
}

uint32_t find_root(std::vector<uint32_t> &parent, uint32_t i) {
  while (parent[i] != i)
    i = parent[i] = parent[parent[i]];
  return i;
}

} // namespace

namespace operators {

cMesh subdivide_midpoint(const cMesh &mesh) {
  cMesh out = mesh;
  out.triangles.clear();
  const bool normals = mesh.has_normals(), uvs = mesh.has_uvs();
  std::unordered_map<uint64_t, uint32_t> midpoint;
  auto middle = [&](uint32_t a, uint32_t b) {
    auto found = midpoint.find(edge_key(a, b));
    if (found != midpoint.end())
      return found->second;
    const uint32_t m = out.add_vertex((mesh.positions[a] + mesh.positions[b]) * 0.5f);
    if (normals)
      out.normals.push_back(normalize(mesh.normals[a] + mesh.normals[b]));
    if (uvs)
      out.uvs.push_back((mesh.uvs[a] + mesh.uvs[b]) * 0.5f);
    midpoint.emplace(edge_key(a, b), m);
    return m;
  };
  for (const sTriangle &t : mesh.triangles) {
    const uint32_t a = t.v[0], b = t.v[1], c = t.v[2];
    const uint32_t ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
    out.add_triangle(a, ab, ca, t.material);
    out.add_triangle(ab, b, bc, t.material);
    out.add_triangle(ca, bc, c, t.material);
    out.add_triangle(ab, bc, ca, t.material);
  }
  return out;
}

cMesh subdivide_loop(const cMesh &mesh) {
  const size_t n = mesh.vertex_count();
  // Per edge: the vertices opposite it (one on a boundary, two inside).
  std::map<uint64_t, std::vector<uint32_t>> opposite;
  for (const sTriangle &t : mesh.triangles)
    for (int k = 0; k < 3; ++k)
      opposite[edge_key(t.v[k], t.v[(k + 1) % 3])].push_back(t.v[(k + 2) % 3]);
  std::vector<std::vector<uint32_t>> neighbours(n), boundary_neighbours(n);
  for (const auto &[key, opp] : opposite) {
    const uint32_t a = uint32_t(key >> 32), b = uint32_t(key);
    neighbours[a].push_back(b);
    neighbours[b].push_back(a);
    if (opp.size() == 1) {
      boundary_neighbours[a].push_back(b);
      boundary_neighbours[b].push_back(a);
    }
  }
  cMesh out;
  out.materials = mesh.materials;
  const bool uvs = mesh.has_uvs();
  for (size_t i = 0; i < n; ++i) {
    const vec3 &p = mesh.positions[i];
    vec3 moved = p;
    if (boundary_neighbours[i].size() == 2) {
      moved = p * 0.75f + (mesh.positions[boundary_neighbours[i][0]] +
                           mesh.positions[boundary_neighbours[i][1]]) *
                              0.125f;
    } else if (boundary_neighbours[i].empty() && !neighbours[i].empty()) {
      const float k = float(neighbours[i].size());
      const float beta = k > 3 ? 3.0f / (8.0f * k) : 3.0f / 16.0f;
      vec3 sum;
      for (uint32_t j : neighbours[i])
        sum += mesh.positions[j];
      moved = p * (1.0f - k * beta) + sum * beta;
    }
    out.add_vertex(moved);
    if (uvs)
      out.uvs.push_back(mesh.uvs[i]);
  }
  std::unordered_map<uint64_t, uint32_t> edge_vertex;
  for (const auto &[key, opp] : opposite) {
    const uint32_t a = uint32_t(key >> 32), b = uint32_t(key);
    vec3 p = (mesh.positions[a] + mesh.positions[b]) * 0.5f;
    if (opp.size() == 2)
      p = (mesh.positions[a] + mesh.positions[b]) * 0.375f +
          (mesh.positions[opp[0]] + mesh.positions[opp[1]]) * 0.125f;
    edge_vertex[key] = out.add_vertex(p);
    if (uvs)
      out.uvs.push_back((mesh.uvs[a] + mesh.uvs[b]) * 0.5f);
  }
  for (const sTriangle &t : mesh.triangles) {
    const uint32_t a = t.v[0], b = t.v[1], c = t.v[2];
    const uint32_t ab = edge_vertex[edge_key(a, b)], bc = edge_vertex[edge_key(b, c)],
                   ca = edge_vertex[edge_key(c, a)];
    out.add_triangle(a, ab, ca, t.material);
    out.add_triangle(ab, b, bc, t.material);
    out.add_triangle(ca, bc, c, t.material);
    out.add_triangle(ab, bc, ca, t.material);
  }
  return out;
}

void displace(cMesh &mesh, const std::function<float(const vec3 &, const vec3 &)> &offset) {
  if (!mesh.has_normals())
    smooth_normals(mesh);
  for (size_t i = 0; i < mesh.vertex_count(); ++i)
    mesh.positions[i] += mesh.normals[i] * offset(mesh.positions[i], mesh.normals[i]);
}

void displace_by_noise(cMesh &mesh, const cNoise &noise, float frequency, float amplitude,
                       int octaves) {
  displace(mesh, [&](const vec3 &p, const vec3 &) {
    return amplitude * noise.fractal(p * frequency, octaves);
  });
}

void perforate(cMesh &mesh, const std::function<bool(const vec3 &)> &remove) {
  std::vector<sTriangle> kept;
  for (const sTriangle &t : mesh.triangles) {
    const vec3 centroid =
        (mesh.positions[t.v[0]] + mesh.positions[t.v[1]] + mesh.positions[t.v[2]]) / 3.0f;
    if (!remove(centroid))
      kept.push_back(t);
  }
  mesh.triangles = std::move(kept);
  compact(mesh);
}

void transform(cMesh &mesh, const cTransform &xf) {
  for (vec3 &p : mesh.positions)
    p = xf.point(p);
  for (vec3 &n : mesh.normals)
    n = xf.normal(n);
  if (xf.determinant() < 0)
    mesh.flip_winding();
}

cMesh mirrored(const cMesh &mesh, int axis) {
  vec3 factors(1, 1, 1);
  factors[axis] = -1;
  cMesh out = mesh;
  transform(out, cTransform::scale(factors));
  return out;
}

cMesh merged(const std::vector<cMesh> &pieces) {
  cMesh out;
  for (const cMesh &piece : pieces)
    out.append(piece);
  return out;
}

void project_uv_planar(cMesh &mesh, const vec3 &u_axis, const vec3 &v_axis, const vec2 &offset) {
  mesh.uvs.resize(mesh.vertex_count());
  for (size_t i = 0; i < mesh.vertex_count(); ++i)
    mesh.uvs[i] = vec2(dot(mesh.positions[i], u_axis), dot(mesh.positions[i], v_axis)) + offset;
}

void project_uv_spherical(cMesh &mesh) {
  mesh.uvs.resize(mesh.vertex_count());
  for (size_t i = 0; i < mesh.vertex_count(); ++i) {
    const vec3 d = normalize(mesh.positions[i]);
    mesh.uvs[i] = vec2(std::atan2(d.y, d.x) / (2 * kPi) + 0.5f,
                       std::acos(std::clamp(-d.z, -1.0f, 1.0f)) / kPi);
  }
}

void project_uv_cylindrical(cMesh &mesh, float height) {
  mesh.uvs.resize(mesh.vertex_count());
  for (size_t i = 0; i < mesh.vertex_count(); ++i) {
    const vec3 &p = mesh.positions[i];
    mesh.uvs[i] = vec2(std::atan2(p.y, p.x) / (2 * kPi) + 0.5f, height != 0 ? p.z / height : 0);
  }
}

std::vector<uint32_t> piece_of_triangles(const cMesh &mesh, uint32_t &piece_count) {
  std::vector<uint32_t> parent(mesh.vertex_count());
  std::iota(parent.begin(), parent.end(), 0u);
  for (const sTriangle &t : mesh.triangles)
    for (int k = 1; k < 3; ++k) {
      const uint32_t a = find_root(parent, t.v[0]), b = find_root(parent, t.v[k]);
      if (a != b)
        parent[std::max(a, b)] = std::min(a, b);
    }
  std::unordered_map<uint32_t, uint32_t> number;
  std::vector<uint32_t> out;
  for (const sTriangle &t : mesh.triangles)
    out.push_back(number.emplace(find_root(parent, t.v[0]), uint32_t(number.size())).first->second);
  piece_count = uint32_t(number.size());
  return out;
}

void unwrap_pieces(cMesh &mesh, float margin) {
  uint32_t count = 0;
  const std::vector<uint32_t> piece = piece_of_triangles(mesh, count);
  std::vector<vec3> normal(count);
  for (size_t i = 0; i < mesh.triangle_count(); ++i)
    normal[piece[i]] += mesh.face_normal(mesh.triangles[i]);
  std::vector<uint32_t> vertex_piece(mesh.vertex_count(), 0);
  for (size_t i = 0; i < mesh.triangle_count(); ++i)
    for (uint32_t v : mesh.triangles[i].v)
      vertex_piece[v] = piece[i];
  // Each piece flat on its own plane, its lower corner at 0.
  struct rect {
    vec3 u, v;
    vec2 lo{1e30f, 1e30f}, hi{-1e30f, -1e30f}, at;
  };
  std::vector<rect> rects(count);
  for (uint32_t k = 0; k < count; ++k) {
    vec3 n = normalize(normal[k]);
    if (length(n) == 0)
      n = vec3(0, 0, 1);
    rects[k].u = any_perpendicular(n);
    rects[k].v = cross(n, rects[k].u);
  }
  mesh.uvs.assign(mesh.vertex_count(), vec2());
  for (size_t i = 0; i < mesh.vertex_count(); ++i) {
    rect &r = rects[vertex_piece[i]];
    const vec2 uv(dot(mesh.positions[i], r.u), dot(mesh.positions[i], r.v));
    mesh.uvs[i] = uv;
    r.lo = vec2(std::min(r.lo.x, uv.x), std::min(r.lo.y, uv.y));
    r.hi = vec2(std::max(r.hi.x, uv.x), std::max(r.hi.y, uv.y));
  }
  // Shelves, tallest pieces first, in a square about the size of the pieces' total area.
  float area = 0, widest = 0;
  for (const rect &r : rects) {
    area += (r.hi.x - r.lo.x) * (r.hi.y - r.lo.y);
    widest = std::max(widest, r.hi.x - r.lo.x);
  }
  const float side = std::max(widest, std::sqrt(area) * 1.2f);
  const float gap = margin * side;
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    return rects[a].hi.y - rects[a].lo.y > rects[b].hi.y - rects[b].lo.y;
  });
  float x = gap, y = gap, shelf = 0, used_w = 0;
  for (uint32_t k : order) {
    const float w = rects[k].hi.x - rects[k].lo.x, h = rects[k].hi.y - rects[k].lo.y;
    if (x > gap && x + w + gap > side) {
      x = gap;
      y += shelf + gap;
      shelf = 0;
    }
    rects[k].at = vec2(x, y);
    x += w + gap;
    shelf = std::max(shelf, h);
    used_w = std::max(used_w, x);
  }
  const float extent = std::max(used_w, y + shelf + gap);
  const float scale = extent > 0 ? 1.0f / extent : 1.0f;
  for (size_t i = 0; i < mesh.vertex_count(); ++i) {
    const rect &r = rects[vertex_piece[i]];
    mesh.uvs[i] = (mesh.uvs[i] - r.lo + r.at) * scale;
  }
}

void compact(cMesh &mesh) {
  std::vector<uint32_t> remap(mesh.vertex_count(), UINT32_MAX);
  cMesh out;
  out.materials = mesh.materials;
  const bool normals = mesh.has_normals(), uvs = mesh.has_uvs();
  for (sTriangle t : mesh.triangles) {
    for (uint32_t &v : t.v) {
      if (remap[v] == UINT32_MAX) {
        remap[v] = out.add_vertex(mesh.positions[v]);
        if (normals)
          out.normals.push_back(mesh.normals[v]);
        if (uvs)
          out.uvs.push_back(mesh.uvs[v]);
      }
      v = remap[v];
    }
    out.triangles.push_back(t);
  }
  mesh = std::move(out);
}

void weld(cMesh &mesh, float epsilon) {
  const float cell = epsilon > 0 ? epsilon : 1e-6f;
  auto cell_of = [&](const vec3 &p) {
    return std::array<int64_t, 3>{int64_t(std::floor(p.x / cell)), int64_t(std::floor(p.y / cell)),
                                  int64_t(std::floor(p.z / cell))};
  };
  struct cell_hash {
    size_t operator()(const std::array<int64_t, 3> &c) const {
      return size_t(c[0] * 73856093) ^ size_t(c[1] * 19349663) ^ size_t(c[2] * 83492791);
    }
  };
  std::unordered_map<std::array<int64_t, 3>, std::vector<uint32_t>, cell_hash> cells;
  std::vector<uint32_t> target(mesh.vertex_count());
  for (uint32_t i = 0; i < mesh.vertex_count(); ++i) {
    const vec3 &p = mesh.positions[i];
    const auto c = cell_of(p);
    uint32_t best = i;
    for (int64_t dx = -1; dx <= 1; ++dx)
      for (int64_t dy = -1; dy <= 1; ++dy)
        for (int64_t dz = -1; dz <= 1; ++dz) {
          auto found = cells.find({c[0] + dx, c[1] + dy, c[2] + dz});
          if (found == cells.end())
            continue;
          for (uint32_t j : found->second)
            if (j < best && length(mesh.positions[j] - p) <= epsilon)
              best = j;
        }
    target[i] = best;
    if (best == i)
      cells[c].push_back(i);
  }
  std::vector<sTriangle> kept;
  for (sTriangle t : mesh.triangles) {
    for (uint32_t &v : t.v)
      v = target[v];
    if (t.v[0] != t.v[1] && t.v[1] != t.v[2] && t.v[2] != t.v[0])
      kept.push_back(t);
  }
  mesh.triangles = std::move(kept);
  compact(mesh);
}

void smooth_normals(cMesh &mesh) {
  uint32_t count = 0;
  const std::vector<uint32_t> group = position_groups(mesh, count);
  accumulate_normals(mesh, group, count);
}

void vertex_normals(cMesh &mesh) {
  std::vector<uint32_t> group(mesh.vertex_count());
  std::iota(group.begin(), group.end(), 0u);
  accumulate_normals(mesh, group, uint32_t(mesh.vertex_count()));
}

} // namespace operators
