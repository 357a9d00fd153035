// bobjconv INPUT.obj OUTPUT.bobj: reads a Wavefront OBJ file and its MTL materials with
// the engine's OBJ loader and writes the indexed mesh with the engine's .bobj writer.
// Exit status 0 on success, 1 on any failure (with a line on the standard error).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "archive/cBObjWriter.h"
#include "assets/cObjLoader.h"
#include "assets/search_path.h"

int main(int argc, char **argv) {
  if (argc != 3) {
    std::cerr << "usage: bobjconv INPUT.obj OUTPUT.bobj" << std::endl;
    return 1;
  }
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path input = fs::absolute(argv[1], ec);
  if (ec || !fs::is_regular_file(input)) {
    std::cerr << "bobjconv: no such file " << argv[1] << std::endl;
    return 1;
  }
  // The loader finds files through the search path, and its material files next to it.
  add_search_dir(input.parent_path().string());
  cObjLoader loader;
  loader.set_fatal_policy(cObjLoader::fatal_policy::mark_failed);
  loader.load_file(input.filename().string());
  if (loader.failed()) {
    std::cerr << "bobjconv: " << argv[1] << " could not be read" << std::endl;
    return 1;
  }
  loader.triangulate();
  cIndexedMesh mesh;
  loader.build_indexed_arrays(mesh);

  cBObjWriter writer;
  std::vector<uint8_t> bytes;
  std::string error;
  if (!writer.encode(mesh, bytes, error)) {
    std::cerr << "bobjconv: " << argv[1] << ": " << error << std::endl;
    return 1;
  }
  for (const std::string &note : writer.notes())
    std::cerr << "bobjconv: " << note << std::endl;
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) {
    std::cerr << "bobjconv: cannot write " << argv[2] << std::endl;
    return 1;
  }
  std::cout << "bobjconv: " << mesh.vertex_count() << " vertices, " << mesh.triangle_count()
            << " triangles -> " << argv[2] << " (" << bytes.size() << " bytes)" << std::endl;
  return 0;
}
