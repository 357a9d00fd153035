// Scene 10, the greetings: a large gear with bevelled teeth, spokes and a
// hub, lying in the xy plane under a camera 74 above it, and the picture
// behind it, whose words sit at the top and on the right where the gear
// leaves the screen free.
#include "recipes.h"

#include "asset_files.h"
#include "cFontRasterizer.h"
#include "mesh_operators.h"
#include "mesh_primitives.h"
#include "picture_ops.h"
#include "show_style.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr float kTau = 6.28318530717958647692f;

constexpr int kTeeth = 28;
constexpr float kTipRadius = 120.0f;
constexpr float kRootRadius = 110.0f;
constexpr float kRimInner = 94.0f;
constexpr float kRimHalf = 5.0f; // the rim is 10 thick
constexpr float kBevel = 1.6f;

// Every triangle with its own three corners and its face's normal: hard
// edges everywhere, as machined metal shows them.
void facet(cMesh &mesh) {
  cMesh flat;
  flat.materials = mesh.materials;
  for (const sTriangle &t : mesh.triangles) {
    const vec3 n = normalize(mesh.face_normal(t));
    const uint32_t a = flat.add_vertex(mesh.positions[t.v[0]], n);
    const uint32_t b = flat.add_vertex(mesh.positions[t.v[1]], n);
    const uint32_t c = flat.add_vertex(mesh.positions[t.v[2]], n);
    flat.add_triangle(a, b, c, t.material);
  }
  mesh = flat;
}

// The rim's outer edge, one tooth after another, counter-clockwise: a root
// arc, a rising flank, the tip arc and a falling flank.
std::vector<vec2> toothed_outline() {
  const float pitch = kTau / float(kTeeth);
  const struct {
    float at, radius;
  } tooth[] = {{0.0f, kRootRadius}, {0.13f, kRootRadius}, {0.26f, kRootRadius}, {0.4f, kTipRadius},
               {0.53f, kTipRadius}, {0.66f, kTipRadius},  {0.8f, kRootRadius}};
  std::vector<vec2> out;
  for (int i = 0; i < kTeeth; ++i)
    for (const auto &p : tooth) {
      const float a = pitch * (float(i) + p.at);
      out.push_back({p.radius * std::cos(a), p.radius * std::sin(a)});
    }
  return out;
}

vec2 towards_centre(const vec2 &p, float by) {
  const float r = std::sqrt(p.x * p.x + p.y * p.y);
  return {p.x * (r - by) / r, p.y * (r - by) / r};
}

// The outline pulled in by d along its corner bisectors (a mitre, limited
// so that the sharp tooth corners do not spike).
std::vector<vec2> inset(const std::vector<vec2> &outline, float d) {
  const size_t n = outline.size();
  std::vector<vec2> out(n);
  for (size_t i = 0; i < n; ++i) {
    const vec2 &prev = outline[(i + n - 1) % n], &p = outline[i], &next = outline[(i + 1) % n];
    auto edge_normal = [](const vec2 &a, const vec2 &b) {
      const float dx = b.x - a.x, dy = b.y - a.y, len = std::sqrt(dx * dx + dy * dy);
      return vec2{dy / len, -dx / len}; // outward for a counter-clockwise outline
    };
    const vec2 n0 = edge_normal(prev, p), n1 = edge_normal(p, next);
    vec2 m{n0.x + n1.x, n0.y + n1.y};
    const float len = std::sqrt(m.x * m.x + m.y * m.y);
    m = {m.x / len, m.y / len};
    const float cosine = std::max(m.x * n0.x + m.y * n0.y, 0.5f);
    out[i] = {p.x - m.x * d / cosine, p.y - m.y * d / cosine};
  }
  return out;
}

// The toothed rim: a ring between the toothed outline and a circle sampled
// at the same angles, its four edges bevelled. Layers of loops, each joined
// to the next by a band of quads, counter-clockwise seen from outside.
cMesh toothed_rim() {
  const std::vector<vec2> outer = toothed_outline();
  const std::vector<vec2> outer_in = inset(outer, kBevel);
  std::vector<vec2> inner, inner_out;
  for (const vec2 &p : outer) {
    const float r = std::sqrt(p.x * p.x + p.y * p.y);
    inner.push_back({p.x * kRimInner / r, p.y * kRimInner / r});
    inner_out.push_back(towards_centre(inner.back(), -kBevel));
  }
  const float h = kRimHalf, low = kRimHalf - kBevel;
  // Around the section: outer wall up, top, inner wall down, bottom.
  const struct {
    const std::vector<vec2> *loop;
    float z;
  } loops[] = {{&outer_in, -h}, {&outer, -low}, {&outer, low},  {&outer_in, h},
               {&inner_out, h}, {&inner, low},  {&inner, -low}, {&inner_out, -h}};
  constexpr int kLoops = 8;
  cMesh rim;
  const size_t n = outer.size();
  for (const auto &l : loops)
    for (const vec2 &p : *l.loop)
      rim.add_vertex(vec3(p.x, p.y, l.z));
  for (int k = 0; k < kLoops; ++k) {
    const uint32_t here = uint32_t(size_t(k) * n), next = uint32_t(size_t((k + 1) % kLoops) * n);
    for (size_t i = 0; i < n; ++i) {
      const uint32_t j = uint32_t((i + 1) % n);
      rim.add_quad(here + uint32_t(i), here + j, next + j, next + uint32_t(i));
    }
  }
  return rim;
}

// A spoke from the hub to the rim along the x axis, turned to its angle.
cMesh spoke(float degrees) {
  cMesh bar = primitives::chamfered_box(vec3(80, 12, 6), 1.4f);
  operators::transform(bar, cTransform::rotate(vec3(0, 0, 1), degrees) *
                                cTransform::translate(vec3(58, 0, 0)));
  return bar;
}

// A round hub, thicker than the rim, with bevelled faces.
cMesh hub() {
  const float r = 24, h = 8, b = 2;
  return primitives::lathe({{0, -h},
                            {r - b - 1, -h},
                            {r - b, -h},
                            {r, -h + b},
                            {r, h - b},
                            {r - b, h},
                            {r - b - 1, h},
                            {0, h}},
                           64);
}

cMesh greetings_gear() {
  std::vector<cMesh> pieces = {toothed_rim(), hub()};
  for (int i = 0; i < 6; ++i)
    pieces.push_back(spoke(60.0f * float(i) + 15.0f));
  cMesh gear = operators::merged(pieces);
  facet(gear);
  return gear;
}

sMeshNeeds gear_needs() {
  sMeshNeeds needs;
  needs.closed = true;
  needs.outward = true;
  needs.normals = true;
  needs.no_materials = true; // the scene drops them and sets its own orange
  needs.min_radius = 100;
  needs.max_radius = 130;
  needs.max_size = vec3(sMeshNeeds::kAny, sMeshNeeds::kAny, 16); // thin under the eye at 74
  needs.origin_tolerance = 1;                                    // it turns about z
  needs.max_triangles = 12000;
  return needs;
}

float smoothstep(float lo, float hi, float x) {
  const float t = std::fmin(std::fmax((x - lo) / (hi - lo), 0.0f), 1.0f);
  return t * t * (3 - 2 * t);
}

// A dark slate gradient with a warm glow behind where the gear turns, and
// the greetings in white with a soft shadow: the heading across the top,
// the lines down the right side. Words of our own, to no one by name.
cImage greetings_picture() {
  constexpr int kWidth = 1024, kHeight = 768;
  cImage picture(kWidth, kHeight);
  pictures::fill_linear_gradient(picture, vec2{0, 0}, vec2{0, float(kHeight)},
                                 {{0.0f, rgba(0.02f, 0.03f, 0.05f)},
                                  {0.6f, shade(show_style::kSlate, 0.55f)},
                                  {1.0f, rgba(0.01f, 0.01f, 0.02f)}});
  const vec2 glow{370, 420};
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const float dx = float(x) - glow.x, dy = float(y) - glow.y;
      const float d = std::sqrt(dx * dx + dy * dy) / 420.0f;
      const float warm = 0.35f * (1.0f - smoothstep(0.0f, 1.0f, d));
      const rgba base = picture.at(x, y);
      picture.set(x, y, mix(base, shade(show_style::kOrange, 0.55f), warm));
    }

  cImage text(kWidth, kHeight);
  const cFontRasterizer heading(show_style::font_path(true), 58);
  const cFontRasterizer line(show_style::font_path(false), 24);
  constexpr int kTracking = 9;
  const std::string title = "GREETINGS";
  const int title_width = heading.measure(title, kTracking) - kTracking;
  const int right = kWidth - 56;
  heading.draw(text, title, right - title_width, 92, show_style::kWhite, kTracking);
  for (int y = 106; y < 109; ++y)
    for (int x = right - title_width + 3; x < right; ++x)
      text.set(x, y, show_style::kOrange);
  const char *stanzas[][2] = {{"to everyone who codes", "through the night,"},
                              {"to the musicians", "who count in bars,"},
                              {"to the artists", "who paint with polygons,"},
                              {"to the hosts who keep", "the screens bright,"},
                              {"and to all of you", "who watched to the end."}};
  int baseline = 190;
  for (const auto &stanza : stanzas) {
    for (const std::string s : stanza) {
      line.draw(text, s, right - line.measure(s), baseline, show_style::kWhite);
      baseline += 31;
    }
    baseline += 18;
  }
  cImage shadow = pictures::blurred(text, 5);
  pictures::tint(shadow, rgba(0, 0, 0, 0.9f));
  pictures::composite(picture, shadow, 3, 4);
  pictures::composite(picture, text, 0, 0);
  return picture;
}

} // namespace

void add_scene10_recipes(cRecipeBook &book) {
  book.add("models/greetings-gear.bobj",
           [] { return asset_files::bobj(greetings_gear(), gear_needs()); });
  book.add("greetings2.jpg", [] { return asset_files::jpeg(greetings_picture(), 92); });
}
