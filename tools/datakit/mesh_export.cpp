// Mesh files (see mesh_export.h).
#include "mesh_export.h"

#include "assets/mesh_flags.h"
#include "cBObjWriter.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <stdexcept>

namespace {

void append_line(std::string &out, const char *fmt, double a, double b = 0, double c = 0) {
  char line[128];
  std::snprintf(line, sizeof line, fmt, a, b, c);
  out += line;
}

// Triangle order with the material groups contiguous, file order inside each.
std::vector<size_t> grouped_order(const cMesh &mesh) {
  std::vector<size_t> order(mesh.triangle_count());
  std::iota(order.begin(), order.end(), size_t(0));
  if (!mesh.materials.empty())
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return mesh.triangles[a].material < mesh.triangles[b].material;
    });
  return order;
}

cMaterial engine_material(const sMeshMaterial &m) {
  cMaterial out(m.name);
  const vec3 *colours[3] = {&m.ambient, &m.diffuse, &m.specular};
  float *slots[3] = {out.Ka, out.Kd, out.Ks};
  for (int i = 0; i < 3; ++i) {
    slots[i][0] = colours[i]->x;
    slots[i][1] = colours[i]->y;
    slots[i][2] = colours[i]->z;
    slots[i][3] = m.opacity;
  }
  out.Ns = m.shininess;
  out.illum = m.illum;
  out.d = m.opacity;
  out.map_Ka = m.ambient_map;
  out.map_Kd = m.diffuse_map;
  out.map_Ks = m.specular_map;
  out.bump = m.bump_map;
  return out;
}

} // namespace

namespace mesh_export {

std::string obj_text(const cMesh &mesh, const std::string &mtllib_name) {
  std::string out = "# made by datakit\n";
  const bool materials = !mesh.materials.empty() && !mtllib_name.empty();
  if (materials)
    out += "mtllib " + mtllib_name + "\n";
  for (const vec3 &p : mesh.positions)
    append_line(out, "v %.7g %.7g %.7g\n", p.x, p.y, p.z);
  const bool uvs = mesh.has_uvs(), normals = mesh.has_normals();
  if (uvs)
    for (const vec2 &t : mesh.uvs)
      append_line(out, "vt %.7g %.7g\n", t.x, t.y);
  if (normals)
    for (const vec3 &n : mesh.normals)
      append_line(out, "vn %.7g %.7g %.7g\n", n.x, n.y, n.z);
  const char *corner =
      uvs && normals ? " %u/%u/%u" : (uvs ? " %u/%u" : (normals ? " %u//%u" : " %u"));
  uint32_t current = UINT32_MAX;
  for (size_t i : grouped_order(mesh)) {
    const sTriangle &t = mesh.triangles[i];
    if (materials && t.material != current && t.material < mesh.materials.size()) {
      current = t.material;
      out += "usemtl " + mesh.materials[current].name + "\n";
    }
    out += "f";
    for (uint32_t v : t.v) {
      char part[48];
      std::snprintf(part, sizeof part, corner, v + 1, v + 1, v + 1);
      out += part;
    }
    out += "\n";
  }
  return out;
}

std::string mtl_text(const cMesh &mesh) {
  std::string out = "# made by datakit\n";
  for (const sMeshMaterial &m : mesh.materials) {
    out += "newmtl " + m.name + "\n";
    append_line(out, "Ka %.6g %.6g %.6g\n", m.ambient.x, m.ambient.y, m.ambient.z);
    append_line(out, "Kd %.6g %.6g %.6g\n", m.diffuse.x, m.diffuse.y, m.diffuse.z);
    append_line(out, "Ks %.6g %.6g %.6g\n", m.specular.x, m.specular.y, m.specular.z);
    append_line(out, "Ns %.6g\n", m.shininess);
    append_line(out, "d %.6g\n", m.opacity);
    append_line(out, "illum %.0f\n", m.illum);
    const std::pair<const char *, const std::string *> maps[] = {{"map_Ka", &m.ambient_map},
                                                                 {"map_Kd", &m.diffuse_map},
                                                                 {"map_Ks", &m.specular_map},
                                                                 {"bump", &m.bump_map}};
    for (const auto &[key, name] : maps)
      if (!name->empty())
        out += std::string(key) + " " + *name + "\n";
  }
  return out;
}

std::vector<uint8_t> bobj_bytes(const cMesh &mesh) {
  sBObjMesh b;
  const bool normals = mesh.has_normals(), uvs = mesh.has_uvs();
  b.flags = uint8_t((normals ? MESH_HAS_NORMALS : 0) | (uvs ? MESH_HAS_TEXCOORDS : 0) |
                    (mesh.materials.empty() ? 0 : MESH_USE_MATERIALS));
  for (size_t i = 0; i < mesh.vertex_count(); ++i) {
    b.positions.insert(b.positions.end(),
                       {mesh.positions[i].x, mesh.positions[i].y, mesh.positions[i].z});
    if (normals)
      b.normals.insert(b.normals.end(), {mesh.normals[i].x, mesh.normals[i].y, mesh.normals[i].z});
    if (uvs)
      b.texcoords.insert(b.texcoords.end(), {mesh.uvs[i].x, mesh.uvs[i].y});
  }
  // One group per material, in material order; a material no triangle uses has
  // an empty group, which the writer drops together with the material.
  uint32_t group = 0;
  b.group_starts.push_back(0);
  for (size_t i : grouped_order(mesh)) {
    const sTriangle &t = mesh.triangles[i];
    while (!mesh.materials.empty() && group < t.material) {
      b.group_starts.push_back(uint32_t(b.indices.size()));
      ++group;
    }
    b.indices.insert(b.indices.end(), {t.v[0], t.v[1], t.v[2]});
  }
  while (!mesh.materials.empty() && group + 1 < mesh.materials.size()) {
    b.group_starts.push_back(uint32_t(b.indices.size()));
    ++group;
  }
  b.group_starts.push_back(uint32_t(b.indices.size()));
  for (const sMeshMaterial &m : mesh.materials)
    b.materials.push_back(engine_material(m));
  std::vector<uint8_t> out;
  std::string error;
  cBObjWriter writer;
  if (!writer.encode(b, out, error))
    throw std::runtime_error("cannot write .bobj: " + error);
  return out;
}

} // namespace mesh_export
