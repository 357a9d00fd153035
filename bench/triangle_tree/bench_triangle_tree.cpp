// Rays per second of cTriangleTree on two closed 100 000-triangle meshes (noisy
// sphere, tiled room) beside a loop over every triangle, for beams bouncing
// once off the walls; exits 1 if the tree and the loop ever disagree. Times are CPU
// time of the process, so that other load on the machine does not skew the rates.
#include "archive/cTriangleTree.h"
#include "support/tree_meshes.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>

namespace {

double cpu_seconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double seconds_since(double start) { return cpu_seconds() - start; }

// Lat-long sphere of radius about 60 with 2 * slices * (stacks - 1) triangles.
void make_sphere(cTriangleTree &tree, int slices, int stacks, std::mt19937 &rng) {
  std::uniform_real_distribution<float> noise(0.97f, 1.03f);
  add_noisy_sphere(tree, 60, slices, stacks, noise, rng);
}

// Box room 120 x 80 x 120, each wall an n x n grid of quads: 12 n^2 triangles.
void make_room(cTriangleTree &tree, int n) {
  const float lo[3] = {-60, -40, -60}, hi[3] = {60, 40, 60};
  add_room(tree, lo, hi, n);
}

struct ray {
  float origin[3];
  float direction[3];
};

// Beams from random points in the middle of the mesh; each first hit adds
// its bounce as a second ray, as the laser room traces them.
std::vector<ray> make_rays(cTriangleTree &tree, size_t beams, std::mt19937 &rng) {
  std::uniform_real_distribution<float> inner(-20.0f, 20.0f);
  std::normal_distribution<float> g(0.0f, 1.0f);
  std::vector<ray> rays;
  for (size_t k = 0; k < beams; ++k) {
    ray r{{inner(rng), inner(rng), inner(rng)}, {g(rng), g(rng), g(rng)}};
    float len = std::sqrt(r.direction[0] * r.direction[0] + r.direction[1] * r.direction[1] +
                          r.direction[2] * r.direction[2]);
    for (float &x : r.direction)
      x /= len;
    rays.push_back(r);
    float t, hit[3], reflected[3];
    tree.trace(r.origin, r.direction, t, hit, reflected);
    if (t < FLT_MAX)
      rays.push_back({{hit[0], hit[1], hit[2]}, {reflected[0], reflected[1], reflected[2]}});
  }
  return rays;
}

float brute_force(const std::vector<cTreeTriangle> &all, const ray &r, float hit[3],
                  float reflected[3]) {
  float t = FLT_MAX;
  for (const cTreeTriangle &tri : all)
    tri.intersect(r.origin, r.direction, t, hit, reflected);
  return t;
}

bool run(const char *name, cTriangleTree &tree, double tree_seconds, size_t brute_rays,
         std::mt19937 &rng) {
  double start = cpu_seconds();
  tree.build();
  double build_s = seconds_since(start);

  std::vector<ray> rays = make_rays(tree, 4096, rng);

  // Tree: repeat the ray set until the time is used up.
  size_t traced = 0, hits = 0;
  float t, hit[3], reflected[3];
  start = cpu_seconds();
  double elapsed = 0;
  do {
    for (const ray &r : rays) {
      tree.trace(r.origin, r.direction, t, hit, reflected);
      hits += t < FLT_MAX;
    }
    traced += rays.size();
    elapsed = seconds_since(start);
  } while (elapsed < tree_seconds);
  double tree_rate = double(traced) / elapsed;

  std::vector<cTreeTriangle> all;
  all.reserve(tree.triangles.size());
  for (const auto &tri : tree.triangles)
    all.emplace_back(tree.vertices[tri[0]].data(), tree.vertices[tri[1]].data(),
                     tree.vertices[tri[2]].data());
  size_t mismatches = 0;
  start = cpu_seconds();
  for (size_t k = 0; k < brute_rays; ++k) {
    const ray &r = rays[k % rays.size()];
    float bt = brute_force(all, r, hit, reflected);
    tree.trace(r.origin, r.direction, t, hit, reflected);
    mismatches += bt != t;
  }
  double brute_s = seconds_since(start);
  // The checking traces above are negligible next to the loop.
  double brute_rate = double(brute_rays) / brute_s;

  std::printf("%s: %zu triangles, build %.1f ms\n", name, tree.triangles.size(), build_s * 1e3);
  std::printf("  tree:        %12.0f rays/s  (%zu rays, %.1f%% hit)\n", tree_rate, traced,
              100.0 * double(hits) / double(traced));
  std::printf("  brute force: %12.1f rays/s  (%zu rays)\n", brute_rate, brute_rays);
  std::printf("  speed-up:    %12.0fx\n", tree_rate / brute_rate);
  if (mismatches)
    std::printf("  MISMATCH: %zu of %zu rays differ from the loop\n", mismatches, brute_rays);
  return mismatches == 0;
}

} // namespace

int main(int argc, char **argv) {
  // Optional: seconds of tree tracing per mesh, rays for the loop per mesh.
  double tree_seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  size_t brute_rays = argc > 2 ? size_t(std::atol(argv[2])) : 200;
  std::mt19937 rng(2024);

  cTriangleTree sphere;
  make_sphere(sphere, 250, 201, rng);
  cTriangleTree room;
  make_room(room, 91);

  bool ok = run("noisy sphere", sphere, tree_seconds, brute_rays, rng);
  ok = run("tiled room", room, tree_seconds, brute_rays, rng) && ok;
  return ok ? 0 : 1;
}
