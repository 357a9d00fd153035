// Generates a large OBJ file (a 256 x 256 vertex grid with normals and
// texcoords, drawn as eight quad layers of eight materials: about one million
// triangles), loads it through the vertex-buffer mesh pipeline and through
// libtinyobjloader, and prints triangles per second for both and their ratio.
// Each run happens in a fresh child process.
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
#include <sys/wait.h>
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

struct timing {
  double seconds = 1e9;
  size_t triangles = 0;
};

// Times load() in a child process of its own, so that every run starts from
// the same heap and no loader pays for the memory another one left behind.
// load returns the triangle count, 0 on failure.
template <typename F> timing timed_in_child(F load) {
  int fds[2];
  if (::pipe(fds) != 0)
    return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    std::cout.rdbuf(nullptr); // the loader's progress lines
    const auto start = std::chrono::steady_clock::now();
    timing t;
    t.triangles = load();
    t.seconds = seconds_since(start);
    const ssize_t written = ::write(fds[1], &t, sizeof t);
    ::_exit(written == sizeof t ? 0 : 1);
  }
  ::close(fds[1]);
  timing t;
  if (child < 0 || ::read(fds[0], &t, sizeof t) != sizeof t)
    t = timing{};
  ::close(fds[0]);
  if (child > 0)
    ::waitpid(child, nullptr, 0);
  return t;
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
  timing ours_parse, ours_full, reference;
  const auto keep_best = [](timing &best, const timing &t) {
    if (t.triangles && t.seconds < best.seconds)
      best = t;
  };
  for (int run = 0; run < kRuns; ++run) {
    keep_best(ours_parse, timed_in_child([] {
                cObjLoader loader;
                loader.load_file("bench.obj");
                // Faces after triangulation, counted without triangulating.
                size_t triangles = 0;
                for (const obj_face &f : loader.faces)
                  triangles += f.positions.size() > 2 ? f.positions.size() - 2 : 0;
                return triangles;
              }));
    keep_best(ours_full, timed_in_child([] {
                cMeshObj mesh; // without a GL context its buffer names stay 0
                mesh.load("bench.obj");
                return mesh.indices.size() / 3;
              }));
    keep_best(reference, timed_in_child([&dir] {
                tinyobj::ObjReaderConfig config;
                config.triangulate = true;
                config.mtl_search_path = dir;
                tinyobj::ObjReader reader;
                size_t triangles = 0;
                if (!reader.ParseFromFile(dir + "/bench.obj", config)) {
                  std::cerr << "reference reader failed: " << reader.Error() << std::endl;
                  return triangles;
                }
                for (const tinyobj::shape_t &shape : reader.GetShapes())
                  triangles += shape.mesh.num_face_vertices.size();
                return triangles;
              }));
  }
  std::filesystem::remove_all(dir);
  if (!ours_parse.triangles || !ours_full.triangles || !reference.triangles) {
    std::fprintf(stderr, "a loader failed\n");
    return 1;
  }

  std::printf("file: %.1f MB, %zu triangles (ours), %zu triangles (libtinyobjloader)\n",
              file_size / 1e6, ours_full.triangles, reference.triangles);
  std::printf("ours, parse only (load_file):               %7.3f s  %6.2f M triangles/s\n",
              ours_parse.seconds, ours_parse.triangles / ours_parse.seconds / 1e6);
  std::printf("ours, cMeshObj::load (parse, triangulate, build_indexed_arrays): %7.3f s  %6.2f "
              "M triangles/s\n",
              ours_full.seconds, ours_full.triangles / ours_full.seconds / 1e6);
  std::printf("libtinyobjloader, ParseFromFile (triangulate): %7.3f s  %6.2f M triangles/s\n",
              reference.seconds, reference.triangles / reference.seconds / 1e6);
  std::printf("ratio ours/libtinyobjloader (triangles per second): full pipeline %.2f, parse "
              "only %.2f\n",
              (ours_full.triangles / ours_full.seconds) / (reference.triangles / reference.seconds),
              (ours_parse.triangles / ours_parse.seconds) /
                  (reference.triangles / reference.seconds));
  std::printf("best of %d runs each, every run in a fresh process\n", kRuns);
  return 0;
}
