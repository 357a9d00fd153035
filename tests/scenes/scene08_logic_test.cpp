// Time and beat logic of scene 8 without a GL context: the scroll of the
// wall sets and the end piece with its wraps, the fog pull, the field-of-view
// kick and the roll.
#include "scenes/cScene08.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(Corridor, WrapJumpsBackByWholeCyclesOnlyPastTheLimit) {
  const struct {
    float offset, limit, cycle, expected;
  } cases[] = {
      {40.0f, 40.0f, 1360.0f, 40.0f},       // at the limit: stays
      {-1319.0f, 40.0f, 1360.0f, -1319.0f}, // anywhere below: stays
      {40.1f, 40.0f, 1360.0f, 40.1f - 1360.0f},
      {1400.0f, 40.0f, 1360.0f, 40.0f}, // exactly one cycle past: lands on the limit
      {1400.5f, 40.0f, 1360.0f, 40.5f - 1360.0f},
      {40.0f + 3 * 1360.0f + 1, 40.0f, 1360.0f, 41.0f - 1360.0f},
      {1411.0f, 1410.0f, 3360.0f, 1411.0f - 3360.0f},
      {1410.0f + 2 * 3360.0f + 5, 1410.0f, 3360.0f, 1415.0f - 3360.0f},
  };
  for (const auto &c : cases)
    EXPECT_NEAR(scroll_wrap(c.offset, c.limit, c.cycle), c.expected, 1e-3f)
        << c.offset << " against " << c.limit;
}

TEST(Corridor, SetJustBelowTheLimitJumpsBackByExactlyOneCycle) {
  corridor_scroll scroll = start_corridor();
  scroll.set[0] = 39.9f;
  advance_corridor(scroll, 4.0f); // to 40.9
  EXPECT_FLOAT_EQ(scroll.set[0], (39.9f + 1.0f) - 1360.0f);
  EXPECT_FLOAT_EQ(scroll.set[1], -340.0f + 1.0f);
}

TEST(Corridor, EntryPutsTheSetsAPitchApartAndTheEndPieceFarAhead) {
  const corridor_scroll scroll = start_corridor();
  const float sets[4] = {0.0f, -340.0f, -680.0f, -1020.0f};
  for (int s = 0; s < 4; ++s)
    EXPECT_EQ(scroll.set[s], sets[s]);
  EXPECT_EQ(scroll.end, -1800.0f);
}

// However the time is cut into frames, even with gaps of several seconds,
// every offset ends where one smooth run would put it, within its window.
TEST(Corridor, ScrollAfterLongGapsMatchesSmoothFrames) {
  const std::vector<std::vector<float>> runs = {
      {20000.0f},                         // one gap of 20 s
      {5500.0f, 7000.0f, 16.0f, 7484.0f}, // gaps past one set cycle
      {13440.0f, 6560.0f},                // an end cycle exactly, then more
  };
  corridor_scroll smooth = start_corridor();
  for (int frame = 0; frame < 20000; ++frame)
    advance_corridor(smooth, 1.0f);
  for (const auto &run : runs) {
    corridor_scroll scroll = start_corridor();
    for (float dt : run)
      advance_corridor(scroll, dt);
    for (int s = 0; s < kCorridorSets; ++s) {
      EXPECT_GT(scroll.set[s], kSetWrapAt - kSetCycle);
      EXPECT_LE(scroll.set[s], kSetWrapAt);
      EXPECT_NEAR(scroll.set[s], smooth.set[s], 0.05f) << "set " << s;
    }
    EXPECT_GT(scroll.end, kEndWrapAt - kEndCycle);
    EXPECT_LE(scroll.end, kEndWrapAt);
    EXPECT_NEAR(scroll.end, smooth.end, 0.05f);
  }
}

TEST(Corridor, SetsStayAPitchApartModuloTheCycle) {
  corridor_scroll scroll = start_corridor();
  for (float dt : {16.0f, 33.0f, 900.0f, 6000.0f, 17.0f, 123.0f})
    advance_corridor(scroll, dt);
  for (int s = 1; s < kCorridorSets; ++s) {
    const float gap = std::fmod(scroll.set[s - 1] - scroll.set[s] + 2 * kSetCycle, kSetCycle);
    EXPECT_NEAR(gap, 340.0f, 0.05f);
  }
}

TEST(Corridor, FogPullsInAtADrumAndLetsGoAfterAQuarterSecond) {
  EXPECT_FLOAT_EQ(corridor_fog_end(0.0f), 1800.0f); // no drum
  EXPECT_FLOAT_EQ(fog_pull(0), 1.0f);
  EXPECT_FLOAT_EQ(corridor_fog_end(fog_pull(0)), 300.0f); // right at the drum
  EXPECT_NEAR(fog_pull(125), 0.5f, 1e-5f);
  EXPECT_EQ(fog_pull(250), 0.0f);
  EXPECT_EQ(fog_pull(100000), 0.0f);
  for (int32_t d = 1; d < 250; ++d)
    EXPECT_LT(fog_pull(d), fog_pull(d - 1)) << d;
}

TEST(Corridor, FieldOfViewKicksTo135AndComesBackToExactly90) {
  EXPECT_FLOAT_EQ(kicked_fov(0), 135.0f);
  EXPECT_NEAR(kicked_fov(300), 112.5f, 1e-4f);
  EXPECT_GT(kicked_fov(599), 90.0f);
  for (int32_t d : {600, 601, 1000, 50000})
    EXPECT_EQ(kicked_fov(d), 90.0f) << d;
  for (int32_t d = 1; d < 600; ++d)
    EXPECT_LT(kicked_fov(d), kicked_fov(d - 1)) << d;
  // Before any kick (a time ahead of the last one) it is 90 too.
  EXPECT_EQ(kicked_fov(-1), 90.0f);
}

TEST(Corridor, EachAccentRollsExactly45DegreesHoweverTheFramesFall) {
  const std::vector<std::vector<int32_t>> frame_times = {
      {1000, 1016, 1033, 1050, 1200, 1349, 1350, 1400, 1500},
      {990, 1100, 1500}, // a frame before the accent, then long frames
      {900, 5000},       // one frame over the whole roll
      {1000, 1001, 1002, 1003, 1100, 1349, 1351}};
  const int32_t beat = 1000;
  for (const auto &times : frame_times) {
    float roll = 0.0f;
    for (size_t i = 1; i < times.size(); ++i)
      roll += roll_step(times[i - 1], times[i], beat);
    EXPECT_NEAR(roll, 45.0f, 1e-3f);
  }
  // Between accents the roll keeps its value.
  EXPECT_EQ(roll_step(1350, 1400, 1000), 0.0f);
  EXPECT_EQ(roll_step(500, 990, 1000), 0.0f);
  // A second accent inside the first one's roll starts a fresh 45 degrees.
  const float partial = roll_step(1000, 1200, 1000) + roll_step(1200, 1600, 1200);
  EXPECT_NEAR(partial, 200.0f * 45.0f / 350.0f + 45.0f, 1e-3f);
}

TEST(Corridor, LightMapsAreNamedInDrawingOrder) {
  EXPECT_STREQ(kCorridorMapFiles[0], "EndWall_segmentA01LightingMap.jpg");
  EXPECT_STREQ(kCorridorMapFiles[3], "Wires01LightingMap.jpg");
  const char *sets[4] = {"01", "04", "06", "08"};
  for (int s = 0; s < 4; ++s)
    for (int p = 0; p < 3; ++p) {
      const std::string expected =
          std::string("Wall_segment") + char('A' + p) + sets[s] + "LightingMap.jpg";
      EXPECT_EQ(kCorridorMapFiles[4 + 3 * s + p], expected);
    }
}

TEST(Corridor, SetsAreDrawnNearestFirstWhateverTheirWraps) {
  corridor_scroll scroll = start_corridor();
  int order[kCorridorSets];
  sets_near_first(scroll, order);
  EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{0, 1, 2, 3}));
  advance_corridor(scroll, 200.0f); // set 0 passes 40 and goes to the back
  sets_near_first(scroll, order);
  EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{1, 2, 3, 0}));
  advance_corridor(scroll, 2720.0f); // two more wraps
  sets_near_first(scroll, order);
  EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{3, 0, 1, 2}));
}
