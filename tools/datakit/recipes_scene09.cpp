// Scene 9, the gyroscope: a polished ball inside two banded rings, each ring
// with a crown of slim orange spikes, and the small torus the wave is made
// of. The pieces turn about random axes through the origin and are scaled
// by 1.2, so each must stay inside the next one's inner radius whatever the
// turns: ball 14, inner ring with spikes 38, outer ring from 40.8 out, its
// spikes to 56 (67 on screen, inside the view's half-height of 68.7).
#include "recipes.h"

#include "asset_files.h"
#include "mesh_operators.h"
#include "mesh_primitives.h"
#include "show_style.h"

#include <cmath>
#include <vector>

namespace {

constexpr float kTau = 6.28318530717958647692f;

// The scene's own violet, polished: the environment program tints the
// reflection with the diffuse colour and lights the rest.
sMeshMaterial violet_polish() {
  sMeshMaterial m;
  m.name = "violet_polish";
  m.ambient = vec3(0.29f, 0.22f, 0.5f);
  m.diffuse = vec3(0.5764706f, 0.44705883f, 1.0f);
  m.specular = vec3(1, 1, 1);
  m.shininess = 30;
  return m;
}

sMeshMaterial orange_spike() {
  const rgba &o = show_style::kOrange;
  sMeshMaterial m;
  m.name = "orange_spike";
  m.ambient = vec3(o.r, o.g, o.b) * 0.4f;
  m.diffuse = vec3(o.r, o.g, o.b);
  m.specular = vec3(0.9f, 0.85f, 0.8f);
  m.shininess = 60;
  return m;
}

void paint(cMesh &mesh, const sMeshMaterial &material) {
  mesh.materials = {material};
  for (sTriangle &t : mesh.triangles)
    t.material = 0;
}

struct sBand {
  float centre;      // distance of the band's middle from the axis
  float half_width;  // radially
  float half_height; // along the axis
  float corner;      // radius of the rounded edges
};

// Rings and their spikes stand about the x axis, facing the eye at rest; the
// scene turns the outer ring a quarter about z, which lays it flat.
const cTransform kFacingTheEye = cTransform::rotate(vec3(0, 1, 0), 90);

// A flat band like a gimbal ring: a rounded rectangle turned around the
// axis. The cross-section runs counter-clockwise in the (r, z) plane, so the
// faces point out.
cMesh band_ring(const sBand &b, int segments) {
  std::vector<vec2> section;
  const float r0 = b.centre - b.half_width, r1 = b.centre + b.half_width;
  const float z0 = -b.half_height, z1 = b.half_height, c = b.corner;
  const vec2 corners[4] = {{r1 - c, z0 + c}, {r1 - c, z1 - c}, {r0 + c, z1 - c}, {r0 + c, z0 + c}};
  constexpr int kArc = 4;
  for (int k = 0; k < 4; ++k)
    for (int i = 0; i <= kArc; ++i) {
      const float a = kTau * (float(k) - 1.0f + float(i) / float(kArc)) / 4.0f;
      section.push_back({corners[k].x + c * std::cos(a), corners[k].y + c * std::sin(a)});
    }
  section.push_back(section.front());
  cMesh ring = primitives::lathe(section, segments);
  operators::weld(ring, 1e-4f);
  operators::transform(ring, kFacingTheEye);
  operators::smooth_normals(ring);
  paint(ring, violet_polish());
  return ring;
}

// Slim cones standing out from a ring's outer face in its plane, long and
// short in turn, their bases sunk into the band.
cMesh spike_crown(float base_at, int count, float long_reach, float short_reach, float base) {
  std::vector<cMesh> cones;
  for (int i = 0; i < count; ++i) {
    const float reach = i % 2 ? short_reach : long_reach;
    cMesh cone =
        primitives::lathe({{0, 0}, {base, 0}, {base * 0.55f, reach * 0.45f}, {0, reach}}, 12);
    const float a = kTau * (float(i) + 0.5f) / float(count);
    const vec3 out(std::cos(a), std::sin(a), 0);
    operators::transform(
        cone, cTransform::basis(vec3(0, 0, 1), cross(out, vec3(0, 0, 1)), out, out * base_at));
    cones.push_back(cone);
  }
  cMesh crown = operators::merged(cones);
  operators::transform(crown, kFacingTheEye);
  operators::vertex_normals(crown);
  paint(crown, orange_spike());
  return crown;
}

cMesh centre_ball() {
  cMesh ball = primitives::geodesic_sphere(14, 14);
  operators::smooth_normals(ball);
  paint(ball, violet_polish());
  return ball;
}

const sBand kInnerBand = {27.0f, 2.0f, 3.5f, 1.2f};
const sBand kOuterBand = {43.0f, 2.2f, 4.0f, 1.3f};

// The wave's torus, about 4.5 across at the scene's scale of 50, standing
// upright (its axis along y) so that the spin about z tumbles it.
cMesh wave_torus() {
  cMesh torus = primitives::torus(0.045f, 0.012f, 24, 10);
  operators::transform(torus, cTransform::rotate(vec3(1, 0, 0), 90));
  operators::smooth_normals(torus);
  return torus;
}

sMeshNeeds piece_needs(float min_radius, float max_radius, size_t max_triangles) {
  sMeshNeeds needs;
  needs.closed = true;
  needs.outward = true;
  needs.normals = true;
  needs.min_radius = min_radius;
  needs.max_radius = max_radius;
  needs.origin_tolerance = 0.05f; // they turn about the origin
  needs.max_triangles = max_triangles;
  return needs;
}

sMeshNeeds torus_needs() {
  sMeshNeeds needs = piece_needs(0.04f, 0.06f, 600); // a hundred a frame
  needs.no_materials = true;
  return needs;
}

} // namespace

void add_scene09_recipes(cRecipeBook &book) {
  book.add("models/spikey/centerball.rar", [] {
    return asset_files::bobj_in_rar("centerball.bobj", centre_ball(),
                                    piece_needs(13.9f, 14.1f, 4000));
  });
  book.add("models/spikey/innerring.rar", [] {
    return asset_files::bobj_in_rar("innerring.bobj", band_ring(kInnerBand, 128),
                                    piece_needs(29.0f, 29.5f, 6000));
  });
  book.add("models/spikey/innerring_sph.rar", [] {
    return asset_files::bobj_in_rar("innerring_sph.bobj", spike_crown(28.5f, 16, 9.5f, 6.0f, 1.3f),
                                    piece_needs(37.0f, 38.5f, 1000));
  });
  book.add("models/spikey/outerring.rar", [] {
    return asset_files::bobj_in_rar("outerring.bobj", band_ring(kOuterBand, 160),
                                    piece_needs(45.0f, 46.0f, 8000));
  });
  book.add("models/spikey/outerring_sph.rar", [] {
    return asset_files::bobj_in_rar("outerring_sph.bobj", spike_crown(44.7f, 20, 11.3f, 7.0f, 1.5f),
                                    piece_needs(55.0f, 56.5f, 1200));
  });
  book.add("models/spikey/torus.rar",
           [] { return asset_files::bobj_in_rar("torus.bobj", wave_torus(), torus_needs()); });
}
