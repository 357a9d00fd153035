// The director: owns the timeline, the music, the clock and the scene table;
// dispatches due events each frame. It only warns; loading failures are
// fatal in the code that detects them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "audio/cSoundModule.h"
#include "runtime/cEventQueue.h"
#include "runtime/cScene.h"
#include "runtime/demo_clock.h"

// Millisecond tick counter the clock reads (SDL_GetTicks in the demo).
using tick_source = std::function<uint32_t()>;
// Makes the scene class of a table index (0, 1, 2, 4, 6, 7, 8, 9, 10).
using scene_factory = cScene *(*)(int index, demo_clock *clock);

class cDemoDirector {
public:
  explicit cDemoDirector(scene_factory factory = nullptr, tick_source ticks = nullptr);
  cDemoDirector(const cDemoDirector &) = delete;
  cDemoDirector &operator=(const cDemoDirector &) = delete;
  ~cDemoDirector();

  void load();
  void update();
  void render();

  // Steps of load(), also used on their own by tests and tools.
  void load_timeline_and_music();
  void reset_clock();
  void build_scene_table();
  void dispatch(const demo_event *event);

  cEventQueue events;
  std::vector<cScene *> scenes;
  cScene *current = nullptr;
  cSoundModule music;
  demo_clock clock;

private:
  scene_factory make_scene;
  tick_source ticks;
};
