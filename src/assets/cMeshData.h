// The arrays a mesh loader fills: flags, vertex streams, faces and materials.
// Plain data; it cannot fail.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/cMaterial.h"
#include "assets/mesh_flags.h"

// One face: zero-based indices into the position, texcoord and normal lists
// (the last two empty when the face has none) and its material, -1 for none.
struct obj_face {
  std::vector<uint16_t> positions;
  std::vector<uint16_t> texcoords;
  std::vector<uint16_t> normals;
  int32_t material = -1;
};

class cMeshData {
public:
  virtual ~cMeshData() = default;

  uint8_t flags = 0;
  std::vector<float> positions; // x, y, z, w per position
  std::vector<float> normals;   // x, y, z per normal
  std::vector<float> texcoords; // u, v per texcoord
  std::vector<obj_face> faces;
  material_list materials;
};
