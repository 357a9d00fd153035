// Scene 8: an endless corridor of alien architecture with baked light. Four
// sets of wall segments, drawn twice (the second time mirrored) for both
// sides, scroll toward the eye and wrap; an end piece of walls, pipes and
// wires scrolls on a longer cycle. Bass drums pull the fog in, "bd1" kicks
// the field of view wide, every other accent rolls the corridor by 45
// degrees. Loading failures are those of the mesh, texture and shader code
// (fatal there).
#pragma once

#include <cstdint>

#include "archive/cMeshBObj.h"
#include "assets/cTexture.h"
#include "runtime/cScene.h"

constexpr int kCorridorSets = 4;
constexpr int kCorridorMaps = 16;
constexpr float kCorridorSpeed = 0.25f; // units per millisecond
constexpr float kSetWrapAt = 40.0f, kSetCycle = 1360.0f;
constexpr float kEndWrapAt = 1410.0f, kEndCycle = 3360.0f;
constexpr float kCorridorFov = 90.0f;

extern const char *const kCorridorMapFiles[kCorridorMaps];

// Where the sets and the end piece stand along the corridor's axis.
struct corridor_scroll {
  float set[kCorridorSets] = {};
  float end = 0.0f;
};

// offset itself up to limit; past it, moved back by as many cycles as bring
// it to limit or below, however far past it went.
float scroll_wrap(float offset, float limit, float cycle);
// The offsets at entry: sets 340 apart from 0 back, the end piece far ahead.
corridor_scroll start_corridor();
// The offsets dt ms later, each wrapped.
void advance_corridor(corridor_scroll &scroll, float dt);
// The sets in drawing order, nearest the eye first (the largest offset), so
// the depth test rejects what lies behind them before it is shaded.
void sets_near_first(const corridor_scroll &scroll, int order[kCorridorSets]);
// 1 right at a "bd" falling to 0 after 250 ms (a half cosine), since_bd ms after it.
float fog_pull(int32_t since_bd);
// Where the linear fog ends for a pull of 0 (1800) to 1 (300).
float corridor_fog_end(float pull);
// The vertical field of view since_bd1 ms after a "bd1": 135 at the beat,
// easing down to 90 at 600 ms, and exactly 90 from then on.
float kicked_fov(int32_t since_bd1);
// How far the corridor rolls in the frame from prev_t to t (demo ms) when the
// latest other accent came at beat: 45/350 degrees per ms for the part of the
// frame in the 350 ms after that accent, so each accent on its own rolls
// exactly 45 degrees however the frames fall.
float roll_step(int32_t prev_t, int32_t t, int32_t beat);

class cScene08 : public cScene {
public:
  explicit cScene08(demo_clock *clock);
  ~cScene08() override;

  void load() override;
  void enter() override;
  void leave() override;
  void render() override;
  void on_event(const demo_event *event) override;
  void update() override;

  const corridor_scroll &scroll() const { return offsets; }

private:
  enum { kEndWallA, kEndWallB, kPipes, kWires, kWallA, kWallB, kWallC, kMeshCount };
  cMeshBObj meshes[kMeshCount];
  cTexture colour;
  cTexture fog_scale;
  cTexture maps[kCorridorMaps];
  cMeshBObj *pieces[kCorridorMaps] = {};
  corridor_scroll offsets;

  void upload_textures();
  void draw_piece(int k);
};
