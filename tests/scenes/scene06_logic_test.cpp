// Time and beat logic of scene 6 without a GL context: the room's dimming,
// the orbit and the room's turn, the stratified laser directions, bursts
// traced against a small closed room (and an open one, for the misses), and
// the camera-facing beam quads.
#include "scenes/cScene06.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A cube of half-size h around the origin, twelve triangles facing in.
void add_cube_room(cTriangleTree &tree, float h) {
  for (int z = 0; z < 2; ++z)
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x)
        tree.vertices.push_back({x ? h : -h, y ? h : -h, z ? h : -h});
  const uint32_t faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  for (const auto &f : faces) {
    tree.triangles.push_back({f[0], f[1], f[2]});
    tree.triangles.push_back({f[0], f[2], f[3]});
  }
}

// GL's rotation by degrees about a unit axis, applied to p.
void rotate(const float axis[3], float degrees, const float p[3], float out[3]) {
  const double a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
  const double x = axis[0], y = axis[1], z = axis[2];
  const double m[3][3] = {{x * x * (1 - c) + c, x * y * (1 - c) - z * s, x * z * (1 - c) + y * s},
                          {y * x * (1 - c) + z * s, y * y * (1 - c) + c, y * z * (1 - c) - x * s},
                          {x * z * (1 - c) - y * s, y * z * (1 - c) + x * s, z * z * (1 - c) + c}};
  for (int i = 0; i < 3; ++i)
    out[i] = float(m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2]);
}

// Room space to world space as the scene draws it: turn 26 about z, then 25
// about y (so a room point is turned about y first).
void room_to_world(const float q[3], float out[3]) {
  const float y_axis[3] = {0, 1, 0}, z_axis[3] = {0, 0, 1};
  float tmp[3];
  rotate(y_axis, 25, q, tmp);
  rotate(z_axis, 26, tmp, out);
}

float max_abs(const laser_point &p) {
  return std::max({std::fabs(p[0]), std::fabs(p[1]), std::fabs(p[2])});
}

} // namespace

TEST(LaserRoom, RoomDimsLinearlyToExactlyPointFourAndStays) {
  const struct {
    int32_t t;
    float b;
  } cases[] = {{0, 1.0f},      {108000, 1.0f}, {108125, 1.0f}, {109125, 0.7f}, {110124, 0.4003f},
               {110125, 0.4f}, {110126, 0.4f}, {129600, 0.4f}, {-5, 1.0f}};
  for (const auto &c : cases)
    EXPECT_NEAR(room_brightness(c.t), c.b, 1e-5f) << c.t;
  // Exactly, whatever frame lands past the end.
  for (int32_t t : {110125, 110130, 111000, 2000000000})
    EXPECT_EQ(room_brightness(t), 0.4f) << t;
  float last = 2.0f;
  for (int32_t t = 107000; t < 111000; t += 37) {
    const float b = room_brightness(t);
    EXPECT_LE(b, last) << t;
    EXPECT_GE(b, 0.4f) << t;
    last = b;
  }
}

TEST(LaserRoom, EyeCirclesAtRadius76OnceEveryTenSeconds) {
  const struct {
    int32_t t;
    float x, z;
  } cases[] = {{0, 0, 76}, {2500, -76, 0}, {5000, 0, -76}, {7500, 76, 0}, {10000, 0, 76}};
  for (const auto &c : cases) {
    float eye[3];
    orbit_eye(c.t, eye);
    EXPECT_NEAR(eye[0], c.x, 2e-3f) << c.t;
    EXPECT_EQ(eye[1], 0.0f) << c.t;
    EXPECT_NEAR(eye[2], c.z, 2e-3f) << c.t;
  }
}

TEST(LaserRoom, WorldToRoomUndoesTheRoomsTurn) {
  const float points[][3] = {{76, 0, 0}, {0, 0, 76}, {-40, 30, 53}, {1, 2, 3}};
  for (const auto &q : points) {
    float world[3], back[3];
    room_to_world(q, world);
    world_to_room(world, back);
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(back[k], q[k], 1e-4f);
  }
  // The eye's orbit seen from the room: a tilted circle within the figures
  // the room is built for.
  for (int32_t t = 0; t < 10000; t += 50) {
    float eye[3], room[3];
    orbit_eye(t, eye);
    world_to_room(eye, room);
    EXPECT_NEAR(std::sqrt(room[0] * room[0] + room[1] * room[1] + room[2] * room[2]), 76, 1e-3);
    EXPECT_LE(std::fabs(room[1]), 33.4f) << t;
  }
}

TEST(LaserRoom, DirectionsAreUnitFiniteAndOnePerCell) {
  std::srand(81);
  for (int n : {16, 17, 24, 9, 1}) {
    const auto dirs = stratified_directions(n);
    const int m = int(std::floor(std::sqrt(double(n))));
    ASSERT_EQ(dirs.size(), size_t(m * m)) << n;
    std::set<std::pair<int, int>> cells;
    for (size_t k = 0; k < dirs.size(); ++k) {
      const auto &d = dirs[k];
      ASSERT_TRUE(std::isfinite(d[0]) && std::isfinite(d[1]) && std::isfinite(d[2]));
      EXPECT_NEAR(d[0] * d[0] + d[1] * d[1] + d[2] * d[2], 1.0, 1e-12);
      // Made in order i (along cos theta = 1 - 2u) outer, j (around) inner.
      const double u = (1 - d[2]) / 2;
      double phi = std::atan2(d[1], d[0]);
      if (phi < 0)
        phi += 2 * kPi;
      const int i = int(k) / m, j = int(k) % m;
      EXPECT_GE(u, double(i) / m - 1e-9) << n << " " << k;
      EXPECT_LE(u, double(i + 1) / m + 1e-9) << n << " " << k;
      const double cell = phi / (2 * kPi) * m;
      EXPECT_TRUE(cell >= j - 1e-9 && cell <= j + 1 + 1e-9) << n << " " << k << " " << cell;
      cells.insert({i, j});
    }
    EXPECT_EQ(cells.size(), dirs.size());
  }
  EXPECT_TRUE(stratified_directions(0).empty());
}

TEST(LaserRoom, BurstInAClosedRoomGives48PointsAnd47BeamsOnTheWalls) {
  cTriangleTree tree;
  add_cube_room(tree, 10);
  std::srand(7);
  const auto points = laser_path(tree, stratified_directions(kLaserDirections));
  ASSERT_EQ(points.size(), 48u);
  EXPECT_EQ(beam_count(points), 47u);
  for (size_t k = 0; k < points.size(); ++k) {
    if (k % 3 == 0) {
      EXPECT_EQ(max_abs(points[k]), 0.0f) << "each direction starts at the centre";
    } else {
      EXPECT_NEAR(max_abs(points[k]), 10.0f, 1e-3f) << "point " << k << " on a wall";
      EXPECT_NE(points[k], points[k - 1]) << "a real bounce";
    }
  }
}

TEST(LaserRoom, MissedTracesRepeatTheLastPointAndLeaveNoNaN) {
  // One floor triangle under the centre: most rays miss it, the rest bounce
  // off it into nothing.
  cTriangleTree open;
  open.vertices = {{-50, -5, -50}, {50, -5, -50}, {0, -5, 80}};
  open.triangles = {{0, 1, 2}};
  cTriangleTree empty;
  for (cTriangleTree *tree : {&open, &empty}) {
    std::srand(3);
    const auto points = laser_path(*tree, stratified_directions(kLaserDirections));
    ASSERT_EQ(points.size(), 48u);
    int repeated = 0;
    for (size_t k = 0; k < points.size(); ++k) {
      for (float x : points[k])
        ASSERT_TRUE(std::isfinite(x));
      if (k % 3 != 0 && points[k] == points[k - 1]) {
        ++repeated;
        float quad[4][3];
        const float eye[3] = {30, 20, 10};
        EXPECT_FALSE(beam_corners(points[k - 1].data(), points[k].data(), eye, 1, quad));
      }
    }
    EXPECT_GT(repeated, 0);
  }
  // A direction that cannot be normalised traces nothing.
  cTriangleTree room;
  add_cube_room(room, 10);
  const auto still = laser_path(room, {{0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}});
  ASSERT_EQ(still.size(), 6u);
  EXPECT_EQ(max_abs(still[1]), 0.0f);
  EXPECT_EQ(max_abs(still[2]), 0.0f);
  EXPECT_NEAR(still[4][0], 10.0f, 1e-4f);
}

TEST(LaserRoom, NoBeamsBeforeTheFirstBurst) {
  EXPECT_EQ(beam_count({}), 0u);
  EXPECT_EQ(beam_count({laser_point{1, 2, 3}}), 0u);
  EXPECT_EQ(beam_count({laser_point{1, 2, 3}, laser_point{4, 5, 6}}), 1u);
}

TEST(LaserRoom, BeamQuadFacesTheEyeWithCornersInDrawingOrder) {
  const float a[3] = {0, 0, 0}, b[3] = {10, 0, 0}, eye[3] = {5, 0, 10};
  float quad[4][3];
  ASSERT_TRUE(beam_corners(a, b, eye, 1, quad));
  const float expected[4][3] = {{10, -0.5f, 0}, {10, 0.5f, 0}, {0, 0.5f, 0}, {0, -0.5f, 0}};
  for (int c = 0; c < 4; ++c)
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(quad[c][k], expected[c][k], 1e-6f) << c << " " << k;

  const float nan = std::nanf("");
  const struct {
    float a[3], b[3], eye[3];
  } flat[] = {
      {{1, 2, 3}, {1, 2, 3}, {0, 0, 50}},  // no length
      {{0, 0, 0}, {0, 0, 10}, {0, 0, 30}}, // pointing at the eye
      {{0, 0, 0}, {nan, 0, 0}, {0, 0, 30}},
  };
  for (const auto &f : flat) {
    float untouched[4][3] = {};
    EXPECT_FALSE(beam_corners(f.a, f.b, f.eye, 1, untouched));
    for (const auto &corner : untouched)
      for (float x : corner)
        EXPECT_EQ(x, 0.0f);
  }
}

TEST(LaserRoom, BeamsFaceTheEyeOnlyWhenItIsInRoomSpace) {
  // A beam in the room, seen from the eye at several times: its quad lies
  // across the line of sight from the eye in room space, which the world
  // eye gets wrong by the room's turn.
  const float a[3] = {-60, -40, 20}, b[3] = {70, 50, -80};
  int wrong = 0;
  for (int32_t t = 0; t < 10000; t += 500) {
    float world[3], room[3], quad[4][3], twisted[4][3];
    orbit_eye(t, world);
    world_to_room(world, room);
    ASSERT_TRUE(beam_corners(a, b, room, 1, quad));
    ASSERT_TRUE(beam_corners(a, b, world, 1, twisted));
    float n[3], view[3], n_world[3];
    for (int k = 0; k < 3; ++k) {
      n[k] = quad[1][k] - quad[0][k];
      n_world[k] = twisted[1][k] - twisted[0][k];
      view[k] = (a[k] + b[k]) / 2 - room[k];
    }
    EXPECT_NEAR(n[0] * view[0] + n[1] * view[1] + n[2] * view[2], 0, 1e-2);
    wrong += std::fabs(n_world[0] * view[0] + n_world[1] * view[1] + n_world[2] * view[2]) > 1;
  }
  EXPECT_GT(wrong, 10) << "the world eye turns the beams away";
}
