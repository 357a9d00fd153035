// Loading-bar fill geometry: the right edge and the winding it implies.
#include "runtime/cLoadingBar.h"

#include <gtest/gtest.h>

namespace {
// Twice the signed area: positive for counter-clockwise corners.
float winding(const float c[8]) {
  float area = 0;
  for (int i = 0; i < 4; ++i) {
    int j = (i + 1) % 4;
    area += c[2 * i] * c[2 * j + 1] - c[2 * j] * c[2 * i + 1];
  }
  return area;
}
} // namespace

TEST(LoadingBar, FillRightEdgeIsProgressTimesPoint895) {
  float c[8];
  loading_bar_fill(0.5f, c);
  EXPECT_FLOAT_EQ(c[0], 0.105f);
  EXPECT_FLOAT_EQ(c[2], 0.4475f);
  EXPECT_FLOAT_EQ(c[4], 0.4475f);
  EXPECT_FLOAT_EQ(c[1], 0.455f);
  EXPECT_FLOAT_EQ(c[5], 0.545f);
  loading_bar_fill(1.0f, c);
  EXPECT_FLOAT_EQ(c[2], 0.895f);
}

TEST(LoadingBar, FirstTwoStepsWindClockwiseTheRestCounterClockwise) {
  float c[8];
  for (int k = 0; k <= 9; ++k) {
    loading_bar_fill(k / 9.0f, c);
    if (k < 2)
      EXPECT_LT(winding(c), 0.0f) << k;
    else
      EXPECT_GT(winding(c), 0.0f) << k;
  }
}
