// Scene 7, the speaker field: loudspeakers grown like mushrooms on dark
// mossy ground, their cables, a lattice cage around them, and the pictures
// the speakers are painted with.
#include "recipes.h"

#include "asset_files.h"
#include "picture_ops.h"
#include "show_style.h"

#include <cmath>
#include <vector>

namespace {

float smoothstep(float lo, float hi, float x) {
  const float t = std::fmin(std::fmax((x - lo) / (hi - lo), 0.0f), 1.0f);
  return t * t * (3 - 2 * t);
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
  book.add("models/megawatt/speaker_reflectionmap.jpg",
           [] { return asset_files::jpeg(reflection_map(), 90); });
}
