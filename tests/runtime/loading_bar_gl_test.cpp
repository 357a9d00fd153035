// The first frames: the grey clear of start-up, then the loading bar.
#include "platform/gl_defaults.h"
#include "platform/gl_extensions.h"
#include "platform/video_settings.h"
#include "runtime/cLoadingBar.h"
#include "support/demo_process.h"
#include "support/require_display.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

namespace {
struct Rgb {
  int r, g, b;
};
Rgb front_pixel(float x, float y) {
  int rgb[3] = {-1, -1, -1};
  screen_pixel(static_cast<int>(x * 800), 599 - static_cast<int>(y * 600), rgb);
  return {rgb[0], rgb[1], rgb[2]};
}
void expect_rgb(Rgb got, Rgb want, const char *what) {
  EXPECT_NEAR(got.r, want.r, 1) << what;
  EXPECT_NEAR(got.g, want.g, 1) << what;
  EXPECT_NEAR(got.b, want.b, 1) << what;
}
} // namespace

TEST(FirstFrames, GreyClearThenLoadingBar) {
  open_test_window();
  glClearColor(0.15f, 0.15f, 0.15f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  SDL_GL_SwapBuffers();
  expect_rgb(front_pixel(0.5f, 0.5f), {38, 38, 38}, "grey start-up clear");
  set_gl_defaults();

  const Rgb background{9, 16, 25}, white{255, 255, 255};
  {
    cLoadingBar bar;
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    bar.draw(0.5f);
    expect_rgb(front_pixel(0.3f, 0.5f), white, "fill");
    expect_rgb(front_pixel(0.6f, 0.5f), background, "unfilled part");
    expect_rgb(front_pixel(0.05f, 0.5f), background, "outside");
    // The one-pixel frame line may fall between pixel rows: take the
    // strongest of the neighbouring rows.
    Rgb frame{0, 0, 0};
    for (float dy : {-1.5f / 600, 0.0f, 1.5f / 600}) {
      Rgb p = front_pixel(0.5f, 0.45f + dy);
      if (p.r > frame.r)
        frame = p;
    }
    // Multisampling may cover the line's pixel only partly: a yellow blend.
    EXPECT_GT(frame.r, 120);
    EXPECT_GT(frame.g, frame.r * 210 / 255 - 20);
    EXPECT_LT(frame.g, frame.r);
    EXPECT_LE(frame.b, background.b);
    bar.draw(1.0f / 9.0f);
    expect_rgb(front_pixel(0.102f, 0.5f), background, "clockwise fill is culled");
    bar.draw(1.0f);
    expect_rgb(front_pixel(0.85f, 0.5f), white, "full bar");
  }
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << "enable bits restored";
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[3], 1.0f);
  SDL_Quit();
}
