// Holds one member of a RAR archive extracted into memory for the binary mesh loader.
// An archive that does not open ends the process (exit code -1); a member that cannot be
// extracted is reported as 1 and the reader's debug log says why.
#pragma once

#include <cstdint>
#include <string>

class cRarFileBuffer {
public:
  cRarFileBuffer();
  ~cRarFileBuffer();
  cRarFileBuffer(const cRarFileBuffer &) = delete;
  cRarFileBuffer &operator=(const cRarFileBuffer &) = delete;

  // archive_path is already resolved through the search path. Returns 0 on success, 1
  // when the member is missing or does not unpack. A block still held is released first.
  int extract_from_archive(const std::string &member_name, const std::string &archive_path);

  // Forgets the block without releasing it: whoever took get_data() now owns it.
  void reset();
  // Releases the block (once its bytes are parsed) and clears both fields.
  void release();

  const uint8_t *get_data() const { return data; }
  uint32_t get_size() const { return size; }

private:
  uint8_t *data;
  uint32_t size;
};
