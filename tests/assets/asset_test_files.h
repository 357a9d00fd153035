// Scratch folders and files for the asset tests, and a clean search path.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "assets/search_path.h"

namespace asset_test {

inline void clear_search_path() {
  while (!search_dirs().empty())
    pop_search_dir();
}

// A fresh folder below the system's temporary folder, removed at the end.
class scratch_dir {
public:
  explicit scratch_dir(const std::string &tag) {
    path_ = std::filesystem::temp_directory_path() /
            ("demo_assets_" + tag + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~scratch_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string path() const { return path_.string(); }
  // Writes text to a file below the folder (creating subfolders) and returns
  // its full path.
  std::string write(const std::string &name, const std::string &text) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
    return file.string();
  }

private:
  std::filesystem::path path_;
};

} // namespace asset_test
