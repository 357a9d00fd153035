// The GL defaults and error reports on a real context (Xvfb with llvmpipe).
#include "platform/gl_defaults.h"
#include "platform/gl_extensions.h"
#include "platform/video_settings.h"
#include "support/require_display.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <string>

namespace {
struct GlWindow : testing::Environment {
  void SetUp() override {
    open_test_window();
    set_gl_defaults();
  }
  void TearDown() override { SDL_Quit(); }
};
const auto *const env = testing::AddGlobalTestEnvironment(new GlWindow);

struct Rgba {
  unsigned char r, g, b, a;
};
Rgba pixel(int x, int y) {
  Rgba p{};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
  return p;
}

void draw_quad(bool counter_clockwise, float alpha) {
  glColor4f(1, 1, 1, alpha);
  glBegin(GL_QUADS);
  if (counter_clockwise) {
    glVertex2f(-0.5f, -0.5f);
    glVertex2f(0.5f, -0.5f);
    glVertex2f(0.5f, 0.5f);
    glVertex2f(-0.5f, 0.5f);
  } else {
    glVertex2f(-0.5f, -0.5f);
    glVertex2f(-0.5f, 0.5f);
    glVertex2f(0.5f, 0.5f);
    glVertex2f(0.5f, -0.5f);
  }
  glEnd();
}

void clear_unlit() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHTING);
}
} // namespace

TEST(GlDefaults, StateMatchesTheProgramsAssumptions) {
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
  GLint value = 0;
  glGetIntegerv(GL_LIGHT_MODEL_COLOR_CONTROL, &value);
  EXPECT_EQ(value, GL_SEPARATE_SPECULAR_COLOR);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 800);
  EXPECT_EQ(viewport[3], 600);
  glGetIntegerv(GL_MATRIX_MODE, &value);
  EXPECT_EQ(value, GL_MODELVIEW);
  EXPECT_TRUE(glBindBufferARB);
  EXPECT_TRUE(glActiveTextureARB);
  EXPECT_TRUE(glDrawRangeElements);
}

TEST(GlDefaults, CullingAndAlphaTest) {
  clear_unlit();
  draw_quad(false, 1.0f);
  EXPECT_EQ(pixel(400, 300).r, 0) << "clockwise quad is culled";
  clear_unlit();
  draw_quad(true, 1.0f);
  EXPECT_EQ(pixel(400, 300).r, 255) << "counter-clockwise quad is drawn";
  clear_unlit();
  draw_quad(true, 0.1f);
  EXPECT_EQ(pixel(400, 300).r, 0) << "alpha 0.1 fails the alpha test";
  clear_unlit();
  draw_quad(true, 0.5f);
  EXPECT_NEAR(pixel(400, 300).r, 128, 2) << "alpha 0.5 is blended";
  glEnable(GL_LIGHTING);
}

TEST(GlErrors, ReportsOneErrorPerCallWithItsTag) {
  while (glGetError() != GL_NO_ERROR) {
  }
  glEnable(0x1234);
  testing::internal::CaptureStderr();
  check_gl_error(2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "## ERROR: OpenGL  2: invalid enumerant\n");
  glEnable(0x1235);
  testing::internal::CaptureStderr();
  check_gl_error(0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "## ERROR: OpenGL : invalid enumerant\n");
  testing::internal::CaptureStderr();
  check_gl_error(5);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
