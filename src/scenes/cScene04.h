// Scene 4: a four-by-four field of orchids turning slowly in front of a
// blurred garden picture, the whole frame redrawn through a radial blur that
// jumps on every bass drum and relaxes; the camera cuts to a new fixed view
// after set numbers of bass drums. Loading failures are those of the mesh,
// texture and shader code (fatal there).
#pragma once

#include <cstdint>

#include "archive/cMeshBObj.h"
#include "assets/cTexture.h"
#include "effects/cPostRadialblur.h"
#include "runtime/cScene.h"
#include "scenes/camera_shots.h"

constexpr int kOrchidCells = 16;
// The blur's intensity right after a bass drum, and the floor it relaxes to.
constexpr float kPumpKick = 2.0f;
constexpr float kPumpFloor = 0.1f;

// The pump dt_ms after it was pump: falling 0.002 a millisecond to the floor.
float relax_pump(float pump, float dt_ms);
// The camera shot after count bass drums.
const camera_shot &orchid_shot(int32_t count);
// A turn in degrees, within [0, 360], for every grid cell.
void draw_cell_turns(float turn[kOrchidCells]);

class cScene04 : public cScene {
public:
  explicit cScene04(demo_clock *clock);
  ~cScene04() override;

  void load() override;
  void enter() override;
  void leave() override;
  void render() override;
  void on_event(const demo_event *event) override;
  void update() override;

  float pump_level() const { return pump; }
  int32_t bass_drum_count() const { return bass_drums; }
  const float *cell_turns() const { return turn; }

private:
  void draw_grid(uint32_t t);

  cMeshBObj orchid;
  cTexture background;
  cPostRadialblur *blur = nullptr;
  float pump = 1.0f;
  float turn[kOrchidCells] = {};
  // Valid only while entered: leave() puts it back.
  float saved_ambient[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  bool entered = false;
  uint32_t enter_ms = 0;
  // Bass drums received, over every entry: the shots go on where they stopped.
  int32_t bass_drums = 0;
};
