// Scene 8, the alien corridor: one side of a 340-unit set of ribbed, panelled
// wall segments (the scene mirrors it for the other side), an end piece of
// bulkheads, pipes and cables that spans the whole cross-section around an
// opening, the colour texture they all share through their own unwraps, the
// fog's colour scale, and the sixteen light maps, each baked for its piece in
// its place with the lamps of its set.
#include "recipes.h"

#include "asset_files.h"
#include "cLightBaker.h"
#include "cRandom.h"
#include "mesh_operators.h"
#include "picture_ops.h"

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979323846f;
constexpr float kDegrees = kPi / 180;
const std::string kDir = "models/alien_building/";

// The corridor runs along x. The eye stands 100 off the axis at x = 500 and
// the corridor rolls about the axis, so nothing comes nearer than kClear.
// The sets wrap when their offset passes 40; starting the set at local
// x = kSetStart puts the wrapping set beside and behind the eye (x 480 to
// 820), never ahead of it.
constexpr float kClear = 110;
constexpr float kOpening = 115; // the end piece's hole, which the eye passes through
constexpr float kSetStart = 440, kSetLength = 340;
constexpr float kShell = 172; // corners of the panelled half-shell
constexpr float kRibIn = 130; // inner edge of a rib
constexpr int kFacets = 8;    // over the half turn from floor to ceiling

// A point at distance r from the axis, at angle phi (degrees) from the
// side wall (+z) toward the ceiling (+y).
vec3 at(float x, float r, float phi) {
  return vec3(x, r * std::sin(phi * kDegrees), r * std::cos(phi * kDegrees));
}
float facet_angle(int i) { return -90.0f + 180.0f * float(i) / kFacets; }

// One flat quad with its own vertices, turned to face away from `behind`.
void face(cMesh &mesh, vec3 a, vec3 b, vec3 c, vec3 d, const vec3 &behind) {
  vec3 n = normalize(cross(b - a, d - a));
  if (dot(n, (a + b + c + d) * 0.25f - behind) < 0) {
    std::swap(b, d);
    n = -n;
  }
  const uint32_t first = uint32_t(mesh.vertex_count());
  for (const vec3 &p : {a, b, c, d})
    mesh.add_vertex(p, n);
  mesh.add_quad(first, first + 1, first + 2, first + 3);
}

// A box along the frame (u, v, w) about centre, faces outward.
void box(cMesh &mesh, const vec3 &centre, const vec3 &u, const vec3 &v, const vec3 &w) {
  auto corner = [&](int i) {
    return centre + u * (i & 1 ? 1.0f : -1.0f) + v * (i & 2 ? 1.0f : -1.0f) +
           w * (i & 4 ? 1.0f : -1.0f);
  };
  const int faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
  for (const auto &f : faces)
    face(mesh, corner(f[0]), corner(f[1]), corner(f[2]), corner(f[3]), centre);
}

// A straight pipe of `sides` flat faces from a to b, open at its ends.
void pipe(cMesh &mesh, const vec3 &a, const vec3 &b, float radius, int sides) {
  const vec3 along = normalize(b - a);
  const vec3 helper = std::fabs(along.x) < 0.9f ? vec3(1, 0, 0) : vec3(0, 1, 0);
  const vec3 s = normalize(cross(along, helper)), t = cross(along, s);
  for (int k = 0; k < sides; ++k) {
    const float a0 = 2 * kPi * float(k) / sides, a1 = 2 * kPi * float(k + 1) / sides;
    const vec3 r0 = (s * std::cos(a0) + t * std::sin(a0)) * radius;
    const vec3 r1 = (s * std::cos(a1) + t * std::sin(a1)) * radius;
    face(mesh, a + r0, b + r0, b + r1, a + r1, (a + b) * 0.5f);
  }
}

// The panelled half-shell from x0 to x1, facing the axis.
void shell(cMesh &mesh, float x0, float x1) {
  for (int i = 0; i < kFacets; ++i) {
    const float p0 = facet_angle(i), p1 = facet_angle(i + 1);
    face(mesh, at(x0, kShell, p0), at(x1, kShell, p0), at(x1, kShell, p1), at(x0, kShell, p1),
         vec3(0.5f * (x0 + x1), 0, 0) * 1.0f + at(0, 400, 0.5f * (p0 + p1)));
  }
}

// A rib across the half-shell from x0 to x1: its inner face and its two sides.
void rib(cMesh &mesh, float x0, float x1) {
  const float out = kShell + 4;
  for (int i = 0; i < kFacets; ++i) {
    const float p0 = facet_angle(i), p1 = facet_angle(i + 1), pm = 0.5f * (p0 + p1);
    const vec3 middle = at(0.5f * (x0 + x1), 0.5f * (kRibIn + out), pm);
    face(mesh, at(x0, kRibIn, p0), at(x1, kRibIn, p0), at(x1, kRibIn, p1), at(x0, kRibIn, p1),
         middle);
    face(mesh, at(x0, kRibIn, p0), at(x0, out, p0), at(x0, out, p1), at(x0, kRibIn, p1), middle);
    face(mesh, at(x1, kRibIn, p0), at(x1, out, p0), at(x1, out, p1), at(x1, kRibIn, p1), middle);
  }
}

// A lamp housing on the upper side wall, long along the corridor.
vec3 lamp_place(float x) { return at(x, kShell - 5, 56.25f); }
void lamp_housing(cMesh &mesh, float x) {
  const vec3 c = lamp_place(x);
  const vec3 radial = normalize(vec3(0, c.y, c.z));
  const vec3 across = cross(vec3(1, 0, 0), radial);
  box(mesh, c, vec3(14, 0, 0), radial * 4.0f, across * 5.0f);
}

// The three segments of a set, in local x; each one a third of the set.
constexpr float kA0 = kSetStart, kB0 = kSetStart + 120, kC0 = kSetStart + 230,
                kEnd = kSetStart + kSetLength;

cMesh wall_a() {
  cMesh mesh;
  shell(mesh, kA0, kB0);
  rib(mesh, kA0, kA0 + 14);
  lamp_housing(mesh, kA0 + 65);
  return mesh;
}

cMesh wall_b() {
  cMesh mesh;
  shell(mesh, kB0, kC0);
  rib(mesh, kB0, kB0 + 8);
  // A cable tray along the lower side wall.
  const vec3 c = at(0.5f * (kB0 + kC0), kShell - 12, -33.75f);
  const vec3 radial = normalize(vec3(0, c.y, c.z));
  box(mesh, c, vec3(0.5f * (kC0 - kB0), 0, 0), radial * 10.0f, cross(vec3(1, 0, 0), radial) * 9.0f);
  lamp_housing(mesh, kB0 + 55);
  return mesh;
}

cMesh wall_c() {
  cMesh mesh;
  shell(mesh, kC0, kEnd);
  rib(mesh, kC0, kC0 + 14);
  rib(mesh, kC0 + 60, kC0 + 66);
  // A grating along the floor.
  box(mesh, vec3(0.5f * (kC0 + kEnd), -kShell + 10, 40), vec3(0.5f * (kEnd - kC0) - 2, 0, 0),
      vec3(0, 3, 0), vec3(0, 0, 30));
  lamp_housing(mesh, kC0 + 85);
  return mesh;
}

// The end piece, in its own x: a bulkhead ring facing the eye, a frame of
// struts behind it, pipes along the walls and cables sagging between them.
constexpr float kRingOut = 215; // beyond the shell, so no gap shows round it
constexpr int kSectors = 16;

cMesh end_wall_a() {
  cMesh mesh;
  for (int i = 0; i < kSectors; ++i) {
    const float p0 = 360.0f * float(i) / kSectors, p1 = 360.0f * float(i + 1) / kSectors;
    const float pm = 0.5f * (p0 + p1);
    const float in = kOpening + 8;
    const vec3 middle = at(-10, 0.5f * (in + kRingOut), pm);
    face(mesh, at(0, in, p0), at(0, kRingOut, p0), at(0, kRingOut, p1), at(0, in, p1), middle);
    face(mesh, at(-20, in, p0), at(-20, kRingOut, p0), at(-20, kRingOut, p1), at(-20, in, p1),
         middle);
    face(mesh, at(0, in, p0), at(-20, in, p0), at(-20, in, p1), at(0, in, p1), middle);
    // Studs round the opening.
    if (i % 2 == 0) {
      const vec3 c = at(4, in + 14, pm);
      const vec3 radial = normalize(vec3(0, c.y, c.z));
      box(mesh, c, vec3(4, 0, 0), radial * 5.0f, cross(vec3(1, 0, 0), radial) * 5.0f);
    }
  }
  return mesh;
}

cMesh end_wall_b() {
  cMesh mesh;
  for (int i = 0; i < 12; ++i) {
    const float phi = 30.0f * float(i) + 15.0f;
    const float r0 = kOpening + 20, r1 = kRingOut;
    const vec3 c = at(-140, 0.5f * (r0 + r1), phi);
    const vec3 radial = normalize(vec3(0, c.y, c.z));
    box(mesh, c, vec3(7, 0, 0), radial * (0.5f * (r1 - r0)), cross(vec3(1, 0, 0), radial) * 9.0f);
  }
  // An outer collar joining the struts.
  for (int i = 0; i < kSectors; ++i) {
    const float p0 = 360.0f * float(i) / kSectors, p1 = 360.0f * float(i + 1) / kSectors;
    const vec3 middle = at(-140, 195, 0.5f * (p0 + p1));
    face(mesh, at(-130, 180, p0), at(-130, kRingOut, p0), at(-130, kRingOut, p1), at(-130, 180, p1),
         middle);
    face(mesh, at(-130, 180, p0), at(-150, 180, p0), at(-150, 180, p1), at(-130, 180, p1), middle);
  }
  return mesh;
}

cMesh pipes() {
  cMesh mesh;
  const float angles[] = {20, 70, 110, 160, 200, 250, 290, 340};
  for (size_t i = 0; i < 8; ++i) {
    const float r = i % 2 ? 150.0f : 158.0f, thick = i % 2 ? 5.0f : 8.0f;
    pipe(mesh, at(-420, r, angles[i]), at(-20, r, angles[i]), thick, 6);
    // A collar every 100 units.
    for (float x = -400; x < -20; x += 100)
      pipe(mesh, at(x, r, angles[i]), at(x + 6, r, angles[i]), thick + 2.5f, 6);
  }
  return mesh;
}

cMesh wires() {
  cMesh mesh;
  const float angles[] = {45, 135, 225, 315, 90, 270};
  for (size_t i = 0; i < 6; ++i) {
    const float r = 162, sag = 30, span = 130;
    for (float x0 = -400; x0 < -30; x0 += span) {
      constexpr int kLinks = 8;
      for (int k = 0; k < kLinks; ++k) {
        auto point = [&](int j) {
          const float u = float(j) / kLinks;
          return at(x0 + u * span, r - sag * 4 * u * (1 - u), angles[i] + 3.0f * float(i % 2));
        };
        pipe(mesh, point(k), point(k + 1), 1.6f, 4);
      }
    }
  }
  return mesh;
}

// The nearest any triangle comes to the x axis.
float axis_distance(const cMesh &mesh) {
  auto segment = [](vec2 a, vec2 b) {
    const vec2 d = b - a;
    const float len2 = d.x * d.x + d.y * d.y;
    float t = len2 > 0 ? -(a.x * d.x + a.y * d.y) / len2 : 0;
    t = std::fmin(1.0f, std::fmax(0.0f, t));
    const vec2 p = a + d * t;
    return std::sqrt(p.x * p.x + p.y * p.y);
  };
  float nearest = 1e30f;
  for (const sTriangle &t : mesh.triangles) {
    vec2 p[3];
    for (int k = 0; k < 3; ++k)
      p[k] = vec2(mesh.positions[t.v[k]].y, mesh.positions[t.v[k]].z);
    float s[3];
    for (int k = 0; k < 3; ++k) {
      const vec2 e = p[(k + 1) % 3] - p[k];
      s[k] = e.x * (0 - p[k].y) - e.y * (0 - p[k].x);
    }
    if ((s[0] > 0 && s[1] > 0 && s[2] > 0) || (s[0] < 0 && s[1] < 0 && s[2] < 0))
      return 0; // the axis goes through it
    for (int k = 0; k < 3; ++k)
      nearest = std::fmin(nearest, segment(p[k], p[(k + 1) % 3]));
  }
  return nearest;
}

struct sCorridorPiece {
  std::string member; // the archive and .bobj name
  std::string map;    // its light map, for the lamps of a set
  cMesh (*make)();
  float clear;
  int map_size;
};

const std::vector<sCorridorPiece> &end_pieces() {
  static const std::vector<sCorridorPiece> pieces = {
      {"alien_building_EndWall_segmentA01", "EndWall_segmentA01", end_wall_a, kOpening, 128},
      {"alien_building_EndWall_segmentB01", "EndWall_segmentB01", end_wall_b, kOpening, 128},
      {"alien_building_Pipes_horiz", "Pipes_horiz", pipes, kOpening, 128},
      {"alien_building_Wires01", "Wires01", wires, kOpening, 128},
  };
  return pieces;
}

const std::vector<sCorridorPiece> &wall_pieces() {
  static const std::vector<sCorridorPiece> pieces = {
      {"alien_building_wall_segmentA", "Wall_segmentA", wall_a, kClear, 128},
      {"alien_building_wall_segmentB", "Wall_segmentB", wall_b, kClear, 128},
      {"alien_building_wall_segmentC", "Wall_segmentC", wall_c, kClear, 128},
  };
  return pieces;
}

// The piece with its unwrap, checked: normals, texture coordinates in
// [0, 1], and the clearance around the axis.
cMesh finished(const sCorridorPiece &piece) {
  cMesh mesh = piece.make();
  operators::unwrap_pieces(mesh, 0.01f);
  const float near = axis_distance(mesh);
  if (near < piece.clear)
    throw std::runtime_error(piece.member + " comes within " + std::to_string(near) +
                             " of the corridor's axis");
  for (const vec2 &uv : mesh.uvs)
    if (uv.x < 0 || uv.x > 1 || uv.y < 0 || uv.y > 1)
      throw std::runtime_error(piece.member + " has texture coordinates outside [0, 1]");
  return mesh;
}

sMeshNeeds corridor_needs() {
  sMeshNeeds needs;
  needs.normals = true;
  needs.uvs = true;
  needs.no_materials = true;
  needs.max_triangles = 20000;
  return needs;
}

// The four sets' lamps: which housings burn, in what colour. The housings
// sit on the upper side wall of each segment; the mirror puts their twins
// on the other side, so each lamp is lit on both.
struct sSetLighting {
  const char *suffix;
  float lamp_x[3]; // along the set; 0 for a dark housing
  vec3 colour[3];
  vec3 ambient;
};

const sSetLighting kSets[4] = {
    {"01",
     {kA0 + 65, 0, kC0 + 85},
     {vec3(1.0f, 0.62f, 0.28f), {}, vec3(1.0f, 0.62f, 0.28f)},
     vec3(0.16f, 0.22f, 0.26f)},
    {"04", {0, kB0 + 55, 0}, {{}, vec3(1.0f, 0.5f, 0.18f), {}}, vec3(0.20f, 0.26f, 0.30f)},
    {"06",
     {kA0 + 65, kB0 + 55, 0},
     {vec3(0.55f, 0.8f, 1.0f), vec3(1.0f, 0.7f, 0.35f), {}},
     vec3(0.12f, 0.16f, 0.2f)},
    {"08",
     {0, kB0 + 55, kC0 + 85},
     {{}, vec3(1.0f, 0.35f, 0.15f), vec3(1.0f, 0.8f, 0.5f)},
     vec3(0.14f, 0.14f, 0.16f)},
};

sBakeSettings bake_settings(const vec3 &ambient, uint64_t seed) {
  sBakeSettings settings;
  settings.ambient = ambient;
  settings.ambient_rays = 12;
  settings.ambient_reach = 60;
  settings.shadow_samples = 1;
  settings.seed = seed;
  return settings;
}

// Soft roll-off so the pools near the lamps keep their colour.
float tone(float light) { return 1.0f - std::exp(-1.3f * light); }

cImage toned(const cImage &light) {
  cImage out(light.width(), light.height());
  for (int y = 0; y < light.height(); ++y)
    for (int x = 0; x < light.width(); ++x) {
      const rgba l = light.sample(float(x), float(y));
      out.set(x, y, rgba(tone(l.r), tone(l.g), tone(l.b), 1));
    }
  return out;
}

cImage wall_map(size_t which, int set) {
  const sSetLighting &lighting = kSets[set];
  cLightBaker baker(bake_settings(lighting.ambient, 8100 + uint64_t(set)));
  size_t mine = 0;
  for (size_t i = 0; i < wall_pieces().size(); ++i) {
    const cMesh mesh = finished(wall_pieces()[i]);
    const size_t index = baker.add_piece(mesh);
    if (i == which)
      mine = index;
    baker.add_occluder(operators::mirrored(mesh, 2));
  }
  for (int k = 0; k < 3; ++k) {
    if (lighting.lamp_x[k] == 0)
      continue;
    const vec3 p = lamp_place(lighting.lamp_x[k]);
    const vec3 in = normalize(vec3(0, -p.y, -p.z)) * 9.0f;
    for (float side : {1.0f, -1.0f})
      baker.add_light(
          {vec3(p.x + in.x, p.y + in.y, (p.z + in.z) * side), lighting.colour[k] * 1400.0f, 4.0f});
  }
  const int size = wall_pieces()[which].map_size;
  return toned(baker.bake(mine, size, size));
}

cImage end_map(size_t which) {
  cLightBaker baker(bake_settings(vec3(0.22f, 0.28f, 0.32f), 8200));
  size_t mine = 0;
  for (size_t i = 0; i < end_pieces().size(); ++i) {
    const size_t index = baker.add_piece(finished(end_pieces()[i]));
    if (i == which)
      mine = index;
  }
  // Warm lamps between the bulkheads, a cold one out in front.
  for (float phi : {45.0f, 135.0f, 225.0f, 315.0f})
    baker.add_light({at(-70, 150, phi), vec3(1.0f, 0.6f, 0.3f) * 900.0f, 4.0f});
  baker.add_light({vec3(150, 60, 0), vec3(0.6f, 0.8f, 1.0f) * 6000.0f, 8.0f});
  const int size = end_pieces()[which].map_size;
  return toned(baker.bake(mine, size, size));
}

float fract(float x) { return x - std::floor(x); }
uint32_t hash2(int a, int b) {
  return uint32_t(cRandom(uint64_t(uint32_t(a)) << 32 | uint32_t(b)).next());
}

// Plates of greenish metal with dark seams, rivets at their corners and,
// on some, abstract markings: bars, rings and chevrons.
cImage colour_texture() {
  constexpr int kSize = 512, kPlates = 8;
  const cNoise noise(8301);
  cImage out(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float u = (float(x) + 0.5f) / kSize * kPlates, v = (float(y) + 0.5f) / kSize * kPlates;
      const int px = int(u), py = int(v);
      const float fu = fract(u), fv = fract(v);
      const uint32_t h = hash2(px, py);
      const float shade = 0.85f + 0.25f * float(h % 1000) / 1000.0f;
      vec3 c = vec3(0.52f, 0.58f, 0.56f) * shade *
               (1 + 0.12f * noise.fractal(vec3(float(x), float(y), 0) * 0.03f, 4));
      const float edge = std::fmin(std::fmin(fu, 1 - fu), std::fmin(fv, 1 - fv));
      if (edge < 0.045f)
        c = c * 1.18f;
      if (edge < 0.015f)
        c = vec3(0.08f, 0.09f, 0.09f);
      // Rivets.
      const float ru = std::fmin(fu, 1 - fu) - 0.09f, rv = std::fmin(fv, 1 - fv) - 0.09f;
      if (ru * ru + rv * rv < 0.0009f)
        c = vec3(0.25f, 0.27f, 0.27f);
      const int mark = int((h >> 12) % 6);
      const vec3 orange(0.95f, 0.55f, 0.12f), teal(0.2f, 0.7f, 0.75f);
      if (mark == 1 && fv > 0.2f && fv < 0.28f && fu > 0.15f && fu < 0.85f)
        c = orange;
      if (mark == 2) {
        const float du = fu - 0.5f, dv = fv - 0.5f, r = std::sqrt(du * du + dv * dv);
        if (std::fabs(r - 0.22f) < 0.025f)
          c = teal;
      }
      if (mark == 3 && fv > 0.6f && fv < 0.85f &&
          std::fabs(fract((fu - std::fabs(fv - 0.72f)) * 5) - 0.5f) < 0.15f)
        c = orange * 0.9f;
      if (mark == 4 && fu > 0.7f && fu < 0.76f && fv > 0.15f && fv < 0.85f)
        c = teal * 0.9f;
      out.set(x, y, rgba(std::fmin(c.x, 1.0f), std::fmin(c.y, 1.0f), std::fmin(c.z, 1.0f), 1));
    }
  return out;
}

// Indexed by how far into the fog: the teal tint near, white by 0.7 so the
// far end (about 0.75 into the fog at rest) is gone.
cImage fog_scale() {
  return pictures::colour_scale(256, {{0.0f, rgba(0.408f, 0.659f, 0.737f)},
                                      {0.3f, rgba(0.55f, 0.76f, 0.82f)},
                                      {0.7f, rgba(1, 1, 1)},
                                      {1.0f, rgba(1, 1, 1)}});
}

} // namespace

void add_scene08_recipes(cRecipeBook &book) {
  for (const auto *list : {&end_pieces(), &wall_pieces()})
    for (const sCorridorPiece &piece : *list)
      book.add(kDir + piece.member + ".rar", [&piece] {
        return asset_files::bobj_in_rar(piece.member + ".bobj", finished(piece), corridor_needs());
      });
  for (size_t i = 0; i < end_pieces().size(); ++i)
    book.add(kDir + "textures_baked/" + end_pieces()[i].map + "LightingMap.jpg",
             [i] { return asset_files::jpeg(end_map(i), 90); });
  for (int set = 0; set < 4; ++set)
    for (size_t i = 0; i < wall_pieces().size(); ++i)
      book.add(kDir + "textures_baked/" + wall_pieces()[i].map + kSets[set].suffix +
                   "LightingMap.jpg",
               [i, set] { return asset_files::jpeg(wall_map(i, set), 90); });
  book.add(kDir + "textures/alien_building_color.jpg",
           [] { return asset_files::jpeg(colour_texture(), 88); });
  book.add(kDir + "textures/fog_colscale01.png", [] { return asset_files::png(fog_scale(), 3); });
}
