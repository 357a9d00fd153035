// Scene 6: six logo rings turning in the middle of a room with baked light;
// the room dims at a fixed point of the music, and from a later point every
// bass drum fires sixteen laser beams from the centre that bounce twice off
// the walls, found by rays through a triangle tree of the room. Loading
// failures are those of the mesh, texture and shader code (fatal there).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/cMeshBObj.h"
#include "archive/cTriangleTree.h"
#include "assets/cTexture.h"
#include "runtime/cScene.h"

constexpr int32_t kDimStartMs = 108125;
constexpr int32_t kDimSpanMs = 2000;
constexpr int32_t kLasersFromMs = 114600;
constexpr int kLaserDirections = 16;
constexpr int kLaserBounces = 2;

using laser_point = std::array<float, 3>;

// The room's colour at demo time t: 1 before the dimming, falling linearly
// to exactly 0.4 at its end and staying there.
float room_brightness(int32_t t);
// The eye on its orbit at t: radius 76 in the plane y = 0, one turn in 10 s.
void orbit_eye(int32_t t, float eye[3]);
// The world-space point p in the room's space (the room is drawn turned by
// 26 degrees about z, then 25 about y).
void world_to_room(const float p[3], float out[3]);
// n directions (m = floor(sqrt(n)), one jittered sample per cell of an
// m x m grid, m^2 in all) spread evenly over the sphere, two random values
// each, in double precision.
std::vector<std::array<double, 3>> stratified_directions(int n);
// A burst: for each direction the centre, then where it meets the walls
// twice. A trace that finds no wall ends that direction's path where it is:
// its point is repeated for each missing bounce, so every direction keeps
// 1 + bounces points and its missing beams have no length (and draw nothing).
std::vector<laser_point> laser_path(cTriangleTree &tree,
                                    const std::vector<std::array<double, 3>> &directions,
                                    int bounces = kLaserBounces);
// The beams of a path: one from each point to the next (none for fewer than
// two points).
size_t beam_count(const std::vector<laser_point> &points);
// The quad of a beam from a to b of width w facing the eye, corners in
// drawing order with texture coordinates (0,1), (0,0), (1,0), (1,1). False,
// with out untouched, when the beam has no length or points at the eye, so
// there is no facing side.
bool beam_corners(const float a[3], const float b[3], const float eye[3], float w, float out[4][3]);

class cScene06 : public cScene {
public:
  explicit cScene06(demo_clock *clock);
  ~cScene06() override;

  void load() override;
  void enter() override;
  void leave() override;
  void render() override;
  void on_event(const demo_event *event) override;
  void update() override;

  // The beam path of the last burst (empty before the first).
  const std::vector<laser_point> &laser_points() const { return points; }
  float brightness() const { return room_brightness_now; }

private:
  cMeshBObj ring;
  cMeshBObj room;
  cTexture logo;
  cTexture laser;
  float ring_axis[6][3] = {};
  float ring_angle[6] = {};
  float room_brightness_now = 1.0f;
  std::vector<laser_point> points;
  std::unique_ptr<cTriangleTree> tree;
  int32_t enter_ms = 0;
  float eye_room[3] = {0.0f, 0.0f, 0.0f}; // the eye in room space, for beam facing

  void draw_lasers();
};
