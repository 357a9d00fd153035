// Helpers of the toolkit's mesh (see cMesh.h).
#include "cMesh.h"

#include <limits>
#include <utility>

uint32_t cMesh::add_vertex(const vec3 &p) {
  positions.push_back(p);
  return uint32_t(positions.size() - 1);
}

uint32_t cMesh::add_vertex(const vec3 &p, const vec3 &n) {
  normals.push_back(n);
  return add_vertex(p);
}

uint32_t cMesh::add_vertex(const vec3 &p, const vec3 &n, const vec2 &uv) {
  uvs.push_back(uv);
  return add_vertex(p, n);
}

void cMesh::add_triangle(uint32_t a, uint32_t b, uint32_t c, uint32_t material) {
  sTriangle t;
  t.v[0] = a;
  t.v[1] = b;
  t.v[2] = c;
  t.material = material;
  triangles.push_back(t);
}

void cMesh::add_quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t material) {
  add_triangle(a, b, c, material);
  add_triangle(a, c, d, material);
}

uint32_t cMesh::material_index(const sMeshMaterial &material) {
  for (size_t i = 0; i < materials.size(); ++i)
    if (materials[i].name == material.name)
      return uint32_t(i);
  materials.push_back(material);
  return uint32_t(materials.size() - 1);
}

void cMesh::append(const cMesh &other) {
  const uint32_t base = uint32_t(positions.size());
  const bool keep_normals = has_normals() || other.has_normals();
  const bool keep_uvs = has_uvs() || other.has_uvs();
  if (keep_normals)
    normals.resize(positions.size());
  if (keep_uvs)
    uvs.resize(positions.size());
  positions.insert(positions.end(), other.positions.begin(), other.positions.end());
  if (keep_normals) {
    if (other.has_normals())
      normals.insert(normals.end(), other.normals.begin(), other.normals.end());
    else
      normals.resize(positions.size());
  }
  if (keep_uvs) {
    if (other.has_uvs())
      uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    else
      uvs.resize(positions.size());
  }
  std::vector<uint32_t> remap;
  for (const sMeshMaterial &m : other.materials)
    remap.push_back(material_index(m));
  for (sTriangle t : other.triangles) {
    for (uint32_t &v : t.v)
      v += base;
    t.material = t.material < remap.size() ? remap[t.material] : 0;
    triangles.push_back(t);
  }
}

void cMesh::bounds(vec3 &lo, vec3 &hi) const {
  const float big = std::numeric_limits<float>::max();
  lo = vec3(big, big, big);
  hi = vec3(-big, -big, -big);
  for (const vec3 &p : positions) {
    lo = min3(lo, p);
    hi = max3(hi, p);
  }
}

void cMesh::flip_winding() {
  for (sTriangle &t : triangles)
    std::swap(t.v[1], t.v[2]);
}

vec3 cMesh::face_normal(const sTriangle &t) const {
  const vec3 &a = positions[t.v[0]];
  return cross(positions[t.v[1]] - a, positions[t.v[2]] - a);
}
