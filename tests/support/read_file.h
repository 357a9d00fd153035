// Whole files as bytes for the tests; a file that cannot be read gives an
// empty string.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

inline std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
