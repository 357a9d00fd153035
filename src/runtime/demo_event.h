// One timeline entry. Kinds 0-10 switch scenes, 11 and 16-28 are accents
// forwarded to the current scene, 14 restarts the clock and the music.
#pragma once

#include <cstdint>

struct demo_event {
  int32_t kind = 0;
  int32_t time = 0;
  demo_event *next = nullptr;
};

enum demo_event_kind : int32_t {
  EV_SCENE_LAST = 10,
  EV_S100 = 11,
  EV_NUMBER = 13,
  EV_M_START = 14,
  EV_M_STOP = 15,
  EV_BD = 16,
  EV_BD0 = 17,
  EV_BD1 = 18,
  EV_BD_END = 19,
  EV_FX1 = 20,
  EV_FX2 = 21,
  EV_CLAP = 22,
  EV_SBD = 23,
  EV_SBIP = 24,
  EV_SNARE = 25,
  EV_SZAP = 26,
  EV_SCLAP = 27,
  EV_SNOISE = 28,
  EV_UNKNOWN = -1,
};
