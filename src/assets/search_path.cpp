// The search path: an ordered list of directories, first match wins. A candidate
// must be a regular file that opens for reading (a folder also opens on Linux, and an
// empty name names the entry itself); nothing here is fatal.
#include "assets/search_path.h"

#include <sys/stat.h>

#include <cstdio>
#include <iostream>

#include "platform/win32_compat.h"

namespace {

bool opens_as_regular_file(const std::string &path) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  struct stat st;
  const bool regular = fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode);
  std::fclose(f);
  return regular;
}

std::vector<std::string> &dirs() {
  // Function-local so lookups made during static initialisation still work.
  static std::vector<std::string> list;
  return list;
}

} // namespace

void add_search_dir(std::string dir) {
  if (dir.empty() || dir.back() != '/')
    dir += '/';
  dirs().push_back(std::move(dir));
}

void pop_search_dir() {
  if (!dirs().empty())
    dirs().pop_back();
}

const std::vector<std::string> &search_dirs() { return dirs(); }

std::string find_in_search_path(const std::string &name) {
  const std::vector<std::string> &list = dirs();
  const size_t count = list.size();
  for (size_t i = 0; i < count; ++i) {
    const std::string candidate = list[i] + name;
    if (!opens_as_regular_file(candidate))
      continue;
    char buffer[1024] = {0};
    const uint32_t length = GetFullPathNameA(candidate.c_str(), sizeof(buffer), buffer, nullptr);
    if (length == 0 || length >= sizeof(buffer)) {
      std::cerr << "debug - oops" << std::endl;
      buffer[sizeof(buffer) - 1] = '\0';
    }
    return std::string(buffer);
  }
  return std::string();
}
