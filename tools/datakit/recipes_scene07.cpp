// Scene 7, the speaker field: loudspeakers grown like mushrooms on dark
// mossy ground, their cables, a lattice cage around them, and the pictures
// the speakers are painted with. Every speaker cone comes twice: at rest
// ("s") and pushed out by a sixth of its radius ("m"), vertex for vertex, so
// the morph program can blend the two on the beat.
#include "recipes.h"

#include "asset_files.h"
#include "cRandom.h"
#include "mesh_operators.h"
#include "mesh_primitives.h"
#include "picture_ops.h"
#include "show_style.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979323846f;
constexpr float kTau = 2 * kPi;

float smoothstep(float lo, float hi, float x) {
  const float t = std::fmin(std::fmax((x - lo) / (hi - lo), 0.0f), 1.0f);
  return t * t * (3 - 2 * t);
}

float radians(float degrees) { return degrees * kPi / 180.0f; }

// ---------------------------------------------------------------- layout --

// The three speaker sizes that pump and the tweeters that stay still.
enum eSpeakerKind { kBass, kMedium, kSmall, kTiny, kSpeakerKinds };

// One speaker: where its face sits, which way it looks, its cone radius.
struct sSpeakerSpot {
  eSpeakerKind kind;
  vec3 centre;
  vec3 facing;
  float radius;
};

// A speaker mushroom around the central stack: its stalk stands at angle and
// distance from the axis, its cabinet of width size sits on top at height
// and looks outward, turned by yaw and tilted up by tilt.
struct sMushroom {
  float angle, distance, height, size, yaw, tilt;
  eSpeakerKind kind;
};

const sMushroom kMushrooms[] = {
    {20, 52, 34, 15, 14, 10, kMedium},  {95, 60, 24, 13, -18, 6, kMedium},
    {160, 47, 41, 15, 10, 12, kMedium}, {230, 58, 28, 13, -12, 8, kMedium},
    {300, 50, 47, 16, 20, 14, kMedium}, {58, 86, 13, 9, -25, 4, kSmall},
    {128, 92, 17, 9, 15, 6, kSmall},    {196, 84, 10, 8, -10, 4, kSmall},
    {265, 90, 15, 9, 22, 6, kSmall},    {334, 87, 19, 9, -15, 8, kSmall},
};

// The central stack: a thick stem, six bass cabinets round a hexagon whose
// faces sit kRingFace from the axis, and a lid with a cone looking up.
constexpr float kRingCentreY = 63, kRingFace = 20, kCabinetSide = 22;
constexpr float kBassRadius = 8, kTopRadius = 9, kLidTop = 80;

vec3 on_ground(float angle_degrees, float distance, float y) {
  const float a = radians(angle_degrees);
  return vec3(distance * std::cos(a), y, distance * std::sin(a));
}

// The frame of a mushroom's cabinet: x across, y up, z out of its front.
cTransform cabinet_frame(const sMushroom &m) {
  const float a = radians(m.angle + m.yaw), tilt = radians(m.tilt);
  const vec3 out(std::cos(a), 0, std::sin(a));
  const vec3 front = normalize(out * std::cos(tilt) + vec3(0, std::sin(tilt), 0));
  const vec3 across = normalize(cross(vec3(0, 1, 0), front));
  const vec3 up = cross(front, across);
  const vec3 centre = on_ground(m.angle, m.distance, m.height + m.size * 0.55f);
  return cTransform::basis(across, up, front, centre);
}

// Cabinet extents of a mushroom: width, height, depth.
vec3 cabinet_size(const sMushroom &m) { return vec3(m.size, m.size * 1.1f, m.size * 0.8f); }

std::vector<sSpeakerSpot> speaker_spots() {
  std::vector<sSpeakerSpot> spots;
  for (int k = 0; k < 6; ++k) {
    const float a = kTau * (float(k) + 0.5f) / 6;
    const vec3 out(std::cos(a), 0, std::sin(a));
    spots.push_back({kBass, out * kRingFace + vec3(0, kRingCentreY - 1, 0), out, kBassRadius});
    // Tweeters round the lid, leaning out.
    const vec3 lean = normalize(out * 0.5f + vec3(0, 1, 0));
    spots.push_back({kTiny, out * 18.5f + vec3(0, kLidTop - 0.2f, 0), lean, 1.8f});
  }
  spots.push_back({kMedium, vec3(0, kLidTop, 0), vec3(0, 1, 0), kTopRadius});
  for (const sMushroom &m : kMushrooms) {
    const cTransform frame = cabinet_frame(m);
    const vec3 size = cabinet_size(m);
    const float face = size.z * 0.5f;
    const float cone = m.size * 0.34f;
    spots.push_back(
        {m.kind, frame.point(vec3(0, -size.y * 0.12f, face)), frame.vector(vec3(0, 0, 1)), cone});
    spots.push_back({kTiny, frame.point(vec3(0, size.y * 0.34f, face)), frame.vector(vec3(0, 0, 1)),
                     m.size * 0.09f});
  }
  return spots;
}

// -------------------------------------------------------------- speakers --

// Surface of revolution about the local z axis from profile points (r, z)
// listed from the rim inward, facing +z; texture coordinates straight down
// the axis, so the speaker picture lies flat on the face. Radii in units of
// the cone radius.
struct sConePoint {
  float r, z;
  float push; // how much of the cone's push this ring takes (0 to 1)
};

// The cone reaches this far behind the trim: the unit stands out from its
// cabinet by as much, with a skirt back to the face.
constexpr float kConeDepth = 0.32f;
constexpr float kUvSpan = 2.4f; // the picture spans 2.4 cone radii

const std::vector<sConePoint> &cone_profile() {
  static const std::vector<sConePoint> profile = {
      {1.14f, -kConeDepth, 0}, {1.14f, -0.02f, 0},   {1.12f, 0.06f, 0},
      {1.0f, 0.08f, 0},                                                   // trim ring
      {0.98f, 0.1f, 0.1f},     {0.95f, 0.15f, 0.3f}, {0.9f, 0.16f, 0.6f}, // surround roll
      {0.86f, 0.11f, 0.9f},    {0.84f, 0.06f, 1},    {0.7f, -0.06f, 1},   // cone
      {0.5f, -0.2f, 1},        {0.31f, -0.3f, 1},    {0.29f, -0.28f, 1},  // cone to cap
      {0.24f, -0.2f, 1},       {0.15f, -0.15f, 1},   {0.0f, -0.13f, 1}};  // dust cap
  return profile;
}

constexpr float kPushOut = 1.0f / 6.0f;

// One speaker unit at rest or pushed out, placed in the world.
cMesh speaker_unit(const sSpeakerSpot &spot, bool pushed, int sides) {
  cMesh unit;
  const std::vector<sConePoint> &profile = cone_profile();
  const vec3 z = normalize(spot.facing);
  const vec3 x = any_perpendicular(z), y = cross(z, x);
  const cTransform place = cTransform::basis(x, y, z, spot.centre) * cTransform::scale(spot.radius);
  std::vector<uint32_t> first;
  for (const sConePoint &pt : profile) {
    first.push_back(uint32_t(unit.vertex_count()));
    const float h = pt.z + kConeDepth + (pushed ? pt.push * kPushOut : 0.0f);
    const int ring = pt.r == 0 ? 1 : sides;
    for (int k = 0; k < ring; ++k) {
      const float a = kTau * float(k) / float(sides);
      const vec3 p(pt.r * std::cos(a), pt.r * std::sin(a), h);
      unit.add_vertex(p, vec3(0, 0, 1), vec2(0.5f + p.x / kUvSpan, 0.5f + p.y / kUvSpan));
    }
  }
  for (size_t i = 0; i + 1 < profile.size(); ++i)
    for (int k = 0; k < sides; ++k) {
      const uint32_t a = first[i] + uint32_t(k), b = first[i] + uint32_t((k + 1) % sides);
      if (profile[i + 1].r == 0) {
        unit.add_triangle(a, b, first[i + 1]);
        continue;
      }
      const uint32_t c = first[i + 1] + uint32_t((k + 1) % sides), d = first[i + 1] + uint32_t(k);
      unit.add_quad(a, b, c, d);
    }
  operators::vertex_normals(unit);
  operators::transform(unit, place);
  return unit;
}

// All speakers of one kind. Shaded by the morph program from the pictures on
// units 0 to 2, so their material carries colours only.
cMesh speakers(eSpeakerKind kind, bool pushed) {
  sMeshMaterial material;
  material.name = "speaker";
  material.ambient = vec3(0.35f, 0.35f, 0.35f);
  material.diffuse = vec3(0.95f, 0.95f, 0.95f);
  material.specular = vec3(0.8f, 0.8f, 0.8f);
  material.shininess = 80;
  cMesh mesh;
  for (const sSpeakerSpot &spot : speaker_spots())
    if (spot.kind == kind) {
      cMesh unit = speaker_unit(spot, pushed, kind == kTiny ? 12 : 28);
      for (sTriangle &t : unit.triangles)
        t.material = 0;
      unit.materials = {material};
      mesh.append(unit);
    }
  return mesh;
}

sMeshNeeds speaker_needs() {
  sMeshNeeds needs;
  needs.normals = true;
  needs.uvs = true;
  needs.max_radius = 110; // they stand inside the field
  needs.max_triangles = 20000;
  return needs;
}

// ------------------------------------------------------ stack and stalks --

// Surface of revolution about the world's y axis through (x, z) = centre,
// profile points (r, y) from bottom to top, facing out; the seam is doubled
// so the texture wraps u_repeat times around without a jump.
cMesh revolve_y(const std::vector<vec2> &profile, const vec3 &base, int sides, float u_repeat,
                float v_scale) {
  cMesh mesh;
  float along = 0;
  std::vector<uint32_t> first;
  for (size_t i = 0; i < profile.size(); ++i) {
    if (i > 0) {
      const vec2 d = profile[i] - profile[i - 1];
      along += std::sqrt(d.x * d.x + d.y * d.y);
    }
    first.push_back(uint32_t(mesh.vertex_count()));
    for (int k = 0; k <= sides; ++k) {
      const float a = kTau * float(k) / float(sides);
      const vec3 p =
          base + vec3(profile[i].x * std::cos(a), profile[i].y, -profile[i].x * std::sin(a));
      mesh.add_vertex(p, vec3(0, 1, 0), vec2(u_repeat * float(k) / float(sides), along * v_scale));
    }
  }
  for (size_t i = 0; i + 1 < profile.size(); ++i)
    for (int k = 0; k < sides; ++k) {
      const uint32_t a = first[i] + uint32_t(k), b = a + 1;
      const uint32_t d = first[i + 1] + uint32_t(k), c = d + 1;
      // A ring of radius 0 is a pole: half of each quad there has no area.
      if (profile[i].x != 0)
        mesh.add_triangle(a, b, c);
      if (profile[i + 1].x != 0)
        mesh.add_triangle(a, c, d);
    }
  operators::smooth_normals(mesh);
  return mesh;
}

// Box coordinates: each vertex takes the two coordinates across the axis its
// normal leans along most, scaled to tile every `tile` units.
void project_uv_box(cMesh &mesh, float tile) {
  mesh.uvs.resize(mesh.vertex_count());
  for (size_t i = 0; i < mesh.vertex_count(); ++i) {
    const vec3 &p = mesh.positions[i], &n = mesh.normals[i];
    const vec3 a(std::fabs(n.x), std::fabs(n.y), std::fabs(n.z));
    vec2 uv = a.x >= a.y && a.x >= a.z ? vec2(p.z, p.y)
              : a.y >= a.z             ? vec2(p.x, p.z)
                                       : vec2(p.x, p.y);
    mesh.uvs[i] = uv * (1.0f / tile);
  }
}

sMeshMaterial textured(const std::string &name, const std::string &map, const vec3 &diffuse,
                       float specular, float shininess) {
  sMeshMaterial m;
  m.name = name;
  m.ambient = diffuse * 0.4f;
  m.diffuse = diffuse;
  m.specular = vec3(specular, specular, specular);
  m.shininess = shininess;
  m.diffuse_map = map;
  return m;
}

const char *const kCabinetMap = "megawatt_cabinet.jpg";
const char *const kStalkMap = "megawatt_stalk.jpg";
const char *const kCapMap = "megawatt_cap.jpg";

sMeshMaterial cabinet_material() {
  return textured("cabinet", kCabinetMap, vec3(0.85f, 0.85f, 0.9f), 0.35f, 28);
}
sMeshMaterial stalk_material() {
  return textured("stalk", kStalkMap, vec3(0.9f, 0.86f, 0.8f), 0.12f, 8);
}
// The mushroom caps wear the show's orange.
sMeshMaterial cap_material() {
  return textured("cap", kCapMap, vec3(1.0f, 0.62f, 0.22f), 0.25f, 16);
}

// A cabinet: a bevelled box in the given frame, box-mapped.
cMesh cabinet(const vec3 &size, const cTransform &frame) {
  cMesh box = primitives::chamfered_box(size, std::fmin(size.x, size.y) * 0.06f);
  operators::vertex_normals(box);
  operators::transform(box, frame);
  project_uv_box(box, 24);
  for (sTriangle &t : box.triangles)
    t.material = 0;
  box.materials = {cabinet_material()};
  return box;
}

cMesh with_material(cMesh mesh, const sMeshMaterial &material) {
  for (sTriangle &t : mesh.triangles)
    t.material = 0;
  mesh.materials = {material};
  return mesh;
}

// The central stack: the stem flares into six bass cabinets under a domed
// lid with the top cone.
cMesh central_stack() {
  std::vector<cMesh> pieces;
  const std::vector<vec2> stem = {{19, -1.5f}, {15, 1.5f}, {11.5f, 6}, {9.5f, 14},
                                  {8.5f, 28},  {8.8f, 40}, {11, 48},   {15, 52.5f}};
  pieces.push_back(with_material(revolve_y(stem, vec3(), 40, 3, 1.0f / 40), stalk_material()));
  for (int k = 0; k < 6; ++k) {
    const float a = kTau * (float(k) + 0.5f) / 6;
    const vec3 out(std::cos(a), 0, std::sin(a));
    const vec3 across = normalize(cross(vec3(0, 1, 0), out));
    const float depth = 16;
    pieces.push_back(
        cabinet(vec3(kCabinetSide, kCabinetSide, depth),
                cTransform::basis(across, vec3(0, 1, 0), out,
                                  out * (kRingFace - depth * 0.5f) + vec3(0, kRingCentreY, 0))));
  }
  const std::vector<vec2> lid = {
      {0, kLidTop - 8.5f},  {22, kLidTop - 7.5f}, {27.5f, kLidTop - 6.5f}, {28.5f, kLidTop - 5},
      {27, kLidTop - 2.8f}, {22, kLidTop - 0.8f}, {14, kLidTop},           {0, kLidTop}};
  pieces.push_back(with_material(revolve_y(lid, vec3(), 48, 4, 1.0f / 30), cap_material()));
  return operators::merged(pieces);
}

// The speaker mushrooms round the stack, each a leaning stalk, a cabinet
// and a small orange cap.
cMesh extra_mushrooms() {
  std::vector<cMesh> pieces;
  for (const sMushroom &m : kMushrooms) {
    const vec3 foot = on_ground(m.angle, m.distance, -1);
    const float r = m.size * 0.16f;
    const std::vector<vec2> stalk = {{r * 2.2f, 0},
                                     {r * 1.4f, 2},
                                     {r, m.height * 0.35f},
                                     {r * 0.95f, m.height * 0.8f},
                                     {r * 1.5f, m.height + 1}};
    pieces.push_back(with_material(revolve_y(stalk, foot, 20, 2, 1.0f / 30), stalk_material()));
    const cTransform frame = cabinet_frame(m);
    const vec3 size = cabinet_size(m);
    pieces.push_back(cabinet(size, frame));
    const std::vector<vec2> cap = {{0, 0},
                                   {m.size * 0.55f, 0.2f},
                                   {m.size * 0.72f, m.size * 0.08f},
                                   {m.size * 0.62f, m.size * 0.22f},
                                   {m.size * 0.35f, m.size * 0.36f},
                                   {0, m.size * 0.42f}};
    cMesh dome = revolve_y(cap, vec3(), 28, 2, 1.0f / 20);
    operators::transform(dome, frame * cTransform::translate(vec3(0, size.y * 0.5f - 0.4f, 0)));
    pieces.push_back(with_material(dome, cap_material()));
  }
  return operators::merged(pieces);
}

sMeshNeeds textured_needs(float radius) {
  sMeshNeeds needs;
  needs.normals = true;
  needs.uvs = true;
  needs.max_radius = radius;
  needs.max_triangles = 30000;
  return needs;
}

// ----------------------------------------------------------------- wires --

// Cables from the stem's foot out to every mushroom, snaking over the
// ground, plus a few loose loops between neighbours.
cMesh wires() {
  std::vector<cMesh> pieces;
  cRandom random(7301);
  auto cable = [&](const vec3 &from, const vec3 &to, float thickness) {
    const vec3 along = to - from, side = normalize(cross(vec3(0, 1, 0), along));
    const float waves = 1.5f + random.range(0, 2), phase = random.range(0, kTau);
    const float sway = length(along) * random.range(0.05f, 0.1f);
    auto curve = [=](float t) {
      vec3 p =
          from + along * t + side * (sway * std::sin(kTau * waves * t + phase) * std::sin(kPi * t));
      p.y = thickness + 0.4f * std::sin(kPi * t * 3 + phase) * std::sin(kPi * t);
      return p;
    };
    pieces.push_back(primitives::tube(
        curve, [=](float) { return thickness; }, 32, 5, false));
  };
  const int count = int(sizeof kMushrooms / sizeof kMushrooms[0]);
  for (int i = 0; i < count; ++i) {
    const sMushroom &m = kMushrooms[i];
    const vec3 foot = on_ground(m.angle, m.distance, 0);
    const vec3 start = on_ground(m.angle + random.range(-25, 25), 16, 0);
    cable(start, foot, m.kind == kMedium ? 1.0f : 0.75f);
    const sMushroom &next = kMushrooms[(i + 1) % count];
    cable(foot, on_ground(next.angle, next.distance, 0), 0.55f);
  }
  return operators::merged(pieces);
}

sMeshNeeds wire_needs() {
  sMeshNeeds needs;
  needs.normals = true;
  needs.no_materials = true;
  needs.max_radius = 110;
  needs.max_size = vec3(220, 4, 220);
  return needs;
}

// ---------------------------------------------------------------- shells --

// A lattice of struts along the cell walls of a sphere of radius 8: the
// centres of a geodesic sphere's faces, joined across each edge, make
// hexagons (and twelve pentagons). Each strut is a thin flat band.
cMesh hex_lattice() {
  const float radius = 8, thickness = 0.08f;
  const cMesh sphere = primitives::geodesic_sphere(radius, 4);
  cMesh welded = sphere;
  operators::weld(welded, 1e-4f);
  std::vector<vec3> centre;
  for (const sTriangle &t : welded.triangles)
    centre.push_back(
        normalize(welded.positions[t.v[0]] + welded.positions[t.v[1]] + welded.positions[t.v[2]]) *
        radius);
  // Faces that share an edge, each pair once.
  std::vector<std::vector<uint32_t>> faces_of_edge;
  std::vector<std::pair<uint32_t, uint32_t>> edges;
  std::vector<std::pair<uint32_t, uint32_t>> struts;
  for (uint32_t f = 0; f < welded.triangles.size(); ++f)
    for (int k = 0; k < 3; ++k) {
      uint32_t a = welded.triangles[f].v[k], b = welded.triangles[f].v[(k + 1) % 3];
      if (a > b)
        std::swap(a, b);
      size_t e = 0;
      while (e < edges.size() && edges[e] != std::make_pair(a, b))
        ++e;
      if (e == edges.size()) {
        edges.push_back({a, b});
        faces_of_edge.push_back({});
      }
      faces_of_edge[e].push_back(f);
    }
  cMesh lattice;
  for (const auto &faces : faces_of_edge) {
    if (faces.size() != 2)
      continue;
    const vec3 p = centre[faces[0]], q = centre[faces[1]];
    const vec3 along = normalize(q - p), out = normalize(p + q);
    const vec3 side = normalize(cross(along, out));
    // A flat band lying in the sphere: drawn from both sides without depth,
    // it shows its width from inside and outside the cage and turns edge-on
    // where the cage passes the eye, instead of filling the screen there.
    const uint32_t a = lattice.add_vertex(p + side * thickness, out);
    const uint32_t b = lattice.add_vertex(p - side * thickness, out);
    lattice.add_vertex(q - side * thickness, out);
    lattice.add_vertex(q + side * thickness, out);
    lattice.add_quad(a, b, b + 1, b + 2);
  }
  sMeshMaterial glow;
  glow.name = "lattice";
  glow.ambient = vec3(0.7f, 0.7f, 0.7f);
  glow.diffuse = vec3(0.7f, 0.7f, 0.7f);
  lattice.materials = {glow};
  return lattice;
}

sMeshNeeds lattice_needs() {
  sMeshNeeds needs;
  needs.normals = true;
  needs.min_radius = 7.5f;
  needs.max_radius = 8.5f;
  needs.origin_tolerance = 0.5f;
  needs.max_triangles = 6000; // drawn five times a frame
  return needs;
}

// ---------------------------------------------------------------- ground --

constexpr float kGroundRadius = 900, kGroundTile = 40;

// A disc of rings, denser near the middle, flat out to 260 and then sinking
// gently in noisy folds, so it never rises into the lowest eye (y = 3).
cMesh ground() {
  const cNoise folds(7401);
  const int rings = 32, sides = 72;
  cMesh mesh;
  auto height = [&](float x, float z) {
    const float r = std::sqrt(x * x + z * z);
    const float fall = smoothstep(260, 700, r);
    return -fall * (6 + 18 * (0.5f + 0.5f * folds.fractal(vec3(x, 0, z) * 0.006f, 3)));
  };
  auto vertex = [&](float x, float z) {
    const float y = height(x, z), e = 1.0f;
    const vec3 n = normalize(
        vec3(height(x - e, z) - height(x + e, z), 2 * e, height(x, z - e) - height(x, z + e)));
    return mesh.add_vertex(vec3(x, y, z), n, vec2(x / kGroundTile, z / kGroundTile));
  };
  const uint32_t centre = vertex(0, 0);
  for (int i = 1; i <= rings; ++i) {
    const float r = kGroundRadius * std::pow(float(i) / float(rings), 1.7f);
    for (int k = 0; k < sides; ++k) {
      const float a = kTau * float(k) / float(sides);
      vertex(r * std::cos(a), -r * std::sin(a));
    }
  }
  auto at = [&](int ring, int k) { return 1 + uint32_t((ring - 1) * sides + (k % sides)); };
  for (int k = 0; k < sides; ++k)
    mesh.add_triangle(centre, at(1, k), at(1, k + 1));
  for (int i = 1; i < rings; ++i)
    for (int k = 0; k < sides; ++k)
      mesh.add_quad(at(i, k), at(i + 1, k), at(i + 1, k + 1), at(i, k + 1));
  return mesh;
}

sMeshNeeds ground_needs() {
  sMeshNeeds needs;
  needs.normals = true;
  needs.uvs = true;
  needs.no_materials = true;
  needs.min_size = vec3(1200, 0, 1200);
  needs.max_size = vec3(2000, 30, 2000);
  return needs;
}

// -------------------------------------------------------------- pictures --

// Fractal noise that tiles across [0, 1) x [0, 1): four copies one period
// apart cross-faded, rescaled so the middle keeps its contrast.
float tiling_noise(const cNoise &noise, float u, float v, float period, int octaves,
                   float layer = 0) {
  auto f = [&](float x, float y) {
    return noise.fractal(vec3(x * period, y * period, layer), octaves);
  };
  const float wu = u, wv = v;
  const float a = (1 - wu) * (1 - wv), b = wu * (1 - wv), c = (1 - wu) * wv, d = wu * wv;
  const float sum = a * f(u, v) + b * f(u - 1, v) + c * f(u, v - 1) + d * f(u - 1, v - 1);
  return sum / std::sqrt(a * a + b * b + c * c + d * d);
}

// The speaker seen head-on, in cone radii from the middle of the picture: a
// dark trim ring with screws and an orange line, a black rubber surround, a
// ribbed graphite cone and a glossy dust cap. gloss picks the specular map.
cImage speaker_face(bool gloss) {
  constexpr int kSize = 512;
  const cNoise fibre(7501);
  cImage image(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float px = (float(x) + 0.5f) / kSize - 0.5f, py = 0.5f - (float(y) + 0.5f) / kSize;
      const float r = std::sqrt(px * px + py * py) * kUvSpan, a = std::atan2(py, px);
      rgba c;
      float shine;
      if (r > 1.0f) {
        const float brushed = 0.5f + 0.5f * fibre.fractal(vec3(r * 40, a * 2, 1), 2);
        c = rgba(0.1f, 0.105f, 0.115f) + shade(rgba(0.05f, 0.05f, 0.055f), brushed);
        const float line = 1 - smoothstep(0.006f, 0.012f, std::fabs(r - 1.045f));
        c = mix(c, show_style::kOrange, line * 0.9f);
        const float screw_a = std::fmod(a + kTau + kPi / 8, kPi / 4) - kPi / 8;
        const float screw = std::hypot(screw_a * 1.09f, r - 1.09f);
        const float head = 1 - smoothstep(0.018f, 0.026f, screw);
        c = mix(c, rgba(0.32f, 0.33f, 0.35f), head);
        shine = 0.35f + 0.5f * head;
      } else if (r > 0.84f) {
        const float roll = std::sin(kPi * (r - 0.84f) / 0.16f);
        c = rgba(0.03f, 0.03f, 0.035f) + shade(rgba(0.05f, 0.05f, 0.06f), roll);
        shine = 0.25f + 0.2f * roll;
      } else if (r > 0.3f) {
        const float rib = 0.5f + 0.5f * std::cos(kTau * (r - 0.3f) / 0.09f);
        const float grain = fibre.fractal(vec3(a * 30, r * 6, 3), 3);
        c = rgba(0.11f, 0.115f, 0.13f) + shade(rgba(0.05f, 0.05f, 0.06f), rib + 0.6f * grain);
        shine = 0.3f + 0.15f * rib;
      } else {
        const float dome = 1 - r / 0.3f;
        c = mix(rgba(0.06f, 0.07f, 0.09f), rgba(0.14f, 0.17f, 0.22f), dome);
        const float ring = 1 - smoothstep(0.004f, 0.009f, std::fabs(r - 0.27f));
        c = mix(c, shade(show_style::kOrange, 0.8f), ring);
        shine = 0.7f;
      }
      image.set(x, y, gloss ? rgba(shine, shine, shine) : with_alpha(c, 1));
    }
  return image;
}

// Dark mossy soil that tiles without seams: brown earth with moss in
// patches, small stones and darker cracks.
cImage mossy_ground() {
  constexpr int kSize = 512;
  const cNoise patches(7601), grain(7602), stones(7603);
  const rgba earth(0.12f, 0.09f, 0.07f), moss(0.13f, 0.2f, 0.09f), dark(0.05f, 0.05f, 0.04f),
      stone(0.3f, 0.29f, 0.27f);
  cImage image(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float u = (float(x) + 0.5f) / kSize, v = (float(y) + 0.5f) / kSize;
      const float patch = tiling_noise(patches, u, v, 4, 4);
      const float fine = tiling_noise(grain, u, v, 32, 3);
      const float pebble = tiling_noise(stones, u, v, 24, 2);
      rgba c = mix(earth, moss, smoothstep(-0.1f, 0.3f, patch));
      c = shade(c, 0.8f + 0.45f * fine);
      c = mix(c, dark,
              smoothstep(0.2f, 0.02f, std::fabs(tiling_noise(grain, u, v, 6, 2, 5.0f))) * 0.6f);
      c = mix(c, shade(stone, 0.8f + 0.4f * fine), smoothstep(0.42f, 0.5f, pebble));
      image.set(x, y, with_alpha(c, 1));
    }
  return image;
}

// Mushroom skin in the show's orange: a warm ground with paler flecks and
// darker streaks running along v (from the rim to the crown).
cImage cap_skin() {
  constexpr int kSize = 256;
  const cNoise streaks(7901), flecks(7902);
  cImage image(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float u = (float(x) + 0.5f) / kSize, v = (float(y) + 0.5f) / kSize;
      const float streak = tiling_noise(streaks, u, v * 0.25f, 10, 3);
      const float fleck = tiling_noise(flecks, u, v, 14, 2);
      rgba c =
          mix(shade(show_style::kOrange, 0.85f), rgba(0.55f, 0.22f, 0.05f), 0.35f + 0.3f * streak);
      c = mix(c, rgba(1.0f, 0.85f, 0.6f), smoothstep(0.45f, 0.6f, fleck) * 0.7f);
      image.set(x, y, with_alpha(c, 1));
    }
  return image;
}

// Graphite cabinet covering: near-black with a fine woven grain.
cImage cabinet_covering() {
  constexpr int kSize = 256;
  const cNoise weave(7701);
  cImage image(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float u = (float(x) + 0.5f) / kSize, v = (float(y) + 0.5f) / kSize;
      const float cross_hatch = 0.5f + 0.25f * (std::sin(kTau * 64 * u) * std::sin(kTau * 64 * v));
      const float mottling = tiling_noise(weave, u, v, 6, 3);
      const float g = 0.16f + 0.05f * mottling + 0.04f * cross_hatch;
      image.set(x, y, rgba(g, g * 1.02f, g * 1.1f));
    }
  return image;
}

// Pale fibrous mushroom flesh: streaks along v, tiling in both directions.
cImage stalk_flesh() {
  constexpr int kSize = 256;
  const cNoise fibres(7801), blotch(7802);
  cImage image(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float u = (float(x) + 0.5f) / kSize, v = (float(y) + 0.5f) / kSize;
      const float streak = tiling_noise(fibres, u, v * 0.125f, 8, 3) * 0.7f +
                           0.3f * std::sin(kTau * 24 * u + 3 * tiling_noise(fibres, u, v, 3, 2));
      const float spot = tiling_noise(blotch, u, v, 5, 3);
      rgba c = mix(rgba(0.62f, 0.58f, 0.52f), rgba(0.42f, 0.38f, 0.34f), 0.5f + 0.4f * streak);
      c = mix(c, rgba(0.3f, 0.25f, 0.22f), smoothstep(0.3f, 0.6f, spot) * 0.5f);
      image.set(x, y, with_alpha(c, 1));
    }
  return image;
}

// A dim hall around a mirror ball: slate-blue darkness above, a warm orange
// glow along the horizon, a dark floor, and a ring of soft light panels, a
// few warm and a few cool. Speaker cones and scene 9's polished rings both
// reflect it, so it stays dark enough that their own colours lead.
cImage reflection_map() {
  const cNoise haze(7101);
  const rgba zenith(0.03f, 0.05f, 0.08f),
      sky = shade(show_style::kSlate, 0.9f),
      horizon = shade(mix(show_style::kOrange, rgba(0.5f, 0.2f, 0.1f), 0.4f), 0.75f),
      floor(0.07f, 0.065f, 0.07f);
  struct sPanel {
    vec3 dir;
    rgba colour;
    float size;
  };
  const std::vector<sPanel> panels = {
      {normalize(vec3(-0.55f, 0.55f, 0.65f)), rgba(1.0f, 0.93f, 0.82f), 0.16f},
      {normalize(vec3(0.7f, 0.35f, 0.4f)), shade(show_style::kOrange, 1.1f), 0.13f},
      {normalize(vec3(0.2f, 0.8f, -0.5f)), rgba(0.55f, 0.75f, 1.0f), 0.14f},
      {normalize(vec3(-0.8f, 0.2f, -0.4f)), rgba(0.4f, 0.85f, 0.95f), 0.11f},
      {normalize(vec3(0.05f, 0.3f, 0.95f)), rgba(0.9f, 0.85f, 1.0f), 0.10f},
  };
  return pictures::sphere_map(512, [&](const vec3 &dir) {
    const float y = dir.y;
    rgba c = y > 0 ? mix(mix(horizon, sky, smoothstep(0.0f, 0.35f, y)), zenith,
                         smoothstep(0.35f, 1.0f, y))
                   : mix(horizon, floor, smoothstep(0.0f, 0.25f, -y));
    c = shade(c, 0.8f + 0.35f * haze.fractal(dir * 3.0f, 3));
    for (const sPanel &p : panels) {
      // Soft-edged square panels seen from the ball: distance in the panel's
      // own plane, so their corners stay crisp enough to read as lamps.
      const vec3 u = any_perpendicular(p.dir), v = cross(p.dir, u);
      // Below the horizon the floor shows each panel again, dim and blurred.
      const bool mirrored = dir.y < 0;
      const vec3 seen = mirrored ? vec3(dir.x, -dir.y, dir.z) : dir;
      const float facing = dot(seen, p.dir);
      if (facing <= 0.5f)
        continue;
      const float du = std::fabs(dot(seen, u)) / facing, dv = std::fabs(dot(seen, v)) / facing;
      const float edge = std::fmax(du, dv * 1.6f);
      float light = 1 - smoothstep(p.size * 0.8f, p.size, edge);
      float glow = 0.25f * (1 - smoothstep(0.0f, p.size * 3, edge));
      if (mirrored) {
        light = 0.12f * (1 - smoothstep(0.0f, p.size * 2.5f, edge));
        glow *= 0.5f;
      }
      c = c + shade(p.colour, light + glow);
    }
    return with_alpha(c, 1);
  });
}

} // namespace

void add_scene07_recipes(cRecipeBook &book) {
  const std::string dir = "models/megawatt/";
  book.add(dir + "megawatt_base.rar", [] {
    return asset_files::bobj_in_rar("megawatt_base.bobj", central_stack(), textured_needs(100));
  });
  book.add(dir + "megawatt_xtramush.rar", [] {
    return asset_files::bobj_in_rar("megawatt_xtramush.bobj", extra_mushrooms(),
                                    textured_needs(110));
  });
  book.add(dir + "megawatt_wires.rar",
           [] { return asset_files::bobj_in_rar("megawatt_wires.bobj", wires(), wire_needs()); });
  book.add(dir + "hex_sphere.rar", [] {
    return asset_files::bobj_in_rar("hex_sphere.bobj", hex_lattice(), lattice_needs());
  });
  book.add(dir + "megawatt_ground.bobj",
           [] { return asset_files::bobj(ground(), ground_needs()); });
  const struct {
    const char *name;
    eSpeakerKind kind;
    bool pushed;
  } speaker_files[] = {{"megawatt_bass_s6", kBass, false},    {"megawatt_bass_m6", kBass, true},
                       {"megawatt_medium_s", kMedium, false}, {"megawatt_medium_m", kMedium, true},
                       {"megawatt_small_s", kSmall, false},   {"megawatt_small_m", kSmall, true},
                       {"megawatt_tiny_s", kTiny, false},     {"megawatt_tiny_m", kTiny, true}};
  for (const auto &file : speaker_files) {
    const std::string name = file.name;
    const eSpeakerKind kind = file.kind;
    const bool pushed = file.pushed;
    book.add(dir + name + ".rar", [name, kind, pushed] {
      return asset_files::bobj_in_rar(name + ".bobj", speakers(kind, pushed), speaker_needs());
    });
  }
  book.add(dir + "speakertex.png", [] { return asset_files::png(speaker_face(false), 3); });
  book.add(dir + "speakertex_specular_map.png",
           [] { return asset_files::png(speaker_face(true), 3); });
  book.add(dir + "speaker_reflectionmap.jpg",
           [] { return asset_files::jpeg(reflection_map(), 90); });
  book.add(dir + "mushroom_ground3_color.jpg",
           [] { return asset_files::jpeg(mossy_ground(), 90); });
  book.add(dir + kCabinetMap, [] { return asset_files::jpeg(cabinet_covering(), 90); });
  book.add(dir + kStalkMap, [] { return asset_files::jpeg(stalk_flesh(), 90); });
  book.add(dir + kCapMap, [] { return asset_files::jpeg(cap_skin(), 90); });
}
