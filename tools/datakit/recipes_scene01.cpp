// Scene 1, the spinning object: a knotted tube that swells and thins, the
// soap-bubble sphere map its program reflects, and the credits that fade in
// behind it.
#include "recipes.h"

#include "asset_files.h"
#include "cFontRasterizer.h"
#include "mesh_operators.h"
#include "mesh_primitives.h"
#include "picture_ops.h"
#include "show_style.h"

#include <cmath>
#include <vector>

namespace {

constexpr float kTau = 6.28318530717958647692f;

// A trefoil knot 150 units across its lobes, lifted 80 up and down so the
// strands stay 75 apart, with a tube of 19 to 35 that swells three times
// around. The bend program's twist radius is 100, so the lobes turn with
// the outer rotation and the core with the inner one.
cMesh knotted_tube() {
  auto knot = [](float t) {
    const float a = kTau * t;
    return vec3(std::sin(a) + 2 * std::sin(2 * a), std::cos(a) - 2 * std::cos(2 * a),
                -1.6f * std::sin(3 * a)) *
           50.0f;
  };
  auto swell = [](float t) { return 27.0f + 8.0f * std::sin(kTau * 3 * t + 0.6f); };
  cMesh mesh = primitives::tube(knot, swell, 160, 24, true);
  operators::displace_by_noise(mesh, cNoise(1201), 1.0f / 30.0f, 2.5f, 3);
  operators::smooth_normals(mesh);
  return mesh;
}

sMeshNeeds knotted_tube_needs() {
  sMeshNeeds needs;
  needs.closed = true;
  needs.outward = true;
  needs.normals = true;
  needs.normals_shared = true; // shells push vertices along them
  needs.no_materials = true;
  needs.min_radius = 150;
  needs.max_radius = 200;
  needs.origin_tolerance = 10; // the spin pivot and the twist centre
  needs.max_triangles = 8000;  // drawn up to seven times a frame with shells
  return needs;
}

float smoothstep(float lo, float hi, float x) {
  const float t = std::fmin(std::fmax((x - lo) / (hi - lo), 0.0f), 1.0f);
  return t * t * (3 - 2 * t);
}

// Bands of magenta, teal and gold, one colour to a band, that flow around the
// bubble like the colours of a draining film, with dark ground between them
// and one soft window light.
cImage soap_bubble() {
  const cNoise flow(1301), sheen(1302);
  const rgba magenta(0.85f, 0.12f, 0.72f), teal(0.05f, 0.75f, 0.72f), gold(1.0f, 0.70f, 0.16f);
  const std::vector<sColourStop> film = {{0.0f, magenta}, {0.2f, magenta}, {0.33f, teal},
                                         {0.53f, teal},   {0.66f, gold},   {0.86f, gold},
                                         {1.0f, magenta}};
  const vec3 window = normalize(vec3(-0.45f, 0.7f, 0.55f));
  return pictures::sphere_map(256, [&](const vec3 &dir) {
    const float phase = 1.6f * dir.y + 0.8f * flow.fractal(dir * 1.2f + vec3(5, 2, 7), 2);
    const float hue = phase - std::floor(phase);
    const float band = smoothstep(0.2f, 0.85f, 0.5f + 0.5f * std::cos(kTau * 3 * phase));
    const float strength = 0.35f + 0.65f * smoothstep(-0.3f, 0.4f, sheen.fractal(dir * 2.1f, 2));
    const rgba ground(0.02f, 0.02f, 0.045f);
    rgba c = ground + shade(pictures::ramp(film, hue), band * strength);
    c = mix(c, rgba(1, 0.97f, 0.93f), 0.85f * smoothstep(0.9f, 0.985f, dot(dir, window)));
    return with_alpha(c, 1);
  });
}

// The title and the project's roles in the lower left, white with a soft dark
// shadow, on full transparency. The object and its shells fill the middle of
// the screen, down to about row 610 of the picture's 768.
cImage credits() {
  constexpr int kWidth = 1024, kHeight = 768, kLeft = 64, kColumn = kLeft + 160;
  cImage text(kWidth, kHeight);
  const cFontRasterizer title(show_style::font_path(true), 64);
  const cFontRasterizer label(show_style::font_path(true), 17);
  const cFontRasterizer line(show_style::font_path(false), 20);
  constexpr int kTitleBaseline = 596, kTracking = 10;
  title.draw(text, show_style::kTitle, kLeft, kTitleBaseline, show_style::kWhite, kTracking);
  const int rule_width = title.measure(show_style::kTitle, kTracking) - kTracking;
  for (int y = kTitleBaseline + 12; y < kTitleBaseline + 15; ++y)
    for (int x = kLeft + 3; x < kLeft + rule_width; ++x)
      text.set(x, y, show_style::kOrange);
  const char *roles[][2] = {{"CODE", "a C++17 engine on OpenGL and SDL"},
                            {"MUSIC", "synthesised from a score in the source tree"},
                            {"GRAPHICS", "meshes and pictures grown from recipes"},
                            {"TOOLS", "a RAR 2.0 packer and a mesh and picture kit"}};
  int baseline = kTitleBaseline + 46;
  for (const auto &role : roles) {
    label.draw(text, role[0], kLeft + 3, baseline, show_style::kOrange, 3);
    line.draw(text, role[1], kColumn, baseline, show_style::kWhite);
    baseline += 30;
  }
  cImage shadow = pictures::blurred(text, 4);
  pictures::tint(shadow, rgba(0, 0, 0, 0.85f));
  cImage out(kWidth, kHeight);
  pictures::composite(out, shadow, 2, 3);
  pictures::composite(out, text, 0, 0);
  return out;
}

} // namespace

void add_scene01_recipes(cRecipeBook &book) {
  book.add("models/thing2.rar", [] {
    return asset_files::bobj_in_rar("thing2.bobj", knotted_tube(), knotted_tube_needs());
  });
  book.add("textures/sphere_soapbubble01.png", [] { return asset_files::png(soap_bubble(), 3); });
  book.add("textures/credits.png", [] { return asset_files::png(credits(), 4); });
}
