// Writes the binary .bobj mesh format from the arrays of the OBJ loader's vertex-buffer
// export. Groups become group-start marks; empty groups, which the format cannot hold,
// are dropped together with their materials so that group k keeps material k.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/cMaterial.h"

struct sBObjMesh {
  uint8_t flags = 0;
  std::vector<float> positions; // 3 per vertex
  std::vector<float> normals;   // 3 per vertex, used when flags has normals
  std::vector<float> texcoords; // 2 per vertex, used when flags has texcoords
  std::vector<uint32_t> indices;
  // Index offsets where each material group starts, closed by the index count.
  std::vector<uint32_t> group_starts;
  material_list materials; // material k belongs to group k
};

class cBObjWriter {
public:
  // Encodes mesh; false with the reason in error when it does not fit the format
  // (streams shorter than the vertex count, strings over 127 bytes, bad groups).
  bool encode(const sBObjMesh &mesh, std::vector<uint8_t> &out, std::string &error);

  // Notes on what the last encode changed (dropped groups, faces without material).
  const std::vector<std::string> &notes() const { return notes_; }

private:
  std::vector<std::string> notes_;
};
