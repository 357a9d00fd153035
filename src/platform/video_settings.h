// The requested window and GL framebuffer format, and init_sdl, which opens
// the full-screen GL window. width x height is the show's picture in its own
// units; the window may be larger (see picture_area.h). Fatal on failure: exit(0) if the window
// library cannot start, exit(-1) if no window can be had.
#pragma once

#include <cstdint>

struct SDL_Surface;

struct video_settings_t {
  SDL_Surface *screen = nullptr;
  uint32_t mode_flags = 0x8000002Au;
  int32_t width = 800;
  int32_t height = 600;
  int32_t bits_per_pixel = 32;
  // The ten GL attributes, in the order they are set and read back.
  int32_t red_bits = 8;
  int32_t green_bits = 8;
  int32_t blue_bits = 8;
  int32_t alpha_bits = 8;
  int32_t depth_bits = 24;
  int32_t double_buffer = 1;
  int32_t stencil_bits = 0;
  int32_t multisample_buffers = 1;
  int32_t multisample_samples = 4;
  int32_t stereo = 0;
  // The window or screen to open when it differs from the picture's
  // width x height (0: the same); desktop opens at the desktop's size.
  int32_t window_width = 0;
  int32_t window_height = 0;
  bool desktop = false;

  int32_t *gl_attribute_values() { return &red_bits; }
};

constexpr int kGlAttributeCount = 10;

extern video_settings_t video_settings;

void init_sdl(video_settings_t &settings);
// Diagnostic report of the video driver, modes and GL strings.
void print_video_info();
