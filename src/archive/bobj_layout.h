// The .bobj binary mesh layout, shared by its reader and its writer. All
// numbers little-endian, floats IEEE-754 single precision; no magic, version
// or padding: the blocks follow one another in the order listed here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "assets/mesh_flags.h"

namespace bobj {

// Header: the mesh flags byte (copied unchanged into the mesh), then the
// vertex, triangle and material counts as unsigned 32-bit numbers.
constexpr size_t flags_offset = 0;
constexpr size_t vertex_count_offset = 1;
constexpr size_t triangle_count_offset = 5;
constexpr size_t material_count_offset = 9;
constexpr size_t header_bytes = 13;

// Vertex blocks: all positions, then all normals and all texture
// coordinates, each only when the flags announce it.
constexpr size_t position_bytes = 12;
constexpr size_t normal_bytes = 12;
constexpr size_t texcoord_bytes = 8;
inline size_t vertex_bytes(uint8_t flags) {
  return position_bytes + ((flags & MESH_HAS_NORMALS) ? normal_bytes : 0) +
         ((flags & MESH_HAS_TEXCOORDS) ? texcoord_bytes : 0);
}

// Triangle blocks: one stream of 32-bit numbers per corner, each holding the
// first triangle's index and then differences to the previous triangle's
// (wrapping at 32 bits), then a stream of group-start marks: non-zero at
// triangle j starts a new material group there (ignored at triangle 0).
constexpr size_t corner_count = 3;
constexpr size_t triangle_bytes = (corner_count + 1) * 4;

// Material records: six string lengths (signed bytes, 0 to 127), the six
// strings without terminators (cut at a zero byte when read), then the
// values of for_each_material_value.
constexpr size_t string_count = 6;
constexpr size_t max_string_length = 127;
constexpr size_t material_value_bytes = 3 * 16 + 4 * 4;
constexpr size_t material_min_bytes = string_count + material_value_bytes;

// The strings of material m in record order.
template <typename Material> auto material_strings(Material &m) {
  return std::array<decltype(&m.name), string_count>{&m.name,   &m.map_Ka, &m.map_Kd,
                                                     &m.map_Ks, &m.bump,   &m.map_d};
}

// Calls visit on each value of material m in record order: the Ka, Kd and Ks
// floats (four each), Ns, illum (a signed 32-bit number), d and Ni.
template <typename Material, typename Visit>
void for_each_material_value(Material &m, Visit &&visit) {
  for (auto &v : m.Ka)
    visit(v);
  for (auto &v : m.Kd)
    visit(v);
  for (auto &v : m.Ks)
    visit(v);
  visit(m.Ns);
  visit(m.illum);
  visit(m.d);
  visit(m.Ni);
}

} // namespace bobj
