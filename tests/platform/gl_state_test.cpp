// The GL defaults and error reports on a real context (Xvfb with llvmpipe).
#include "support/gl_window.h"

#include <string>

using gl_test::pixel;

namespace {
void draw_quad(bool counter_clockwise, float alpha) {
  glColor4f(1, 1, 1, alpha);
  const float x[4] = {-0.5f, 0.5f, 0.5f, -0.5f}, y[4] = {-0.5f, -0.5f, 0.5f, 0.5f};
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; ++i) {
    const int k = counter_clockwise ? i : 3 - i;
    glVertex2f(x[k], y[k]);
  }
  glEnd();
}
} // namespace

TEST(GlDefaults, StateMatchesTheProgramsAssumptions) {
  const std::pair<GLenum, bool> enables[] = {
      {GL_BLEND, true},    {GL_ALPHA_TEST, true},  {GL_DEPTH_TEST, true},     {GL_CULL_FACE, true},
      {GL_LIGHTING, true}, {GL_TEXTURE_2D, false}, {GL_COLOR_MATERIAL, false}};
  for (auto [cap, on] : enables)
    EXPECT_EQ(bool(glIsEnabled(cap)), on) << std::hex << cap;
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

TEST(GlDefaults, CullingAlphaTestAndBlending) {
  const struct {
    bool counter_clockwise;
    float alpha;
    int red;
    const char *why;
  } cases[] = {{false, 1.0f, 0, "a clockwise quad is culled"},
               {true, 1.0f, 255, "a counter-clockwise quad is drawn"},
               {true, 0.1f, 0, "alpha 0.1 fails the alpha test"},
               {true, 0.5f, 128, "alpha 0.5 is blended"}};
  glDisable(GL_LIGHTING);
  for (const auto &c : cases) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_quad(c.counter_clockwise, c.alpha);
    EXPECT_NEAR(pixel(400, 300).r, c.red, 2) << c.why;
  }
  glEnable(GL_LIGHTING);
}

TEST(GlErrors, ReportsOneErrorPerCallWithItsTag) {
  while (glGetError() != GL_NO_ERROR) {
  }
  const std::pair<int, const char *> cases[] = {{2, "## ERROR: OpenGL  2: invalid enumerant\n"},
                                                {0, "## ERROR: OpenGL : invalid enumerant\n"},
                                                {5, ""}};
  for (auto [tag, message] : cases) {
    if (*message)
      glEnable(0x1234);
    testing::internal::CaptureStderr();
    check_gl_error(tag);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), message) << tag;
  }
}
