// Reads a whole file into memory (see file_bytes.h). A regular file's size comes from
// fstat and is read in one go; other streams, such as pipes, are read to their end in
// chunks. A folder opens as a stream on Linux but is no file: it counts as not opening.
#include "assets/file_bytes.h"

#include <sys/stat.h>

#include <cstdio>

bool read_file_bytes(const std::string &path, std::vector<char> &out) {
  out.clear();
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  struct stat st;
  if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
    std::fclose(f);
    return false;
  }
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    out.resize(static_cast<size_t>(st.st_size));
    out.resize(std::fread(out.data(), 1, out.size(), f));
  }
  char chunk[1 << 16];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
    out.insert(out.end(), chunk, chunk + got);
  std::fclose(f);
  return true;
}
