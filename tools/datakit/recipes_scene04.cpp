// Scene 4, the orchid grid: one orchid on an arching stem (sepals, broad
// petals, a magenta lip, buds, glossy leaves), its textures beside it in the
// scene's folder, and the blurred garden behind the grid. The scene draws
// it with culling on, so every thin part has a face on both sides, and
// samples texture unit 0 for every group, so every material has a picture.
#include "recipes.h"

#include "asset_files.h"
#include "cRandom.h"
#include "mesh_operators.h"
#include "picture_ops.h"

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979323846f;
const std::string kDir = "models/orchid_models_obj/";

float smoothstep(float lo, float hi, float x) {
  const float t = std::fmin(std::fmax((x - lo) / (hi - lo), 0.0f), 1.0f);
  return t * t * (3 - 2 * t);
}

sMeshMaterial textured(const std::string &name, const std::string &map, const vec3 &specular,
                       float shininess) {
  sMeshMaterial m;
  m.name = name;
  m.ambient = vec3(1, 1, 1);
  m.diffuse = vec3(1, 1, 1);
  m.specular = specular;
  m.shininess = shininess;
  m.diffuse_map = map;
  return m;
}

// A thin surface p(u, v), u in [-1, 1] across and v in [0, 1] along, with
// texture coordinates ((u + 1) / 2, v), made twice: once facing
// cross(dp/du, dp/dv) and once the other way, so it shows from both sides.
void add_sheet(cMesh &mesh, uint32_t material, int columns, int rows,
               const std::function<vec3(float, float)> &p) {
  const float h = 1e-3f;
  for (int side = 0; side < 2; ++side) {
    const uint32_t first = uint32_t(mesh.vertex_count());
    for (int j = 0; j <= rows; ++j)
      for (int i = 0; i <= columns; ++i) {
        const float u = -1 + 2 * float(i) / float(columns), v = float(j) / float(rows);
        const vec3 du = p(std::fmin(u + h, 1), v) - p(std::fmax(u - h, -1), v);
        const vec3 dv = p(u, std::fmin(v + h, 1)) - p(u, std::fmax(v - h, 0));
        vec3 n = normalize(cross(du, dv));
        if (side)
          n = -n;
        mesh.add_vertex(p(u, v), n, vec2((u + 1) / 2, v));
      }
    for (int j = 0; j < rows; ++j)
      for (int i = 0; i < columns; ++i) {
        const uint32_t a = first + uint32_t(j * (columns + 1) + i), b = a + 1,
                       c = b + uint32_t(columns + 1), d = a + uint32_t(columns + 1);
        if (side)
          mesh.add_quad(a, d, c, b, material);
        else
          mesh.add_quad(a, b, c, d, material);
      }
  }
}

// A closed ellipsoid about centre with the three half-axes given as vectors;
// texture coordinates are longitude and latitude from the first axis' end.
void add_ellipsoid(cMesh &mesh, uint32_t material, const vec3 &centre, const vec3 &ax,
                   const vec3 &ay, const vec3 &az, int rings, int segments) {
  const uint32_t first = uint32_t(mesh.vertex_count());
  const vec3 nx = ax / dot(ax, ax), ny = ay / dot(ay, ay), nz = az / dot(az, az);
  for (int j = 0; j <= rings; ++j) {
    const float lat = kPi * float(j) / float(rings);
    for (int i = 0; i <= segments; ++i) {
      const float lon = 2 * kPi * float(i) / float(segments);
      const float c = std::cos(lat), s = std::sin(lat);
      const float a = c, b = s * std::cos(lon), e = s * std::sin(lon);
      mesh.add_vertex(centre + ax * a + ay * b + az * e, normalize(nx * a + ny * b + nz * e),
                      vec2(float(i) / float(segments), 1 - float(j) / float(rings)));
    }
  }
  for (int j = 0; j < rings; ++j)
    for (int i = 0; i < segments; ++i) {
      const uint32_t a = first + uint32_t(j * (segments + 1) + i), b = a + 1,
                     c = b + uint32_t(segments + 1), d = a + uint32_t(segments + 1);
      // Outward when ax, ay, az are right-handed.
      if (j > 0)
        mesh.add_triangle(a, c, b, material);
      if (j + 1 < rings)
        mesh.add_triangle(a, d, c, material);
    }
}

// A tube of radius r(t) along curve(t), t in [0, 1], open at both ends (the
// leaves hide the foot, a bud the tip). Texture v runs along it.
void add_tube(cMesh &mesh, uint32_t material, const std::function<vec3(float)> &curve,
              const std::function<float(float)> &r, int segments, int sides) {
  const uint32_t first = uint32_t(mesh.vertex_count());
  for (int j = 0; j <= segments; ++j) {
    const float t = float(j) / float(segments);
    const vec3 c = curve(t);
    const vec3 tangent = normalize(curve(std::fmin(t + 1e-3f, 1)) - curve(std::fmax(t - 1e-3f, 0)));
    const vec3 side = any_perpendicular(tangent), other = cross(tangent, side);
    for (int i = 0; i <= sides; ++i) {
      const float a = 2 * kPi * float(i) / float(sides);
      const vec3 n = side * std::cos(a) + other * std::sin(a);
      mesh.add_vertex(c + n * r(t), n, vec2(float(i) / float(sides), t * 6));
    }
  }
  for (int j = 0; j < segments; ++j)
    for (int i = 0; i < sides; ++i) {
      const uint32_t a = first + uint32_t(j * (sides + 1) + i), b = a + 1,
                     c = b + uint32_t(sides + 1), d = a + uint32_t(sides + 1);
      mesh.add_quad(a, b, c, d, material);
    }
}

vec3 bezier(const vec3 &p0, const vec3 &p1, const vec3 &p2, const vec3 &p3, float t) {
  const float s = 1 - t;
  return p0 * (s * s * s) + p1 * (3 * s * s * t) + p2 * (3 * s * t * t) + p3 * (t * t * t);
}

// The flower stem: up from the leaves, arching over toward +x.
vec3 stem_at(float t) {
  return bezier(vec3(0, 1, 0), vec3(0.3f, 32, 0), vec3(1.2f, 71, 0), vec3(5.5f, 54, 0), t);
}

struct flower_frame {
  vec3 centre, right, up, face;
  vec3 at(float x, float y, float z) const { return centre + right * x + up * y + face * z; }
};

// Half-width along a petal: a narrow claw at the base, widest past the
// middle, rounded at the tip (the picture's alpha rounds it off).
float petal_width(float v, float widest) {
  return widest * (0.14f + 0.86f * std::pow(std::sin(kPi * std::fmin(v, 1.0f) * 0.92f), 0.75f));
}

// One petal or sepal of length, half-width widest, at angle degrees from the
// flower's up, cupped forward by cup and its tip curled back by curl.
void add_petal(cMesh &mesh, uint32_t material, const flower_frame &f, float angle, float length,
               float widest, float cup, float curl, float lift) {
  const float a = angle * kPi / 180;
  const vec3 along = f.up * std::cos(a) - f.right * std::sin(a);
  const vec3 across = f.right * std::cos(a) + f.up * std::sin(a);
  add_sheet(mesh, material, 5, 6, [&](float u, float v) {
    const float x = u * petal_width(v, widest);
    const float z = lift + cup * x * x / widest - curl * v * v * length * 0.25f;
    return f.centre + along * (v * length + 0.15f) + across * x + f.face * z;
  });
}

// The lip: two side lobes that fold up around the column, a narrow waist and
// a spreading middle lobe, hanging below the centre in front of the petals.
void add_lip(cMesh &mesh, uint32_t material, const flower_frame &f) {
  const float length = 2.5f;
  add_sheet(mesh, material, 5, 7, [&](float u, float v) {
    const float side = 0.95f * std::exp(-std::pow((v - 0.3f) / 0.2f, 2.0f));
    const float middle = 0.75f * std::exp(-std::pow((v - 0.78f) / 0.17f, 2.0f));
    const float w = 0.22f + side + middle;
    const float x = u * w;
    // Side lobes fold forward into a cup; the middle lobe flares.
    const float z = 0.35f + 0.9f * side * u * u + 0.25f * v;
    return f.centre - f.up * (v * length + 0.1f) + f.right * x + f.face * z;
  });
}

void add_flower(cMesh &mesh, uint32_t petal, uint32_t lip, uint32_t column, const flower_frame &f) {
  // Sepals behind, petals over them, the lip in front.
  add_petal(mesh, petal, f, 0, 3.5f, 0.9f, 0.25f, 0.5f, -0.12f);
  add_petal(mesh, petal, f, 128, 3.4f, 0.85f, 0.25f, 0.5f, -0.12f);
  add_petal(mesh, petal, f, -128, 3.4f, 0.85f, 0.25f, 0.5f, -0.12f);
  add_petal(mesh, petal, f, 72, 3.4f, 1.75f, 0.3f, 0.35f, 0.0f);
  add_petal(mesh, petal, f, -72, 3.4f, 1.75f, 0.3f, 0.35f, 0.0f);
  add_lip(mesh, lip, f);
  // The column over the lip, pale like the buds.
  add_ellipsoid(mesh, column, f.at(0, -0.15f, 0.45f), f.up * 0.45f, f.face * 0.25f, f.right * 0.22f,
                4, 6);
}

// A leaf of length and half-width, leaving the foot toward out, rising and
// then bending down, folded along its midrib.
void add_leaf(cMesh &mesh, uint32_t material, float azimuth, float length, float widest, float rise,
              float foot_height) {
  const float a = azimuth * kPi / 180;
  const vec3 out(std::cos(a), 0, std::sin(a)), up(0, 1, 0), side = cross(out, up);
  add_sheet(mesh, material, 4, 9, [&](float u, float v) {
    const float w = widest * (0.3f + 0.7f * std::pow(std::sin(kPi * (0.06f + 0.9f * v)), 0.45f));
    const float x = u * w;
    const float reach = length * v;
    const float height = foot_height + length * (rise * v - 0.45f * v * v) + 0.22f * std::fabs(x);
    return out * (reach + 0.3f) + side * x + up * height;
  });
}

cMesh orchid() {
  cMesh mesh;
  const uint32_t petal = mesh.material_index(
      textured("orchid_petal", "orchid_petal.png", vec3(0.25f, 0.25f, 0.25f), 20));
  const uint32_t lip =
      mesh.material_index(textured("orchid_lip", "orchid_lip.png", vec3(0.3f, 0.3f, 0.3f), 30));
  const uint32_t leaf =
      mesh.material_index(textured("orchid_leaf", "orchid_leaf.png", vec3(0.7f, 0.75f, 0.6f), 56));
  const uint32_t stem =
      mesh.material_index(textured("orchid_stem", "orchid_stem.png", vec3(0.15f, 0.15f, 0.1f), 12));
  const uint32_t bud =
      mesh.material_index(textured("orchid_bud", "orchid_bud.png", vec3(0.3f, 0.3f, 0.3f), 24));

  // Leaves in two ranks, the older ones longer and lower, spreading wide
  // and overlapping at the foot.
  add_leaf(mesh, leaf, 10, 9.3f, 2.9f, 0.4f, 1.0f);
  add_leaf(mesh, leaf, 190, 9.2f, 2.8f, 0.45f, 1.3f);
  add_leaf(mesh, leaf, 70, 8.6f, 2.6f, 0.55f, 1.7f);
  add_leaf(mesh, leaf, 250, 8.3f, 2.5f, 0.6f, 2.0f);
  add_leaf(mesh, leaf, 130, 7.4f, 2.2f, 0.75f, 2.4f);
  add_leaf(mesh, leaf, 310, 6.6f, 2.0f, 0.85f, 2.7f);

  add_tube(
      mesh, stem, stem_at, [](float t) { return 0.34f - 0.14f * t; }, 40, 6);

  // Flowers hang from the arch on short stalks, turned alternately to
  // either side of it and tipped up toward the cameras above.
  const float at[] = {0.55f, 0.63f, 0.71f, 0.79f, 0.87f};
  for (int k = 0; k < 5; ++k) {
    const vec3 node = stem_at(at[k]);
    const float turn = (k % 2 ? 1 : -1) * (35.0f + 8.0f * float(k)) * kPi / 180;
    const vec3 level(std::cos(turn), 0, std::sin(turn));
    const vec3 face = normalize(level + vec3(0, 0.62f, 0));
    const vec3 up = normalize(vec3(0, 1, 0) - face * face.y);
    flower_frame f{node + level * 0.9f - vec3(0, 2.4f, 0), cross(up, face), up, face};
    add_tube(
        mesh, stem, [&](float t) { return lerp(node, f.centre - face * 0.3f, t); },
        [](float) { return 0.09f; }, 3, 4);
    add_flower(mesh, petal, lip, bud, f);
  }
  // Buds toward the tip, smallest last.
  const float bud_at[] = {0.93f, 0.97f, 1.0f};
  const float bud_size[] = {0.75f, 0.6f, 0.45f};
  for (int k = 0; k < 3; ++k) {
    const vec3 c = stem_at(bud_at[k]);
    const vec3 along = normalize(stem_at(bud_at[k]) - stem_at(bud_at[k] - 0.02f));
    const vec3 side = normalize(cross(along, vec3(0, 0, 1)));
    const float s = bud_size[k];
    add_ellipsoid(mesh, bud, c - side * (s * 0.6f), along * (s * 1.35f), side * s,
                  cross(along, side) * s, 6, 8);
  }
  return mesh;
}

sMeshNeeds orchid_needs() {
  sMeshNeeds needs;
  needs.normals = true;
  needs.uvs = true;
  needs.min_size = vec3(10, 55, 10);
  needs.max_size = vec3(20, 65, 20); // cells stand 25 apart
  needs.max_triangles = 10000;       // sixteen a frame
  return needs;
}

// The close shots put the eye about 10 units from the centre cell's axis
// at heights 45 to 65: above the leaves everything stays well inside that.
void require_slim(const cMesh &mesh) {
  for (const vec3 &p : mesh.positions)
    if (p.y > 12 && std::sqrt(p.x * p.x + p.z * p.z) > 9.0f)
      throw std::runtime_error("orchid too wide above its leaves at height " + std::to_string(p.y));
  vec3 lo, hi;
  mesh.bounds(lo, hi);
  if (lo.y < -0.01f || lo.y > 1.5f)
    throw std::runtime_error("orchid does not stand on its cell");
}

// Alpha of a petal-shaped picture: the edge across (u in [-1, 1]) waved a
// little, and the tip rounded off.
float petal_alpha(float u, float v, float wave) {
  const float edge = 0.93f + wave;
  const float tip = 0.97f - 0.1f * u * u;
  return (1 - smoothstep(edge - 0.03f, edge, std::fabs(u))) * (1 - smoothstep(tip - 0.03f, tip, v));
}

// White, blushing pale pink toward the edges, with magenta veins fanning
// from the base and a few spots near it.
cImage petal_picture() {
  constexpr int kSize = 256;
  cImage image(kSize, kSize);
  const cNoise noise(4101);
  const rgba white(0.98f, 0.96f, 0.97f), blush(0.96f, 0.74f, 0.87f), vein(0.72f, 0.12f, 0.48f);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float u = 2 * (float(x) + 0.5f) / kSize - 1, v = 1 - (float(y) + 0.5f) / kSize;
      rgba c = mix(white, blush, smoothstep(0.25f, 1.0f, std::fabs(u) * 0.7f + v * 0.45f));
      // Veins follow the petal's fan: lines of constant u / sqrt-ish spread.
      const float fan = u / (0.25f + 0.75f * std::sqrt(std::fmax(v, 0.0f)));
      const float stripe = 0.5f + 0.5f * std::cos(fan * kPi * 6.5f);
      const float strength = std::pow(stripe, 8.0f) * (1 - smoothstep(0.1f, 0.85f, v)) * 0.75f;
      c = mix(c, vein, strength);
      const float spot = noise.fractal(vec3(u * 9, v * 9, 0.5f), 2);
      c = mix(c, vein, smoothstep(0.35f, 0.5f, spot) * (1 - smoothstep(0.05f, 0.3f, v)) * 0.6f);
      const float wave = 0.035f * noise.at(vec3(0, v * 7, 3.3f));
      image.set(x, y, with_alpha(c, petal_alpha(u, v, wave)));
    }
  return image;
}

// Deep magenta, lighter at the lobes' rims, with a yellow throat streaked
// red at the base.
cImage lip_picture() {
  constexpr int kSize = 128;
  cImage image(kSize, kSize);
  const cNoise noise(4102);
  const rgba magenta(0.58f, 0.04f, 0.34f), rim(0.82f, 0.25f, 0.56f), yellow(1.0f, 0.8f, 0.12f),
      streak(0.85f, 0.15f, 0.1f);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float u = 2 * (float(x) + 0.5f) / kSize - 1, v = 1 - (float(y) + 0.5f) / kSize;
      rgba c = mix(magenta, rim, smoothstep(0.5f, 1.0f, std::fabs(u)));
      const float throat =
          (1 - smoothstep(0.15f, 0.45f, v)) * (1 - smoothstep(0.3f, 0.7f, std::fabs(u)));
      c = mix(c, yellow, throat);
      const float lines = std::pow(0.5f + 0.5f * std::cos(u * kPi * 7), 6.0f);
      c = mix(c, streak, lines * throat * 0.7f);
      c = shade(c, 0.92f + 0.12f * noise.fractal(vec3(u * 6, v * 6, 1), 2));
      const float wave = 0.03f * noise.at(vec3(0, v * 9, 7.1f));
      image.set(x, y, with_alpha(c, petal_alpha(u, v, wave)));
    }
  return image;
}

// Glossy dark green with a pale midrib, fine parallel veins and a darker rim.
cImage leaf_picture() {
  constexpr int kWidth = 128, kHeight = 256;
  cImage image(kWidth, kHeight);
  const cNoise noise(4103);
  const rgba dark(0.03f, 0.14f, 0.05f), mid(0.07f, 0.25f, 0.08f), rib(0.3f, 0.42f, 0.18f);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const float u = 2 * (float(x) + 0.5f) / kWidth - 1, v = 1 - (float(y) + 0.5f) / kHeight;
      rgba c = mix(mid, dark, smoothstep(0.4f, 1.0f, std::fabs(u)));
      c = mix(c, rib, std::exp(-std::pow(u / 0.045f, 2.0f)) * 0.8f);
      c = shade(c, 0.9f + 0.1f * std::cos(u * kPi * 14));
      c = shade(c, 0.9f + 0.2f * noise.fractal(vec3(u * 3, v * 12, 2), 3));
      const float tip = 0.985f - 0.2f * u * u;
      image.set(x, y, with_alpha(c, 1 - smoothstep(tip - 0.02f, tip, v)));
    }
  return image;
}

// Olive green with brown streaks along the stem.
cImage stem_picture() {
  constexpr int kSize = 64;
  cImage image(kSize, kSize);
  const cNoise noise(4104);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float n = noise.fractal(vec3(float(x) * 0.2f, float(y) * 0.03f, 0), 3);
      image.set(
          x, y,
          mix(rgba(0.24f, 0.36f, 0.13f), rgba(0.33f, 0.22f, 0.12f), smoothstep(-0.1f, 0.4f, n)));
    }
  return image;
}

// Pale green buds blushing pink toward their tips, with faint seams.
cImage bud_picture() {
  constexpr int kSize = 64;
  cImage image(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float lon = (float(x) + 0.5f) / kSize, lat = 1 - (float(y) + 0.5f) / kSize;
      rgba c = mix(rgba(0.62f, 0.78f, 0.45f), rgba(0.93f, 0.72f, 0.84f),
                   smoothstep(0.2f, 0.8f, 1 - lat));
      c = shade(c, 0.85f + 0.15f * std::fabs(std::cos(lon * kPi * 3)));
      image.set(x, y, c);
    }
  return image;
}

// An out-of-focus garden: a dark green ground, lighter toward the top, with
// large soft discs of pink, white and leaf green. Kept dark, because the blur
// adds up to four times the picture onto itself on a bass drum. The picture
// is stretched over a 4:3 screen, so discs are drawn 1.5 times wider than
// tall to come out round.
cImage garden_picture() {
  constexpr int kWidth = 1024, kHeight = 512;
  cImage image(kWidth, kHeight);
  pictures::fill_linear_gradient(image, vec2(0, 0), vec2(0, kHeight),
                                 {{0.0f, rgba(0.07f, 0.13f, 0.1f)},
                                  {0.6f, rgba(0.035f, 0.075f, 0.05f)},
                                  {1.0f, rgba(0.025f, 0.05f, 0.035f)}});
  const rgba colours[] = {rgba(0.85f, 0.42f, 0.64f), rgba(0.92f, 0.9f, 0.86f),
                          rgba(0.42f, 0.62f, 0.28f), rgba(0.62f, 0.12f, 0.42f),
                          rgba(0.28f, 0.45f, 0.22f)};
  cRandom random(4105);
  cImage discs(kWidth, kHeight);
  for (int k = 0; k < 46; ++k) {
    const rgba colour = colours[random.below(5)];
    const float cx = random.range(-40, kWidth + 40), cy = random.range(-30, kHeight + 30);
    const float ry = random.range(14, 70), rx = ry * 1.5f, alpha = random.range(0.12f, 0.32f);
    for (int y = int(cy - ry) - 2; y <= int(cy + ry) + 2; ++y)
      for (int x = int(cx - rx) - 2; x <= int(cx + rx) + 2; ++x) {
        const float d = std::hypot((float(x) + 0.5f - cx) / rx, (float(y) + 0.5f - cy) / ry);
        // A bright rim, as out-of-focus highlights have.
        const float cover =
            (1 - smoothstep(0.9f, 1.0f, d)) * (0.8f + 0.2f * smoothstep(0.6f, 0.95f, d));
        if (cover > 0)
          discs.blend(x, y, colour, cover * alpha);
      }
  }
  pictures::composite(image, pictures::blurred(discs, 5), 0, 0);
  return pictures::blurred(image, 2);
}

} // namespace

void add_scene04_recipes(cRecipeBook &book) {
  book.add(kDir + "orchid.rar", [] {
    const cMesh mesh = orchid();
    require_slim(mesh);
    return asset_files::bobj_in_rar("orchid.bobj", mesh, orchid_needs());
  });
  book.add(kDir + "orchid_petal.png", [] { return asset_files::png(petal_picture(), 4); });
  book.add(kDir + "orchid_lip.png", [] { return asset_files::png(lip_picture(), 4); });
  book.add(kDir + "orchid_leaf.png", [] { return asset_files::png(leaf_picture(), 4); });
  book.add(kDir + "orchid_stem.png", [] { return asset_files::png(stem_picture(), 3); });
  book.add(kDir + "orchid_bud.png", [] { return asset_files::png(bud_picture(), 3); });
  book.add(kDir + "flower-bg.jpg", [] { return asset_files::jpeg(garden_picture(), 90); });
}
