// Time and beat logic of scenes 0, 1 and 2, without a GL context: the
// title's cells and slide, the credits fade, the shells and the spins, and
// the zoom's wrap, surge, flash and drawing order.
#include "scenes/cScene00.h"
#include "scenes/cScene01.h"
#include "scenes/cScene02.h"

#include "scenes/scene_maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
bool same_cells(const std::vector<grid_cell> &a, const std::vector<grid_cell> &b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].column != b[i].column || a[i].row != b[i].row)
      return false;
  return true;
}
} // namespace

TEST(TitleGrid, RedMarksOrangeBoxesBlueMarksPlatesGreenNothing) {
  // Three columns, two rows, bottom row first.
  const uint8_t rgb[] = {
      255, 128, 0, /**/ 0, 0, 255, /**/ 1, 0, 1, // row 0
      0,   255, 0, /**/ 0, 0, 0,   /**/ 9, 9, 0, // row 1
  };
  EXPECT_TRUE(same_cells(mask_cells(rgb, 3, 2, 0), {{0, 0}, {2, 0}, {2, 1}}));
  EXPECT_TRUE(same_cells(mask_cells(rgb, 3, 2, 2), {{1, 0}, {2, 0}}));
  const uint8_t black[12] = {};
  EXPECT_TRUE(mask_cells(black, 2, 2, 0).empty());
  EXPECT_TRUE(mask_cells(black, 2, 2, 2).empty());
}

TEST(TitleGrid, SlideStartsLeftAndMovesOneUnitEvery82Ms) {
  struct Case {
    int32_t elapsed;
    float x;
  } cases[] = {{0, -55.0f}, {82, -54.0f}, {4510, 0.0f}, {15360, 132.317f}, {-82, -56.0f}};
  for (const Case &c : cases)
    EXPECT_NEAR(slide_x(c.elapsed), c.x, 1e-3f) << c.elapsed;
}

TEST(CreditsFade, FadesInOnTheFirstFx1AndOutOnEveryLaterOne) {
  struct Step {
    bool fx1;
    uint32_t t;
    float alpha;
  } steps[] = {
      {false, 0, 0.0f},       {false, 100, 0.0f}, // nothing before an fx1, even early
      {true, 0, 0.0f},        {false, 375, 0.325f},  {false, 749, 0.6491333f},
      {false, 750, 0.65f},    {false, 5000, 0.65f}, // held at its full value
      {true, 6000, 0.65f},    {false, 6375, 0.325f}, {false, 6750, 0.0f},
      {false, 9000, 0.0f},    {true, 10000, 0.65f}, // a third restarts only the fade-out
      {false, 10375, 0.325f}, {false, 11000, 0.0f},
  };
  credits_fade fade;
  for (const Step &s : steps) {
    if (s.fx1)
      credits_fx1(fade, s.t);
    credits_update(fade, s.t);
    EXPECT_NEAR(fade.alpha, s.alpha, 1e-5f) << "t " << s.t << (s.fx1 ? " with fx1" : "");
  }
  EXPECT_EQ(fade.in_ms, 0u) << "an fx1 at 0 counts";
}

TEST(CreditsFade, SecondFx1DuringTheFadeInWaitsForItsEnd) {
  credits_fade fade;
  credits_fx1(fade, 1000);
  credits_fx1(fade, 1300);
  credits_update(fade, 1500);
  EXPECT_NEAR(fade.alpha, 0.65f * 500.0f / 750.0f, 1e-5f);
  credits_update(fade, 1800);
  EXPECT_NEAR(fade.alpha, 0.65f * (1.0f - 500.0f / 750.0f), 1e-5f);
  credits_update(fade, 2100);
  EXPECT_FLOAT_EQ(fade.alpha, 0.0f);
}

TEST(BeatShells, LiveForThreeQuartersOfASecondOldestFirst) {
  struct Case {
    uint32_t t;
    std::vector<uint32_t> left;
  } cases[] = {
      {850, {100, 200, 900}}, // 750 ms old is still alive
      {851, {200, 900}},      {951, {900}}, {1650, {900}}, {1651, {}},
  };
  std::deque<uint32_t> shells = {100, 200, 900};
  for (const Case &c : cases) {
    expire_shells(shells, c.t);
    EXPECT_EQ(std::vector<uint32_t>(shells.begin(), shells.end()), c.left) << c.t;
  }
  EXPECT_FLOAT_EQ(shell_extrusion(5000, 5000), 0.0f);
  EXPECT_FLOAT_EQ(shell_extrusion(5375, 5000), 32.5f);
  EXPECT_FLOAT_EQ(shell_extrusion(5750, 5000), 65.0f);
}

TEST(BeatSpins, OuterTurnTrailsTheInnerAndASecondKickStartsFromTheTurnReached) {
  cKickRotation inner_spin, outer_spin;
  inner_spin.reset();
  outer_spin.reset();
  const float axis[3] = {0.0f, 0.6f, 0.8f};
  float previous[16], turned[16];
  mat4_identity(previous);
  kick_spins(inner_spin, outer_spin, axis, 1000);
  EXPECT_EQ(inner_spin.start_ms, 1000u);
  EXPECT_EQ(outer_spin.start_ms, 1400u);
  EXPECT_EQ(inner_spin.duration_ms, 2000);
  EXPECT_NEAR(inner_spin.peak, 8.3333f, 1e-3f);
  EXPECT_FLOAT_EQ(outer_spin.axis[2], 0.8f);

  spin_turn(inner_spin, 1100, previous, turned);
  EXPECT_GT(inner_spin.angle, 0.0f);
  spin_turn(outer_spin, 1100, previous, turned);
  EXPECT_FLOAT_EQ(outer_spin.angle, 0.0f) << "the outer turn has not started";

  // A second kick 100 ms later: the turn at its start is the turn reached.
  spin_turn(inner_spin, 1100, previous, turned);
  float reached[16];
  std::copy(turned, turned + 16, reached);
  std::copy(turned, turned + 16, previous);
  kick_spins(inner_spin, outer_spin, axis, 1100);
  spin_turn(inner_spin, 1100, previous, turned);
  for (int n = 0; n < 16; ++n)
    EXPECT_FLOAT_EQ(turned[n], reached[n]) << n;
  spin_turn(inner_spin, 1150, previous, turned);
  EXPECT_GT(std::fabs(turned[1] - reached[1]) + std::fabs(turned[2] - reached[2]), 1e-4f);
}

TEST(XrayZoom, WrapKeepsValuesBelowRootTenAndFoldsTheRest) {
  struct Case {
    float v, wrapped;
  } cases[] = {{0.0f, 0.0f},       {3.0f, 3.0f},        {3.1622777f, 0.0f},
               {9.4333f, 3.1088f}, {10.0f, 0.5131670f}, {3.2f, 0.0377223f}};
  for (const Case &c : cases)
    EXPECT_NEAR(zoom_wrap(c.v), c.wrapped, 1e-4f) << c.v;
}

TEST(XrayZoom, RightAfterEnterCopiesSpreadFromTinyToNearlyTen) {
  zoom_state zoom;
  start_zoom(zoom);
  advance_zoom(zoom, 0, 0.0f);
  EXPECT_NEAR(zoom.scale[0], 0.01f, 1e-6f);
  EXPECT_NEAR(zoom.scale[14], 9.665f, 1e-3f);
  for (int i = 0; i < kZoomCopies; ++i)
    EXPECT_TRUE(zoom.scale[i] >= 0.0f && zoom.scale[i] < 10.0f) << i;
  // 10 s later every copy has grown by one linear unit, wrapping past the top.
  advance_zoom(zoom, 10000, 0.0f);
  EXPECT_NEAR(zoom.scale[0], 1.1f * 1.1f, 1e-4f);
  EXPECT_NEAR(zoom.scale[14], std::pow(10.4333f - 3.1622777f * 3.0f, 2.0f), 1e-3f);
}

TEST(XrayZoom, BassDrumSurgeStepsOncePerCopyAndDiesWithinAFifthOfASecond) {
  zoom_state zoom;
  start_zoom(zoom);
  zoom.surge_speed = 0.00015f;
  advance_zoom(zoom, 16, 16.0f);
  // Fifteen steps, each after a decay of dt * 5e-8.
  EXPECT_NEAR(zoom.surge_phase, 16.0f * (15 * 0.00015f - 16.0f * 5e-8f * 120), 1e-6f);
  int frames = 1;
  while (zoom.surge_speed > 0.0f && frames < 100)
    advance_zoom(zoom, 16 * ++frames, 16.0f);
  EXPECT_GE(frames, 12);
  EXPECT_LE(frames, 13);
  EXPECT_NEAR(zoom.surge_phase, 0.225f, 0.01f);
  const float phase = zoom.surge_phase;
  advance_zoom(zoom, 16 * ++frames, 16.0f);
  EXPECT_FLOAT_EQ(zoom.surge_phase, phase) << "a dead surge adds nothing";
}

TEST(XrayZoom, ClapPullsTheFogInForOneSecondAndEnterKeepsIt) {
  zoom_state zoom;
  zoom.flash = 1.0f;
  EXPECT_FLOAT_EQ(zoom_fog_end(zoom.flash), 20.0f);
  start_zoom(zoom);
  EXPECT_FLOAT_EQ(zoom.flash, 1.0f) << "enter resets the surge only";
  struct Step {
    float dt, fog_end;
  } steps[] = {{500.0f, 52.5f}, {400.0f, 78.5f}, {100.0f, 85.0f}, {40.0f, 85.0f}};
  int32_t elapsed = 0;
  for (const Step &s : steps) {
    elapsed += int32_t(s.dt);
    advance_zoom(zoom, elapsed, s.dt);
    EXPECT_NEAR(zoom_fog_end(zoom.flash), s.fog_end, 1e-3f) << elapsed;
  }
}

TEST(XrayZoom, CopiesDrawSmallestFirstAndEqualScalesOnlyOnce) {
  float scale[kZoomCopies];
  for (int i = 0; i < kZoomCopies; ++i)
    scale[i] = float((i * 7) % kZoomCopies);
  const std::vector<int> order = zoom_draw_order(scale);
  ASSERT_EQ(order.size(), size_t(kZoomCopies));
  for (size_t k = 1; k < order.size(); ++k)
    EXPECT_LT(scale[order[k - 1]], scale[order[k]]);

  scale[3] = scale[9] = 0.5f;
  const std::vector<int> tied = zoom_draw_order(scale);
  EXPECT_EQ(tied.size(), size_t(kZoomCopies - 1));
  EXPECT_EQ(std::count(tied.begin(), tied.end(), 3), 0);
  EXPECT_EQ(std::count(tied.begin(), tied.end(), 9), 1) << "the later copy wins";
}
