// Mesh files (see mesh_export.h).
#include "mesh_export.h"

#include "archive/cBObjWriter.h"

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

cIndexedMesh indexed(const cMesh &mesh) {
  cIndexedMesh out;
  const bool normals = mesh.has_normals(), uvs = mesh.has_uvs(), grouped = !mesh.materials.empty();
  out.flags = uint8_t((normals ? MESH_HAS_NORMALS : 0) | (uvs ? MESH_HAS_TEXCOORDS : 0) |
                      (grouped ? MESH_USE_MATERIALS : 0));
  for (size_t i = 0; i < mesh.vertex_count(); ++i) {
    out.positions.insert(out.positions.end(),
                         {mesh.positions[i].x, mesh.positions[i].y, mesh.positions[i].z});
    if (normals)
      out.normals.insert(out.normals.end(),
                         {mesh.normals[i].x, mesh.normals[i].y, mesh.normals[i].z});
    if (uvs)
      out.texcoords.insert(out.texcoords.end(), {mesh.uvs[i].x, mesh.uvs[i].y});
  }
  // Triangles in material order, file order inside each; one group per
  // material, empty for a material no triangle uses (the writer drops those).
  std::vector<size_t> order(mesh.triangle_count());
  std::iota(order.begin(), order.end(), size_t(0));
  if (grouped)
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return mesh.triangles[a].material < mesh.triangles[b].material;
    });
  out.group_starts.push_back(0);
  uint32_t group = 0;
  for (size_t i : order) {
    const sTriangle &t = mesh.triangles[i];
    for (; grouped && group < t.material; ++group)
      out.group_starts.push_back(uint32_t(out.indices.size()));
    out.indices.insert(out.indices.end(), {t.v[0], t.v[1], t.v[2]});
  }
  for (; grouped && group + 1 < mesh.materials.size(); ++group)
    out.group_starts.push_back(uint32_t(out.indices.size()));
  out.group_starts.push_back(uint32_t(out.indices.size()));
  for (const sMeshMaterial &m : mesh.materials)
    out.materials.push_back(engine_material(m));
  return out;
}

std::string obj_text(const cIndexedMesh &mesh, const std::string &mtllib_name) {
  std::string out = "# made by datakit\n";
  const bool materials = (mesh.flags & MESH_USE_MATERIALS) && !mtllib_name.empty();
  if (materials)
    out += "mtllib " + mtllib_name + "\n";
  for (size_t i = 0; i + 2 < mesh.positions.size(); i += 3)
    append_line(out, "v %.7g %.7g %.7g\n", mesh.positions[i], mesh.positions[i + 1],
                mesh.positions[i + 2]);
  const bool uvs = mesh.flags & MESH_HAS_TEXCOORDS, normals = mesh.flags & MESH_HAS_NORMALS;
  if (uvs)
    for (size_t i = 0; i + 1 < mesh.texcoords.size(); i += 2)
      append_line(out, "vt %.7g %.7g\n", mesh.texcoords[i], mesh.texcoords[i + 1]);
  if (normals)
    for (size_t i = 0; i + 2 < mesh.normals.size(); i += 3)
      append_line(out, "vn %.7g %.7g %.7g\n", mesh.normals[i], mesh.normals[i + 1],
                  mesh.normals[i + 2]);
  const char *corner =
      uvs && normals ? " %u/%u/%u" : (uvs ? " %u/%u" : (normals ? " %u//%u" : " %u"));
  for (size_t g = 0; g < mesh.group_count(); ++g) {
    if (mesh.group_starts[g] == mesh.group_starts[g + 1])
      continue;
    if (materials && g < mesh.materials.size())
      out += "usemtl " + mesh.materials[g].name + "\n";
    for (uint32_t i = mesh.group_starts[g]; i + 2 < mesh.group_starts[g + 1]; i += 3) {
      out += "f";
      for (uint32_t k = 0; k < 3; ++k) {
        const uint32_t v = mesh.indices[i + k] + 1;
        char part[48];
        std::snprintf(part, sizeof part, corner, v, v, v);
        out += part;
      }
      out += "\n";
    }
  }
  return out;
}

std::string mtl_text(const cIndexedMesh &mesh) {
  std::string out = "# made by datakit\n";
  for (const cMaterial &m : mesh.materials) {
    out += "newmtl " + m.name + "\n";
    append_line(out, "Ka %.6g %.6g %.6g\n", m.Ka[0], m.Ka[1], m.Ka[2]);
    append_line(out, "Kd %.6g %.6g %.6g\n", m.Kd[0], m.Kd[1], m.Kd[2]);
    append_line(out, "Ks %.6g %.6g %.6g\n", m.Ks[0], m.Ks[1], m.Ks[2]);
    append_line(out, "Ns %.6g\n", m.Ns);
    append_line(out, "d %.6g\n", m.d);
    append_line(out, "illum %.0f\n", m.illum);
    const std::pair<const char *, const std::string *> maps[] = {
        {"map_Ka", &m.map_Ka}, {"map_Kd", &m.map_Kd}, {"map_Ks", &m.map_Ks}, {"bump", &m.bump}};
    for (const auto &[key, name] : maps)
      if (!name->empty())
        out += std::string(key) + " " + *name + "\n";
  }
  return out;
}

std::vector<uint8_t> bobj_bytes(const cIndexedMesh &mesh) {
  std::vector<uint8_t> out;
  std::string error;
  cBObjWriter writer;
  if (!writer.encode(mesh, out, error))
    throw std::runtime_error("cannot write .bobj: " + error);
  return out;
}

} // namespace mesh_export
