// Mesh operators: what each keeps (closedness, winding, shape) and what it
// changes (counts, holes, normals, texture coordinates), on small shapes
// whose answers are known.
#include "mesh_checks.h"
#include "mesh_operators.h"
#include "mesh_primitives.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

bool sound(const cMesh &m) {
  const sMeshFacts f = inspect(m);
  return f.open_edges == 0 && f.misoriented_edges == 0 && f.overused_edges == 0 &&
         f.signed_volume > 0;
}

// A unit cube of six separate quads: 24 vertices, every corner three times.
cMesh cube_of_loose_faces() {
  cMesh m;
  const vec3 n[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (const vec3 &normal : n) {
    const vec3 u = any_perpendicular(normal), v = cross(normal, u);
    const uint32_t a = m.add_vertex((normal - u - v) * 0.5f),
                   b = m.add_vertex((normal + u - v) * 0.5f),
                   c = m.add_vertex((normal + u + v) * 0.5f),
                   d = m.add_vertex((normal - u + v) * 0.5f);
    m.add_quad(a, b, c, d);
  }
  return m;
}

TEST(Subdivision, MidpointQuadruplesAndKeepsTheSurface) {
  const cMesh box = primitives::chamfered_box(vec3(4, 4, 4), 0.5f);
  const cMesh fine = operators::subdivide_midpoint(box);
  EXPECT_EQ(fine.triangle_count(), 4 * box.triangle_count());
  EXPECT_TRUE(sound(fine));
  EXPECT_NEAR(inspect(fine).signed_volume, inspect(box).signed_volume, 1e-3);
}

TEST(Subdivision, LoopSmoothsInwardAndStaysClosed) {
  const cMesh ico = primitives::icosphere(1, 0);
  cMesh smooth = ico;
  for (int i = 0; i < 3; ++i)
    smooth = operators::subdivide_loop(smooth);
  EXPECT_EQ(smooth.triangle_count(), 20u * 64u);
  EXPECT_TRUE(sound(smooth));
  // The limit surface lies inside the control mesh and is rounder than it.
  const sMeshFacts f = inspect(smooth);
  EXPECT_LT(f.max_radius, 1.0f);
  EXPECT_GT(f.min_radius / f.max_radius, 0.97f);
}

TEST(Subdivision, LoopKeepsBoundaryOnItsCurve) {
  const cMesh flat = primitives::grid(2, 2, 2, 2);
  const cMesh smooth = operators::subdivide_loop(flat);
  for (const vec3 &p : smooth.positions)
    EXPECT_EQ(p.z, 0.0f);
  EXPECT_EQ(inspect(smooth).open_edges, 4u * 4u); // four sides of four edges
}

TEST(Weld, JoinsLooseFacesIntoAClosedCube) {
  cMesh m = cube_of_loose_faces();
  EXPECT_GT(inspect(m).signed_volume, 0.0); // closed by position already
  operators::weld(m, 1e-4f);
  EXPECT_EQ(m.vertex_count(), 8u);
  EXPECT_TRUE(sound(m));
}

TEST(Weld, DropsTrianglesThatCollapse) {
  cMesh m;
  m.add_vertex(vec3(0, 0, 0));
  m.add_vertex(vec3(0.00001f, 0, 0));
  m.add_vertex(vec3(0, 1, 0));
  m.add_vertex(vec3(1, 0, 0));
  m.add_triangle(0, 1, 2); // collapses
  m.add_triangle(0, 3, 2);
  operators::weld(m, 0.001f);
  EXPECT_EQ(m.triangle_count(), 1u);
  EXPECT_EQ(m.vertex_count(), 3u);
}

TEST(Perforate, OpensRoundHolesAndDropsUnusedVertices) {
  cMesh m = primitives::icosphere(1, 3);
  const size_t before = m.vertex_count();
  operators::perforate(m, [](const vec3 &c) { return std::fabs(c.z) > 0.9f; });
  const sMeshFacts f = inspect(m);
  EXPECT_GT(f.open_edges, 0u);
  EXPECT_EQ(f.misoriented_edges, 0u);
  EXPECT_LT(m.vertex_count(), before);
  for (const sTriangle &t : m.triangles)
    EXPECT_LE(std::fabs((m.positions[t.v[0]] + m.positions[t.v[1]] + m.positions[t.v[2]]).z / 3),
              0.9f);
}

TEST(Mirror, ReflectsAndStillFacesOut) {
  cMesh m = primitives::chamfered_box(vec3(2, 1, 1), 0.1f);
  operators::transform(m, cTransform::translate(vec3(3, 0, 0)));
  operators::smooth_normals(m);
  const cMesh twin = operators::mirrored(m, 0);
  EXPECT_TRUE(sound(twin));
  vec3 lo, hi;
  twin.bounds(lo, hi);
  EXPECT_FLOAT_EQ(lo.x, -4);
  EXPECT_FLOAT_EQ(hi.x, -2);
  // Normals were mirrored too: the far face still points away from the origin.
  for (size_t i = 0; i < twin.vertex_count(); ++i) {
    if (twin.positions[i].x < -3.95f) {
      EXPECT_LT(twin.normals[i].x, 0.0f);
    }
  }
}

TEST(Merge, KeepsBothPiecesAndOneGroupPerMaterialName) {
  sMeshMaterial steel;
  steel.name = "steel";
  cMesh a = primitives::chamfered_box(vec3(1, 1, 1), 0.1f), b = a;
  for (cMesh *m : {&a, &b}) {
    const uint32_t k = m->material_index(steel);
    for (sTriangle &t : m->triangles)
      t.material = k;
  }
  operators::transform(b, cTransform::translate(vec3(5, 0, 0)));
  const cMesh both = operators::merged({a, b});
  EXPECT_EQ(both.materials.size(), 1u);
  EXPECT_EQ(both.triangle_count(), 88u);
  uint32_t pieces = 0;
  operators::piece_of_triangles(both, pieces);
  EXPECT_EQ(pieces, 2u);
  EXPECT_TRUE(sound(both));
}

TEST(Transform, TurnsScalesAndMovesPointsAndNormals) {
  cMesh m = primitives::plane(2, 2);
  operators::transform(m, cTransform::translate(vec3(0, 0, 5)) *
                              cTransform::rotate(vec3(1, 0, 0), 90) *
                              cTransform::scale(vec3(3, 1, 1)));
  vec3 lo, hi;
  m.bounds(lo, hi);
  EXPECT_NEAR(lo.x, -3, 1e-5);
  EXPECT_NEAR(hi.x, 3, 1e-5);
  EXPECT_NEAR(lo.z, 4, 1e-5);
  EXPECT_NEAR(hi.z, 6, 1e-5);
  // +z turned a quarter about +x points to -y.
  for (const vec3 &n : m.normals) {
    EXPECT_NEAR(n.y, -1, 1e-5);
    EXPECT_NEAR(length(n), 1, 1e-6);
  }
}

TEST(Displace, MovesAlongNormalsByTheAmountAsked) {
  cMesh m = primitives::icosphere(2, 2);
  operators::displace(m, [](const vec3 &, const vec3 &) { return 0.5f; });
  for (const vec3 &p : m.positions)
    EXPECT_NEAR(length(p), 2.5f, 1e-4);
  cMesh bumpy = primitives::icosphere(2, 3);
  operators::displace_by_noise(bumpy, cNoise(7), 1.0f, 0.2f, 3);
  float lo = 9, hi = 0;
  for (const vec3 &p : bumpy.positions) {
    lo = std::min(lo, length(p));
    hi = std::max(hi, length(p));
  }
  EXPECT_GT(hi - lo, 0.05f);
  EXPECT_LT(hi, 2.2f);
  EXPECT_GT(lo, 1.8f);
  EXPECT_TRUE(sound(bumpy));
}

TEST(Normals, SharedPerPositionAcrossSeamsButSplitWhenAsked) {
  cMesh loose = cube_of_loose_faces();
  operators::smooth_normals(loose);
  EXPECT_TRUE(inspect(loose).normals_shared);
  // Every corner's normal leans out along the cube's diagonal there.
  for (size_t i = 0; i < loose.vertex_count(); ++i)
    EXPECT_GT(dot(loose.normals[i], normalize(loose.positions[i])), 0.9f);
  cMesh hard = cube_of_loose_faces();
  operators::vertex_normals(hard);
  EXPECT_FALSE(inspect(hard).normals_shared);
  for (const vec3 &n : hard.normals)
    EXPECT_NEAR(std::fabs(n.x) + std::fabs(n.y) + std::fabs(n.z), 1.0f, 1e-5);
}

TEST(UvProjection, SphericalAndCylindricalStayInTheUnitSquare) {
  cMesh m = primitives::uv_sphere(3, 12, 24);
  operators::project_uv_spherical(m);
  for (const vec2 &uv : m.uvs) {
    EXPECT_GE(uv.x, 0.0f);
    EXPECT_LE(uv.x, 1.0f);
    EXPECT_GE(uv.y, 0.0f);
    EXPECT_LE(uv.y, 1.0f);
  }
  // South pole at v = 0, north pole at v = 1.
  EXPECT_NEAR(m.uvs.front().y, 0.0f, 1e-6);
  EXPECT_NEAR(m.uvs.back().y, 1.0f, 1e-6);
  operators::project_uv_cylindrical(m, 6);
  EXPECT_NEAR(m.uvs.back().y, 0.5f, 1e-6);
  operators::project_uv_planar(m, vec3(0.5f, 0, 0), vec3(0, 0.5f, 0), vec2(0.5f, 0.5f));
  EXPECT_NEAR(m.uvs.front().x, 0.5f, 1e-6);
}

TEST(Unwrap, EachPieceGetsItsOwnPlaceInTheUnitSquare) {
  std::vector<cMesh> pieces;
  for (int i = 0; i < 5; ++i) {
    cMesh p = primitives::grid(1.0f + float(i), 1.0f, 2, 2);
    operators::transform(p, cTransform::translate(vec3(0, 0, float(i) * 3)) *
                                cTransform::rotate(vec3(1, 1, 0), float(i) * 30));
    pieces.push_back(p);
  }
  cMesh m = operators::merged(pieces);
  operators::unwrap_pieces(m, 0.02f);
  uint32_t count = 0;
  const std::vector<uint32_t> piece = operators::piece_of_triangles(m, count);
  ASSERT_EQ(count, 5u);
  std::vector<vec2> lo(count, vec2(2, 2)), hi(count, vec2(-1, -1));
  for (size_t t = 0; t < m.triangle_count(); ++t)
    for (uint32_t v : m.triangles[t].v) {
      const vec2 uv = m.uvs[v];
      EXPECT_GE(uv.x, 0.0f);
      EXPECT_LE(uv.x, 1.0f);
      EXPECT_GE(uv.y, 0.0f);
      EXPECT_LE(uv.y, 1.0f);
      lo[piece[t]] = vec2(std::min(lo[piece[t]].x, uv.x), std::min(lo[piece[t]].y, uv.y));
      hi[piece[t]] = vec2(std::max(hi[piece[t]].x, uv.x), std::max(hi[piece[t]].y, uv.y));
    }
  for (uint32_t a = 0; a < count; ++a)
    for (uint32_t b = a + 1; b < count; ++b) {
      const bool apart =
          hi[a].x <= lo[b].x || hi[b].x <= lo[a].x || hi[a].y <= lo[b].y || hi[b].y <= lo[a].y;
      EXPECT_TRUE(apart) << "pieces " << a << " and " << b << " overlap";
    }
  // One scale for all: the widest piece is the widest in the atlas.
  EXPECT_GT(hi[4].x - lo[4].x + hi[4].y - lo[4].y, hi[0].x - lo[0].x + hi[0].y - lo[0].y);
}

} // namespace
