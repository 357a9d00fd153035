// A vertex-buffer mesh read from the binary .bobj format, from a plain file
// or from a member of a RAR archive. Missing files, failed extraction and
// files that are truncated or inconsistent end the process (exit code -1):
// every count is checked against the bytes present before anything is
// allocated, and every index against the vertex count.
#include "archive/cMeshBObj.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "assets/cRarFileBuffer.h"
#include "assets/file_bytes.h"
#include "assets/search_path.h"

namespace {

const char *const kUnit = "cMeshBObj";

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
  bool f32(float &v) {
    uint32_t bits;
    if (!u32(bits))
      return false;
    std::memcpy(&v, &bits, sizeof v);
    return true;
  }
  bool floats(std::vector<float> &out, size_t count) {
    out.resize(count);
    for (size_t i = 0; i < count; ++i)
      if (!f32(out[i]))
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

} // namespace

bool cMeshBObj::decode(const uint8_t *data, size_t size, std::string &error) {
  empty_arrays();
  byte_reader in(data, size);
  uint8_t file_flags = 0;
  uint32_t vertex_count = 0, triangle_count = 0, material_count = 0;
  if (!in.u8(file_flags) || !in.u32(vertex_count) || !in.u32(triangle_count) ||
      !in.u32(material_count)) {
    error = "truncated header";
    return false;
  }
  const bool has_normals = file_flags & MESH_HAS_NORMALS;
  const bool has_texcoords = file_flags & MESH_HAS_TEXCOORDS;
  // The blocks the header announces must be there before anything is sized
  // after them; a record needs at least 66 bytes.
  const uint64_t vertex_bytes =
      uint64_t(vertex_count) * (12 + (has_normals ? 12 : 0) + (has_texcoords ? 8 : 0));
  const uint64_t needed =
      vertex_bytes + uint64_t(triangle_count) * 16 + uint64_t(material_count) * 66;
  if (needed > in.left()) {
    error = "truncated: the header announces " + std::to_string(vertex_count) + " vertices, " +
            std::to_string(triangle_count) + " triangles and " + std::to_string(material_count) +
            " materials";
    return false;
  }

  flags = file_flags;
  in.floats(positions, size_t(vertex_count) * 3);
  if (has_normals)
    in.floats(normals, size_t(vertex_count) * 3);
  else
    normals.assign(size_t(vertex_count) * 3, 0.0f);
  if (has_texcoords)
    in.floats(texcoords, size_t(vertex_count) * 2);
  else
    texcoords.assign(size_t(vertex_count) * 2, 0.0f);

  std::vector<uint32_t> corners[3];
  for (std::vector<uint32_t> &stream : corners) {
    stream.resize(triangle_count);
    for (uint32_t &v : stream)
      in.u32(v);
  }
  std::vector<uint32_t> marks(triangle_count);
  for (uint32_t &v : marks)
    in.u32(v);

  indices.resize(size_t(triangle_count) * 3);
  uint32_t running[3] = {0, 0, 0};
  for (size_t j = 0; j < triangle_count; ++j) {
    for (size_t c = 0; c < 3; ++c) {
      running[c] = j == 0 ? corners[c][0] : running[c] + corners[c][j];
      if (running[c] >= vertex_count) {
        error = "inconsistent: triangle " + std::to_string(j) + " uses vertex " +
                std::to_string(running[c]) + " of " + std::to_string(vertex_count);
        empty_arrays();
        return false;
      }
      indices[3 * j + c] = running[c];
    }
  }
  group_starts.push_back(0);
  for (size_t j = 1; j < triangle_count; ++j)
    if (marks[j] != 0)
      group_starts.push_back(static_cast<uint32_t>(3 * j));
  group_starts.push_back(static_cast<uint32_t>(3 * size_t(triangle_count)));

  materials.reserve(material_count);
  for (uint32_t m = 0; m < material_count; ++m) {
    uint8_t lengths[6];
    for (uint8_t &l : lengths)
      if (!in.u8(l)) {
        error = "truncated in material " + std::to_string(m);
        empty_arrays();
        return false;
      }
    for (uint8_t l : lengths)
      if (l > 127) {
        error = "inconsistent: a string of material " + std::to_string(m) + " has the length " +
                std::to_string(int(int8_t(l)));
        empty_arrays();
        return false;
      }
    cMaterial parsed;
    std::string *const strings[6] = {&parsed.name,   &parsed.map_Ka, &parsed.map_Kd,
                                     &parsed.map_Ks, &parsed.bump,   &parsed.map_d};
    bool ok = true;
    for (int k = 0; k < 6; ++k)
      ok = ok && in.text(*strings[k], lengths[k]);
    for (int k = 0; k < 4; ++k)
      ok = ok && in.f32(parsed.Ka[k]);
    for (int k = 0; k < 4; ++k)
      ok = ok && in.f32(parsed.Kd[k]);
    for (int k = 0; k < 4; ++k)
      ok = ok && in.f32(parsed.Ks[k]);
    uint32_t illum = 0;
    ok = ok && in.f32(parsed.Ns) && in.u32(illum) && in.f32(parsed.d) && in.f32(parsed.Ni);
    if (!ok) {
      error = "truncated in material " + std::to_string(m);
      empty_arrays();
      return false;
    }
    parsed.illum = static_cast<int32_t>(illum);
    materials.emplace_back(parsed);
  }

  const size_t groups = group_starts.size() - 1;
  if ((flags & MESH_USE_MATERIALS) && groups > materials.size())
    std::cerr << "# WARNING in " << kUnit << " line " << __LINE__ << ": " << groups
              << " groups but " << materials.size()
              << " materials; the groups without one keep the current material" << std::endl;
  return true;
}

void cMeshBObj::decode_or_exit(const uint8_t *data, size_t size, const std::string &source) {
  std::string error;
  if (!decode(data, size, error)) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__ << ": bobj-file \"" << source
              << "\" is " << error << ". Exiting..." << std::endl;
    std::exit(-1);
  }
  for (cMeshMaterial &m : materials)
    m.load_textures();
}

void cMeshBObj::load(const char *file_name) {
  empty_arrays();
  const std::string name = file_name ? file_name : "";
  const std::string path = find_in_search_path(name);
  if (path.empty()) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__
              << ": file was not found in path: " << name << std::endl;
    std::exit(-1);
  }
  std::vector<char> bytes;
  if (!read_file_bytes(path, bytes)) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__ << ": couldn't open file " << path
              << std::endl;
    std::exit(-1);
  }
  std::cout << "\nreading  bobj-file \"" << path << "\"..." << std::endl;
  decode_or_exit(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), path);
}

void cMeshBObj::load_from_rar(const char *member_name, const char *archive_name) {
  empty_arrays();
  const std::string member = member_name ? member_name : "";
  const std::string archive = archive_name ? archive_name : "";
  const std::string path = find_in_search_path(archive);
  if (path.empty()) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__
              << ": rar-file was not found in path: " << archive << std::endl;
    std::exit(-1);
  }
  cRarFileBuffer buffer;
  if (buffer.extract_from_archive(member, path) != 0) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__ << ": unable to extract file \""
              << member << "\" from archive \"" << path << "\"!\nExiting!" << std::endl;
    std::exit(-1);
  }
  std::cerr << "\nreading rared bobj-file from rarfile \"" << member << "\"..." << std::endl;
  decode_or_exit(buffer.get_data(), buffer.get_size(), member);
  // The bytes are parsed into the arrays: nothing needs them any more.
  buffer.release();
}

void cMeshBObj::release_buffers() {
  position_buffer.release();
  normal_buffer.release();
  texcoord_buffer.release();
  index_buffer.release();
}
