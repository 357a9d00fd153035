// Bakes light into per-piece textures: point lights with shadows and an
// ambient fill darkened by occlusion, traced through the engine's triangle
// tree. Every piece is a mesh with normals and one [0, 1] unwrap; all pieces
// (and any extra occluders) cast shadows on each other. The result for a
// texel depends only on the scene, the settings and the texel, never on the
// thread count, so a bake gives the same bytes every time. Pieces without
// normals or texture coordinates throw std::runtime_error.
#pragma once

#include "cImage.h"
#include "cMesh.h"

#include "archive/cTriangleTree.h"

#include <atomic>
#include <cstdint>
#include <vector>

struct sBakeLight {
  vec3 position;
  vec3 colour{1, 1, 1}; // irradiance at distance 1 from the light, facing it
  // Soft shadows: samples spread over a disc of this radius facing the texel
  // (0 gives one sample and hard shadows).
  float radius = 0;
};

struct sBakeSettings {
  vec3 ambient{0, 0, 0};        // fill light reaching an unoccluded texel
  int ambient_rays = 16;        // cosine-weighted rays per texel for occlusion
  float ambient_reach = 40;     // occluders farther than this do not darken
  int shadow_samples = 1;       // per light, when it has a radius
  float surface_offset = 0.02f; // ray origins lifted off the surface
  int dilate = 4;               // texels grown past the unwrap's edges
  unsigned threads = 0;         // 0: one per hardware thread
  uint64_t seed = 1;
};

// One texel's point on its piece; covered is false outside the unwrap.
struct sBakeTexel {
  vec3 position;
  vec3 normal;
  bool covered = false;
};

class cLightBaker {
public:
  explicit cLightBaker(const sBakeSettings &settings = sBakeSettings());
  cLightBaker(const cLightBaker &) = delete;
  cLightBaker &operator=(const cLightBaker &) = delete;

  // Returns the piece's number for bake().
  size_t add_piece(const cMesh &mesh);
  // Casts shadows only.
  void add_occluder(const cMesh &mesh);
  void add_light(const sBakeLight &light);

  // The light reaching each texel of piece (linear, not clamped; alpha 1),
  // top row first with v = 1 at the top, as the engine loads pictures.
  cImage bake(size_t piece, int width, int height);

  // Where each texel centre of a width x height texture lies on the mesh
  // (the last triangle wins where the unwrap overlaps itself).
  static std::vector<sBakeTexel> texels(const cMesh &mesh, int width, int height);

  // Grows the covered values into their uncovered neighbours, pass by pass,
  // each new value the mean of the covered ones around it; marks them covered.
  static void grow_into_gaps(std::vector<vec3> &values, std::vector<uint8_t> &covered, int width,
                             int height, int passes);

  uint64_t rays_traced() const { return rays_; }

private:
  sBakeSettings settings_;
  std::vector<cMesh> pieces_;
  std::vector<sBakeLight> lights_;
  cTriangleTree tree_;
  std::atomic<uint64_t> rays_{0};

  void add_to_tree(const cMesh &mesh);
  // True when nothing lies between from (exclusive) and distance along dir.
  bool clear(const vec3 &from, const vec3 &dir, float distance) const;
  vec3 light_at(const sBakeTexel &texel, uint64_t texel_seed, uint64_t &rays) const;
};
