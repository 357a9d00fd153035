// A vertex-buffer mesh read from the binary .bobj format, from a plain file
// or from a member of a RAR archive. Missing files, failed extraction and
// files that are truncated or inconsistent end the process (exit code -1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/cMeshObj.h"

class cMeshBObj : public cMeshObj {
public:
  void load(const char *file_name) override;
  void load_from_rar(const char *member_name, const char *archive_name);
  // Gives the four GL buffers back; the next prepare fills new ones.
  void release_buffers();

  // Decodes .bobj bytes into the arrays and materials (textures not loaded)
  // with cBObjReader. On a truncated or inconsistent file returns false with
  // the reason in error, and the arrays are left empty.
  bool decode(const uint8_t *data, size_t size, std::string &error);

private:
  void decode_or_exit(const uint8_t *data, size_t size, const std::string &source);
};
