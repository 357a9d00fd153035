// Generates a large OBJ file (a 256 x 256 vertex grid with normals and
// texcoords, drawn as eight quad layers of eight materials: about one million
// triangles), loads it through the vertex-buffer mesh pipeline and through
// libtinyobjloader, and prints triangles per second for both and their ratio.
// Usage: bench_obj_load [folder for the generated files]
#include <tiny_obj_loader.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "assets/cMeshObj.h"
#include "assets/cObjLoader.h"
#include "assets/search_path.h"

namespace {

constexpr int kGrid = 256;
constexpr int kLayers = 8;

void write_files(const std::string &dir) {
  std::ofstream mtl(dir + "/bench.mtl");
  for (int m = 0; m < kLayers; ++m)
    mtl << "newmtl layer" << m << "\nillum 2\nKd " << (m & 1) << " " << ((m >> 1) & 1) << " "
        << ((m >> 2) & 1) << "\nKs 1 1 1\nNs 40\n";
  std::ostringstream obj;
  obj << "mtllib bench.mtl\n";
  for (int y = 0; y < kGrid; ++y)
    for (int x = 0; x < kGrid; ++x) {
      const float h = 0.2f * std::sin(x * 0.1f) * std::cos(y * 0.13f);
      obj << "v " << x * 0.05f << " " << y * 0.05f << " " << h << "\n";
    }
  for (int y = 0; y < kGrid; ++y)
    for (int x = 0; x < kGrid; ++x)
      obj << "vt " << x / float(kGrid - 1) << " " << y / float(kGrid - 1) << "\n";
  for (int y = 0; y < kGrid; ++y)
    for (int x = 0; x < kGrid; ++x) {
      const float nx = -0.02f * std::cos(x * 0.1f), ny = 0.026f * std::sin(y * 0.13f);
      const float len = std::sqrt(nx * nx + ny * ny + 1.0f);
      obj << "vn " << nx / len << " " << ny / len << " " << 1.0f / len << "\n";
    }
  for (int m = 0; m < kLayers; ++m) {
    obj << "usemtl layer" << m << "\n";
    for (int y = 0; y + 1 < kGrid; ++y)
      for (int x = 0; x + 1 < kGrid; ++x) {
        const int a = y * kGrid + x + 1, b = a + 1, c = a + kGrid + 1, d = a + kGrid;
        // Layers differ in the corner that starts the quad, so that the
        // triangles differ as well.
        const int corners[4] = {a, b, c, d};
        obj << "f";
        for (int k = 0; k < 4; ++k) {
          const int v = corners[(k + m) % 4];
          obj << " " << v << "/" << v << "/" << v;
        }
        obj << "\n";
      }
  }
  std::ofstream(dir + "/bench.obj") << obj.str();
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv) {
  const std::string dir = argc > 1 ? argv[1]
                                   : (std::filesystem::temp_directory_path() /
                                      ("obj_load_bench_" + std::to_string(::getpid())))
                                         .string();
  std::filesystem::create_directories(dir);
  write_files(dir);
  const auto file_size = std::filesystem::file_size(dir + "/bench.obj");
  add_search_dir(dir);

  constexpr int kRuns = 3;
  double ours_parse = 1e9, ours_full = 1e9, reference = 1e9;
  size_t ours_triangles = 0, reference_triangles = 0;
  std::streambuf *const saved_out = std::cout.rdbuf(nullptr); // progress lines
  for (int run = 0; run < kRuns; ++run) {
    auto start = std::chrono::steady_clock::now();
    {
      cObjLoader loader;
      loader.load_file("bench.obj");
      ours_parse = std::min(ours_parse, seconds_since(start));
    }
    start = std::chrono::steady_clock::now();
    {
      cMeshObj mesh; // without a GL context its buffer names stay 0
      mesh.load("bench.obj");
      ours_full = std::min(ours_full, seconds_since(start));
      ours_triangles = mesh.indices.size() / 3;
    }
    start = std::chrono::steady_clock::now();
    {
      tinyobj::ObjReaderConfig config;
      config.triangulate = true;
      config.mtl_search_path = dir;
      tinyobj::ObjReader reader;
      if (!reader.ParseFromFile(dir + "/bench.obj", config)) {
        std::cout.rdbuf(saved_out);
        std::cerr << "reference reader failed: " << reader.Error() << std::endl;
        return 1;
      }
      reference = std::min(reference, seconds_since(start));
      reference_triangles = 0;
      for (const tinyobj::shape_t &shape : reader.GetShapes())
        reference_triangles += shape.mesh.num_face_vertices.size();
    }
  }
  std::cout.rdbuf(saved_out);
  std::filesystem::remove_all(dir);

  std::printf("file: %.1f MB, %zu triangles (ours), %zu triangles (libtinyobjloader)\n",
              file_size / 1e6, ours_triangles, reference_triangles);
  std::printf("ours, parse only (load_file):          %7.3f s  %6.2f M triangles/s\n", ours_parse,
              ours_triangles / ours_parse / 1e6);
  std::printf("ours, cMeshObj::load (parse+triangulate+build_indexed_arrays): %7.3f s  %6.2f "
              "M triangles/s\n",
              ours_full, ours_triangles / ours_full / 1e6);
  std::printf("libtinyobjloader, ParseFromFile (triangulate): %7.3f s  %6.2f M triangles/s\n",
              reference, reference_triangles / reference / 1e6);
  std::printf("ratio ours/libtinyobjloader (triangles per second): full pipeline %.2f, parse "
              "only %.2f\n",
              reference / ours_full, reference / ours_parse);
  std::printf("best of %d runs each\n", kRuns);
  return 0;
}
