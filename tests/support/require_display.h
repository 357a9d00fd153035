// GL tests must fail, not pass unseen, when no X display is reachable.
#pragma once

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
