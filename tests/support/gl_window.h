// The one GL test harness: the program's window and GL defaults with the
// image library set up as the program sets it (Xvfb with llvmpipe), opened
// once per test binary that includes this, and read-back of what was drawn.
#pragma once

#include "platform/gl_defaults.h"
#include "platform/gl_extensions.h"
#include "platform/video_settings.h"
#include "support/require_display.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace gl_test {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct window : testing::Environment {
  void SetUp() override {
    open_test_window();
    set_gl_defaults();
    ilInit();
    iluInit(); // error texts
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    ilEnable(IL_ORIGIN_SET);
  }
  void TearDown() override { SDL_Quit(); }
};

inline testing::Environment *const g_window = testing::AddGlobalTestEnvironment(new window);

struct rgba {
  int r, g, b, a;
  int sum() const { return r + g + b; }
};

// The back buffer, bottom row first, RGBA.
using frame = std::vector<uint8_t>;
inline frame read_frame() {
  frame px(size_t(kWidth) * kHeight * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  return px;
}

inline rgba at(const frame &f, int x, int y) {
  const uint8_t *p = &f[(size_t(y) * kWidth + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

inline rgba pixel(int x, int y) {
  uint8_t p[4] = {0, 0, 0, 0};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2], p[3]};
}

// Within tolerance of (r, g, b), naming the colour found when not.
inline testing::AssertionResult near(rgba p, int r, int g, int b, int tolerance = 4) {
  if (std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
      std::abs(p.b - b) <= tolerance)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "found (" << p.r << ", " << p.g << ", " << p.b << ")";
}

// Expected colours at window pixels.
struct probe {
  int x, y, r, g, b;
};
inline void expect_pixels(std::initializer_list<probe> probes, int tolerance = 4) {
  for (const probe &p : probes)
    EXPECT_TRUE(near(pixel(p.x, p.y), p.r, p.g, p.b, tolerance)) << "at " << p.x << ", " << p.y;
}

// Mean brightness (r + g + b) over a square of half-size r around (x, y).
inline double mean_sum(const frame &f, int x, int y, int r) {
  double total = 0;
  int count = 0;
  for (int j = y - r; j <= y + r; ++j)
    for (int i = x - r; i <= x + r; ++i)
      if (i >= 0 && j >= 0 && i < kWidth && j < kHeight) {
        total += at(f, i, j).sum();
        ++count;
      }
  return count ? total / count : 0.0;
}

// Pixels that differ from the background colour bg by more than tol.
inline int covered(const frame &f, rgba bg, int tol = 12) {
  int n = 0;
  for (size_t i = 0; i < f.size(); i += 4)
    n += std::abs(f[i] - bg.r) + std::abs(f[i + 1] - bg.g) + std::abs(f[i + 2] - bg.b) > tol;
  return n;
}

inline void reset_matrices() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// The matrix of a rotation by degrees about (x, y, z), column-major as GL keeps it.
inline void rotation(float degrees, float x, float y, float z, float *out) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glRotatef(degrees, x, y, z);
  glGetFloatv(GL_MODELVIEW_MATRIX, out);
  glPopMatrix();
}

} // namespace gl_test
