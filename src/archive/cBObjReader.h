// Decodes .bobj bytes into an indexed mesh (textures not loaded). Every count
// is checked against the bytes present before anything is sized after it,
// and every index against the vertex count; a truncated or inconsistent file
// is refused with the reason, and nothing of it is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/cIndexedMesh.h"

class cBObjReader {
public:
  // Fills mesh from the bytes; normals and texture coordinates the file lacks
  // are zeros. False with the reason in error, and mesh left empty, on a
  // file that does not hold what its header announces.
  static bool decode(const uint8_t *data, size_t size, cIndexedMesh &mesh, std::string &error);
};
