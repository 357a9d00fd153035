// The mesh inspection the recipes rely on: hand-built meshes with known
// faults (holes, flipped triangles, inward faces, split normals, sizes) and
// the problems each must raise.
#include "mesh_checks.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// A unit tetrahedron facing out, built by hand.
cMesh tetrahedron() {
  cMesh m;
  m.add_vertex(vec3(0, 0, 0));
  m.add_vertex(vec3(1, 0, 0));
  m.add_vertex(vec3(0, 1, 0));
  m.add_vertex(vec3(0, 0, 1));
  m.add_triangle(0, 2, 1);
  m.add_triangle(0, 1, 3);
  m.add_triangle(0, 3, 2);
  m.add_triangle(1, 2, 3);
  return m;
}

bool mentions(const std::vector<std::string> &problems, const std::string &word) {
  for (const std::string &p : problems)
    if (p.find(word) != std::string::npos)
      return true;
  return false;
}

TEST(MeshFacts, TetrahedronIsClosedOutwardWithItsVolume) {
  const sMeshFacts f = inspect(tetrahedron());
  EXPECT_EQ(f.open_edges, 0u);
  EXPECT_EQ(f.misoriented_edges, 0u);
  EXPECT_EQ(f.overused_edges, 0u);
  EXPECT_NEAR(f.signed_volume, 1.0 / 6.0, 1e-6);
  EXPECT_EQ(f.max_index, 3u);
}

TEST(MeshFacts, SplitVerticesAtOnePositionCountAsOne) {
  // The same tetrahedron with every corner its own vertex: still closed.
  const cMesh joined = tetrahedron();
  cMesh split;
  for (const sTriangle &t : joined.triangles) {
    const uint32_t a = split.add_vertex(joined.positions[t.v[0]]);
    const uint32_t b = split.add_vertex(joined.positions[t.v[1]]);
    const uint32_t c = split.add_vertex(joined.positions[t.v[2]]);
    split.add_triangle(a, b, c);
  }
  const sMeshFacts f = inspect(split);
  EXPECT_EQ(f.open_edges, 0u);
  EXPECT_EQ(f.misoriented_edges, 0u);
  EXPECT_EQ(f.vertices, 12u);
}

struct fault_case {
  const char *name;
  std::function<void(cMesh &)> damage;
  std::function<void(sMeshNeeds &)> needs;
  const char *problem; // a word the report must contain, or "" for none
};

class MeshProblems : public testing::TestWithParam<fault_case> {};

TEST_P(MeshProblems, ReportsWhatTheSceneCannotUse) {
  cMesh m = tetrahedron();
  GetParam().damage(m);
  sMeshNeeds needs;
  GetParam().needs(needs);
  const std::vector<std::string> found = problems(inspect(m), m, needs);
  const std::string expected = GetParam().problem;
  if (expected.empty())
    EXPECT_TRUE(found.empty()) << found.front();
  else
    EXPECT_TRUE(mentions(found, expected)) << "expected \"" << expected << "\"";
}

auto nothing = [](cMesh &) {};
auto closed_outward = [](sMeshNeeds &n) {
  n.closed = true;
  n.outward = true;
};

INSTANTIATE_TEST_SUITE_P(
    Cases, MeshProblems,
    testing::Values(
        fault_case{"Sound", nothing, closed_outward, ""},
        fault_case{"Hole", [](cMesh &m) { m.triangles.pop_back(); }, closed_outward, "open"},
        fault_case{"OneFlipped",
                   [](cMesh &m) { std::swap(m.triangles[0].v[1], m.triangles[0].v[2]); },
                   closed_outward, "misoriented"},
        fault_case{"AllFlipped", [](cMesh &m) { m.flip_winding(); }, closed_outward, "inward"},
        fault_case{"Degenerate", [](cMesh &m) { m.add_triangle(0, 0, 1); }, [](sMeshNeeds &) {},
                   "degenerate"},
        fault_case{"TooManyVertices",
                   [](cMesh &m) {
                     for (int i = 0; i < 65533; ++i)
                       m.add_vertex(vec3(float(i), 0, 0));
                   },
                   [](sMeshNeeds &) {}, "vertices"},
        fault_case{"JustEnoughVertices",
                   [](cMesh &m) {
                     for (int i = 0; i < 65532; ++i)
                       m.add_vertex(vec3(2, 2, 2));
                   },
                   [](sMeshNeeds &) {}, ""},
        fault_case{"NoNormals", nothing, [](sMeshNeeds &n) { n.normals = true; }, "no normals"},
        fault_case{"LongNormal", [](cMesh &m) { m.normals.assign(4, vec3(0, 0, 2)); },
                   [](sMeshNeeds &n) { n.normals = true; }, "unit length"},
        fault_case{"SplitNormals",
                   [](cMesh &m) {
                     m.normals.assign(4, vec3(0, 0, 1));
                     m.add_vertex(vec3(0, 0, 0), vec3(1, 0, 0));
                     m.add_triangle(4, 2, 1);
                   },
                   [](sMeshNeeds &n) { n.normals_shared = true; }, "different normals"},
        fault_case{"OffCentre", nothing, [](sMeshNeeds &n) { n.origin_tolerance = 0.1f; },
                   "centre"},
        fault_case{"TooLarge", [](cMesh &m) { m.positions[1].x = 5; },
                   [](sMeshNeeds &n) { n.max_size = vec3(2, 2, 2); }, "extent"},
        fault_case{"TooSmall", nothing, [](sMeshNeeds &n) { n.min_radius = 3; }, "radius"},
        fault_case{"Materials", [](cMesh &m) { m.materials.push_back(sMeshMaterial()); },
                   [](sMeshNeeds &n) { n.no_materials = true; }, "materials"}),
    [](const testing::TestParamInfo<fault_case> &info) { return std::string(info.param.name); });

} // namespace
