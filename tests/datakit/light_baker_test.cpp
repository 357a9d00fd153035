// The light baker against scenes whose light is known: a point light over a
// plane gives cos / r^2, an occluder's shadow is where its outline projects,
// occlusion darkens a crease and nothing else, and the result does not depend
// on the number of threads.
#include "cLightBaker.h"

#include "mesh_operators.h"
#include "mesh_primitives.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kSide = 100; // the ground plane, z = 0, facing +z

cMesh ground() { return primitives::plane(kSide, kSide); }

// A 10 x 10 square at height 10 over the centre, facing down.
cMesh blocker() {
  cMesh square = primitives::plane(10, 10);
  square.flip_winding();
  for (vec3 &n : square.normals)
    n = -n;
  operators::transform(square, cTransform::translate(vec3(0, 0, 10)));
  return square;
}

float luminance(const rgba &c) { return (c.r + c.g + c.b) / 3; }

} // namespace

TEST(LightBaker, TexelsMapTheUnwrapWithVUpwardsFromTheBottomRow) {
  const std::vector<sBakeTexel> t = cLightBaker::texels(ground(), 10, 10);
  ASSERT_EQ(t.size(), 100u);
  for (const sBakeTexel &texel : t)
    ASSERT_TRUE(texel.covered);
  // Texel centres at a tenth of the side apart, the top row at v near 1.
  EXPECT_NEAR(t[0].position.x, -45, 1e-3);
  EXPECT_NEAR(t[0].position.y, 45, 1e-3);
  EXPECT_NEAR(t[99].position.x, 45, 1e-3);
  EXPECT_NEAR(t[99].position.y, -45, 1e-3);
  EXPECT_NEAR(t[0].normal.z, 1, 1e-6);
}

TEST(LightBaker, PointLightOverAPlaneFallsAsCosineOverDistanceSquared) {
  struct Case {
    float height;
    vec3 colour;
  } cases[] = {{20, {1, 1, 1}}, {5, {400, 200, 100}}, {60, {3600, 3600, 0}}};
  for (const Case &c : cases) {
    sBakeSettings settings;
    settings.threads = 2;
    cLightBaker baker(settings);
    const size_t piece = baker.add_piece(ground());
    baker.add_light({vec3(0, 0, c.height), c.colour});
    const int size = 32;
    const cImage light = baker.bake(piece, size, size);
    const std::vector<sBakeTexel> where = cLightBaker::texels(ground(), size, size);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const vec3 p = where[size_t(y) * size + x].position;
        const float r = length(vec3(0, 0, c.height) - p);
        const float expected = c.height / (r * r * r); // cos = height / r
        const rgba got = light.at(x, y);
        ASSERT_NEAR(got.r, c.colour.x * expected, 1e-5 * c.colour.x * expected + 1e-9)
            << "height " << c.height << " texel " << x << "," << y;
        ASSERT_NEAR(got.b, c.colour.z * expected, 1e-5 * c.colour.z * expected + 1e-9);
      }
    EXPECT_EQ(baker.rays_traced(), uint64_t(size * size)) << "one shadow ray a texel";
  }
}

TEST(LightBaker, OccluderCastsItsOutlineScaledByTheLightsDistance) {
  // Light at 20, square of half-width 5 at 10: the shadow has half-width 10.
  cLightBaker baker;
  const size_t piece = baker.add_piece(ground());
  baker.add_occluder(blocker());
  baker.add_light({vec3(0, 0, 20), vec3(400, 400, 400)});
  const int size = 100; // one texel per unit
  const cImage light = baker.bake(piece, size, size);
  const std::vector<sBakeTexel> where = cLightBaker::texels(ground(), size, size);
  int dark = 0, lit = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const vec3 p = where[size_t(y) * size + x].position;
      const float edge = std::max(std::fabs(p.x), std::fabs(p.y));
      const float value = luminance(light.at(x, y));
      if (edge < 9.5f) {
        EXPECT_EQ(value, 0.0f) << p.x << "," << p.y;
        ++dark;
      } else if (edge > 10.5f) {
        const float r = length(vec3(0, 0, 20) - p);
        EXPECT_NEAR(value, 400 * 20 / (r * r * r), 1e-4f) << p.x << "," << p.y;
        ++lit;
      }
    }
  EXPECT_GE(dark, 18 * 18);
  EXPECT_GT(lit, 9000);
}

TEST(LightBaker, SoftShadowHasAPenumbraBetweenUmbraAndLight) {
  sBakeSettings settings;
  settings.shadow_samples = 64;
  cLightBaker baker(settings);
  const size_t piece = baker.add_piece(ground());
  baker.add_occluder(blocker());
  sBakeLight lamp{vec3(0, 0, 20), vec3(400, 400, 400), 2};
  baker.add_light(lamp);
  const int size = 100;
  const cImage light = baker.bake(piece, size, size);
  // Along the row through the centre: dark inside, partial at the edge,
  // full (as without the blocker) well outside.
  const int row = 50;
  const float inside = luminance(light.at(50, row)), edge = luminance(light.at(60, row));
  const float outside = luminance(light.at(75, row));
  const float r = std::sqrt(25.5f * 25.5f + 0.5f * 0.5f + 400);
  EXPECT_EQ(inside, 0.0f);
  EXPECT_GT(edge, 0.0f);
  EXPECT_LT(edge, 400 * 20 / std::pow(std::sqrt(10.5f * 10.5f + 0.25f + 400), 3.0f));
  EXPECT_NEAR(outside, 400 * 20 / (r * r * r), 1e-4f);
}

TEST(LightBaker, AmbientOcclusionDarkensOnlyNearACrease) {
  sBakeSettings settings;
  settings.ambient = vec3(1, 1, 1);
  settings.ambient_rays = 64;
  settings.ambient_reach = 20;
  // The plane alone: every ray escapes.
  {
    cLightBaker baker(settings);
    const size_t piece = baker.add_piece(ground());
    const cImage light = baker.bake(piece, 16, 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        ASSERT_EQ(luminance(light.at(x, y)), 1.0f);
  }
  // A wall standing on the line x = 0: texels near it lose light, those
  // beyond the reach keep all of it, and nearer is darker.
  cLightBaker baker(settings);
  const size_t piece = baker.add_piece(ground());
  cMesh wall = primitives::plane(kSide, 50);
  operators::transform(wall, cTransform::rotate(vec3(0, 1, 0), 90));
  baker.add_occluder(wall);
  const int size = 100;
  const cImage light = baker.bake(piece, size, size);
  auto at_distance = [&](int d) { // mean along the column d units right of the wall
    float sum = 0;
    for (int y = 20; y < 80; ++y)
      sum += luminance(light.at(50 + d, y));
    return sum / 60;
  };
  EXPECT_LT(at_distance(0), 0.7f);
  EXPECT_LT(at_distance(0), at_distance(3));
  EXPECT_LT(at_distance(3), at_distance(10));
  EXPECT_EQ(at_distance(30), 1.0f);
}

TEST(LightBaker, SameTexturesWhateverTheThreadCount) {
  auto bake_with = [](unsigned threads) {
    sBakeSettings settings;
    settings.threads = threads;
    settings.ambient = vec3(0.2f, 0.25f, 0.3f);
    settings.ambient_rays = 9;
    settings.shadow_samples = 4;
    cLightBaker baker(settings);
    const size_t piece = baker.add_piece(ground());
    baker.add_occluder(blocker());
    baker.add_light({vec3(3, -2, 20), vec3(300, 250, 200), 1.5f});
    baker.add_light({vec3(-30, 10, 8), vec3(50, 60, 90), 0});
    return baker.bake(piece, 48, 40).bytes(4);
  };
  const std::vector<uint8_t> one = bake_with(1);
  EXPECT_EQ(bake_with(3), one);
  EXPECT_EQ(bake_with(8), one);
  EXPECT_EQ(bake_with(1), one);
}

TEST(LightBaker, TexelsOutsideTheUnwrapTakeTheirNeighboursLight) {
  cMesh half; // the lower-left triangle of the unwrap only
  half.add_vertex(vec3(0, 0, 0), vec3(0, 0, 1), vec2(0, 0));
  half.add_vertex(vec3(10, 0, 0), vec3(0, 0, 1), vec2(1, 0));
  half.add_vertex(vec3(0, 10, 0), vec3(0, 0, 1), vec2(0, 1));
  half.add_triangle(0, 1, 2);
  sBakeSettings settings;
  settings.dilate = 2;
  cLightBaker baker(settings);
  const size_t piece = baker.add_piece(half);
  baker.add_light({vec3(2, 2, 10), vec3(100, 100, 100)});
  const cImage light = baker.bake(piece, 20, 20);
  EXPECT_GT(luminance(light.at(0, 0)), 0) << "top-left, inside";
  EXPECT_GT(luminance(light.at(11, 9)), 0) << "one texel past the edge";
  EXPECT_EQ(luminance(light.at(19, 0)), 0) << "far corner, beyond the dilation";
}

TEST(LightBaker, PiecesWithoutUnwrapOrNormalsAreRefused) {
  cLightBaker baker;
  cMesh bare = primitives::plane(1, 1);
  bare.uvs.clear();
  EXPECT_THROW(baker.add_piece(bare), std::runtime_error);
  cMesh flat = primitives::plane(1, 1);
  flat.normals.clear();
  EXPECT_THROW(baker.add_piece(flat), std::runtime_error);
  EXPECT_THROW(baker.bake(0, 4, 4), std::runtime_error);
}
