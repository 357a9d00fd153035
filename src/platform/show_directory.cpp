// Finds ../data from the current directory or from the program's own.
#include "platform/show_directory.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool has_data_beside(const std::string &dir) {
  struct stat st;
  return stat((dir + "/../data").c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string current_directory() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

std::string program_directory() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0)
    return "";
  std::string path(buffer, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash ? slash : 1);
}
} // namespace

std::string enter_show_directory() {
  if (has_data_beside("."))
    return current_directory();
  const std::string own = program_directory();
  if (!own.empty() && has_data_beside(own) && chdir(own.c_str()) == 0)
    return own;
  return current_directory();
}
