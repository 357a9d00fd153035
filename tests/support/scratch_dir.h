// A fresh folder below the system's temporary folder for one test, removed at
// the end, with whole files written into it; and shell commands run with
// their output kept. Nothing here fails: the tests check what they get.
#pragma once

#include "support/read_file.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class scratch_dir {
public:
  explicit scratch_dir(const std::string &tag = "test") {
    path_ = std::filesystem::temp_directory_path() /
            ("demo_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(++count()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~scratch_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string path() const { return path_.string(); }
  std::string operator/(const std::string &name) const { return (path_ / name).string(); }
  // Writes bytes to a file below the folder (creating subfolders); its full path.
  template <typename Bytes> std::string write(const std::string &name, const Bytes &bytes) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return file.string();
  }
  std::string write(const std::string &name, const char *text) const {
    return write(name, std::string(text));
  }

private:
  static int &count() {
    static int n = 0;
    return n;
  }
  std::filesystem::path path_;
};

inline std::string shell_quote(const std::string &s) {
  std::string q = "'";
  for (char c : s)
    q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs a shell command; its exit status (-1 when it did not exit), with
// standard output and error joined into *output.
inline int run_command(const std::string &command, std::string *output = nullptr) {
  FILE *p = popen((command + " 2>&1").c_str(), "r");
  if (!p)
    return -1;
  std::string text;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof(buf), p)) > 0;)
    text.append(buf, n);
  const int status = pclose(p);
  if (output)
    *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
