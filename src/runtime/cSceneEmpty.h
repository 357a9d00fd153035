// A scene that does nothing: fills the table slots no scene class takes.
#pragma once

#include "runtime/cScene.h"

class cSceneEmpty : public cScene {
public:
  explicit cSceneEmpty(demo_clock *clock) : cScene(clock) {}
  void load() override {}
  void enter() override {}
  void leave() override {}
  void render() override {}
  void on_event(const demo_event *) override {}
  void update() override {}
};
