// Archive member holder (see cRarFileBuffer.h). The block comes from the C allocator of
// the RAR reader; the holder frees it on release, on a new extraction and on destruction.
#include "assets/cRarFileBuffer.h"

#include "archive/rar/unrarlib.h"

#include <cstdio>
#include <cstdlib>

cRarFileBuffer::cRarFileBuffer() : data(nullptr), size(0) {}

cRarFileBuffer::~cRarFileBuffer() { release(); }

int cRarFileBuffer::extract_from_archive(const std::string &member_name,
                                         const std::string &archive_path) {
  FILE *archive = std::fopen(archive_path.c_str(), "rb");
  if (!archive) {
    std::fprintf(stderr, "a hvaaaaaaaaaad\n");
    std::exit(-1);
  }
  std::fclose(archive);

  // Holding two blocks at once would leak the first: the holder owns what it holds.
  release();
  int ok = rar_get_file(&data, &size, member_name.c_str(), archive_path.c_str(), nullptr);
  return ok ? 0 : 1;
}

void cRarFileBuffer::reset() {
  data = nullptr;
  size = 0;
}

void cRarFileBuffer::release() {
  std::free(data);
  reset();
}
