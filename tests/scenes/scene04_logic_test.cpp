// Time and beat logic of the orchid grid, without a GL context: the blur's
// pump, the shots by bass-drum count, the cells' turns and the count kept
// over a second entry.
#include "scenes/cScene04.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

TEST(OrchidPump, FallsTwoThousandthsAMillisecondToItsFloor) {
  struct Case {
    float pump, dt, after;
  } cases[] = {
      {2.0f, 0.0f, 2.0f},     {2.0f, 40.0f, 1.92f}, {2.0f, 475.0f, 1.05f},
      {2.0f, 949.0f, 0.102f}, {2.0f, 950.0f, 0.1f}, {2.0f, 5000.0f, 0.1f}, // held at the floor
      {1.0f, 450.0f, 0.1f},   {0.1f, 40.0f, 0.1f},
  };
  for (const Case &c : cases)
    EXPECT_NEAR(relax_pump(c.pump, c.dt), c.after, 1e-5f) << c.pump << " after " << c.dt;
}

TEST(OrchidPump, FromAKickToTheFloorIn950MsWhateverTheFrames) {
  for (float frame : {10.0f, 16.0f, 40.0f, 95.0f}) {
    float pump = kPumpKick, elapsed = 0.0f;
    while (pump > kPumpFloor && elapsed < 5000.0f) {
      pump = relax_pump(pump, frame);
      elapsed += frame;
    }
    EXPECT_FLOAT_EQ(pump, kPumpFloor) << frame;
    EXPECT_GE(elapsed, 950.0f - 0.5f) << frame;
    EXPECT_LE(elapsed, 950.0f + frame) << "float steps may need one frame more, " << frame;
  }
}

TEST(OrchidShots, EachShotHoldsFromItsCountToTheNext) {
  struct Case {
    int32_t count;
    float eye[3], centre[3];
  } cases[] = {
      {0, {4, 75, 0}, {0, 60, 0}},       {9, {4, 75, 0}, {0, 60, 0}},
      {10, {-10, 85, 5}, {0, 60, 0}},    {17, {-10, 85, 5}, {0, 60, 0}},
      {18, {10, 65, 0}, {0, 65, 0}},     {25, {10, 65, 0}, {0, 65, 0}},
      {26, {-3, 45, 10}, {0, 60, 0}},    {33, {-3, 45, 10}, {0, 60, 0}},
      {34, {20, 75, 20}, {0, 35, 0}},    {41, {20, 75, 20}, {0, 35, 0}},
      {42, {3, 85, 7}, {0, 40, 0}},      {65, {3, 85, 7}, {0, 40, 0}},
      {66, {14, 75, 3}, {0, 40, 0}},     {74, {14, 75, 3}, {0, 40, 0}},
      {100000, {14, 75, 3}, {0, 40, 0}},
  };
  for (const Case &c : cases) {
    const camera_shot &shot = orchid_shot(c.count);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(shot.eye[k], c.eye[k]) << "count " << c.count;
      EXPECT_EQ(shot.centre[k], c.centre[k]) << "count " << c.count;
    }
  }
}

TEST(OrchidScene, TenthBassDrumCutsToTheSecondShotAndLeavingKeepsTheCount) {
  demo_clock clock;
  cScene04 scene(&clock);
  const demo_event bd{EV_BD, 133920, nullptr};
  for (int i = 0; i < 9; ++i)
    scene.on_event(&bd);
  EXPECT_EQ(orchid_shot(scene.bass_drum_count()).eye[0], 4.0f);
  scene.on_event(&bd);
  EXPECT_EQ(orchid_shot(scene.bass_drum_count()).eye[0], -10.0f) << "the tenth cuts at once";
  EXPECT_FLOAT_EQ(scene.pump_level(), kPumpKick);
}

TEST(OrchidScene, PumpFollowsTheClockBetweenBassDrums) {
  demo_clock clock;
  clock.prev_ms = clock.now_ms = 10000;
  cScene04 scene(&clock);
  EXPECT_FLOAT_EQ(scene.pump_level(), 1.0f) << "before any bass drum";
  const demo_event bd{EV_BD, 0, nullptr};
  scene.on_event(&bd);
  struct Step {
    uint32_t now;
    float pump;
  } steps[] = {{10040, 1.92f}, {10240, 1.52f}, {10960, 0.1f}, {11000, 0.1f}};
  for (const Step &s : steps) {
    clock.prev_ms = clock.now_ms;
    clock.now_ms = s.now;
    scene.update();
    EXPECT_NEAR(scene.pump_level(), s.pump, 1e-5f) << s.now;
  }
}

TEST(OrchidScene, EveryCellTurnsWithinAFullCircle) {
  for (unsigned seed : {1u, 81u, 4242u}) {
    std::srand(seed);
    demo_clock clock;
    cScene04 scene(&clock);
    const float *turn = scene.cell_turns();
    const auto [lo, hi] = std::minmax_element(turn, turn + kOrchidCells);
    EXPECT_GE(*lo, 0.0f) << seed;
    EXPECT_LE(*hi, 360.0f) << seed;
    EXPECT_GT(*hi - *lo, 90.0f) << "sixteen draws spread over the circle, seed " << seed;
    EXPECT_EQ(std::count(turn, turn + kOrchidCells, *lo), 1) << "each cell its own turn";
  }
  // The turns are drawn once, at construction: a second scene after the
  // same seed gets the same field.
  std::srand(7);
  demo_clock clock;
  cScene04 a(&clock);
  std::srand(7);
  cScene04 b(&clock);
  EXPECT_TRUE(std::equal(a.cell_turns(), a.cell_turns() + kOrchidCells, b.cell_turns()));
}
