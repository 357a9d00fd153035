// A windowed GL context with the program's GL defaults and image-library
// setup, for the GL tests of the asset classes (Xvfb with llvmpipe), and
// helpers to read back and save what was drawn.
#pragma once

#include "platform/gl_extensions.h"
#include "support/require_display.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gl_defaults.h"
#include "platform/video_settings.h"
#include "png_file.h"

namespace gl_test {

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

struct rgba {
  int r, g, b, a;
};

// Registered once for the whole test binary, whichever files include this.
inline testing::Environment *const g_window = testing::AddGlobalTestEnvironment(new window);

inline rgba pixel(int x, int y) {
  unsigned char p[4] = {0, 0, 0, 0};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return rgba{p[0], p[1], p[2], p[3]};
}

inline bool near(rgba p, int r, int g, int b, int tolerance = 4) {
  return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
         std::abs(p.b - b) <= tolerance;
}

inline std::string describe(rgba p) {
  return "(" + std::to_string(p.r) + ", " + std::to_string(p.g) + ", " + std::to_string(p.b) +
         ", " + std::to_string(p.a) + ")";
}

// The whole back buffer, bottom row first, as RGB.
inline std::vector<uint8_t> frame() {
  const int w = video_settings.width, h = video_settings.height;
  std::vector<uint8_t> pixels(size_t(w) * h * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

// Saves the back buffer as a PNG into the build tree for a look by eye.
inline void save_frame(const std::string &name) {
  const int w = video_settings.width, h = video_settings.height;
  const std::vector<uint8_t> bottom_up = frame();
  std::vector<uint8_t> top_down(bottom_up.size());
  const size_t row = size_t(w) * 3;
  for (int y = 0; y < h; ++y)
    std::copy(bottom_up.begin() + (h - 1 - y) * row, bottom_up.begin() + (h - y) * row,
              top_down.begin() + y * row);
  png_file::write(std::string(DEMO_BINARY_DIR) + "/" + name, w, h, 3, top_down);
}

inline void reset_matrices() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

} // namespace gl_test
