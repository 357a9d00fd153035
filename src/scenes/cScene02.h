// Scene 2: an endless zoom through fifteen nested x-ray copies of a bumpy
// sphere in white fog; bass drums surge the growth, claps and snares pull
// the fog in. Loading failures are those of the mesh, texture and shader
// code (fatal there).
#pragma once

#include <cstdint>
#include <vector>

#include "archive/cMeshBObj.h"
#include "assets/cTexture.h"
#include "runtime/cScene.h"

constexpr int kZoomCopies = 15;

// What the zoom's time and beats decide: the copies' sizes and the fog.
struct zoom_state {
  float surge_speed = 0.0f;
  float surge_phase = 0.0f;
  float flash = 0.0f;
  float base[kZoomCopies] = {};
  float scale[kZoomCopies] = {};
};

// v itself below sqrt(10), else wrapped back into [0, sqrt(10)).
float zoom_wrap(float v);
// Fresh copies spread 2/3 apart, with the surge at rest (the flash stays).
void start_zoom(zoom_state &zoom);
// A frame dt ms after the last, elapsed_ms after enter: the surge decays
// and advances once per copy, every copy's scale follows, the flash fades.
void advance_zoom(zoom_state &zoom, int32_t elapsed_ms, float dt);
// Where the fog ends for a flash of 0 (far) to 1 (near).
float zoom_fog_end(float flash);
// Copies in drawing order, smallest first; of equal scales only the later
// copy is drawn.
std::vector<int> zoom_draw_order(const float scale[kZoomCopies]);

class cScene02 : public cScene {
public:
  explicit cScene02(demo_clock *clock);
  ~cScene02() override;

  void load() override;
  void enter() override;
  void leave() override;
  void render() override;
  void on_event(const demo_event *event) override;
  void update() override;

private:
  cMeshBObj sphere;
  cTexture colour_scale;
  int32_t enter_ms = 0;
  zoom_state zoom;
  float turn[kZoomCopies] = {};
};
