// The laser room the data build makes, read from its archive as the scene
// reads it: closed around the centre (every ray from there meets a wall),
// big enough for the eye's orbit and small enough for the far plane, and a
// burst of the scene's lasers lands every point on a wall.
#include "archive/cMeshBObj.h"
#include "archive/cTriangleTree.h"
#include "archive/rar/unrarlib.h"
#include "scenes/cScene06.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

const char *const kArchive = DEMO_SOURCE_DIR "/data/models/laserrum/laserrum_baked.rar";

class LaserRoomData : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kArchive)) << kArchive << ": build the data target";
    uint8_t *data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(rar_get_file(&data, &size, "laserrum_baked.bobj", kArchive, nullptr), 1);
    std::string error;
    ASSERT_TRUE(room.decode(data, size, error)) << error;
    std::free(data);
    // Filled as the scene fills it: every position, every index triple.
    for (size_t i = 0; i + 2 < room.positions.size(); i += 3)
      tree.vertices.push_back({room.positions[i], room.positions[i + 1], room.positions[i + 2]});
    for (size_t i = 0; i + 2 < room.indices.size(); i += 3)
      tree.triangles.push_back({room.indices[i], room.indices[i + 1], room.indices[i + 2]});
    tree.build();
  }

  // Distance from p to the nearest triangle of the room.
  float distance_to_room(const laser_point &p) const {
    float best = FLT_MAX;
    for (const auto &t : tree.triangles) {
      const auto &a = tree.vertices[t[0]], &b = tree.vertices[t[1]], &c = tree.vertices[t[2]];
      best = std::min(best, point_triangle_distance(p.data(), a.data(), b.data(), c.data()));
    }
    return best;
  }

  static float point_triangle_distance(const float p[3], const float a[3], const float b[3],
                                       const float c[3]) {
    // The distance to the triangle's plane where p's projection falls inside
    // the triangle (with a little slack), else the largest float: a point on a
    // wall lies inside one of the wall's triangles.
    double e1[3], e2[3], n[3], ap[3];
    for (int k = 0; k < 3; ++k) {
      e1[k] = b[k] - a[k];
      e2[k] = c[k] - a[k];
      ap[k] = p[k] - a[k];
    }
    n[0] = e1[1] * e2[2] - e1[2] * e2[1];
    n[1] = e1[2] * e2[0] - e1[0] * e2[2];
    n[2] = e1[0] * e2[1] - e1[1] * e2[0];
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(len > 0))
      return FLT_MAX;
    const double plane = (ap[0] * n[0] + ap[1] * n[1] + ap[2] * n[2]) / len;
    // Barycentric coordinates of p's projection.
    const double d00 = e1[0] * e1[0] + e1[1] * e1[1] + e1[2] * e1[2];
    const double d01 = e1[0] * e2[0] + e1[1] * e2[1] + e1[2] * e2[2];
    const double d11 = e2[0] * e2[0] + e2[1] * e2[1] + e2[2] * e2[2];
    const double d20 = ap[0] * e1[0] + ap[1] * e1[1] + ap[2] * e1[2];
    const double d21 = ap[0] * e2[0] + ap[1] * e2[1] + ap[2] * e2[2];
    const double det = d00 * d11 - d01 * d01;
    const double v = (d11 * d20 - d01 * d21) / det, w = (d00 * d21 - d01 * d20) / det;
    const double slack = 1e-4;
    if (v < -slack || w < -slack || v + w > 1 + slack)
      return FLT_MAX;
    return float(std::fabs(plane));
  }

  cMeshBObj room;
  cTriangleTree tree;
};

} // namespace

TEST_F(LaserRoomData, EveryDirectionFromTheCentreMeetsAWall) {
  std::mt19937 rng(606);
  std::normal_distribution<float> g(0.0f, 1.0f);
  const float origin[3] = {0, 0, 0};
  int missed = 0;
  float nearest = FLT_MAX, farthest = 0;
  for (int i = 0; i < 10000; ++i) {
    float d[3] = {g(rng), g(rng), g(rng)};
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    for (float &x : d)
      x /= len;
    float t = FLT_MAX, hit[3], reflected[3];
    tree.trace(origin, d, t, hit, reflected);
    if (t == FLT_MAX) {
      ++missed;
      continue;
    }
    nearest = std::min(nearest, t);
    farthest = std::max(farthest, t);
  }
  EXPECT_EQ(missed, 0);
  EXPECT_GT(nearest, 60.0f) << "the floor and the ribs clear the tilted orbit (|y| <= 34)";
  EXPECT_LT(farthest, 140.0f) << "a corner stays within the far plane from every eye";
}

TEST_F(LaserRoomData, BurstGives48PointsAnd47BeamsAllOnTheWalls) {
  for (unsigned seed : {81u, 1u, 2024u}) {
    std::srand(seed);
    const auto points = laser_path(tree, stratified_directions(kLaserDirections));
    ASSERT_EQ(points.size(), 48u);
    EXPECT_EQ(beam_count(points), 47u);
    for (size_t k = 0; k < points.size(); ++k) {
      if (k % 3 == 0)
        continue; // the centre
      EXPECT_NE(points[k], points[k - 1]) << "seed " << seed << " point " << k << " missed";
      EXPECT_LT(distance_to_room(points[k]), 1e-3f) << "seed " << seed << " point " << k;
    }
  }
}

TEST_F(LaserRoomData, RoomIsTexturedInEveryGroupAndModest) {
  EXPECT_LE(room.indices.size() / 3, 20000u) << "the tree and the bursts stay cheap";
  ASSERT_FALSE(room.materials.empty());
  for (const auto &m : room.materials)
    EXPECT_FALSE(m.map_Kd.empty()) << m.name << ": drawn unlit, so it needs its picture";
}
