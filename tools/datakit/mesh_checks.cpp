// Mesh inspection and the needs check (see mesh_checks.h).
#include "mesh_checks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

std::string format(const char *fmt, double a, double b = 0, double c = 0, double d = 0) {
  char line[256];
  std::snprintf(line, sizeof line, fmt, a, b, c, d);
  return line;
}

// Vertex numbers with one number per distinct position.
std::vector<uint32_t> position_ids(const cMesh &mesh) {
  std::map<std::array<uint32_t, 3>, uint32_t> ids;
  std::vector<uint32_t> out(mesh.vertex_count());
  for (size_t i = 0; i < mesh.vertex_count(); ++i) {
    std::array<uint32_t, 3> bits;
    const float v[3] = {mesh.positions[i].x + 0.0f, mesh.positions[i].y + 0.0f,
                        mesh.positions[i].z + 0.0f};
    std::memcpy(bits.data(), v, 12);
    out[i] = ids.emplace(bits, uint32_t(ids.size())).first->second;
  }
  return out;
}

} // namespace

sMeshFacts inspect(const cMesh &mesh) {
  sMeshFacts f;
  f.vertices = mesh.vertex_count();
  f.triangles = mesh.triangle_count();
  mesh.bounds(f.lo, f.hi);
  f.min_radius = mesh.positions.empty() ? 0 : std::numeric_limits<float>::max();
  for (const vec3 &p : mesh.positions) {
    f.max_radius = std::max(f.max_radius, length(p));
    f.min_radius = std::min(f.min_radius, length(p));
  }
  const std::vector<uint32_t> id = position_ids(mesh);
  // Per undirected edge: how often it runs low-to-high and high-to-low.
  std::map<std::pair<uint32_t, uint32_t>, std::pair<int, int>> edges;
  vec3 centre_sum;
  float area_sum = 0;
  for (const sTriangle &t : mesh.triangles) {
    for (uint32_t v : t.v)
      f.max_index = std::max(f.max_index, v);
    if (id[t.v[0]] == id[t.v[1]] || id[t.v[1]] == id[t.v[2]] || id[t.v[2]] == id[t.v[0]] ||
        length(mesh.face_normal(t)) == 0) {
      ++f.degenerate_triangles;
      continue;
    }
    for (int k = 0; k < 3; ++k) {
      const uint32_t a = id[t.v[k]], b = id[t.v[(k + 1) % 3]];
      auto &count = edges[{std::min(a, b), std::max(a, b)}];
      (a < b ? count.first : count.second)++;
    }
    const vec3 &p0 = mesh.positions[t.v[0]], &p1 = mesh.positions[t.v[1]],
               &p2 = mesh.positions[t.v[2]];
    f.signed_volume += double(dot(p0, cross(p1, p2))) / 6.0;
    const float area = length(mesh.face_normal(t));
    centre_sum += (p0 + p1 + p2) * (area / 3.0f);
    area_sum += area;
  }
  f.centre = area_sum > 0 ? centre_sum / area_sum : vec3();
  for (const auto &[edge, count] : edges) {
    const int total = count.first + count.second;
    if (total == 1)
      ++f.open_edges;
    else if (total > 2)
      ++f.overused_edges;
    else if (count.first != 1)
      ++f.misoriented_edges;
  }
  if (mesh.has_normals()) {
    std::map<uint32_t, vec3> seen;
    for (size_t i = 0; i < mesh.vertex_count(); ++i) {
      f.worst_normal_error =
          std::max(f.worst_normal_error, std::fabs(length(mesh.normals[i]) - 1.0f));
      auto [it, fresh] = seen.emplace(id[i], mesh.normals[i]);
      if (!fresh && it->second != mesh.normals[i])
        f.normals_shared = false;
    }
  }
  return f;
}

std::vector<std::string> problems(const sMeshFacts &f, const cMesh &mesh, const sMeshNeeds &needs) {
  std::vector<std::string> out;
  if (f.vertices > needs.max_vertices)
    out.push_back(
        format("%.0f vertices, more than %.0f", double(f.vertices), double(needs.max_vertices)));
  if (f.triangles > needs.max_triangles)
    out.push_back(
        format("%.0f triangles, more than %.0f", double(f.triangles), double(needs.max_triangles)));
  if (f.triangles == 0)
    out.push_back("no triangles");
  if (f.degenerate_triangles)
    out.push_back(format("%.0f degenerate triangles", double(f.degenerate_triangles)));
  if (needs.closed && (f.open_edges || f.overused_edges || f.misoriented_edges))
    out.push_back(format("not closed: %.0f open, %.0f overused, %.0f misoriented edges",
                         double(f.open_edges), double(f.overused_edges),
                         double(f.misoriented_edges)));
  if (needs.outward && !(f.signed_volume > 0))
    out.push_back(format("faces point inward (signed volume %g)", f.signed_volume));
  if (needs.normals && !mesh.has_normals())
    out.push_back("no normals");
  if (needs.normals && mesh.has_normals() && f.worst_normal_error > 1e-3f)
    out.push_back(format("normal off unit length by %g", double(f.worst_normal_error)));
  if (needs.normals_shared && !f.normals_shared)
    out.push_back("vertices at one position carry different normals");
  if (needs.uvs && !mesh.has_uvs())
    out.push_back("no texture coordinates");
  if (needs.no_materials && !mesh.materials.empty())
    out.push_back("has materials");
  const vec3 size = f.hi - f.lo;
  for (int a = 0; a < 3; ++a)
    if (size[a] < needs.min_size[a] || size[a] > needs.max_size[a])
      out.push_back(format("extent %g along axis %.0f outside [%g, %g]", double(size[a]), double(a),
                           double(needs.min_size[a]), double(needs.max_size[a])));
  if (f.max_radius < needs.min_radius || f.max_radius > needs.max_radius)
    out.push_back(format("radius %g outside [%g, %g]", double(f.max_radius),
                         double(needs.min_radius), double(needs.max_radius)));
  const float off_centre = length(f.centre);
  if (off_centre > needs.origin_tolerance)
    out.push_back(format("surface centre %g from the origin, more than %g", double(off_centre),
                         double(needs.origin_tolerance)));
  return out;
}
