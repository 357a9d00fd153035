// Members packed into one RAR archive by the project's own RAR 2.0 packer,
// in memory. The member time is fixed, so the same members give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sRarMember {
  std::string name; // at the archive root, named as the scene asks for it
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> pack_rar(const std::vector<sRarMember> &members);
