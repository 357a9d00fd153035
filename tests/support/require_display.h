// GL tests must fail, not pass unseen, when no X display is reachable; and the
// windowed GL context they all open.
#pragma once

#include "platform/video_settings.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>

// Without an X display SDL falls back to a text-console driver, and init_sdl
// ends the process with status 0 when SDL does not start at all: either way
// every test would pass without running. Call before init_sdl.
inline void require_x_display() {
  setenv("SDL_VIDEODRIVER", "x11", 0);
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    std::fprintf(stderr, "GL tests need an X display: %s\n", SDL_GetError());
    std::exit(1);
  }
}

// The program's window, but not full screen, on a display that must exist.
inline void open_test_window() {
  require_x_display();
  video_settings.mode_flags = SDL_OPENGL;
  init_sdl(video_settings);
}
