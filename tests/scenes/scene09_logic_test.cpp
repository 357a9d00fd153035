// Time and beat logic of scene 9 without a GL context: the three kicks of a
// bass drum, the turns they add up to, the tori's spin and wave, and the
// random axes and flicker drawn from the whole range of rand().
#include "scenes/cScene09.h"

#include "scenes/scene_maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

namespace {

constexpr float kPi = 3.14159265f;

demo_event event_of(int32_t kind, int32_t time) {
  demo_event e;
  e.kind = kind;
  e.time = time;
  return e;
}

// The scene at demo time t, with the previous frame dt before.
void tick(cScene &scene, demo_clock &clock, int32_t t, int32_t dt = 40) {
  clock.prev_ms = clock.start_ms + uint32_t(t - dt);
  clock.now_ms = clock.start_ms + uint32_t(t);
  scene.update();
}

bool is_identity(const float m[16]) {
  float one[16];
  mat4_identity(one);
  for (int i = 0; i < 16; ++i)
    if (std::fabs(m[i] - one[i]) > 1e-6f)
      return false;
  return true;
}

float largest_difference(const float a[16], const float b[16]) {
  float d = 0.0f;
  for (int i = 0; i < 16; ++i)
    d = std::fmax(d, std::fabs(a[i] - b[i]));
  return d;
}

} // namespace

TEST(GyroKicks, EachPieceTurnsWithItsOwnStrengthFromTheBeat) {
  struct Case {
    float strength;
    int32_t duration_ms;
    float peak;
  } cases[kGyroPieces] = {{1.5f, 1000, 2.0833f}, {2.5f, 1666, 5.7870f}, {2.3f, 1533, 4.8981f}};
  cKickRotation spins[kGyroPieces];
  for (cKickRotation &s : spins) {
    s.reset();
    s.angle = 1.0f; // a turn left over from the last beat
  }
  const float axes[kGyroPieces][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  kick_gyroscope(spins, axes, 5000);
  for (int k = 0; k < kGyroPieces; ++k) {
    SCOPED_TRACE("piece " + std::to_string(k));
    EXPECT_FLOAT_EQ(spins[k].strength, cases[k].strength);
    EXPECT_EQ(spins[k].duration_ms, cases[k].duration_ms);
    EXPECT_NEAR(spins[k].peak, cases[k].peak, 1e-3f);
    EXPECT_EQ(spins[k].start_ms, 5000u);
    EXPECT_FLOAT_EQ(spins[k].angle, 0.0f) << "a new turn starts from none";
    for (int c = 0; c < 3; ++c)
      EXPECT_FLOAT_EQ(spins[k].axis[c], axes[k][c]);
    // Eased out over its own length, then held.
    uint32_t end = 5000u + uint32_t(cases[k].duration_ms);
    EXPECT_TRUE(spins[k].update(&end));
    EXPECT_NEAR(spins[k].angle, cases[k].peak, 1e-3f);
  }
}

TEST(GyroKicks, PiecesRestUntilTheFirstBeatAndNeverJumpOnTheNext) {
  demo_clock clock;
  clock.start_ms = 1000;
  cScene09 scene(&clock);
  tick(scene, clock, 2000);
  for (int k = 0; k < kGyroPieces; ++k)
    EXPECT_TRUE(is_identity(scene.piece_turn(k))) << "piece " << k << " before any beat";

  std::srand(7);
  const demo_event bd = event_of(EV_BD, 2000);
  scene.on_event(&bd);
  for (int32_t t = 2040; t <= 2400; t += 40)
    tick(scene, clock, t);
  float before[kGyroPieces][16];
  for (int k = 0; k < kGyroPieces; ++k) {
    EXPECT_FALSE(is_identity(scene.piece_turn(k))) << "piece " << k << " turned";
    std::copy(scene.piece_turn(k), scene.piece_turn(k) + 16, before[k]);
  }
  // A second beat in the middle of the turns: each piece goes on from where
  // it stands, so one frame later it has moved only a little.
  clock.now_ms = clock.start_ms + 2400;
  const demo_event again = event_of(EV_BD, 2400);
  scene.on_event(&again);
  tick(scene, clock, 2400, 0);
  for (int k = 0; k < kGyroPieces; ++k)
    EXPECT_LT(largest_difference(scene.piece_turn(k), before[k]), 1e-5f) << "piece " << k;
  tick(scene, clock, 2410, 10);
  for (int k = 0; k < kGyroPieces; ++k)
    EXPECT_LT(largest_difference(scene.piece_turn(k), before[k]), 0.15f) << "piece " << k;
}

TEST(GyroKicks, AxesComeFromTheWholeRangeOfRand) {
  // Scaled by 1/32767 every value would be far above 0.5 and every axis
  // would lean into the all-positive octant.
  std::srand(2024);
  cKickRotation spins[kGyroPieces];
  for (cKickRotation &s : spins)
    s.reset();
  std::set<int> octants;
  for (int n = 0; n < 300; ++n) {
    float axes[kGyroPieces][3];
    draw_gyro_axes(spins, axes);
    for (const float *a : axes) {
      EXPECT_NEAR(std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]), 1.0f, 1e-5f);
      octants.insert((a[0] > 0) | (a[1] > 0) << 1 | (a[2] > 0) << 2);
    }
  }
  EXPECT_EQ(octants.size(), 8u);
}

TEST(GyroKicks, OtherAccentsArePrintedAndChangeNothing) {
  demo_clock clock;
  cScene09 scene(&clock);
  const demo_event snare = event_of(EV_SNARE, 190000);
  testing::internal::CaptureStderr();
  scene.on_event(&snare);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ef09: 25 190000\n");
  tick(scene, clock, 190040);
  for (int k = 0; k < kGyroPieces; ++k)
    EXPECT_TRUE(is_identity(scene.piece_turn(k)));
  EXPECT_FLOAT_EQ(scene.tori_spin().angle, 0.0f);
}

TEST(ToriSpin, ClapTurnsThemAtOnceAndTheSpinDiesWithinASecond) {
  struct Case {
    float dt;
    float first_turn; // degrees in the frame after the clap
    int frames_to_stop;
  } cases[] = {{40.0f, 9.6f, 25}, {16.0f, 9.84f, 63}, {1000.0f, 0.0f, 1}};
  for (const Case &c : cases) {
    SCOPED_TRACE("dt " + std::to_string(c.dt));
    torus_spin spin;
    spin.angle = 30.0f;
    clap_tori(spin);
    EXPECT_FLOAT_EQ(spin.speed, 10.0f);
    advance_tori(spin, c.dt);
    EXPECT_NEAR(spin.angle - 30.0f, c.first_turn, 1e-4f);
    int frames = 1;
    while (spin.speed > 0.0f && frames < 1000) {
      advance_tori(spin, c.dt);
      ++frames;
    }
    EXPECT_NEAR(frames, c.frames_to_stop, 1); // float steps may leave a crumb
    EXPECT_LE(float(frames) * c.dt, 1000.0f + c.dt) << "stopped within a second";
    const float stopped_at = spin.angle;
    advance_tori(spin, c.dt);
    EXPECT_FLOAT_EQ(spin.speed, 0.0f) << "never backwards";
    EXPECT_FLOAT_EQ(spin.angle, stopped_at);
  }
}

TEST(ToriSpin, ClapReachesTheSceneAndAnotherRestartsIt) {
  demo_clock clock;
  cScene09 scene(&clock);
  const demo_event clap = event_of(EV_CLAP, 200000);
  scene.on_event(&clap);
  tick(scene, clock, 200040);
  EXPECT_NEAR(scene.tori_spin().angle, 9.6f, 1e-4f);
  tick(scene, clock, 200080);
  scene.on_event(&clap);
  tick(scene, clock, 200120);
  EXPECT_NEAR(scene.tori_spin().speed, 9.6f, 1e-4f);
  EXPECT_NEAR(scene.tori_spin().angle, 9.6f + 9.2f + 9.6f, 1e-3f);
}

TEST(ToriWave, PositionsFollowTheWaveAroundTheEye) {
  // x = 100 - 37.5 sin(t / 500 + 50 column + 5 row), y = 12.5 column - 50 row + 42.5.
  struct Case {
    int row, column;
    int32_t t;
    float x, y;
  } cases[] = {
      {0, 0, 0, 100.0f, 42.5f},
      {0, 0, 785, 100.0f - 37.5f * std::sin(1.57f), 42.5f}, // nearest the eye
      {1, 0, 0, 100.0f - 37.5f * std::sin(5.0f), -7.5f},    // near the view axis
      {4, 19, 200000, 100.0f - 37.5f * std::sin(400.0f + 950.0f + 20.0f), 80.0f},
      {2, 10, 1571, 100.0f - 37.5f * std::sin(3.142f + 510.0f), 67.5f},
  };
  for (const Case &c : cases) {
    float at[3];
    torus_wave_position(c.row, c.column, c.t, at);
    EXPECT_NEAR(at[0], c.x, 5e-3f) << c.row << "," << c.column << " at " << c.t;
    EXPECT_FLOAT_EQ(at[1], c.y) << c.row << "," << c.column;
    EXPECT_FLOAT_EQ(at[2], 0.0f) << "the sheet holds the eye and the view axis";
  }
}

TEST(ToriWave, EveryTorusSwingsBetweenBehindTheEyeAndJustInFrontOfIt) {
  for (int row = 0; row < kWaveRows; ++row)
    for (int column = 0; column < kWaveColumns; ++column) {
      float lo = 1e9f, hi = -1e9f;
      for (int32_t t = 188160; t < 218880; t += 20) {
        float at[3];
        torus_wave_position(row, column, t, at);
        lo = std::fmin(lo, at[0]);
        hi = std::fmax(hi, at[0]);
      }
      EXPECT_NEAR(lo, 62.5f, 0.05f);
      EXPECT_NEAR(hi, 137.5f, 0.05f);
    }
  // The period of the wave is pi seconds.
  float a[3], b[3];
  torus_wave_position(3, 7, 190000, a);
  torus_wave_position(3, 7, 190000 + int32_t(std::lround(1000.0f * kPi)), b);
  EXPECT_NEAR(a[0], b[0], 0.05f);
}

TEST(ToriWave, FlickerUsesTheWholeRangeOfRand) {
  // Scaled by 1/32767 the light would sit near 100000 and never flicker.
  std::srand(99);
  float lo = 1e9f, hi = -1e9f;
  for (int n = 0; n < 2000; ++n) {
    const float r = tori_flicker();
    EXPECT_GE(r, -0.25f);
    EXPECT_LE(r, 1.25f);
    lo = std::fmin(lo, r);
    hi = std::fmax(hi, r);
  }
  EXPECT_LT(lo, -0.2f);
  EXPECT_GT(hi, 1.2f);
}
