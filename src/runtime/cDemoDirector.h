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

  // What tools that drive the show frame by frame need to know of it.
  // Table index of the current scene, -1 for none.
  int32_t current_index() const;
  // Whether an "m_start" is still ahead in the timeline.
  bool restart_pending() const;
  // How many "m_start" events have been dispatched so far.
  uint32_t restarts() const { return restart_count; }

  cEventQueue events;
  std::vector<cScene *> scenes;
  cScene *current = nullptr;
  cSoundModule music;
  demo_clock clock;

private:
  scene_factory make_scene;
  tick_source ticks;
  uint32_t restart_count = 0;
};
