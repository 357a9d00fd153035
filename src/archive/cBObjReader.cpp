// Decodes .bobj bytes into an indexed mesh. Reads never pass the end of the
// bytes: a short file is refused as truncated, an index past the vertices or
// a string length over 127 as inconsistent.
#include "archive/cBObjReader.h"

#include <cstring>
#include <vector>

#include "archive/bobj_layout.h"

namespace {

// Little-endian reads from a bounded byte range; a read past the end fails.
class byte_reader {
public:
  byte_reader(const uint8_t *data, size_t size) : p_(data), end_(data + size) {}
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  bool u8(uint8_t &v) {
    if (left() < 1)
      return false;
    v = *p_++;
    return true;
  }
  bool u32(uint32_t &v) {
    if (left() < 4)
      return false;
    v = uint32_t(p_[0]) | uint32_t(p_[1]) << 8 | uint32_t(p_[2]) << 16 | uint32_t(p_[3]) << 24;
    p_ += 4;
    return true;
  }
  bool value(float &v) {
    uint32_t bits;
    if (!u32(bits))
      return false;
    std::memcpy(&v, &bits, sizeof v);
    return true;
  }
  bool value(int32_t &v) {
    uint32_t bits;
    if (!u32(bits))
      return false;
    v = static_cast<int32_t>(bits);
    return true;
  }
  bool floats(std::vector<float> &out, size_t count) {
    out.resize(count);
    for (size_t i = 0; i < count; ++i)
      if (!value(out[i]))
        return false;
    return true;
  }
  // A string of exactly length bytes, cut at its first zero byte.
  bool text(std::string &out, size_t length) {
    if (left() < length)
      return false;
    const char *s = reinterpret_cast<const char *>(p_);
    out.assign(s, strnlen(s, length));
    p_ += length;
    return true;
  }

private:
  const uint8_t *p_;
  const uint8_t *end_;
};

bool refuse(cIndexedMesh &mesh, std::string &error, const std::string &reason) {
  mesh.clear();
  error = reason;
  return false;
}

// The material records; false with the reason when one does not fit.
bool read_materials(byte_reader &in, uint32_t count, cIndexedMesh &mesh, std::string &error) {
  mesh.materials.reserve(count);
  for (uint32_t m = 0; m < count; ++m) {
    cMaterial parsed;
    const auto strings = bobj::material_strings(parsed);
    uint8_t lengths[bobj::string_count];
    for (uint8_t &l : lengths)
      if (!in.u8(l))
        return refuse(mesh, error, "truncated in material " + std::to_string(m));
    for (uint8_t l : lengths)
      if (l > bobj::max_string_length)
        return refuse(mesh, error,
                      "inconsistent: a string of material " + std::to_string(m) +
                          " has the length " + std::to_string(int(int8_t(l))));
    bool ok = true;
    for (size_t k = 0; k < bobj::string_count; ++k)
      ok = ok && in.text(*strings[k], lengths[k]);
    bobj::for_each_material_value(parsed, [&](auto &v) { ok = ok && in.value(v); });
    if (!ok)
      return refuse(mesh, error, "truncated in material " + std::to_string(m));
    mesh.materials.push_back(std::move(parsed));
  }
  return true;
}

} // namespace

bool cBObjReader::decode(const uint8_t *data, size_t size, cIndexedMesh &mesh, std::string &error) {
  mesh.clear();
  byte_reader in(data, size);
  uint8_t flags = 0;
  uint32_t vertex_count = 0, triangle_count = 0, material_count = 0;
  if (!in.u8(flags) || !in.u32(vertex_count) || !in.u32(triangle_count) || !in.u32(material_count))
    return refuse(mesh, error, "truncated header");
  // The blocks the header announces must be there before anything is sized
  // after them.
  const uint64_t needed = uint64_t(vertex_count) * bobj::vertex_bytes(flags) +
                          uint64_t(triangle_count) * bobj::triangle_bytes +
                          uint64_t(material_count) * bobj::material_min_bytes;
  if (needed > in.left())
    return refuse(mesh, error,
                  "truncated: the header announces " + std::to_string(vertex_count) +
                      " vertices, " + std::to_string(triangle_count) + " triangles and " +
                      std::to_string(material_count) + " materials");

  mesh.flags = flags;
  in.floats(mesh.positions, size_t(vertex_count) * 3);
  if (flags & MESH_HAS_NORMALS)
    in.floats(mesh.normals, size_t(vertex_count) * 3);
  else
    mesh.normals.assign(size_t(vertex_count) * 3, 0.0f);
  if (flags & MESH_HAS_TEXCOORDS)
    in.floats(mesh.texcoords, size_t(vertex_count) * 2);
  else
    mesh.texcoords.assign(size_t(vertex_count) * 2, 0.0f);

  std::vector<uint32_t> corners[bobj::corner_count];
  for (std::vector<uint32_t> &stream : corners) {
    stream.resize(triangle_count);
    for (uint32_t &v : stream)
      in.u32(v);
  }
  std::vector<uint32_t> marks(triangle_count);
  for (uint32_t &v : marks)
    in.u32(v);

  mesh.indices.resize(size_t(triangle_count) * bobj::corner_count);
  uint32_t running[bobj::corner_count] = {};
  for (size_t j = 0; j < triangle_count; ++j) {
    for (size_t c = 0; c < bobj::corner_count; ++c) {
      running[c] = j == 0 ? corners[c][0] : running[c] + corners[c][j];
      if (running[c] >= vertex_count)
        return refuse(mesh, error,
                      "inconsistent: triangle " + std::to_string(j) + " uses vertex " +
                          std::to_string(running[c]) + " of " + std::to_string(vertex_count));
      mesh.indices[bobj::corner_count * j + c] = running[c];
    }
  }
  mesh.group_starts.push_back(0);
  for (size_t j = 1; j < triangle_count; ++j)
    if (marks[j] != 0)
      mesh.group_starts.push_back(static_cast<uint32_t>(bobj::corner_count * j));
  mesh.group_starts.push_back(static_cast<uint32_t>(mesh.indices.size()));

  return read_materials(in, material_count, mesh, error);
}
