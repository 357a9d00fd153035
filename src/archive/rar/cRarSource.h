// The bytes of an archive, from a file stream or a block of memory, read in order with
// seeks. A short read gives fewer bytes and a failed seek is false; it never prints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class cRarSource {
public:
  cRarSource() = default;
  cRarSource(const cRarSource &) = delete;
  cRarSource &operator=(const cRarSource &) = delete;
  ~cRarSource() { close(); }

  // Opens the file for reading and measures it; false when it does not open.
  bool open_file(const char *path);
  // Reads from memory, which the caller keeps valid until close.
  void open_memory(const uint8_t *memory, size_t size);

  size_t read(void *buffer, size_t count);
  bool seek(uint64_t target);
  void close();

  // The archive's size in bytes (0 when a file's size is unknown).
  uint64_t size() const { return size_; }

private:
  FILE *file_ = nullptr;
  const uint8_t *memory_ = nullptr;
  uint64_t size_ = 0;
  uint64_t pos_ = 0;
};
