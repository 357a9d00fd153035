// Primitives: each closed one is closed, wound one way and faces out, and
// encloses the volume its shape should; the open ones have the boundary they
// should; indices stay in range and normals come out unit length.
#include "mesh_checks.h"
#include "mesh_operators.h"
#include "mesh_primitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct closed_case {
  const char *name;
  std::function<cMesh()> make;
  double volume;    // of the ideal shape
  double tolerance; // relative, for the facets
};

class ClosedPrimitive : public testing::TestWithParam<closed_case> {};

TEST_P(ClosedPrimitive, IsClosedOutwardAndHoldsItsVolume) {
  cMesh m = GetParam().make();
  const sMeshFacts f = inspect(m);
  EXPECT_EQ(f.open_edges, 0u);
  EXPECT_EQ(f.overused_edges, 0u);
  EXPECT_EQ(f.misoriented_edges, 0u);
  EXPECT_EQ(f.degenerate_triangles, 0u);
  EXPECT_LT(f.max_index, f.vertices);
  EXPECT_NEAR(f.signed_volume / GetParam().volume, 1.0, GetParam().tolerance);
}

TEST_P(ClosedPrimitive, SmoothNormalsAreUnitAndPointOut) {
  cMesh m = GetParam().make();
  operators::smooth_normals(m);
  ASSERT_TRUE(m.has_normals());
  const sMeshFacts f = inspect(m);
  EXPECT_LT(f.worst_normal_error, 1e-5f);
  // Outward on average: each face's own normal agrees with its corners'.
  size_t agree = 0;
  for (const sTriangle &t : m.triangles)
    if (dot(m.face_normal(t), m.normals[t.v[0]] + m.normals[t.v[1]] + m.normals[t.v[2]]) > 0)
      ++agree;
  EXPECT_EQ(agree, m.triangle_count());
}

// A cylinder of radius 1 and height 2 as a lathe profile.
std::vector<vec2> capped_cylinder() { return {{0, -1}, {1, -1}, {1, 1}, {0, 1}}; }
// An L of area 3 (three unit squares), concave at (1, 1).
std::vector<vec2> l_shape() { return {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}; }

INSTANTIATE_TEST_SUITE_P(
    Shapes, ClosedPrimitive,
    testing::Values(
        // 40 x 40 x 20 less the twelve bevel prisms (c^2 / 2 along each edge
        // between the corners) and at each corner all but a sixth of the c^3
        // cube there.
        closed_case{"ChamferedBox", [] { return primitives::chamfered_box(vec3(40, 40, 20), 5); },
                    40.0 * 40 * 20 - 12.5 * (4 * 30 + 4 * 30 + 4 * 10) - 8 * (125.0 * 5 / 6), 1e-5},
        closed_case{"UvSphere", [] { return primitives::uv_sphere(2, 48, 96); }, 4.0 / 3 * kPi * 8,
                    0.01},
        closed_case{"Icosphere", [] { return primitives::icosphere(3, 4); }, 4.0 / 3 * kPi * 27,
                    0.01},
        closed_case{"GeodesicSphere", [] { return primitives::geodesic_sphere(3, 12); },
                    4.0 / 3 * kPi * 27, 0.01},
        closed_case{"Torus", [] { return primitives::torus(5, 1, 96, 48); },
                    2 * kPi *kPi * 5 * 1 * 1, 0.01},
        closed_case{"TubeLoop",
                    [] {
                      // A circle of radius 10: the same torus, swept with frames.
                      return primitives::tube(
                          [](float t) {
                            return vec3(10 * std::cos(6.2831853f * t),
                                        10 * std::sin(6.2831853f * t), 0);
                          },
                          [](float) { return 1.0f; }, 128, 48, true);
                    },
                    2 * kPi *kPi * 10, 0.01},
        closed_case{"TubeOpenEnds",
                    [] {
                      return primitives::tube([](float t) { return vec3(0, 0, 10 * t); },
                                              [](float) { return 2.0f; }, 4, 64, false);
                    },
                    kPi * 4 * 10, 0.01},
        closed_case{"Lathe", [] { return primitives::lathe(capped_cylinder(), 96); }, 2 * kPi,
                    0.01},
        closed_case{"ExtrudedConcave", [] { return primitives::extrusion(l_shape(), 0.5f); }, 1.5,
                    1e-5}),
    [](const testing::TestParamInfo<closed_case> &info) { return std::string(info.param.name); });

TEST(ChamferedBox, HasTheCountsAndExtentsAsked) {
  const cMesh m = primitives::chamfered_box(vec3(40, 40, 20), 5);
  EXPECT_EQ(m.vertex_count(), 24u);
  EXPECT_EQ(m.triangle_count(), 44u);
  vec3 lo, hi;
  m.bounds(lo, hi);
  EXPECT_EQ(lo, vec3(-20, -20, -10));
  EXPECT_EQ(hi, vec3(20, 20, 10));
}

TEST(Icosphere, EveryVertexOnTheSphereAndTrianglesQuadruplePerLevel) {
  for (int level = 0; level <= 3; ++level) {
    const cMesh m = primitives::icosphere(7, level);
    EXPECT_EQ(m.triangle_count(), size_t(20) << (2 * level));
    for (const vec3 &p : m.positions)
      EXPECT_NEAR(length(p), 7.0f, 1e-4f);
  }
}

TEST(GeodesicSphere, HasTwentyTimesFrequencySquaredTrianglesOnTheSphere) {
  for (int frequency : {1, 3, 12}) {
    const cMesh m = primitives::geodesic_sphere(7, frequency);
    EXPECT_EQ(m.triangle_count(), size_t(20 * frequency * frequency));
    // Euler: V - E + F = 2 with E = 3F / 2, so every edge point is shared once.
    EXPECT_EQ(m.vertex_count(), size_t(10 * frequency * frequency + 2));
    for (const vec3 &p : m.positions)
      EXPECT_NEAR(length(p), 7.0f, 1e-4f);
  }
}

TEST(Tube, LoopEndsMeetWithoutATwistingSeam) {
  // A knot whose carried frame comes back turned: the quads that join the
  // last ring to the first must be no longer than the others, which they
  // would be (across the tube) if the turn were not spread along the loop.
  constexpr int kSegments = 180, kSides = 16;
  const cMesh m = primitives::tube(
      [](float t) {
        const float a = 6.2831853f * t;
        return vec3(std::sin(a) + 2 * std::sin(2 * a), std::cos(a) - 2 * std::cos(2 * a),
                    -std::sin(3 * a)) *
               10.0f;
      },
      [](float) { return 1.5f; }, kSegments, kSides, true);
  const sMeshFacts f = inspect(m);
  EXPECT_EQ(f.open_edges + f.misoriented_edges, 0u);
  float seam = 0, elsewhere = 0;
  for (const sTriangle &t : m.triangles) {
    bool first_ring = false, last_ring = false;
    float longest = 0;
    for (int k = 0; k < 3; ++k) {
      first_ring |= t.v[k] < uint32_t(kSides);
      last_ring |= t.v[k] >= uint32_t((kSegments - 1) * kSides);
      longest = std::max(longest, length(m.positions[t.v[k]] - m.positions[t.v[(k + 1) % 3]]));
    }
    float &worst = first_ring && last_ring ? seam : elsewhere;
    worst = std::max(worst, longest);
  }
  EXPECT_GT(seam, 0.0f);
  EXPECT_LT(seam, elsewhere * 1.05f);
}

struct open_case {
  const char *name;
  std::function<cMesh()> make;
  size_t boundary_edges;
  double area;
};

class OpenPrimitive : public testing::TestWithParam<open_case> {};

TEST_P(OpenPrimitive, HasItsBoundaryAreaAndUnitUpNormals) {
  const cMesh m = GetParam().make();
  const sMeshFacts f = inspect(m);
  EXPECT_EQ(f.open_edges, GetParam().boundary_edges);
  EXPECT_EQ(f.misoriented_edges, 0u);
  double area = 0;
  for (const sTriangle &t : m.triangles) {
    const vec3 n = m.face_normal(t);
    area += 0.5 * length(n);
    EXPECT_GT(n.z, 0.0f);
  }
  EXPECT_NEAR(area, GetParam().area, 1e-3);
  ASSERT_TRUE(m.has_normals() && m.has_uvs());
  for (size_t i = 0; i < m.vertex_count(); ++i) {
    EXPECT_EQ(m.normals[i], vec3(0, 0, 1));
    EXPECT_GE(m.uvs[i].x, 0.0f);
    EXPECT_LE(m.uvs[i].y, 1.0f);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, OpenPrimitive,
    testing::Values(open_case{"Plane", [] { return primitives::plane(4, 3); }, 4, 12},
                    open_case{"Grid", [] { return primitives::grid(4, 3, 8, 5); }, 26, 12}),
    [](const testing::TestParamInfo<open_case> &info) { return std::string(info.param.name); });

TEST(Lathe, OpenEndsLeaveTwoRimsOfSegmentsEdges) {
  const cMesh m = primitives::lathe({{1, 0}, {1, 2}}, 32);
  const sMeshFacts f = inspect(m);
  EXPECT_EQ(f.open_edges, 64u);
  EXPECT_EQ(f.misoriented_edges, 0u);
  // Faces point away from the axis.
  for (const sTriangle &t : m.triangles) {
    const vec3 c = m.positions[t.v[0]] + m.positions[t.v[1]] + m.positions[t.v[2]];
    EXPECT_GT(dot(m.face_normal(t), vec3(c.x, c.y, 0)), 0.0f);
  }
}

} // namespace
