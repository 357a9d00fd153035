// Reads a Wavefront MTL file into a material list. Never fatal: an unopenable
// file leaves the list empty, a statement before any "newmtl" stops reading,
// unknown or short statements are reported and skipped.
#include "assets/cMtlLoader.h"

#include <iostream>
#include <vector>

#include "assets/file_bytes.h"
#include "assets/text_scan.h"

namespace {

const char *const kUnit = "cMtlLoader";
constexpr size_t kMaxLine = 511;

void read_colour(float *out, const std::vector<std::string_view> &t) {
  out[0] = text_scan::to_float(t[1]);
  out[1] = text_scan::to_float(t[2]);
  out[2] = text_scan::to_float(t[3]);
}

} // namespace

void cMtlLoader::load(std::string path) {
  std::vector<char> bytes;
  if (!read_file_bytes(path, bytes)) {
    std::cerr << "## ERROR: Couldn't open " << path << std::endl;
    materials.clear();
    return;
  }
  parse(bytes.data(), bytes.size(), path);
}

void cMtlLoader::parse(const char *data, size_t size, const std::string &path) {
  materials.clear();
  text_scan::statement_reader reader(data, size, kMaxLine);
  std::vector<std::string_view> t;
  while (reader.next(t)) {
    const uint32_t line_number = reader.line_number();
    const std::string_view key = t[0];
    if (key == "newmtl") {
      materials.emplace_back(t.size() > 1 ? std::string(t[1]) : std::string());
      continue;
    }

    // How many values each known statement reads; 0 marks an unknown one.
    size_t needed = 0;
    if (key == "Ka" || key == "Kd" || key == "Ks" || key == "Tr" || key == "Tf")
      needed = 3;
    else if (key == "Ns" || key == "illum" || key == "d" || key == "Ni" || key == "map_Ka" ||
             key == "map_Kd" || key == "map_Ks" || key == "map_d" || key == "bump")
      needed = 1;
    if (needed == 0) {
      std::cerr << "# WARNING, unknown token \"" << key << "\"" << std::endl;
      std::cerr << "# WARNING: unknown token encountered in \"" << path << "\" line " << line_number
                << ". Skipping..." << std::endl;
      continue;
    }
    if (materials.empty()) {
      std::cerr << "## ERROR in " << kUnit << " line " << __LINE__
                << ": no 'newmtl' entry was found previous to line " << line_number
                << ". Failed to load .mtl-file!!" << std::endl;
      return;
    }
    if (t.size() < needed + 1) {
      std::cerr << "# WARNING in " << kUnit << " line " << __LINE__ << ": \"" << key
                << "\" lacks values in \"" << path << "\" line " << line_number << ". Skipping..."
                << std::endl;
      continue;
    }

    cMaterial &m = materials.back();
    if (key == "Ka")
      read_colour(m.Ka, t);
    else if (key == "Kd")
      read_colour(m.Kd, t);
    else if (key == "Ks")
      read_colour(m.Ks, t);
    else if (key == "Ns")
      m.Ns = text_scan::to_float(t[1]);
    else if (key == "illum")
      m.illum = text_scan::to_int(t[1]);
    else if (key == "d")
      m.d = text_scan::to_float(t[1]);
    else if (key == "Tr" || key == "Tf")
      m.d = (text_scan::to_float(t[1]) + text_scan::to_float(t[2]) + text_scan::to_float(t[3])) *
            (1.0f / 3.0f);
    else if (key == "Ni")
      m.Ni = text_scan::to_float(t[1]);
    else if (key == "map_Ka")
      m.map_Ka = std::string(t[1]);
    else if (key == "map_Kd")
      m.map_Kd = std::string(t[1]);
    else if (key == "map_Ks")
      m.map_Ks = std::string(t[1]);
    else if (key == "map_d")
      m.map_d = std::string(t[1]);
    else if (key == "bump")
      m.bump = std::string(t[1]);
  }
}
