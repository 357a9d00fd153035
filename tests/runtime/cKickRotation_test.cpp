// Beat envelope: figures of a trigger, the clock windows of update, and the
// axis-angle matrices.
#include "runtime/cKickRotation.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(KickRotationEnvelope, StrengthOneLastsTwoThirdsOfASecondAndPeaksNearPoint926) {
  cKickRotation k = triggered(1.0f, 0);
  EXPECT_EQ(k.duration_ms, 666);
  EXPECT_NEAR(k.peak, 0.9259259f, 1e-6f);
  EXPECT_FLOAT_EQ(k.strength, 1.0f);

  cKickRotation strong = triggered(3.0f, 0);
  EXPECT_EQ(strong.duration_ms, 2000);
  EXPECT_NEAR(strong.peak, 8.3333333f, 1e-5f);
}

TEST(KickRotationEnvelope, RisesWithCubicEaseOutAndHoldsThePeak) {
  cKickRotation k = triggered(1.0f, 1000);
  EXPECT_FALSE(step(k, 1000)) << "the start itself is not inside the envelope";
  EXPECT_FLOAT_EQ(k.angle, 0.0f);

  ASSERT_TRUE(step(k, 1333));
  const double u = 333.0 / 666.0 - 1.0;
  EXPECT_NEAR(k.angle, k.peak * (u * u * u + 1.0), 1e-5);
  EXPECT_GT(k.angle, k.peak * 0.5f) << "ease-out is past half way at half time";

  ASSERT_TRUE(step(k, 1666)) << "the end itself still updates";
  EXPECT_FLOAT_EQ(k.angle, k.peak);

  const float held = k.angle;
  EXPECT_FALSE(step(k, 1667));
  EXPECT_FALSE(step(k, 999999));
  EXPECT_FLOAT_EQ(k.angle, held);
}

TEST(KickRotationEnvelope, BeforeStartAndUntriggeredLeaveTheAngle) {
  cKickRotation k = triggered(2.0f, 500);
  ASSERT_TRUE(step(k, 900));
  const float mid = k.angle;
  EXPECT_FALSE(step(k, 100));
  EXPECT_FLOAT_EQ(k.angle, mid);

  cKickRotation idle;
  idle.reset();
  idle.set_start(0);
  for (uint32_t t : {1u, 10u, 1000u})
    EXPECT_FALSE(step(idle, t));
  EXPECT_FLOAT_EQ(idle.angle, 0.0f);
}

TEST(KickRotationEnvelope, TinyStrengthHasNoDurationAndNeverMoves) {
  cKickRotation k = triggered(0.001f, 10);
  EXPECT_EQ(k.duration_ms, 0);
  for (uint32_t t : {9u, 10u, 11u, 12u, 5000u})
    EXPECT_FALSE(step(k, t));
  EXPECT_FLOAT_EQ(k.angle, 0.0f);
}

TEST(KickRotationEnvelope, EnvelopeNearTheTopOfTheTickRangeDoesNotWrap) {
  cKickRotation k = triggered(1.0f, 0xFFFFFF00u);
  EXPECT_TRUE(step(k, 0xFFFFFF10u));
  EXPECT_GT(k.angle, 0.0f);
}

TEST(KickRotationEnvelope, ResetRestoresAxisAndClearsTheTrigger) {
  cKickRotation k = triggered(1.0f, 0);
  const float axis[3] = {0.0f, 0.0f, 1.0f};
  k.set_axis(axis);
  ASSERT_TRUE(step(k, 100));
  k.reset();
  EXPECT_FLOAT_EQ(k.angle, 0.0f);
  EXPECT_FLOAT_EQ(k.strength, 0.0f);
  EXPECT_FLOAT_EQ(k.axis[0], 0.0f);
  EXPECT_FLOAT_EQ(k.axis[1], 1.0f);
  EXPECT_FLOAT_EQ(k.axis[2], 0.0f);
  EXPECT_FALSE(step(k, 200));
}

TEST(KickRotationMatrix, AngleZeroIsTheIdentityInBothLayouts) {
  cKickRotation k;
  k.reset();
  const float axis[3] = {0.3f, -0.5f, 0.8f};
  k.set_axis(axis);
  float m3[9], m4[16];
  k.rotation3x3(m3);
  k.rotation4x4(m4);
  for (int i = 0; i < 9; ++i)
    EXPECT_FLOAT_EQ(m3[i], (i % 4 == 0) ? 1.0f : 0.0f) << i;
  for (int i = 0; i < 16; ++i)
    EXPECT_FLOAT_EQ(m4[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
}

TEST(KickRotationMatrix, QuarterTurnAboutZMatchesTheElementTable) {
  cKickRotation k;
  k.reset();
  const float z[3] = {0.0f, 0.0f, 1.0f};
  k.set_axis(z);
  k.angle = static_cast<float>(M_PI / 2);
  float m[9];
  k.rotation3x3(m);
  // Element 1 is x*y*t - z*s = -1, element 3 is x*y*t + z*s = +1.
  const float expect[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
  for (int i = 0; i < 9; ++i)
    EXPECT_NEAR(m[i], expect[i], 1e-6f) << i;

  float m4[16];
  k.rotation4x4(m4);
  const int layout[9] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
  for (int i = 0; i < 9; ++i)
    EXPECT_FLOAT_EQ(m4[layout[i]], m[i]);
  for (int i : {3, 7, 11, 12, 13, 14})
    EXPECT_FLOAT_EQ(m4[i], 0.0f);
  EXPECT_FLOAT_EQ(m4[15], 1.0f);
}

TEST(KickRotationMatrix, UnitAxisGivesAnOrthonormalMatrixAndKeepsTheAxis) {
  cKickRotation k;
  k.reset();
  const float axis[3] = {0.6f, 0.0f, 0.8f};
  k.set_axis(axis);
  k.angle = 1.234f;
  float m[9];
  k.rotation3x3(m);
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) {
      float dot = 0;
      for (int i = 0; i < 3; ++i)
        dot += m[3 * a + i] * m[3 * b + i];
      EXPECT_NEAR(dot, a == b ? 1.0f : 0.0f, 1e-5f);
    }
  for (int row = 0; row < 3; ++row) {
    float v = m[3 * row] * axis[0] + m[3 * row + 1] * axis[1] + m[3 * row + 2] * axis[2];
    EXPECT_NEAR(v, axis[row], 1e-5f) << "the axis is a fixed point";
  }
}
