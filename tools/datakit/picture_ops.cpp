// Picture operations (see picture_ops.h).
#include "picture_ops.h"

#include <algorithm>
#include <cmath>

namespace {

// One box-blur pass along rows (horizontal) or columns, on premultiplied colour.
void box_pass(std::vector<rgba> &pixels, int width, int height, int radius, bool horizontal) {
  const int length = horizontal ? width : height, lines = horizontal ? height : width;
  std::vector<rgba> line(static_cast<size_t>(length));
  const float scale = 1.0f / float(2 * radius + 1);
  for (int l = 0; l < lines; ++l) {
    auto index = [&](int i) {
      i = std::clamp(i, 0, length - 1);
      return horizontal ? size_t(l) * size_t(width) + size_t(i)
                        : size_t(i) * size_t(width) + size_t(l);
    };
    rgba sum(0, 0, 0, 0);
    for (int i = -radius; i <= radius; ++i)
      sum = sum + pixels[index(i)];
    for (int i = 0; i < length; ++i) {
      line[size_t(i)] = sum * scale;
      sum = sum + pixels[index(i + radius + 1)] + pixels[index(i - radius)] * -1.0f;
    }
    for (int i = 0; i < length; ++i)
      pixels[index(i)] = line[size_t(i)];
  }
}

} // namespace

namespace pictures {

rgba ramp(const std::vector<sColourStop> &stops, float t) {
  if (stops.empty())
    return rgba(0, 0, 0, 0);
  if (t <= stops.front().at)
    return stops.front().colour;
  for (size_t i = 1; i < stops.size(); ++i)
    if (t <= stops[i].at) {
      const float span = stops[i].at - stops[i - 1].at;
      const float f = span > 0 ? (t - stops[i - 1].at) / span : 1.0f;
      return mix(stops[i - 1].colour, stops[i].colour, f);
    }
  return stops.back().colour;
}

cImage colour_scale(int width, const std::vector<sColourStop> &stops) {
  cImage out(width, 1);
  for (int x = 0; x < width; ++x)
    out.set(x, 0, ramp(stops, (float(x) + 0.5f) / float(width)));
  return out;
}

void fill_linear_gradient(cImage &image, const vec2 &from, const vec2 &to,
                          const std::vector<sColourStop> &stops) {
  const vec2 d = to - from;
  const float len2 = d.x * d.x + d.y * d.y;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const vec2 p = vec2(float(x) + 0.5f, float(y) + 0.5f) - from;
      image.set(x, y, ramp(stops, len2 > 0 ? (p.x * d.x + p.y * d.y) / len2 : 0));
    }
}

void fill_radial_gradient(cImage &image, const vec2 &centre, float radius,
                          const std::vector<sColourStop> &stops) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const vec2 p = vec2(float(x) + 0.5f, float(y) + 0.5f) - centre;
      image.set(x, y, ramp(stops, radius > 0 ? std::sqrt(p.x * p.x + p.y * p.y) / radius : 0));
    }
}

void fill_noise(cImage &image, const cNoise &noise, float feature_size, int octaves,
                const std::vector<sColourStop> &stops) {
  const float f = feature_size > 0 ? 1.0f / feature_size : 1.0f;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const vec3 p((float(x) + 0.5f) * f, (float(y) + 0.5f) * f, 0.5f);
      image.set(x, y, ramp(stops, 0.5f + 0.5f * noise.fractal(p, octaves)));
    }
}

cImage sphere_map(int size, const std::function<rgba(const vec3 &)> &environment) {
  cImage out(size, size);
  const float offsets[4][2] = {{0.25f, 0.25f}, {0.75f, 0.25f}, {0.25f, 0.75f}, {0.75f, 0.75f}};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      rgba sum(0, 0, 0, 0);
      for (const auto &o : offsets) {
        // Texture t runs up the picture, so the top row is t = 1.
        float sx = 2.0f * (float(x) + o[0]) / float(size) - 1.0f;
        float sy = 1.0f - 2.0f * (float(y) + o[1]) / float(size);
        const float r2 = sx * sx + sy * sy;
        if (r2 > 0.999f) {
          const float k = std::sqrt(0.999f / r2);
          sx *= k;
          sy *= k;
        }
        const float nz = std::sqrt(std::max(0.0f, 1.0f - sx * sx - sy * sy));
        // Reflection of the view direction (0, 0, -1) about the ball's normal.
        const vec3 r(2 * nz * sx, 2 * nz * sy, 2 * nz * nz - 1);
        sum = sum + environment(normalize(r));
      }
      out.set(x, y, sum * 0.25f);
    }
  return out;
}

cImage blurred(const cImage &image, float radius) {
  const int w = image.width(), h = image.height();
  std::vector<rgba> pixels(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const rgba &c = image.at(x, y);
      pixels[size_t(y) * size_t(w) + size_t(x)] = rgba(c.r * c.a, c.g * c.a, c.b * c.a, c.a);
    }
  // Three box passes of half-width r have the variance r (r + 1) of a Gaussian.
  const int box = std::max(0, int(std::lround(std::sqrt(radius * radius + 0.25f) - 0.5f)));
  for (int pass = 0; pass < 3 && box > 0; ++pass) {
    box_pass(pixels, w, h, box, true);
    box_pass(pixels, w, h, box, false);
  }
  cImage out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const rgba &c = pixels[size_t(y) * size_t(w) + size_t(x)];
      out.set(x, y, c.a > 0 ? rgba(c.r / c.a, c.g / c.a, c.b / c.a, c.a) : rgba(0, 0, 0, 0));
    }
  return out;
}

void tint(cImage &image, const rgba &colour) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.set(x, y, rgba(colour.r, colour.g, colour.b, image.at(x, y).a * colour.a));
}

void composite(cImage &dst, const cImage &src, int x, int y) {
  for (int sy = 0; sy < src.height(); ++sy)
    for (int sx = 0; sx < src.width(); ++sx)
      dst.blend(x + sx, y + sy, src.at(sx, sy));
}

} // namespace pictures
