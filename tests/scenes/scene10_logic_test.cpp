// Scene 10 without a GL context: when the frame goes black, when the
// program ends, and the blur's flicker drawn from the whole range of rand().
#include "scenes/cScene10.h"

#include "effects/cPostRadialblur.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// A scene 10 whose clock reads demo time t; update() then runs as the
// director would run it (only in a death test's child: it may end the process).
void update_at(int32_t t) {
  demo_clock clock;
  clock.start_ms = 3000;
  clock.prev_ms = clock.start_ms + uint32_t(t - 10);
  clock.now_ms = clock.start_ms + uint32_t(t);
  cScene10 scene(&clock);
  scene.update();
}

} // namespace

TEST(GreetingsEnd, LastDrawnFrameAndTheExitAreAtTheirDemoTimes) {
  struct Case {
    int32_t t;
    bool drawn, over;
  } cases[] = {
      {218880, true, false},  {231709, true, false}, {231710, true, false}, {231711, false, false},
      {238774, false, false}, {238775, false, true}, {240000, false, true},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(greetings_drawn(c.t), c.drawn) << c.t;
    EXPECT_EQ(show_over(c.t), c.over) << c.t;
  }
  EXPECT_EQ(kShowEndMs, 238775);
}

TEST(GreetingsEndDeathTest, UpdateEndsTheProgramWithStatusZeroOnlyAfterTheLastMs) {
  EXPECT_EXIT(update_at(238775), testing::ExitedWithCode(0), "");
  EXPECT_EXIT(update_at(251000), testing::ExitedWithCode(0), "");
  // One ms earlier the update returns, and the child ends with its own status.
  EXPECT_EXIT(
      {
        update_at(238774);
        std::exit(3);
      },
      testing::ExitedWithCode(3), "");
}

TEST(GreetingsEnd, BeatsReachTheSceneAndChangeNothing) {
  demo_clock clock;
  clock.now_ms = 220000;
  cScene10 scene(&clock);
  for (int32_t kind : {EV_BD, EV_BD_END, EV_CLAP, EV_SNARE}) {
    demo_event e;
    e.kind = kind;
    e.time = 220000;
    testing::internal::CaptureStderr();
    scene.on_event(&e);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "kind " << kind;
  }
}

TEST(GreetingsBlur, FlickerStaysWithinItsRangeAndTheBlurStaysCheap) {
  // Scaled by the 1/32767 constants the zoom would reach about 20000, which
  // asks for a million copies a frame, and the strength about 33000.
  std::srand(5);
  const std::vector<int> raw = [] {
    std::srand(5);
    std::vector<int> v;
    for (int i = 0; i < 4; ++i)
      v.push_back(std::rand());
    return v;
  }();
  std::srand(5);
  const blur_flicker first = draw_blur_flicker();
  const blur_flicker second = draw_blur_flicker();
  EXPECT_FLOAT_EQ(first.intensity, float(double(raw[0]) / RAND_MAX) * 0.5f)
      << "strength first, one rand() each";
  EXPECT_FLOAT_EQ(first.zoom, 0.3f + float(double(raw[1]) / RAND_MAX) * 0.3f);
  EXPECT_FLOAT_EQ(second.intensity, float(double(raw[2]) / RAND_MAX) * 0.5f);

  float lo_i = 1, hi_i = 0, lo_z = 1, hi_z = 0;
  for (int n = 0; n < 3000; ++n) {
    const blur_flicker f = draw_blur_flicker();
    EXPECT_GE(f.intensity, 0.0f);
    EXPECT_LE(f.intensity, 0.5f);
    EXPECT_GE(f.zoom, 0.3f);
    EXPECT_LE(f.zoom, 0.6f);
    EXPECT_LE(cPostRadialblur::copy_count(f.zoom), 30) << "copies at zoom " << f.zoom;
    lo_i = std::min(lo_i, f.intensity), hi_i = std::max(hi_i, f.intensity);
    lo_z = std::min(lo_z, f.zoom), hi_z = std::max(hi_z, f.zoom);
  }
  EXPECT_LT(lo_i, 0.02f);
  EXPECT_GT(hi_i, 0.48f) << "it flickers over the whole range";
  EXPECT_LT(lo_z, 0.32f);
  EXPECT_GT(hi_z, 0.58f);
}
