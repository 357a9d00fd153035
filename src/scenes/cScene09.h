// Scene 9: a gyroscope of a ball and two spiked rings, polished by the
// environment program, kicked into new turns by every bass drum, in front of
// a glowing wave of tori that claps set spinning. Loading failures are those
// of the mesh, texture and shader code (fatal there).
#pragma once

#include <cstdint>

#include "archive/cMeshBObj.h"
#include "assets/cTexture.h"
#include "runtime/cKickRotation.h"
#include "runtime/cScene.h"

constexpr int kGyroPieces = 3;
constexpr int kWaveRows = 5;
constexpr int kWaveColumns = 20;

// Strengths of the ball's, the inner ring's and the outer ring's kicks.
extern const float kGyroKicks[kGyroPieces];

// A bass drum at demo time t: each piece k starts a new turn about axes[k]
// with its own strength, from wherever it stands now.
void kick_gyroscope(cKickRotation spins[kGyroPieces], const float axes[kGyroPieces][3], uint32_t t);

// The three new axes of a bass drum, piece 1 first, each from three random
// values made unit length; a draw that gives no direction keeps the piece's
// last axis.
void draw_gyro_axes(const cKickRotation spins[kGyroPieces], float axes[kGyroPieces][3]);
// This frame's brightness of the light on the tori, in [-0.25, 1.25].
float tori_flicker();

// The tori's spin, degrees per frame, and the angle it has turned them by.
struct torus_spin {
  float speed = 0.0f;
  float angle = 0.0f;
};
// A clap: the tori start turning at full speed.
void clap_tori(torus_spin &spin);
// A frame dt ms after the last: the speed falls by dt / 100 (never below 0),
// then the angle moves on by it.
void advance_tori(torus_spin &spin, float dt);

// Where torus (row, column) of the wave stands at demo time t, in world
// units: the wave's sheet lies in the plane z = 0, around and behind the eye.
void torus_wave_position(int row, int column, int32_t t, float out[3]);

class cScene09 : public cScene {
public:
  explicit cScene09(demo_clock *clock);
  ~cScene09() override;

  void load() override;
  void enter() override;
  void leave() override;
  void render() override;
  void on_event(const demo_event *event) override;
  void update() override;

  // The accumulated turn of piece k (ball, inner ring, outer ring).
  const float *piece_turn(int k) const { return current[k]; }
  const torus_spin &tori_spin() const { return tori; }

private:
  void draw_tori(int32_t t);
  void draw_gyroscope();

  cMeshBObj ball;
  cMeshBObj inner_ring;
  cMeshBObj inner_spikes;
  cMeshBObj outer_ring;
  cMeshBObj outer_spikes;
  cMeshBObj torus;
  cTexture reflection;
  cKickRotation spins[kGyroPieces];
  float current[kGyroPieces][16];
  float previous[kGyroPieces][16];
  torus_spin tori;
};
