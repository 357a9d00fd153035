// The scene helpers that need no GL: random values against the C library's
// sequence, the 4x4 product's layout, the axis guard, pulse shapes, camera
// shots by count, the opaque window of a picture and the search-directory
// scope.
#include "scenes/cSearchDirScope.h"
#include "scenes/camera_shots.h"
#include "scenes/picture_bounds.h"
#include "scenes/pulses.h"
#include "scenes/scene_maths.h"
#include "scenes/scene_random.h"

#include "assets/search_path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {
const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

std::vector<int> raw_sequence(unsigned seed, int n) {
  std::srand(seed);
  std::vector<int> values;
  for (int i = 0; i < n; ++i)
    values.push_back(std::rand());
  return values;
}
} // namespace

TEST(SceneRandom, EachValueIsOneCallScaledFromRandMax) {
  const std::vector<int> raw = raw_sequence(81, 9);
  std::srand(81);
  const float unit = random_unit();
  const float degrees = random_span(360.0f);
  const float quarter = random_span(0.25f);
  float axis[3] = {0.0f, 0.0f, 1.0f};
  ASSERT_TRUE(random_unit_axis(axis));
  const float after_axis = random_unit();
  EXPECT_FLOAT_EQ(unit, float(double(raw[0]) / RAND_MAX));
  EXPECT_FLOAT_EQ(degrees, float(double(raw[1]) / RAND_MAX) * 360.0f);
  EXPECT_FLOAT_EQ(quarter, float(double(raw[2]) / RAND_MAX) * 0.25f);
  EXPECT_FLOAT_EQ(after_axis, float(double(raw[6]) / RAND_MAX))
      << "an axis takes exactly three values";
  const float expected[3] = {float(double(raw[3]) / RAND_MAX) - 0.5f,
                             float(double(raw[4]) / RAND_MAX) - 0.5f,
                             float(double(raw[5]) / RAND_MAX) - 0.5f};
  const float length =
      std::sqrt(expected[0] * expected[0] + expected[1] * expected[1] + expected[2] * expected[2]);
  for (int k = 0; k < 3; ++k)
    EXPECT_NEAR(axis[k], expected[k] / length, 1e-6f);
}

TEST(SceneRandom, ValuesStayInRangeAndAxesAreUnitAndSpreadOut) {
  // Scaling by 1/32767 would put nearly every value far above 1 and every
  // axis near (1, 1, 1) / sqrt(3).
  std::srand(12345);
  float lowest = 1.0f, highest = 0.0f;
  int negative_x = 0;
  for (int i = 0; i < 20000; ++i) {
    const float v = random_unit();
    lowest = std::fmin(lowest, v);
    highest = std::fmax(highest, v);
    ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << v;
    ASSERT_LE(random_span(360.0f), 360.0f);
  }
  for (int i = 0; i < 2000; ++i) {
    float axis[3] = {0.0f, 1.0f, 0.0f};
    random_unit_axis(axis);
    const float length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    ASSERT_TRUE(std::isfinite(length));
    ASSERT_NEAR(length, 1.0f, 1e-5f);
    negative_x += axis[0] < 0.0f;
  }
  EXPECT_LT(lowest, 0.01f);
  EXPECT_GT(highest, 0.99f);
  EXPECT_GT(negative_x, 800);
  EXPECT_LT(negative_x, 1200);
}

TEST(SceneMaths, NormaliseRefusesWhatHasNoDirection) {
  struct Case {
    float v[3];
    bool ok;
    float unit[3];
  } cases[] = {
      {{3.0f, 0.0f, 4.0f}, true, {0.6f, 0.0f, 0.8f}},
      {{0.0f, -2.0f, 0.0f}, true, {0.0f, -1.0f, 0.0f}},
      {{1e-4f, 0.0f, 0.0f}, true, {1.0f, 0.0f, 0.0f}},
      {{0.0f, 0.0f, 0.0f}, false, {}},
      {{1e-9f, -1e-9f, 0.0f}, false, {}},
      {{kNan, 1.0f, 0.0f}, false, {}},
      {{kInf, 0.0f, 0.0f}, false, {}},
  };
  for (const Case &c : cases) {
    float out[3] = {7.0f, 8.0f, 9.0f};
    EXPECT_EQ(normalise_axis(c.v, out), c.ok) << c.v[0] << " " << c.v[1] << " " << c.v[2];
    for (int k = 0; k < 3; ++k)
      EXPECT_FLOAT_EQ(out[k], c.ok ? c.unit[k] : 7.0f + k) << "component " << k;
  }
}

TEST(SceneMaths, ProductRowTimesColumnInArrayOrderEvenInPlace) {
  float a[16], b[16];
  for (int n = 0; n < 16; ++n) {
    a[n] = float(n + 1);
    b[n] = float(n % 3) - float(n / 5);
  }
  float expected[16];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k)
        sum += double(a[4 * i + k]) * b[4 * k + j];
      expected[4 * i + j] = float(sum);
    }
  float out[16];
  mat4_product(a, b, out);
  for (int n = 0; n < 16; ++n)
    EXPECT_FLOAT_EQ(out[n], expected[n]) << n;
  // out[4i + j]: element 1 is row 0 of a with column 1 of b, not the reverse.
  EXPECT_FLOAT_EQ(out[1], a[0] * b[1] + a[1] * b[5] + a[2] * b[9] + a[3] * b[13]);

  float identity[16];
  mat4_identity(identity);
  float in_place[16];
  std::copy(a, a + 16, in_place);
  mat4_product(in_place, identity, in_place);
  EXPECT_TRUE(std::equal(a, a + 16, in_place));
  std::copy(b, b + 16, in_place);
  mat4_product(a, in_place, in_place);
  EXPECT_TRUE(std::equal(out, out + 16, in_place)) << "out may be the right operand";
}

TEST(ScenePulses, ShapesOverTheirSpanAndNothingOutside) {
  struct Case {
    float d, span, fall, rise_fall;
  } cases[] = {
      {0.0f, 250.0f, 1.0f, 0.0f},
      {62.5f, 250.0f, 0.8535534f, 0.5f},
      {125.0f, 250.0f, 0.5f, 1.0f},
      {187.5f, 250.0f, 0.1464466f, 0.5f},
      {249.0f, 250.0f, 0.0000395f, 0.0001579f},
      {250.0f, 250.0f, 0.0f, 0.0f},
      {-1.0f, 250.0f, 0.0f, 0.0f},
      {10000.0f, 125.0f, 0.0f, 0.0f},
      {0.0f, 0.0f, 0.0f, 0.0f},
  };
  for (const Case &c : cases) {
    EXPECT_NEAR(pulse_fall(c.d, c.span), c.fall, 1e-5f) << c.d << " of " << c.span;
    EXPECT_NEAR(pulse_rise_fall(c.d, c.span), c.rise_fall, 1e-5f) << c.d << " of " << c.span;
  }
  // A rise and fall of 125 ms sampled at 100 ms: past its peak, on the way down.
  EXPECT_NEAR(pulse_rise_fall(100.0f, 125.0f), 0.3454915f, 1e-6f);
}

TEST(SceneCameraShots, CountPicksTheLastShotItHasReached) {
  const int32_t firsts[] = {0, 10, 18, 26, 34, 42, 66};
  const camera_shot shots[] = {
      {0, {4, 75, 0}, {0, 60, 0}},    {10, {-10, 85, 5}, {0, 60, 0}}, {18, {10, 65, 0}, {0, 65, 0}},
      {26, {-3, 45, 10}, {0, 60, 0}}, {34, {20, 75, 20}, {0, 35, 0}}, {42, {3, 85, 7}, {0, 40, 0}},
      {66, {14, 75, 3}, {0, 40, 0}},
  };
  struct Case {
    int32_t count;
    size_t shot;
  } cases[] = {{-5, 0}, {0, 0},  {9, 0},  {10, 1}, {17, 1},  {18, 2},
               {33, 3}, {34, 4}, {65, 5}, {66, 6}, {1000, 6}};
  for (const Case &c : cases) {
    EXPECT_EQ(shot_index(firsts, 7, c.count), c.shot) << c.count;
    EXPECT_EQ(&shot_for_count(shots, 7, c.count), &shots[c.shot]) << c.count;
  }
  EXPECT_EQ(shot_index(firsts, 0, 50), 0u);

  cCamera camera;
  camera.fovy = 90.0f;
  aim_camera(camera, shot_for_count(shots, 7, 20));
  EXPECT_FLOAT_EQ(camera.eye[0], 10.0f);
  EXPECT_FLOAT_EQ(camera.centre[1], 65.0f);
  EXPECT_FLOAT_EQ(camera.up[2], 1.0f) << "only eye and centre change";
  EXPECT_FLOAT_EQ(camera.fovy, 90.0f);
}

TEST(SceneSearchDirScope, DirectoryIsOnThePathForTheScopeOnly) {
  const size_t before = search_dirs().size();
  {
    cSearchDirScope scope("../data/models/orchid_models_obj");
    ASSERT_EQ(search_dirs().size(), before + 1);
    EXPECT_EQ(search_dirs().back(), "../data/models/orchid_models_obj/");
  }
  EXPECT_EQ(search_dirs().size(), before);
}

TEST(ScenePictureBounds, WindowHoldsEveryTexelNotFullyTransparent) {
  // 8 x 4 RGBA, bottom row first; only alpha matters.
  auto picture = [](std::vector<std::pair<int, int>> opaque) {
    std::vector<uint8_t> rgba(8 * 4 * 4, 255);
    for (size_t i = 3; i < rgba.size(); i += 4)
      rgba[i] = 0;
    for (auto [x, y] : opaque)
      rgba[(y * 8 + x) * 4 + 3] = 1;
    return rgba;
  };
  struct Case {
    std::vector<std::pair<int, int>> opaque;
    float margin;
    bool found;
    float window[4];
  } cases[] = {
      {{}, 0.0f, false, {}},
      {{{2, 1}}, 0.0f, true, {0.25f, 0.25f, 0.375f, 0.5f}},
      {{{2, 1}, {5, 2}}, 0.0f, true, {0.25f, 0.25f, 0.75f, 0.75f}},
      {{{2, 1}, {5, 2}}, 0.125f, true, {0.125f, 0.125f, 0.875f, 0.875f}},
      {{{0, 0}, {7, 3}}, 0.0f, true, {0.0f, 0.0f, 1.0f, 1.0f}},
      {{{0, 3}}, 0.5f, true, {0.0f, 0.25f, 0.625f, 1.0f}}, // kept within the square
  };
  for (const Case &c : cases) {
    const std::vector<uint8_t> rgba = picture(c.opaque);
    float window[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
    ASSERT_EQ(opaque_window(rgba.data(), 8, 4, c.margin, window), c.found) << c.opaque.size();
    for (int k = 0; k < 4; ++k)
      EXPECT_FLOAT_EQ(window[k], c.found ? c.window[k] : -1.0f) << "side " << k;
  }
}
