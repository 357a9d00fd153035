// The scene interface: the director loads every scene once at start-up, then
// enters, updates, renders, forwards accents to and leaves the current one.
#pragma once

#include "runtime/cCamera.h"
#include "runtime/demo_clock.h"
#include "runtime/demo_event.h"

class cScene {
public:
  explicit cScene(demo_clock *clock) : clock(clock) {}
  virtual ~cScene() = default;
  virtual void load() = 0;
  virtual void enter() = 0;
  virtual void leave() = 0;
  virtual void render() = 0;
  virtual void on_event(const demo_event *event) = 0;
  virtual void update() = 0;

  cCamera camera;
  demo_clock *clock;
};
