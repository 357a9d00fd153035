// Scene 2, the x-ray zoom: a bumpy sphere with ten deep round wells whose
// steep walls draw rings under the x-ray program, and the colour scale that
// program reads from facing (left) to silhouette (right).
#include "recipes.h"

#include "asset_files.h"
#include "mesh_operators.h"
#include "mesh_primitives.h"
#include "picture_ops.h"

#include <cmath>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979323846f;

// Ten directions spread over the sphere (a golden-angle spiral), turned off
// the axes so no well sits on a pole.
std::vector<vec3> well_directions() {
  std::vector<vec3> out;
  const cTransform turn = cTransform::rotate(vec3(0.3f, 1, 0.2f), 37);
  for (int i = 0; i < 10; ++i) {
    const float z = 1 - (2 * float(i) + 1) / 10.0f;
    const float r = std::sqrt(1 - z * z), a = float(i) * kPi * (3 - std::sqrt(5.0f));
    out.push_back(turn.vector(vec3(r * std::cos(a), r * std::sin(a), z)));
  }
  return out;
}

// Radius 7: the scene scales copies up to 10 times, and a copy must grow past
// the eye, 58.9 from the centre, for the flight through. Closed, so a copy
// vanishes behind culling once the eye is inside it.
cMesh well_sphere() {
  cMesh mesh = primitives::icosphere(7, 4);
  const std::vector<vec3> wells = well_directions();
  const cNoise noise(2201);
  constexpr float kWell = 0.33f; // angular radius of a well
  operators::displace(mesh, [&](const vec3 &p, const vec3 &) {
    const vec3 dir = normalize(p);
    float offset = 0.3f * noise.fractal(p * 0.45f, 3);
    for (const vec3 &w : wells) {
      const float angle = std::acos(std::fmax(-1.0f, std::fmin(1.0f, dot(dir, w))));
      if (angle < kWell)
        offset -= 1.9f * (0.5f + 0.5f * std::cos(kPi * angle / kWell));
      // A low lip around the mouth of the well.
      const float lip = (angle - kWell * 1.1f) / (kWell * 0.3f);
      offset += 0.35f * std::exp(-lip * lip);
    }
    return offset;
  });
  operators::smooth_normals(mesh);
  return mesh;
}

sMeshNeeds well_sphere_needs() {
  sMeshNeeds needs;
  needs.closed = true;
  needs.outward = true;
  needs.normals = true;
  needs.no_materials = true;
  needs.min_radius = 6;
  needs.max_radius = 8;
  needs.origin_tolerance = 0.5f;
  needs.max_triangles = 6000; // fifteen copies a frame
  return needs;
}

// Dark, nearly clear blue where a shell faces the eye, deepening to a dark
// saturated cyan at its silhouette, which the program brightens by half: dark
// enough to stand out on the white fog.
cImage xray_scale() {
  return pictures::colour_scale(256, {{0.0f, rgba(0.02f, 0.05f, 0.14f)},
                                      {0.45f, rgba(0.0f, 0.16f, 0.30f)},
                                      {0.8f, rgba(0.0f, 0.34f, 0.47f)},
                                      {1.0f, rgba(0.0f, 0.42f, 0.55f)}});
}

} // namespace

void add_scene02_recipes(cRecipeBook &book) {
  book.add("models/organic_sphere.rar", [] {
    return asset_files::bobj_in_rar("organic_sphere.bobj", well_sphere(), well_sphere_needs());
  });
  book.add("textures/xray_colscale01.png", [] { return asset_files::png(xray_scale(), 3); });
}
