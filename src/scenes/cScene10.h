// Scene 10: the greetings picture with a large orange gear turning in front
// of it, all drawn through a flickering radial blur; then black, and the end
// of the program. Loading failures are those of the mesh and texture code
// (fatal there).
#pragma once

#include <cstdint>

#include "archive/cMeshBObj.h"
#include "assets/cTexture.h"
#include "runtime/cScene.h"

class cPostRadialblur;

// The last demo time drawn; the frames after it stay black.
constexpr int32_t kGreetingsLastDrawnMs = 231710;
// The last demo time the show runs at: the first update after it ends the
// program, so the show ends at kShowEndMs.
constexpr int32_t kShowLastMs = 238774;
constexpr int32_t kShowEndMs = kShowLastMs + 1;

bool greetings_drawn(int32_t t);
bool show_over(int32_t t);

// This frame's blur: strength in [0, 0.5] and length in [0.3, 0.6], drawn
// in that order, one rand() each.
struct blur_flicker {
  float intensity;
  float zoom;
};
blur_flicker draw_blur_flicker();

class cScene10 : public cScene {
public:
  explicit cScene10(demo_clock *clock);
  ~cScene10() override;

  void load() override;
  void enter() override;
  void leave() override;
  void render() override;
  void on_event(const demo_event *event) override;
  void update() override;

private:
  cMeshBObj gear;
  cTexture greetings;
  cPostRadialblur *blur = nullptr;
  // Whether enter() has set anything up that leave() gives back.
  bool entered = false;
};
