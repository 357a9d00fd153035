// Encodes an indexed mesh as .bobj bytes. A mesh that does not fit the format
// leaves the output empty and says why.
#include "archive/cBObjWriter.h"

#include <cstring>

#include "archive/bobj_layout.h"

namespace {

void put_u8(std::vector<uint8_t> &out, uint8_t v) { out.push_back(v); }

void put_u32(std::vector<uint8_t> &out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(uint8_t(v >> shift));
}

void put_f32(std::vector<uint8_t> &out, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  put_u32(out, bits);
}

void put_value(std::vector<uint8_t> &out, float f) { put_f32(out, f); }
void put_value(std::vector<uint8_t> &out, int32_t v) { put_u32(out, uint32_t(v)); }

void put_floats(std::vector<uint8_t> &out, const std::vector<float> &v, size_t count) {
  for (size_t i = 0; i < count; ++i)
    put_f32(out, v[i]);
}

struct group_range {
  uint32_t start;
  uint32_t end;
  const cMaterial *material; // null: drawn with whatever material is current
};

} // namespace

bool cBObjWriter::encode(const cIndexedMesh &mesh, std::vector<uint8_t> &out, std::string &error) {
  notes_.clear();
  out.clear();
  const bool normals = mesh.flags & MESH_HAS_NORMALS;
  const bool texcoords = mesh.flags & MESH_HAS_TEXCOORDS;
  const size_t vertices = mesh.vertex_count();
  if (!mesh.streams_complete()) {
    error = "a vertex stream is shorter than the position stream";
    return false;
  }
  if (mesh.indices.size() % bobj::corner_count != 0 || vertices > UINT32_MAX ||
      mesh.triangle_count() > UINT32_MAX) {
    error = "the index list is not made of whole triangles";
    return false;
  }
  if (!mesh.indices_in_bounds()) {
    error = "an index names a vertex that does not exist";
    return false;
  }
  const uint32_t index_count = uint32_t(mesh.indices.size());

  // Material groups: the loader's groups (empty ones dropped), and in front of them the
  // faces that come before any material, if there are such.
  std::vector<group_range> groups;
  std::vector<const cMaterial *> records;
  if (mesh.flags & MESH_USE_MATERIALS) {
    const std::vector<uint32_t> &starts = mesh.group_starts;
    if (starts.empty() || starts.back() != index_count) {
      error = "the group starts do not end at the index count";
      return false;
    }
    static const cMaterial no_material("(none)");
    if (starts.front() > 0) {
      groups.push_back({0, starts.front(), &no_material});
      notes_.push_back("faces before the first material get a default material");
    }
    for (size_t k = 0; k + 1 < starts.size(); ++k) {
      if (starts[k + 1] < starts[k] || starts[k] % bobj::corner_count != 0) {
        error = "the group starts are not increasing triangle offsets";
        return false;
      }
      const cMaterial *m = k < mesh.materials.size() ? &mesh.materials[k] : nullptr;
      if (starts[k + 1] == starts[k]) {
        notes_.push_back("empty group of material \"" + (m ? m->name : std::string("?")) +
                         "\" dropped");
        continue;
      }
      groups.push_back({starts[k], starts[k + 1], m});
    }
    for (const group_range &g : groups) {
      // A group without material can only be the last one: its material index is the
      // highest, past the list.
      if (!g.material)
        break;
      records.push_back(g.material);
    }
  } else {
    for (const cMaterial &m : mesh.materials)
      records.push_back(&m);
  }

  const uint32_t triangles = index_count / bobj::corner_count;
  put_u8(out, mesh.flags);
  put_u32(out, uint32_t(vertices));
  put_u32(out, triangles);
  put_u32(out, uint32_t(records.size()));
  put_floats(out, mesh.positions, vertices * 3);
  if (normals)
    put_floats(out, mesh.normals, vertices * 3);
  if (texcoords)
    put_floats(out, mesh.texcoords, vertices * 2);
  for (size_t c = 0; c < bobj::corner_count; ++c) {
    uint32_t previous = 0;
    for (uint32_t j = 0; j < triangles; ++j) {
      const uint32_t index = mesh.indices[bobj::corner_count * j + c];
      put_u32(out, index - previous);
      previous = index;
    }
  }
  std::vector<uint32_t> marks(triangles, 0);
  for (size_t k = 1; k < groups.size(); ++k)
    marks[groups[k].start / bobj::corner_count] = 1;
  for (uint32_t mark : marks)
    put_u32(out, mark);

  for (const cMaterial *m : records) {
    const auto strings = bobj::material_strings(*m);
    for (const std::string *s : strings)
      if (s->size() > bobj::max_string_length) {
        error = "material \"" + m->name.substr(0, 40) + "\" has a string over 127 bytes";
        out.clear();
        return false;
      }
    for (const std::string *s : strings)
      put_u8(out, uint8_t(s->size()));
    for (const std::string *s : strings)
      out.insert(out.end(), s->begin(), s->end());
    bobj::for_each_material_value(*m, [&out](auto v) { put_value(out, v); });
  }
  return true;
}
