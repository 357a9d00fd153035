// Bakes a closed 200 x 140 x 200 room with eight pillars, four soft lamps and
// an occlusion-darkened fill, each of its seven pieces at the given size:
// prints the wall time, the process's CPU time, the rays and the rays per
// second of each, for one thread and for every hardware thread (the CPU
// figure stays fair on a machine that other work shares). Usage:
// bench_light_baker [texture size, 256].
#include "cLightBaker.h"

#include "mesh_operators.h"
#include "mesh_primitives.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace {

std::vector<cMesh> room_pieces() {
  std::vector<cMesh> pieces;
  // Six walls facing in, each its own piece.
  const vec3 half(100, 70, 100);
  const struct {
    vec3 normal, up;
  } walls[] = {{{0, 1, 0}, {0, 0, 1}},  {{0, -1, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 1, 0}},
               {{-1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}}};
  for (const auto &w : walls) {
    const vec3 side = cross(w.up, w.normal);
    const float reach = std::fabs(dot(half, w.normal));
    cMesh wall =
        primitives::grid(2 * std::fabs(dot(half, side)), 2 * std::fabs(dot(half, w.up)), 8, 8);
    operators::transform(wall, cTransform::basis(side, w.up, w.normal, w.normal * -reach));
    pieces.push_back(wall);
  }
  cMesh pillars;
  for (int k = 0; k < 8; ++k) {
    cMesh p = primitives::chamfered_box(vec3(10, 10, 140), 1);
    operators::vertex_normals(p);
    const float a = 0.785398f * float(k);
    operators::transform(p, cTransform::translate(vec3(80 * std::cos(a), 0, 80 * std::sin(a))) *
                                cTransform::rotate(vec3(1, 0, 0), -90));
    pillars.append(p);
  }
  operators::unwrap_pieces(pillars, 0.01f);
  pieces.push_back(pillars);
  return pieces;
}

double cpu_seconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double bake_all(unsigned threads, int size, uint64_t &rays, double &cpu) {
  sBakeSettings settings;
  settings.threads = threads;
  settings.ambient = vec3(0.1f, 0.12f, 0.16f);
  settings.ambient_rays = 16;
  settings.shadow_samples = 4;
  cLightBaker baker(settings);
  const std::vector<cMesh> pieces = room_pieces();
  for (const cMesh &p : pieces)
    baker.add_piece(p);
  for (int k = 0; k < 4; ++k) {
    const float a = 1.5708f * float(k) + 0.4f;
    baker.add_light({vec3(70 * std::cos(a), 30, 70 * std::sin(a)), vec3(900, 700, 450), 3});
  }
  const auto start = std::chrono::steady_clock::now();
  const double cpu_start = cpu_seconds();
  for (size_t p = 0; p < pieces.size(); ++p)
    baker.bake(p, size, size);
  rays = baker.rays_traced();
  cpu = cpu_seconds() - cpu_start;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv) {
  const int size = argc > 1 ? std::atoi(argv[1]) : 256;
  const unsigned all = std::max(1u, std::thread::hardware_concurrency());
  for (unsigned threads : {1u, all}) {
    uint64_t rays = 0;
    double cpu = 0;
    const double seconds = bake_all(threads, size, rays, cpu);
    std::printf("%u thread(s), 7 pieces at %d x %d: %.2f s wall, %.2f s CPU, %llu rays, "
                "%.2f M rays/s wall, %.2f M rays per CPU second\n",
                threads, size, size, seconds, cpu, static_cast<unsigned long long>(rays),
                rays / seconds * 1e-6, rays / cpu * 1e-6);
    if (all == 1)
      break;
  }
  return 0;
}
