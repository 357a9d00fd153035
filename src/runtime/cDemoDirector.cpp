// Director: load order behind the loading bar, event dispatch, clock.
#include "runtime/cDemoDirector.h"

#include "runtime/cLoadingBar.h"
#include "runtime/cSceneEmpty.h"
#include "runtime/marker_names.h"

#include <SDL/SDL.h>
#include <cstddef>
#include <cstdio>

namespace {
cScene *make_empty_scene(int, demo_clock *clock) { return new cSceneEmpty(clock); }
} // namespace

cDemoDirector::cDemoDirector(scene_factory factory, tick_source ticks)
    : make_scene(factory ? factory : make_empty_scene),
      ticks(ticks ? std::move(ticks) : tick_source(SDL_GetTicks)) {}

cDemoDirector::~cDemoDirector() {
  music.close();
  for (cScene *&scene : scenes) {
    delete scene;
    scene = nullptr;
  }
  scenes.clear();
  current = nullptr;
  events.clear();
}

void cDemoDirector::load_timeline_and_music() {
  events.loadFile("../data/markers.txt");
  music.init();
  music.open("../data/demo-full.ogg");
}

void cDemoDirector::reset_clock() {
  uint32_t now = ticks();
  clock.start_ms = clock.now_ms = clock.prev_ms = now;
}

void cDemoDirector::build_scene_table() {
  cLoadingBar bar;
  auto add = [this](cScene *scene) {
    scenes.push_back(scene);
    scene->load();
  };
  auto add_class = [&](int index) { add(make_scene(index, &clock)); };
  auto add_empty = [&] { add(new cSceneEmpty(&clock)); };

  bar.draw(0.0f);
  add_class(0);
  bar.draw(1.0f / 9.0f);
  add_class(1);
  bar.draw(2.0f / 9.0f);
  add_class(2);
  bar.draw(3.0f / 9.0f);
  add_empty();
  add_class(4);
  bar.draw(4.0f / 9.0f);
  add_empty();
  add_class(6);
  bar.draw(5.0f / 9.0f);
  add_class(7);
  bar.draw(6.0f / 9.0f);
  add_class(8);
  bar.draw(7.0f / 9.0f);
  add_class(9);
  bar.draw(8.0f / 9.0f);
  add_class(10);
  bar.draw(1.0f);
}

void cDemoDirector::load() {
  load_timeline_and_music();
  reset_clock();
  build_scene_table();
}

void cDemoDirector::dispatch(const demo_event *event) {
  int32_t kind = event->kind;
  if (kind >= 0 && kind <= EV_SCENE_LAST) {
    if (current)
      current->leave();
    if (static_cast<size_t>(kind) < scenes.size() && scenes[kind]) {
      current = scenes[kind];
      current->enter();
    } else {
      current = nullptr;
      std::fprintf(stderr, "#WARNING: Missing scene: %d\n", kind);
    }
  } else if (is_accent_kind(kind)) {
    if (current)
      current->on_event(event);
  } else if (kind == EV_M_START) {
    ++restart_count;
    reset_clock();
    music.play();
  } else {
    std::fprintf(stderr, "unhandled demo_event: %d\n", kind);
  }
}

int32_t cDemoDirector::current_index() const {
  if (!current)
    return -1;
  for (size_t i = 0; i < scenes.size(); ++i)
    if (scenes[i] == current)
      return static_cast<int32_t>(i);
  return -1;
}

bool cDemoDirector::restart_pending() const {
  for (const demo_event *e = events.cursor; e; e = e->next)
    if (e->kind == EV_M_START)
      return true;
  return false;
}

void cDemoDirector::update() {
  clock.prev_ms = clock.now_ms;
  clock.now_ms = ticks();
  while (const demo_event *event = events.pop(clock.demo_time()))
    dispatch(event);
  if (current)
    current->update();
}

void cDemoDirector::render() {
  if (current)
    current->render();
}
