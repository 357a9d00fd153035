// Scene 7: a field of loudspeakers grown like mushrooms. The three larger
// speaker pairs pump on every bass drum through the morph program, a cage of
// faint lattice shells shrinks with each one, and the camera cuts to a new
// shot as the bass drums are counted. Loading failures are fatal in the mesh
// and texture code; a speaker pair whose two meshes do not match is fatal
// here.
#pragma once

#include <cstdint>
#include <string>

#include "archive/cMeshBObj.h"
#include "assets/cIndexedMesh.h"
#include "assets/cMeshMaterial.h"
#include "assets/cTexture.h"
#include "runtime/cScene.h"

// Milliseconds of one pump of the cones and of one swing of the shells.
constexpr int32_t kSpeakerPumpMs = 125;
constexpr int32_t kShellSwingMs = 250;
// Before the first bass drum the cones flutter, until this demo time.
constexpr int32_t kSpeakerStillAfterMs = 73400;

// The bass drums the scene has counted and what they move.
struct speaker_beat {
  int32_t count = 0;
  uint32_t last_ms = 0;
  float pump = 0.0f;  // morph weight of the three larger pairs
  float swing = 0.0f; // how far the shells shrink, 1 at a bass drum
};

// A bass drum at demo time t.
void speaker_bass_drum(speaker_beat &beat, uint32_t t);
// The frame at t: a pump rising and falling over 125 ms after a bass drum,
// else a flutter of up to 0.25 from random() (a value in [0, 1], called only
// then), or stillness after 73.4 s while no bass drum has come, which also
// leaves the swing as it was. The swing falls from 1 to 0 over 250 ms.
void speaker_update(speaker_beat &beat, uint32_t t, float (*random)());

// The camera of one frame: eye and centre, the turn of the world about y in
// degrees, and whether light 0 is made brighter from this frame on.
struct speaker_shot {
  int index = 0; // 0 to 7
  float eye[3] = {0.0f, 0.0f, 0.0f};
  float centre[3] = {0.0f, 0.0f, 0.0f};
  float turn = 0.0f;
  bool bright = false;
};

// The shot for bass-drum count n at demo time t; the shots change at the
// counts 9, 17, 25, 33, 37, 41 and 45.
speaker_shot speaker_shot_at(int32_t count, int32_t t);

// Empty when the "m" mesh can morph the "s" mesh: the same vertex count,
// both with normals, the same triangles and texture coordinates (so the
// vertices come in the same order). Otherwise what differs.
std::string morph_partner_problem(const cIndexedMeshOf<cMeshMaterial> &s,
                                  const cIndexedMeshOf<cMeshMaterial> &m);

constexpr int kSpeakerMeshes = 8;

class cScene07 : public cScene {
public:
  explicit cScene07(demo_clock *clock);
  ~cScene07() override;

  void load() override;
  void enter() override;
  void leave() override;
  void render() override;
  void on_event(const demo_event *event) override;
  void update() override;

private:
  void draw_shells();
  void draw_speakers();
  void bind_speaker_textures();

  cMeshBObj base;
  cMeshBObj wires;
  cMeshBObj mushrooms;
  cMeshBObj shell;
  cMeshBObj ground;
  cMeshBObj speakers[kSpeakerMeshes];
  cTexture speaker_colour;
  cTexture speaker_gloss;
  cTexture reflection;
  cTexture ground_colour;
  speaker_beat beat;
};
