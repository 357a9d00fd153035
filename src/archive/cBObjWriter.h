// Encodes an indexed mesh as .bobj bytes, the engine's own writer for tools.
// Groups become group-start marks; empty groups, which the format cannot hold,
// are dropped together with their materials so that group k keeps material k.
// A mesh that does not fit the format is refused with the reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/cIndexedMesh.h"

class cBObjWriter {
public:
  // Encodes mesh into out; false with the reason in error when it does not fit
  // the format (streams shorter than the vertex count, indices past it, strings
  // over 127 bytes, group starts out of order).
  bool encode(const cIndexedMesh &mesh, std::vector<uint8_t> &out, std::string &error);

  // Notes on what the last encode changed (dropped groups, faces without material).
  const std::vector<std::string> &notes() const { return notes_; }

private:
  std::vector<std::string> notes_;
};
