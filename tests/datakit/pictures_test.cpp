// Pictures: ramps and scales, the sphere-map layout the bend program reads,
// blur, FreeType text, and PNG and JPEG bytes that the engine's image
// library decodes back to the same picture.
#include "cFontRasterizer.h"
#include "image_files.h"
#include "picture_ops.h"
#include "show_style.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace {

// Decodes file bytes with DevIL the way the engine reads pictures: origin at
// the lower left, so row 0 is the bottom row of the picture.
struct decoded {
  int width = 0, height = 0, bytes_per_pixel = 0, format = 0;
  std::vector<uint8_t> pixels;
};

decoded decode(const std::vector<uint8_t> &file, ILenum type) {
  static const bool started = [] {
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    return true;
  }();
  (void)started;
  decoded out;
  ILuint name = 0;
  ilGenImages(1, &name);
  ilBindImage(name);
  if (ilLoadL(type, file.data(), ILuint(file.size()))) {
    out.width = ilGetInteger(IL_IMAGE_WIDTH);
    out.height = ilGetInteger(IL_IMAGE_HEIGHT);
    out.bytes_per_pixel = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    out.format = ilGetInteger(IL_IMAGE_FORMAT);
    const uint8_t *data = ilGetData();
    out.pixels.assign(data,
                      data + size_t(out.width) * size_t(out.height) * size_t(out.bytes_per_pixel));
  }
  ilDeleteImages(1, &name);
  return out;
}

TEST(Ramp, InterpolatesBetweenStopsAndHoldsBeyondThem) {
  const std::vector<sColourStop> stops = {{0.2f, rgba(0, 0, 0)}, {0.6f, rgba(1, 0.5f, 0)}};
  EXPECT_FLOAT_EQ(pictures::ramp(stops, 0.0f).r, 0);
  EXPECT_FLOAT_EQ(pictures::ramp(stops, 0.4f).r, 0.5f);
  EXPECT_FLOAT_EQ(pictures::ramp(stops, 0.4f).g, 0.25f);
  EXPECT_FLOAT_EQ(pictures::ramp(stops, 1.0f).r, 1);
  const cImage scale = pictures::colour_scale(256, {{0, rgba(0, 0, 0)}, {1, rgba(1, 1, 1)}});
  ASSERT_EQ(scale.height(), 1);
  for (int x = 1; x < 256; ++x)
    EXPECT_GT(scale.at(x, 0).r, scale.at(x - 1, 0).r);
}

TEST(Fills, GradientsRunFromTheirStartToTheirEnd) {
  const std::vector<sColourStop> ramp = {{0, rgba(0, 0, 0)}, {1, rgba(1, 1, 1)}};
  cImage linear(10, 4), radial(21, 21);
  pictures::fill_linear_gradient(linear, vec2(0, 0), vec2(10, 0), ramp);
  EXPECT_NEAR(linear.at(0, 2).r, 0.05f, 1e-5);
  EXPECT_NEAR(linear.at(9, 0).r, 0.95f, 1e-5);
  EXPECT_EQ(linear.at(4, 0).r, linear.at(4, 3).r);
  pictures::fill_radial_gradient(radial, vec2(10.5f, 10.5f), 10, ramp);
  EXPECT_FLOAT_EQ(radial.at(10, 10).r, 0);
  EXPECT_NEAR(radial.at(20, 10).r, 1.0f, 1e-5);
  EXPECT_FLOAT_EQ(radial.at(0, 0).r, 1);
}

TEST(Fills, NoiseSpreadsOverTheRampAndRepeatsForItsSeed) {
  const std::vector<sColourStop> ramp = {{0, rgba(0, 0, 0)}, {1, rgba(1, 1, 1)}};
  cImage a(64, 64), b(64, 64), c(64, 64);
  pictures::fill_noise(a, cNoise(5), 16, 4, ramp);
  pictures::fill_noise(b, cNoise(5), 16, 4, ramp);
  pictures::fill_noise(c, cNoise(6), 16, 4, ramp);
  float lo = 1, hi = 0;
  bool same = true, other = false;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      lo = std::min(lo, a.at(x, y).r);
      hi = std::max(hi, a.at(x, y).r);
      same = same && a.at(x, y).r == b.at(x, y).r;
      other = other || a.at(x, y).r != c.at(x, y).r;
    }
  EXPECT_LT(lo, 0.35f);
  EXPECT_GT(hi, 0.65f);
  EXPECT_TRUE(same);
  EXPECT_TRUE(other);
}

TEST(SphereMap, ShowsEachDirectionWhereTheGlSphereMapLooksItUp) {
  // Direction as colour: r, g, b = 0.5 + 0.5 x, y, z.
  const int size = 200;
  const cImage map = pictures::sphere_map(size, [](const vec3 &d) {
    return rgba(0.5f + 0.5f * d.x, 0.5f + 0.5f * d.y, 0.5f + 0.5f * d.z);
  });
  // Centre: straight back at the viewer, +z.
  EXPECT_GT(map.at(size / 2, size / 2).b, 0.98f);
  // At radius 1 / sqrt(2) the reflection lies in the picture's plane: +x to
  // the right; +y at the top, since texture t grows up the picture.
  const int off = int(std::lround(size * 0.5 * 0.70710678));
  EXPECT_GT(map.at(size / 2 + off, size / 2).r, 0.97f);
  EXPECT_GT(map.at(size / 2, size / 2 - off).g, 0.97f);
  EXPECT_LT(map.at(size / 2, size / 2 + off).g, 0.03f);
  // Near the rim the ball reflects what lies behind it, -z.
  EXPECT_LT(map.at(size - 2, size / 2).b, 0.1f);
}

TEST(Blur, SpreadsADotAndKeepsItsWeight) {
  cImage dot(41, 41);
  dot.set(20, 20, rgba(1, 1, 1, 1));
  const cImage soft = pictures::blurred(dot, 3);
  float total = 0;
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 41; ++x)
      total += soft.at(x, y).a;
  EXPECT_NEAR(total, 1.0f, 1e-3);
  EXPECT_GT(soft.at(23, 20).a, 0.0f);
  EXPECT_LT(soft.at(20, 20).a, 0.1f);
  EXPECT_FLOAT_EQ(soft.at(20, 20).r, 1.0f); // colour kept where there is any
}

TEST(Text, CapitalsStandOnTheBaselineAndTrackingWidens) {
  const cFontRasterizer font(show_style::font_path(true), 40);
  const int cap = font.cap_height();
  EXPECT_GE(cap, 26);
  EXPECT_LE(cap, 32);
  EXPECT_EQ(font.measure("HHHH", 5), font.measure("HHHH") + 15);
  cImage picture(200, 60);
  font.draw(picture, "HI", 10, 50, rgba(1, 1, 1), 0, true);
  int top = 60, bottom = -1;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      const float a = picture.at(x, y).a;
      EXPECT_TRUE(a == 0 || a == 1) << "one-bit text has no partial pixels";
      if (a > 0) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  EXPECT_EQ(bottom, 49);
  EXPECT_EQ(top, 50 - cap);
}

TEST(Text, MissingFontThrows) {
  EXPECT_THROW(cFontRasterizer("/nonexistent/font.ttf", 20), std::runtime_error);
}

struct png_case {
  int channels;
  ILint format;
};

class PngBytes : public testing::TestWithParam<png_case> {};

TEST_P(PngBytes, DecodeToTheSamePixelsBottomRowFirst) {
  cImage picture(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      picture.set(x, y, rgba(float(x) / 4, float(y) / 2, 0.25f, 0.5f + 0.1f * float(x)));
  const int ch = GetParam().channels;
  const decoded d = decode(image_files::png_bytes(picture, ch), IL_PNG);
  ASSERT_EQ(d.width, 5);
  ASSERT_EQ(d.height, 3);
  ASSERT_EQ(d.bytes_per_pixel, ch);
  EXPECT_EQ(d.format, GetParam().format);
  const std::vector<uint8_t> expected = picture.bytes(ch);
  for (int row = 0; row < 3; ++row)
    for (int i = 0; i < 5 * ch; ++i)
      EXPECT_EQ(d.pixels[size_t(row * 5 * ch + i)], expected[size_t((2 - row) * 5 * ch + i)]);
}

INSTANTIATE_TEST_SUITE_P(Channels, PngBytes,
                         testing::Values(png_case{1, IL_LUMINANCE}, png_case{3, IL_RGB},
                                         png_case{4, IL_RGBA}));

TEST(JpegBytes, AreARealJpegThatDecodesCloseToThePicture) {
  cImage picture(64, 48);
  pictures::fill_linear_gradient(picture, vec2(0, 0), vec2(64, 0),
                                 {{0, rgba(0.1f, 0.2f, 0.6f)}, {1, rgba(0.9f, 0.6f, 0.1f)}});
  const std::vector<uint8_t> file = image_files::jpeg_bytes(picture, 92);
  ASSERT_GE(file.size(), 4u);
  EXPECT_EQ(file[0], 0xFF);
  EXPECT_EQ(file[1], 0xD8);
  const decoded d = decode(file, IL_JPG);
  ASSERT_EQ(d.width, 64);
  ASSERT_EQ(d.height, 48);
  ASSERT_EQ(d.bytes_per_pixel, 3);
  const std::vector<uint8_t> expected = picture.bytes(3);
  int worst = 0;
  for (size_t i = 0; i < expected.size(); ++i)
    worst = std::max(worst, std::abs(int(d.pixels[i]) - int(expected[i])));
  EXPECT_LE(worst, 8);
  EXPECT_EQ(image_files::jpeg_bytes(picture, 92), file);
}

TEST(PngBytes, RefuseTwoChannels) {
  EXPECT_THROW(image_files::png_bytes(cImage(2, 2), 2), std::runtime_error);
}

} // namespace
