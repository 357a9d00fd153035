// Reads a whole file into memory (see file_bytes.h). The announced size is read in
// one go; files that announce none, such as pipes, are read to their end in chunks.
#include "assets/file_bytes.h"

#include <cstdio>

bool read_file_bytes(const std::string &path, std::vector<char> &out) {
  out.clear();
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long size = std::ftell(f);
    std::rewind(f);
    if (size > 0) {
      out.resize(static_cast<size_t>(size));
      out.resize(std::fread(out.data(), 1, out.size(), f));
    }
  }
  char chunk[1 << 16];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
    out.insert(out.end(), chunk, chunk + got);
  std::fclose(f);
  return true;
}
