// Scene 6, the laser room: an octagonal hall with pillars, wall panels, a
// ribbed ceiling and four wall lamps, its light baked into the textures of
// its five pieces; the logo ring that turns in its middle, the logo, and
// the beam texture of the lasers.
#include "recipes.h"

#include "asset_files.h"
#include "cFontRasterizer.h"
#include "cLightBaker.h"
#include "cRandom.h"
#include "mesh_operators.h"
#include "picture_ops.h"
#include "show_style.h"

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979323846f;
constexpr float kTau = 2 * kPi;
const std::string kDir = "models/laserrum/";

// The hall in room space, y up. The eye circles at radius 76 on a circle
// tilted by the scene's turns, within |y| <= 34 of the floor's mid-plane, so
// the walls stand 28 beyond its path; the farthest corner stays within the
// far plane (250) of every eye position.
constexpr float kApothem = 104;                    // centre to a wall's middle
constexpr float kCorner = 112.5699f;               // kApothem / cos(22.5 degrees)
constexpr float kFloor = -70, kCeiling = 75;       // the rings rise to about 60
constexpr float kLampHeight = 27, kLampInset = 16; // lamps in front of the sconces
const vec3 kWarm(1.0f, 0.55f, 0.20f), kCool(0.55f, 0.68f, 1.0f);

vec3 corner(int k, float y) {
  const float a = kTau * (float(k % 8) + 0.5f) / 8; // one position for corner 8 and corner 0
  return vec3(kCorner * std::cos(a), y, kCorner * std::sin(a));
}
// The middle of wall k's direction (walls at 0, 45, ... degrees).
vec3 wall_direction(int k) {
  const float a = kTau * float(k) / 8;
  return vec3(std::cos(a), 0, std::sin(a));
}

sMeshMaterial room_material(const std::string &piece) {
  sMeshMaterial m;
  m.name = "laserrum_" + piece;
  m.ambient = vec3(1, 1, 1);
  m.diffuse = vec3(1, 1, 1);
  m.illum = 1;
  m.diffuse_map = "laserrum_" + piece + "_baked.jpg";
  return m;
}

// A box with its own four vertices on each face (hard edges, one normal per
// face), counter-clockwise outward, placed by a basis.
cMesh box(const vec3 &half, const cTransform &place) {
  cMesh mesh;
  const vec3 axes[3] = {vec3(1, 0, 0), vec3(0, 1, 0), vec3(0, 0, 1)};
  for (int a = 0; a < 3; ++a)
    for (float s : {1.0f, -1.0f}) {
      const vec3 n = axes[a] * s;
      const vec3 u = axes[(a + 1) % 3] * half[(a + 1) % 3] * s;
      const vec3 v = axes[(a + 2) % 3] * half[(a + 2) % 3];
      const vec3 c = n * half[a];
      const uint32_t first = uint32_t(mesh.vertex_count());
      for (const vec3 &p : {c - u - v, c + u - v, c + u + v, c - u + v})
        mesh.add_vertex(p, n);
      mesh.add_quad(first, first + 1, first + 2, first + 3);
    }
  operators::transform(mesh, place);
  return mesh;
}

// Floor, walls and ceiling: one closed shell wound to face in.
cMesh floor_piece() {
  cMesh mesh;
  const uint32_t centre = mesh.add_vertex(vec3(0, kFloor, 0), vec3(0, 1, 0));
  for (int k = 0; k < 8; ++k)
    mesh.add_vertex(corner(k, kFloor), vec3(0, 1, 0));
  for (uint32_t k = 0; k < 8; ++k)
    mesh.add_triangle(centre, 1 + (k + 1) % 8, 1 + k);
  return mesh;
}

cMesh ceiling_piece() {
  cMesh mesh;
  const uint32_t centre = mesh.add_vertex(vec3(0, kCeiling, 0), vec3(0, -1, 0));
  for (int k = 0; k < 8; ++k)
    mesh.add_vertex(corner(k, kCeiling), vec3(0, -1, 0));
  for (uint32_t k = 0; k < 8; ++k)
    mesh.add_triangle(centre, 1 + k, 1 + (k + 1) % 8);
  return mesh;
}

cMesh walls_piece() {
  cMesh mesh;
  for (int k = 0; k < 8; ++k) {
    const vec3 inward = -normalize(corner(k, 0) + corner(k + 1, 0));
    const uint32_t a = mesh.add_vertex(corner(k, kFloor), inward);
    const uint32_t b = mesh.add_vertex(corner(k + 1, kFloor), inward);
    const uint32_t c = mesh.add_vertex(corner(k + 1, kCeiling), inward);
    const uint32_t d = mesh.add_vertex(corner(k, kCeiling), inward);
    mesh.add_quad(a, b, c, d);
  }
  return mesh;
}

// Square pillars in the eight corners, turned to face the centre.
cMesh pillars_piece() {
  cMesh mesh;
  for (int k = 0; k < 8; ++k) {
    const vec3 out = normalize(corner(k, 0));
    const vec3 side = cross(vec3(0, 1, 0), out);
    const cTransform place =
        cTransform::basis(out, vec3(0, 1, 0), side, out * (kCorner - 7) + vec3(0, 2.5f, 0));
    mesh.append(box(vec3(7, 72.5f, 7), place));
  }
  return mesh;
}

// Eight ribs from a hub under the ceiling's middle out to the pillars.
cMesh ribs_piece() {
  cMesh mesh;
  mesh.append(box(vec3(14, 2.5f, 14), cTransform::translate(vec3(0, kCeiling - 2.55f, 0))));
  for (int k = 0; k < 8; ++k) {
    const vec3 out = normalize(corner(k, 0));
    const vec3 side = cross(vec3(0, 1, 0), out);
    const float from = 10, to = kCorner - 12;
    const cTransform place = cTransform::basis(
        out, vec3(0, 1, 0), side, out * ((from + to) / 2) + vec3(0, kCeiling - 3.05f, 0));
    mesh.append(box(vec3((to - from) / 2, 3, 2.5f), place));
  }
  return mesh;
}

// Four glowing sconces on every other wall; the lamps hang just in front.
cMesh sconces_piece() {
  cMesh mesh;
  for (int k = 0; k < 8; k += 2) {
    const vec3 in = -wall_direction(k);
    const vec3 side = cross(vec3(0, 1, 0), in);
    const cTransform place = cTransform::basis(
        in, vec3(0, 1, 0), side, wall_direction(k) * (kApothem - 1.5f) + vec3(0, kLampHeight, 0));
    mesh.append(box(vec3(2, 6, 4), place));
  }
  return mesh;
}

std::vector<sBakeLight> lamps() {
  std::vector<sBakeLight> out;
  for (int k = 0; k < 8; k += 2)
    out.push_back({wall_direction(k) * (kApothem - kLampInset) + vec3(0, kLampHeight, 0),
                   kWarm * 600.0f, 3.0f});
  out.push_back({vec3(0, kCeiling - 12, 0), kCool * 6000.0f, 6.0f});
  return out;
}

// A baked piece: its mesh, how its surface looks, and its texture sizes.
struct sRoomPiece {
  std::string name;
  cMesh mesh;
  std::function<vec3(const vec3 &)> albedo;
  int light_size;   // the baked light
  int texture_size; // the picture, light times albedo
};

float fract(float x) { return x - std::floor(x); }
// 1 on a line of the given width at every multiple of period, 0 elsewhere
// (soft by a tenth of a unit).
float lines(float x, float period, float width) {
  const float d = std::fabs(fract(x / period + 0.5f) - 0.5f) * period;
  return std::fmin(1.0f, std::fmax(0.0f, (width / 2 - d) / 0.1f + 0.5f));
}
uint32_t hash2(int a, int b) {
  return uint32_t(cRandom(uint64_t(uint32_t(a)) << 32 | uint32_t(b)).next());
}

const cNoise &grain() {
  static const cNoise noise(6101);
  return noise;
}

vec3 wall_albedo(const vec3 &p) {
  const float a = std::atan2(p.z, p.x);
  const int k = int(std::lround(a / (kTau / 8)));
  const vec3 w = wall_direction(k);
  const float s = dot(p, vec3(-w.z, 0, w.x)) + 43.08f; // 0 .. 86 along the wall
  const float y = p.y;
  const float n = 1 + 0.06f * grain().fractal(p * 0.15f, 3);
  vec3 c;
  if (y < -52) {
    c = vec3(0.15f, 0.19f, 0.24f) * (1 - 0.5f * lines(y, 6, 0.4f));
  } else if (y < -49.5f) {
    c = vec3(1.0f, 0.58f, 0.02f) * 0.85f;
  } else if (y < 54) {
    // Four tall panels a wall, framed by a lighter rim and dark seams.
    const float panel = 86.16f / 4;
    const float across = fract(s / panel) * panel, up = y + 49.5f;
    const float edge = std::fmin(std::fmin(across, panel - across), std::fmin(up, 103.5f - up));
    c = vec3(0.40f, 0.46f, 0.54f);
    if (edge < 2.2f)
      c = vec3(0.55f, 0.6f, 0.66f);
    if (edge < 0.6f)
      c = vec3(0.07f, 0.08f, 0.1f);
    // A thin orange mark at each panel's waist.
    if (std::fabs(up - 52) < 0.6f && std::fabs(across - panel / 2) < 4)
      c = vec3(1.0f, 0.58f, 0.02f);
  } else {
    c = vec3(0.28f, 0.32f, 0.38f) * (1 - 0.6f * lines(y, 5, 0.5f));
  }
  return c * n;
}

vec3 floor_albedo(const vec3 &p) {
  const float tile = 12.5f;
  const int tx = int(std::floor(p.x / tile)), tz = int(std::floor(p.z / tile));
  const float shade = 0.9f + 0.2f * float(hash2(tx, tz) % 1000) / 1000.0f;
  vec3 c = vec3(0.36f, 0.36f, 0.39f) * shade * (1 + 0.08f * grain().fractal(p * 0.3f, 3));
  const float grout = std::fmax(lines(p.x, tile, 0.5f), lines(p.z, tile, 0.5f));
  c = c * (1 - grout) + vec3(0.06f, 0.06f, 0.07f) * grout;
  const float r = std::sqrt(p.x * p.x + p.z * p.z);
  if (std::fabs(r - 45) < 1 || std::fabs(r - 49) < 0.4f)
    c = vec3(1.0f, 0.58f, 0.02f) * 0.8f;
  return c;
}

vec3 ceiling_albedo(const vec3 &p) {
  const float coffer = std::fmax(lines(p.x, 25, 1.2f), lines(p.z, 25, 1.2f));
  const vec3 c = vec3(0.30f, 0.31f, 0.34f) * (1 + 0.12f * grain().fractal(p * 0.08f, 4));
  return c * (1 - 0.55f * coffer);
}

vec3 metal_albedo(const vec3 &p) {
  const float bands = lines(p.y, 24, 1.0f);
  const vec3 c = vec3(0.50f, 0.51f, 0.55f) * (1 + 0.05f * grain().fractal(p * 0.5f, 2));
  return c * (1 - 0.6f * bands);
}

std::vector<sRoomPiece> room_pieces() {
  std::vector<sRoomPiece> pieces = {
      {"walls", walls_piece(), wall_albedo, 256, 1024},
      {"floor", floor_piece(), floor_albedo, 256, 1024},
      {"ceiling", ceiling_piece(), ceiling_albedo, 128, 512},
      {"pillars", pillars_piece(), metal_albedo, 256, 512},
      {"ribs", ribs_piece(), [](const vec3 &p) { return metal_albedo(p) * 0.85f; }, 128, 512},
  };
  for (sRoomPiece &piece : pieces) {
    operators::unwrap_pieces(piece.mesh, 0.015f);
    piece.mesh.materials = {room_material(piece.name)};
  }
  return pieces;
}

// The sconces glow: not lit, one colour.
cMesh sconces_textured() {
  cMesh mesh = sconces_piece();
  operators::unwrap_pieces(mesh, 0.02f);
  mesh.materials = {room_material("sconces")};
  return mesh;
}

cMesh room() {
  std::vector<cMesh> parts;
  for (const sRoomPiece &piece : room_pieces())
    parts.push_back(piece.mesh);
  parts.push_back(sconces_textured());
  return operators::merged(parts);
}

sMeshNeeds room_needs() {
  sMeshNeeds needs;
  needs.closed = true; // the shell and every box in it
  needs.uvs = true;
  needs.normals = true;
  needs.min_size = vec3(200, 140, 200);
  needs.max_radius = 140; // within the far plane of every eye position
  needs.max_triangles = 20000;
  return needs;
}

// The shell alone must face in, or culling hides it from the eye inside.
void require_inward_shell() {
  const cMesh shell = operators::merged({floor_piece(), walls_piece(), ceiling_piece()});
  const sMeshFacts facts = inspect(shell);
  if (!(facts.signed_volume < 0) || facts.open_edges || facts.misoriented_edges)
    throw std::runtime_error("the hall's shell is not closed and facing in");
}

// Soft roll-off so the pools near the lamps keep their colour.
float tone(float light) { return 1.0f - std::exp(-1.4f * light); }

cImage baked_texture(const std::string &name) {
  std::vector<sRoomPiece> pieces = room_pieces();
  sBakeSettings settings;
  settings.ambient = kCool * 0.75f;
  settings.ambient_rays = 12;
  settings.ambient_reach = 35;
  settings.shadow_samples = 2;
  settings.seed = 6102;
  cLightBaker baker(settings);
  size_t mine = pieces.size();
  for (size_t i = 0; i < pieces.size(); ++i) {
    const size_t index = baker.add_piece(pieces[i].mesh);
    if (pieces[i].name == name)
      mine = index;
  }
  if (mine == pieces.size())
    throw std::runtime_error("no room piece called " + name);
  baker.add_occluder(sconces_piece());
  for (const sBakeLight &lamp : lamps())
    baker.add_light(lamp);
  const sRoomPiece &piece = pieces[mine];
  const cImage light = baker.bake(mine, piece.light_size, piece.light_size);

  // The picture at its own size: albedo from where each texel lies, times
  // the light read between the baked texels.
  const int size = piece.texture_size;
  const float ratio = float(piece.light_size) / float(size);
  const std::vector<sBakeTexel> where = cLightBaker::texels(piece.mesh, size, size);
  std::vector<vec3> colour(where.size());
  std::vector<uint8_t> covered(where.size());
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const size_t i = size_t(y) * size + x;
      if (!where[i].covered)
        continue;
      const rgba l =
          light.sample((float(x) + 0.5f) * ratio - 0.5f, (float(y) + 0.5f) * ratio - 0.5f);
      colour[i] = mul(piece.albedo(where[i].position), vec3(tone(l.r), tone(l.g), tone(l.b)));
      covered[i] = 1;
    }
  cLightBaker::grow_into_gaps(colour, covered, size, size, 6);
  cImage out(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const vec3 &c = colour[size_t(y) * size + x];
      out.set(x, y, rgba(c.x, c.y, c.z, 1));
    }
  return out;
}

cImage sconce_texture() {
  cImage out(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      out.set(x, y, rgba(1.0f, 0.86f, 0.62f));
  return out;
}

// A flat ring in the xy plane, the logo four times around it: u counts the
// repeats around (the texture wraps), v runs from the inner edge (0) out.
cMesh logo_ring() {
  cMesh mesh;
  constexpr int kSegments = 160;
  constexpr float kInner = 29, kOuter = 40, kRepeats = 4;
  for (int i = 0; i <= kSegments; ++i) {
    const float t = float(i) / kSegments, a = kTau * t;
    const vec3 dir(std::cos(a), std::sin(a), 0);
    mesh.add_vertex(dir * kInner, vec3(0, 0, 1), vec2(t * kRepeats, 0));
    mesh.add_vertex(dir * kOuter, vec3(0, 0, 1), vec2(t * kRepeats, 1));
  }
  for (uint32_t i = 0; i < kSegments; ++i)
    mesh.add_quad(2 * i, 2 * i + 2, 2 * i + 3, 2 * i + 1);
  return mesh;
}

sMeshNeeds logo_ring_needs() {
  sMeshNeeds needs;
  needs.normals = true;
  needs.uvs = true;
  needs.no_materials = true;
  needs.min_radius = 35;
  needs.max_radius = 45;
  needs.origin_tolerance = 1;
  return needs;
}

// The show's title in white over an orange glow between two rules, on full
// transparency: the alpha is the mask the rings are cut by.
cImage logo() {
  constexpr int kWidth = 1024, kHeight = 256;
  cImage marks(kWidth, kHeight);
  const cFontRasterizer title(show_style::font_path(true), 150);
  const int tracking = 28;
  const int width = title.measure(show_style::kTitle, tracking) - tracking;
  title.draw(marks, show_style::kTitle, (kWidth - width) / 2, 183, show_style::kWhite, tracking);
  for (int x = 0; x < kWidth; ++x)
    for (int y : {18, 19, 20, 21, 234, 235, 236, 237})
      marks.set(x, y, show_style::kOrange);
  // A diamond where one repeat meets the next.
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const int dx = std::min(x, kWidth - 1 - x), dy = std::abs(y - 128);
      if (dx + dy < 34)
        marks.set(x, y, show_style::kOrange);
    }
  cImage glow = pictures::blurred(marks, 7);
  pictures::tint(glow, rgba(1.0f, 0.5f, 0.05f, 0.9f));
  cImage out(kWidth, kHeight);
  pictures::composite(out, glow, 0, 0);
  pictures::composite(out, marks, 0, 0);
  return out;
}

// Columns run along the beam, rows across it: a white-hot middle row in a
// green glow that fades to nothing at the top and bottom rows.
cImage laser() {
  constexpr int kWidth = 32, kHeight = 64;
  cImage out(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    const float d = std::fabs((float(y) + 0.5f) / kHeight - 0.5f) * 2; // 0 middle, 1 edge
    const float core = std::exp(-(d / 0.12f) * (d / 0.12f));
    const float glow = std::exp(-(d / 0.42f) * (d / 0.42f)) * (1 - d * d);
    const rgba c(std::fmin(1.0f, 0.15f * glow + core), std::fmin(1.0f, glow + core),
                 std::fmin(1.0f, 0.45f * glow + core), std::fmin(1.0f, glow + core));
    for (int x = 0; x < kWidth; ++x)
      out.set(x, y, c);
  }
  return out;
}

} // namespace

void add_scene06_recipes(cRecipeBook &book) {
  book.add(kDir + "laserrum_baked.rar", [] {
    require_inward_shell();
    return asset_files::bobj_in_rar("laserrum_baked.bobj", room(), room_needs());
  });
  for (const char *piece : {"walls", "floor", "ceiling", "pillars", "ribs"}) {
    const std::string name = piece;
    book.add(kDir + "laserrum_" + name + "_baked.jpg",
             [name] { return asset_files::jpeg(baked_texture(name), 90); });
  }
  book.add(kDir + "laserrum_sconces_baked.jpg",
           [] { return asset_files::jpeg(sconce_texture(), 90); });
  book.add(kDir + "orvalt_circle.bobj",
           [] { return asset_files::bobj(logo_ring(), logo_ring_needs()); });
  book.add(kDir + "orvalt_logo.png", [] { return asset_files::png(logo(), 4); });
  book.add(kDir + "laser_tex.png", [] { return asset_files::png(laser(), 4); });
}
