// Ray queries of the triangle tree: single-triangle hits, nearest-hit choice,
// bad input, and agreement with a loop over every triangle.
#include "archive/cTriangleTree.h"
#include "support/tree_meshes.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <random>

namespace {

using vec3 = std::array<float, 3>;
const vec3 kUntouched = {-7.0f, -7.0f, -7.0f};

struct query {
  bool returned = false;
  float t = -1.0f;
  vec3 hit = kUntouched, reflected = kUntouched;
};

query trace(cTriangleTree &tree, vec3 o, vec3 d) {
  query q;
  q.returned = tree.trace(o.data(), d.data(), q.t, q.hit.data(), q.reflected.data());
  return q;
}

query one(const cTreeNode &node, vec3 o, vec3 d, float t = FLT_MAX) {
  query q;
  q.t = t;
  q.returned = node.intersect(o.data(), d.data(), q.t, q.hit.data(), q.reflected.data());
  return q;
}

// Outputs still hold the sentinels that query starts with.
void expect_untouched(const query &q) {
  EXPECT_EQ(q.hit, kUntouched);
  EXPECT_EQ(q.reflected, kUntouched);
}

uint32_t add_vertex(cTriangleTree &tree, float x, float y, float z) {
  tree.vertices.push_back({x, y, z});
  return uint32_t(tree.vertices.size() - 1);
}

// Axis-aligned square at height z over [x0,x1] x [y0,y1], as two triangles.
void add_square(cTriangleTree &tree, float x0, float y0, float x1, float y1, float z) {
  uint32_t a = add_vertex(tree, x0, y0, z), b = add_vertex(tree, x1, y0, z);
  uint32_t c = add_vertex(tree, x1, y1, z), d = add_vertex(tree, x0, y1, z);
  tree.triangles.push_back({a, b, c});
  tree.triangles.push_back({a, c, d});
}

int depth_of(const cTreeNode *node) {
  if (auto branch = dynamic_cast<const cTreeBranch *>(node))
    return 1 + std::max(depth_of(branch->first), depth_of(branch->second));
  return 1;
}

// The reference: every triangle of the mesh tested in array order.
query brute_force(const cTriangleTree &tree, vec3 o, vec3 d) {
  query q;
  q.t = FLT_MAX;
  for (const auto &tri : tree.triangles) {
    cTreeTriangle node(tree.vertices[tri[0]].data(), tree.vertices[tri[1]].data(),
                       tree.vertices[tri[2]].data());
    q.returned |= node.intersect(o.data(), d.data(), q.t, q.hit.data(), q.reflected.data());
  }
  return q;
}

void expect_same(const query &tree_q, const query &ref, int ray) {
  ASSERT_EQ(tree_q.returned, ref.returned) << "ray " << ray;
  ASSERT_EQ(tree_q.t, ref.t) << "ray " << ray;
  ASSERT_EQ(tree_q.hit, ref.hit) << "ray " << ray;
  ASSERT_EQ(tree_q.reflected, ref.reflected) << "ray " << ray;
}

vec3 random_direction(std::mt19937 &rng) {
  std::normal_distribution<float> g(0.0f, 1.0f);
  vec3 d{g(rng), g(rng), g(rng)};
  float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  for (float &x : d)
    x /= len;
  return d;
}

const float A[3] = {0.0f, 0.0f, 0.0f}, B[3] = {4.0f, 0.0f, 0.0f}, C[3] = {0.0f, 4.0f, 0.0f};

} // namespace

TEST(TreeTriangle, HitsMissesAndRaysThatChangeNothing) {
  // returned is what intersect says; a ray that meets nothing nearer than the
  // limit in front of it keeps t and leaves the outputs untouched.
  const float nan = std::nanf(""), r5 = 1.0f / std::sqrt(5.0f);
  struct ray_case {
    const char *what;
    vec3 o, d;
    float limit;
    bool returned;
    float t;
    vec3 hit, reflected;
  } cases[] = {
      {"straight down", {1, 1, 5}, {0, 0, -1}, FLT_MAX, true, 5, {1, 1, 0}, {0, 0, 1}},
      // t in the direction's units; the reflection comes out unit length.
      {"slanted, not unit", {0, 1, 2}, {1, 0, -2}, FLT_MAX, true, 1, {1, 1, 0}, {r5, 0, 2 * r5}},
      {"behind", {1, 1, 5}, {0, 0, 1}, FLT_MAX, true, FLT_MAX},
      {"farther than the limit", {1, 1, 5}, {0, 0, -1}, 4.0f, true, 4.0f},
      {"starting on it: distance 0 is not in front", {1, 1, 0}, {0, 0, -1}, FLT_MAX, true, FLT_MAX},
      {"beside", {5, 5, 3}, {0, 0, -1}, FLT_MAX, false, FLT_MAX},
      {"just off edge a-c", {-0.01f, 1, 3}, {0, 0, -1}, FLT_MAX, false, FLT_MAX},
      {"just off edge a-b", {1, -0.01f, 3}, {0, 0, -1}, FLT_MAX, false, FLT_MAX},
      {"just off edge b-c", {2.01f, 2, 3}, {0, 0, -1}, FLT_MAX, false, FLT_MAX},
      // In the plane, or so nearly parallel that det stays below epsilon.
      {"along x in the plane", {-1, 1, 0}, {1, 0, 0}, FLT_MAX, false, FLT_MAX},
      {"diagonal in the plane", {-1, 1, 0}, {1, 1, 0}, FLT_MAX, false, FLT_MAX},
      {"nearly parallel", {-1, 1, 0}, {1, 0, 1e-8f}, FLT_MAX, false, FLT_MAX},
      {"no direction", {-1, 1, 0}, {0, 0, 0}, FLT_MAX, false, FLT_MAX},
      {"NaN origin", {nan, 1, 5}, {0, 0, -1}, FLT_MAX, false, FLT_MAX},
      {"NaN direction", {1, 1, 5}, {0, nan, -1}, FLT_MAX, false, FLT_MAX},
  };
  for (bool flipped : {false, true}) {
    // The winding changes nothing, the reflection included.
    cTreeTriangle tri = flipped ? cTreeTriangle(A, C, B) : cTreeTriangle(A, B, C);
    for (const ray_case &c : cases) {
      SCOPED_TRACE(std::string(c.what) + (flipped ? ", flipped" : ""));
      query q = one(tri, c.o, c.d, c.limit);
      EXPECT_EQ(q.returned, c.returned);
      EXPECT_FLOAT_EQ(q.t, c.t);
      if (q.t == c.limit) {
        expect_untouched(q);
        continue;
      }
      for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(q.hit[i], c.hit[i], 1e-6f);
        EXPECT_NEAR(q.reflected[i], c.reflected[i], 1e-6f);
      }
    }
  }
}

TEST(TreeTriangle, EpsilonIsAnAbsoluteBoundOnTheDeterminant) {
  // A ray that does cross a triangle is still dropped when det is tiny: here
  // because the triangle itself is tiny (edges 5e-4, det 2e-7).
  const float a[3] = {0, 0, 0}, b[3] = {5e-4f, 0, 0}, c[3] = {0, 5e-4f, 0};
  cTreeTriangle tiny(a, b, c);
  query q = one(tiny, {-0.6f + 1e-4f, 1e-4f, 0.8f}, {0.6f, 0, -0.8f});
  EXPECT_FALSE(q.returned);
  expect_untouched(q);
  tiny.epsilon = 1e-8;
  EXPECT_FLOAT_EQ(one(tiny, {-0.6f + 1e-4f, 1e-4f, 0.8f}, {0.6f, 0, -0.8f}).t, 1.0f);
}

TEST(TreeTriangle, FlatTrianglesNeverHitAndNeverGiveNaN) {
  // Collinear corners at several scales, probed from many directions.
  std::mt19937 rng(7);
  for (float scale : {1e-20f, 1.0f, 3e3f, 1e7f}) {
    float a[3] = {0, 0, 0}, b[3] = {3 * scale, 1 * scale, 2 * scale},
          c[3] = {6 * scale, 2 * scale, 4 * scale};
    cTreeTriangle flat(a, b, c);
    for (int i = 0; i < 500; ++i) {
      vec3 d = random_direction(rng);
      vec3 o{3 * scale - d[0] * scale, 1 * scale - d[1] * scale, 2 * scale - d[2] * scale};
      query q = one(flat, o, d);
      EXPECT_FALSE(q.returned && q.t < FLT_MAX) << "scale " << scale;
      expect_untouched(q);
    }
  }
}

TEST(TreeTriangle, EdgesAndCornersCountAsHits) {
  // Two triangles of a square sharing the diagonal: nothing falls through.
  cTriangleTree tree;
  add_square(tree, 0, 0, 2, 2, 0);
  const float points[][2] = {{1, 1}, {0, 0}, {2, 2}, {2, 0},       {0, 2},      {1, 0},
                             {2, 1}, {0, 1}, {1, 2}, {0.5f, 0.5f}, {1.5f, 1.5f}};
  for (const auto &xy : points) {
    query q = trace(tree, {xy[0], xy[1], 1}, {0, 0, -1});
    EXPECT_TRUE(q.returned);
    EXPECT_EQ(q.t, 1.0f) << xy[0] << "," << xy[1];
    EXPECT_EQ(q.reflected[2], 1.0f);
  }
  query outside = trace(tree, {2.001f, 1, 1}, {0, 0, -1});
  EXPECT_EQ(outside.t, FLT_MAX);
  expect_untouched(outside);
}

TEST(TriangleTree, BuildsOnFirstTraceAndRebuildsToTheSameAnswers) {
  cTriangleTree tree;
  EXPECT_FALSE(tree.built);
  EXPECT_EQ(tree.root, nullptr);
  query q = trace(tree, {0, 0, 0}, {0, 0, 1});
  EXPECT_TRUE(tree.built);
  EXPECT_NE(tree.root, nullptr);
  EXPECT_FALSE(q.returned) << "empty: misses everything";
  EXPECT_EQ(q.t, FLT_MAX);
  expect_untouched(q);
  add_vertex(tree, 1, 2, 3); // vertices without triangles are just as empty
  tree.build();
  EXPECT_FALSE(trace(tree, {0, 0, 0}, {1, 2, 3}).returned);

  cTriangleTree lazy, eager;
  for (cTriangleTree *t : {&lazy, &eager}) {
    add_square(*t, -1, -1, 1, 1, 0);
    add_square(*t, -1, -1, 1, 1, 2);
  }
  eager.build();
  eager.build();
  query a = trace(lazy, {0.1f, 0.2f, 1}, {0.1f, 0, 1});
  expect_same(a, trace(eager, {0.1f, 0.2f, 1}, {0.1f, 0, 1}), 0);
  EXPECT_FLOAT_EQ(a.t, 1.0f);
}

TEST(TriangleTree, NearestOfSeveralWinsWhateverTheOrder) {
  cTriangleTree tree;
  // Stacked squares at z = 3, 1, 5, 2, 4: tree order differs from depth order.
  for (float z : {3.0f, 1.0f, 5.0f, 2.0f, 4.0f})
    add_square(tree, -1, -1, 1, 1, z);
  add_square(tree, 10, 10, 11, 11, -2); // far off to the side
  const struct {
    const char *what;
    vec3 o, d;
    float t, hit_z, reflected_z;
  } cases[] = {
      {"down onto the top layer", {0.25f, 0.5f, 10}, {0, 0, -1}, 5, 5, 1},
      {"up onto the bottom layer", {0.25f, 0.5f, -10}, {0, 0, 1}, 11, 1, -1},
      {"from between layers: the one just below", {0.25f, 0.5f, 2.5f}, {0, 0, -2}, 0.25f, 2, 1},
      {"over the stack onto the side square", {0, 0, 8}, {1, 1, -1}, 10, -2, 0.57735f},
  };
  for (const auto &c : cases) {
    query q = trace(tree, c.o, c.d);
    EXPECT_TRUE(q.returned) << c.what;
    EXPECT_FLOAT_EQ(q.t, c.t) << c.what;
    EXPECT_FLOAT_EQ(q.hit[2], c.hit_z) << c.what;
    EXPECT_NEAR(q.reflected[2], c.reflected_z, 1e-5f) << c.what;
  }
  // Pointing away from every layer: met behind, so true, but t stays.
  query away = trace(tree, {0.25f, 0.5f, 6}, {0, 0, 1});
  EXPECT_TRUE(away.returned);
  EXPECT_EQ(away.t, FLT_MAX);
  expect_untouched(away);
}

TEST(TriangleTree, BadTrianglesAreLeftOutWithAWarning) {
  cTriangleTree tree;
  add_square(tree, -1, -1, 1, 1, 0);
  uint32_t inf = add_vertex(tree, INFINITY, 0, 0);
  uint32_t nan = add_vertex(tree, 0, std::nanf(""), 0);
  uint32_t n = uint32_t(tree.vertices.size());
  tree.triangles.push_back({0, 1, n});           // one past the end
  tree.triangles.push_back({0xFFFFFFFFu, 1, 2}); // far out
  tree.triangles.push_back({0, 1, inf});
  tree.triangles.push_back({nan, 1, 2});

  testing::internal::CaptureStderr();
  tree.build();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(tree.skipped_triangles(), 4u);
  EXPECT_NE(err.find("# WARNING in cTriangleTree line "), std::string::npos) << err;
  EXPECT_NE(err.find("left out 2 triangles with vertex indices out of range and 2 with non-finite "
                     "corners"),
            std::string::npos)
      << err;

  query q = trace(tree, {0.5f, 0.25f, 3}, {0, 0, -1});
  EXPECT_EQ(q.t, 3.0f);
  EXPECT_TRUE(std::isfinite(q.reflected[0]) && std::isfinite(q.reflected[1]));

  // A clean mesh builds silently.
  cTriangleTree clean;
  add_square(clean, -1, -1, 1, 1, 0);
  testing::internal::CaptureStderr();
  clean.build();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(clean.skipped_triangles(), 0u);
}

const cTreeTriangle *leaf(const cTreeNode *node) {
  return dynamic_cast<const cTreeTriangle *>(node);
}

TEST(TriangleTree, BuildSplitsTheWidestAxisAtItsMiddle) {
  // P then Q, both spanning x in [0, 1]; P high on z, Q low. x and z extents
  // tie, so z wins and Q (centre below the middle) becomes the first child.
  // Splitting x instead would fall back to list order and put P first.
  cTriangleTree tie;
  for (float z0 : {0.8f, 0.0f}) {
    uint32_t a = add_vertex(tie, 0, 0, z0), b = add_vertex(tie, 1, 0, z0);
    uint32_t c = add_vertex(tie, 0.5f, 0, z0 + 0.2f);
    tie.triangles.push_back({a, b, c});
  }
  tie.build();
  auto root = dynamic_cast<const cTreeBranch *>(tie.root);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->box_min[0], 0.0f);
  EXPECT_EQ(root->box_max[2], 1.0f);
  ASSERT_NE(leaf(root->first), nullptr);
  EXPECT_EQ(leaf(root->first)->corner_a[2], 0.0f);
  EXPECT_EQ(leaf(root->second)->corner_a[2], 0.8f);

  // Same centres everywhere: halves by position, count / 2 in the first.
  std::function<int(const cTreeNode *)> leaves = [&](const cTreeNode *n) {
    auto br = dynamic_cast<const cTreeBranch *>(n);
    return br ? leaves(br->first) + leaves(br->second) : 1;
  };
  cTriangleTree copies;
  add_square(copies, 0, 0, 1, 1, 0);
  copies.triangles.resize(1);
  for (int i = 0; i < 4; ++i)
    copies.triangles.push_back(copies.triangles[0]);
  copies.build();
  auto halves = dynamic_cast<const cTreeBranch *>(copies.root);
  ASSERT_NE(halves, nullptr);
  EXPECT_EQ(leaves(halves->first), 2);
  EXPECT_EQ(leaves(halves->second), 3);
}

TEST(TriangleTree, BuildTerminatesOnCoincidentAndNestedTriangles) {
  // Identical triangles share every centre: only the split by position helps.
  cTriangleTree same;
  add_square(same, 0, 0, 1, 1, 0);
  for (int i = 0; i < 1000; ++i)
    same.triangles.push_back(same.triangles[i % 2]);
  same.build();
  EXPECT_LE(depth_of(same.root), 12);
  EXPECT_EQ(trace(same, {0.5f, 0.5f, 1}, {0, 0, -1}).t, 1.0f);

  // Nested spans [-1, 1 + k/2^20]: a middle split peels off one triangle per
  // level, which without a depth limit would recurse once per triangle.
  cTriangleTree nested;
  const int count = 20000;
  uint32_t apex = add_vertex(nested, 0, 0.5f, 0), left = add_vertex(nested, -1, 0, 0);
  for (int k = 0; k < count; ++k) {
    uint32_t right = add_vertex(nested, 1.0f + float(k) / 1048576.0f, 0, 0);
    nested.triangles.push_back({left, right, apex});
  }
  nested.build();
  EXPECT_LE(depth_of(nested.root), cTriangleTree::max_spatial_depth + 17);
  for (float x : {-0.5f, 0.0f, 0.9f, 1.01f}) {
    vec3 o{x, 0.1f, 2}, d{0.01f, 0, -1};
    expect_same(trace(nested, o, d), brute_force(nested, o, d), 0);
  }
}

TEST(TriangleTree, AgreesWithBruteForceOnRandomMeshes) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<float> pos(-10.0f, 10.0f), off(-2.0f, 2.0f);

  // Loose random triangles of mixed sizes.
  cTriangleTree soup;
  for (int i = 0; i < 3000; ++i) {
    float cx = pos(rng), cy = pos(rng), cz = pos(rng);
    float s = (i % 10 == 0) ? 4.0f : 1.0f;
    uint32_t base = uint32_t(soup.vertices.size());
    for (int k = 0; k < 3; ++k)
      add_vertex(soup, cx + s * off(rng), cy + s * off(rng), cz + s * off(rng));
    soup.triangles.push_back({base, base + 1, base + 2});
  }
  for (int ray = 0; ray < 4000; ++ray) {
    vec3 o{pos(rng) * 1.3f, pos(rng) * 1.3f, pos(rng) * 1.3f};
    vec3 d = random_direction(rng);
    if (ray % 4 == 0)
      d[ray % 3] = 0.0f; // axis-parallel components exercise the slab test
    expect_same(trace(soup, o, d), brute_force(soup, o, d), ray);
  }

  // A closed noisy sphere with shared edges, traced from inside.
  cTriangleTree sphere;
  const int slices = 40, stacks = 30;
  std::uniform_real_distribution<float> noise(0.9f, 1.1f);
  add_noisy_sphere(sphere, 8, slices, stacks, noise, rng);
  std::uniform_real_distribution<float> inner(-4.0f, 4.0f);
  int hits = 0;
  for (int ray = 0; ray < 4000; ++ray) {
    vec3 o{inner(rng), inner(rng), inner(rng)};
    vec3 d = random_direction(rng);
    query got = trace(sphere, o, d);
    expect_same(got, brute_force(sphere, o, d), ray);
    hits += got.t < FLT_MAX;
  }
  EXPECT_EQ(hits, 4000); // closed: every ray from inside finds the wall
}

TEST(TriangleTree, LaserBouncesLeaveTheWallTheyStartOn) {
  // The laser room's use: rays from the centre of a closed room, each traced
  // again from its hit point along the reflected direction.
  cTriangleTree room;
  const float lo[3] = {-60, -40, -60}, hi[3] = {60, 40, 60};
  add_room(room, lo, hi, 12);
  room.build();

  auto on_wall = [&](const vec3 &p) {
    for (int axis = 0; axis < 3; ++axis)
      if (std::fabs(p[axis] - lo[axis]) < 1e-3f || std::fabs(p[axis] - hi[axis]) < 1e-3f)
        return true;
    return false;
  };

  std::mt19937 rng(81);
  int escapes = 0;
  for (int ray = 0; ray < 20000; ++ray) {
    vec3 origin{0, 0, 0};
    if (ray % 2)
      origin = {float(rng() % 100) - 50, float(rng() % 70) - 35, float(rng() % 100) - 50};
    vec3 dir = random_direction(rng);
    query first = trace(room, origin, dir);
    ASSERT_LT(first.t, FLT_MAX) << "ray " << ray;
    ASSERT_TRUE(on_wall(first.hit)) << "ray " << ray;
    // Mirror law: only the component along the wall normal flips.
    int flipped = 0;
    for (int axis = 0; axis < 3; ++axis) {
      if (std::fabs(first.reflected[axis] + dir[axis]) < 1e-5f && std::fabs(dir[axis]) > 1e-3f)
        ++flipped;
      else
        EXPECT_NEAR(first.reflected[axis], dir[axis], 1e-5f) << "ray " << ray;
    }
    EXPECT_LE(flipped, 1);

    query second = trace(room, first.hit, first.reflected);
    if (second.t == FLT_MAX) {
      ++escapes; // a bounce within rounding of a corner
      continue;
    }
    ASSERT_TRUE(on_wall(second.hit)) << "ray " << ray;
    // Re-meeting the starting wall would put the bounce back where it began.
    EXPECT_GT(second.t, 1e-3f) << "ray " << ray;
  }
  EXPECT_LE(escapes, 2);
}
