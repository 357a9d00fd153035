// One indexed triangle mesh as plain data: vertex streams, three indices per
// triangle, and material groups with their materials. The OBJ pipeline
// produces it, the .bobj reader and writer carry it, and the vertex-buffer
// mesh draws it (with materials that hold textures). Nothing here can fail;
// the checks only report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "assets/cMaterial.h"
#include "assets/mesh_flags.h"

template <typename Material> class cIndexedMeshOf {
public:
  uint8_t flags = 0;
  std::vector<float> positions;  // x, y, z per vertex
  std::vector<float> normals;    // x, y, z per vertex (with MESH_HAS_NORMALS)
  std::vector<float> texcoords;  // u, v per vertex (with MESH_HAS_TEXCOORDS)
  std::vector<uint32_t> indices; // three per triangle
  // Index offsets at which the material groups start, closed by the index
  // count: group k spans [group_starts[k], group_starts[k + 1]).
  std::vector<uint32_t> group_starts;
  std::vector<Material> materials; // group k is drawn with material k

  size_t vertex_count() const { return positions.size() / 3; }
  size_t triangle_count() const { return indices.size() / 3; }
  size_t group_count() const { return group_starts.empty() ? 0 : group_starts.size() - 1; }

  // Every stream that the flags announce holds all vertices.
  bool streams_complete() const {
    const size_t vertices = vertex_count();
    if ((flags & MESH_HAS_NORMALS) && normals.size() / 3 < vertices)
      return false;
    return !(flags & MESH_HAS_TEXCOORDS) || texcoords.size() / 2 >= vertices;
  }
  // Every index names a vertex.
  bool indices_in_bounds() const {
    const size_t vertices = vertex_count();
    for (uint32_t i : indices)
      if (i >= vertices)
        return false;
    return true;
  }
  // Each index fits 16 bits, as the OBJ face records and small meshes need.
  bool indices_fit_16_bits() const { return vertex_count() <= 0x10000; }
  // Group starts never decrease and stay inside the index list.
  bool groups_ordered() const {
    for (size_t k = 1; k < group_starts.size(); ++k)
      if (group_starts[k] < group_starts[k - 1])
        return false;
    return group_starts.empty() || group_starts.back() <= indices.size();
  }
  // What drawing needs: the GL never reads outside the arrays.
  bool arrays_consistent() const {
    return streams_complete() && indices_in_bounds() && groups_ordered();
  }

  void clear() {
    positions.clear();
    normals.clear();
    texcoords.clear();
    indices.clear();
    group_starts.clear();
    materials.clear();
  }

  // Takes the arrays of other and a Material made from each of its materials.
  template <typename Other> void take(cIndexedMeshOf<Other> &&other) {
    flags = other.flags;
    positions = std::move(other.positions);
    normals = std::move(other.normals);
    texcoords = std::move(other.texcoords);
    indices = std::move(other.indices);
    group_starts = std::move(other.group_starts);
    materials.clear();
    materials.reserve(other.materials.size());
    for (Other &m : other.materials)
      materials.emplace_back(std::move(m));
    other.materials.clear();
  }
};

// The mesh as loaders and tools pass it around: materials without textures.
using cIndexedMesh = cIndexedMeshOf<cMaterial>;
