// POSIX stand-ins for the absolute-path conversion and the uptime counter.
#include "platform/win32_compat.h"

#include <climits>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {
// Resolves "." and ".." lexically; the file need not exist.
std::string normalise(const std::string &path) {
  std::string out;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos)
      end = path.size();
    std::string part = path.substr(pos, end - pos);
    if (part == "..") {
      size_t cut = out.rfind('/');
      out.erase(cut == std::string::npos ? 0 : cut);
    } else if (!part.empty() && part != ".") {
      out += '/';
      out += part;
    }
    pos = end + 1;
  }
  return out.empty() ? "/" : out;
}
} // namespace

uint32_t GetFullPathNameA(const char *path, uint32_t size, char *buffer, char **file_part) {
  if (!path || !*path)
    return 0;
  std::string full = path;
  if (full[0] != '/') {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
      return 0;
    full = std::string(cwd) + "/" + full;
  }
  bool trailing_slash = full.size() > 1 && full.back() == '/';
  full = normalise(full);
  if (trailing_slash && full != "/")
    full += '/';
  if (!buffer || full.size() + 1 > size)
    return static_cast<uint32_t>(full.size() + 1);
  std::memcpy(buffer, full.c_str(), full.size() + 1);
  if (file_part) {
    char *slash = std::strrchr(buffer, '/');
    *file_part = (slash && slash[1]) ? slash + 1 : nullptr;
  }
  return static_cast<uint32_t>(full.size());
}

uint32_t GetTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(ts.tv_sec * 1000ull + ts.tv_nsec / 1000000);
}
