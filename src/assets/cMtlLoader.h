// Reads a Wavefront MTL file into a material list. Never fatal: an unopenable
// file leaves the list empty, a statement before any "newmtl" stops reading,
// unknown or short statements are reported and skipped.
#pragma once

#include <cstddef>
#include <string>

#include "assets/cMaterial.h"

class cMtlLoader {
public:
  // Replaces the list with the materials of the file at path (used as given).
  void load(std::string path);
  // The same over bytes in memory; path only names the source in messages.
  void parse(const char *data, size_t size, const std::string &path);

  material_list materials;
};
