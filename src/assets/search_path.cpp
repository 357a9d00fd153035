// The search path: an ordered list of directories, first match wins. The only
// test on a candidate is that it opens for reading; nothing here is fatal.
#include "assets/search_path.h"

#include <cstdio>
#include <iostream>

#include "platform/win32_compat.h"

namespace {

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
    FILE *f = std::fopen(candidate.c_str(), "rb");
    if (!f)
      continue;
    std::fclose(f);
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
