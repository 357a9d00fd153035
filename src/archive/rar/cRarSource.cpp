// File or memory bytes behind the archive reader; see cRarSource.h.
#include "archive/rar/cRarSource.h"

#include <cstring>
#include <sys/types.h>

bool cRarSource::open_file(const char *path) {
  file_ = path ? std::fopen(path, "rb") : nullptr;
  if (!file_)
    return false;
  if (fseeko(file_, 0, SEEK_END) == 0) {
    off_t end = ftello(file_);
    size_ = end > 0 ? uint64_t(end) : 0;
  }
  fseeko(file_, 0, SEEK_SET);
  pos_ = 0;
  return true;
}

void cRarSource::open_memory(const uint8_t *memory, size_t size) {
  memory_ = memory;
  size_ = size;
  pos_ = 0;
}

size_t cRarSource::read(void *buffer, size_t count) {
  if (file_) {
    size_t got = std::fread(buffer, 1, count, file_);
    pos_ += got;
    return got;
  }
  if (!memory_ || pos_ >= size_)
    return 0;
  if (count > size_ - pos_)
    count = size_t(size_ - pos_);
  std::memcpy(buffer, memory_ + pos_, count);
  pos_ += count;
  return count;
}

bool cRarSource::seek(uint64_t target) {
  if (file_) {
    if (target > uint64_t(INT64_MAX) || fseeko(file_, off_t(target), SEEK_SET) != 0)
      return false;
  }
  pos_ = target;
  return true;
}

void cRarSource::close() {
  if (file_)
    std::fclose(file_);
  file_ = nullptr;
  memory_ = nullptr;
  size_ = 0;
  pos_ = 0;
}
