// Beat envelope: figures of a trigger, the clock windows of update, and the
// axis-angle matrices.
#include "runtime/cKickRotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

cKickRotation triggered(float strength, uint32_t start) {
  cKickRotation k;
  k.reset();
  k.trigger(&strength);
  k.set_start(start);
  return k;
}

bool step(cKickRotation &k, uint32_t now) { return k.update(&now); }

} // namespace

TEST(KickRotationEnvelope, StrengthSetsDurationAndPeak) {
  // Duration 666.67 ms and peak 333.33 degrees (in radians) per unit of strength squared.
  const struct {
    float strength;
    int32_t duration_ms;
    float peak;
  } cases[] = {{1.0f, 666, 0.9259259f}, {3.0f, 2000, 8.3333333f}, {0.001f, 0, 9.259259e-7f}};
  for (const auto &c : cases) {
    cKickRotation k = triggered(c.strength, 0);
    EXPECT_EQ(k.duration_ms, c.duration_ms) << c.strength;
    EXPECT_NEAR(k.peak, c.peak, c.peak * 1e-5f) << c.strength;
    EXPECT_FLOAT_EQ(k.strength, c.strength);
  }
}

TEST(KickRotationEnvelope, RisesWithCubicEaseOutInsideItsWindowAndHoldsThePeak) {
  cKickRotation k = triggered(1.0f, 1000);
  EXPECT_FALSE(step(k, 1000)) << "the start itself is not inside the envelope";
  EXPECT_FLOAT_EQ(k.angle, 0.0f);
  ASSERT_TRUE(step(k, 1333));
  const double u = 333.0 / 666.0 - 1.0;
  EXPECT_NEAR(k.angle, k.peak * (u * u * u + 1.0), 1e-5);
  ASSERT_TRUE(step(k, 1666)) << "the end itself still updates";
  EXPECT_FLOAT_EQ(k.angle, k.peak);
  for (uint32_t after : {1667u, 999999u, 900u}) // after the end, and before the start
    EXPECT_FALSE(step(k, after)) << after;
  EXPECT_FLOAT_EQ(k.angle, k.peak);

  // Near the top of the tick range the window does not wrap.
  cKickRotation late = triggered(1.0f, 0xFFFFFF00u);
  EXPECT_TRUE(step(late, 0xFFFFFF10u));
  EXPECT_GT(late.angle, 0.0f);
  // Untriggered, or too weak to last a millisecond: never moves.
  cKickRotation idle, weak = triggered(0.001f, 10);
  idle.reset();
  idle.set_start(0);
  for (uint32_t t : {1u, 10u, 11u, 12u, 1000u}) {
    EXPECT_FALSE(step(idle, t));
    EXPECT_FALSE(step(weak, t));
  }
  EXPECT_EQ(idle.angle + weak.angle, 0.0f);
}

TEST(KickRotationEnvelope, ResetRestoresAxisAndClearsTheTrigger) {
  cKickRotation k = triggered(1.0f, 0);
  const float axis[3] = {0.0f, 0.0f, 1.0f};
  k.set_axis(axis);
  ASSERT_TRUE(step(k, 100));
  k.reset();
  EXPECT_EQ(k.angle, 0.0f);
  EXPECT_EQ(k.strength, 0.0f);
  EXPECT_EQ(std::vector<float>(k.axis, k.axis + 3), (std::vector<float>{0, 1, 0}));
  EXPECT_FALSE(step(k, 200));
}

TEST(KickRotationMatrix, QuarterTurnAboutZMatchesTheElementTableInBothLayouts) {
  cKickRotation k;
  k.reset();
  const float z[3] = {0.0f, 0.0f, 1.0f};
  k.set_axis(z);
  k.angle = static_cast<float>(M_PI / 2);
  float m[9], m4[16];
  k.rotation3x3(m);
  k.rotation4x4(m4);
  // Element 1 is x*y*t - z*s = -1, element 3 is x*y*t + z*s = +1.
  const float expect[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
  const int layout[9] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
  for (int i = 0; i < 9; ++i) {
    EXPECT_NEAR(m[i], expect[i], 1e-6f) << i;
    EXPECT_FLOAT_EQ(m4[layout[i]], m[i]) << i;
  }
  for (int i : {3, 7, 11, 12, 13, 14})
    EXPECT_FLOAT_EQ(m4[i], 0.0f);
  EXPECT_FLOAT_EQ(m4[15], 1.0f);
}

TEST(KickRotationMatrix, AnyTurnIsOrthonormalAndKeepsItsAxis) {
  const float axis[3] = {0.6f, 0.0f, 0.8f};
  for (float angle : {0.0f, 1.234f}) {
    cKickRotation k;
    k.reset();
    k.set_axis(axis);
    k.angle = angle;
    float m[9];
    k.rotation3x3(m);
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) {
        const float dot =
            m[3 * a] * m[3 * b] + m[3 * a + 1] * m[3 * b + 1] + m[3 * a + 2] * m[3 * b + 2];
        EXPECT_NEAR(dot, a == b ? 1.0f : 0.0f, 1e-5f);
        if (angle == 0.0f)
          EXPECT_FLOAT_EQ(m[3 * a + b], a == b ? 1.0f : 0.0f) << "angle 0 is the identity";
      }
      EXPECT_NEAR(m[3 * a] * axis[0] + m[3 * a + 1] * axis[1] + m[3 * a + 2] * axis[2], axis[a],
                  1e-5f)
          << "the axis is a fixed point";
    }
  }
}
