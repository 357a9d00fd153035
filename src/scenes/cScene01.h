// Scene 1: an organic object turning in fog, twisted by two random turns on
// every soft bass drum, with glowing shells swelling out of it on blips,
// snares and claps, and the credits fading in and out behind it. Loading
// failures are those of the mesh, texture and shader code (fatal there).
#pragma once

#include <cstdint>
#include <deque>

#include "archive/cMeshBObj.h"
#include "assets/cTexture.h"
#include "runtime/cKickRotation.h"
#include "runtime/cScene.h"

// The credits picture's fade: in on the first "fx1", out on any later one.
struct credits_fade {
  bool fading_in = false;
  bool fading_out = false;
  uint32_t in_ms = 0;
  uint32_t out_ms = 0;
  float alpha = 0.0f;
};

// Milliseconds of one fade and of one shell's life.
constexpr int32_t kCreditsFadeMs = 750;
constexpr float kCreditsAlpha = 0.65f;

// An "fx1" at demo time t.
void credits_fx1(credits_fade &fade, uint32_t t);
// The alpha at t: rising over the fade-in, then held at its full value until
// the fade-out takes it to 0; 0 before any "fx1".
void credits_update(credits_fade &fade, uint32_t t);
// Drops the shells (launch times, oldest first) older than one life at t.
void expire_shells(std::deque<uint32_t> &shells, uint32_t t);
// How far a shell launched at launched_ms is pushed out along the normals at t.
float shell_extrusion(uint32_t t, uint32_t launched_ms);
// Starts the two turns about axis: the inner at t, the outer 400 ms later.
void kick_spins(cKickRotation &inner, cKickRotation &outer, const float axis[3], uint32_t t);
// The accumulated turn at t: before times the spin's rotation now.
void spin_turn(cKickRotation &spin, uint32_t t, const float before[16], float out[16]);

class cScene01 : public cScene {
public:
  explicit cScene01(demo_clock *clock);
  ~cScene01() override;

  void load() override;
  void enter() override;
  void leave() override;
  void render() override;
  void on_event(const demo_event *event) override;
  void update() override;

private:
  void find_credits_window();
  void draw_shells(uint32_t t);

  cMeshBObj object;
  cKickRotation spin_inner;
  cKickRotation spin_outer;
  float inner[16];
  float outer[16];
  float previous_inner[16];
  float previous_outer[16];
  cTexture sphere;
  cTexture credits;
  std::deque<uint32_t> shells;
  credits_fade fade;
  // The part of the screen the credits picture is not transparent in.
  float credits_window[4] = {0.0f, 0.0f, 1.0f, 1.0f};
  bool credits_shown = true;
};
