// The OBJ post-processing steps: triangulation order, smooth normals, the
// unified display-list arrays and the sorted, grouped vertex-buffer export.
#include "assets/cObjLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using u16s = std::vector<uint16_t>;
using u32s = std::vector<uint32_t>;
using floats = std::vector<float>;

bool contains(const std::string &haystack, const std::string &needle) {
  return haystack.find(needle) != std::string::npos;
}

// Parses quietly; the captured streams are checked where they matter.
void parse(cObjLoader &loader, const std::string &text) {
  loader.set_fatal_policy(cObjLoader::fatal_policy::mark_failed);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  loader.parse(text.data(), text.size(), "");
  testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
}

const char *const kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0.5 2 0\n"
                            "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvt 0.5 1\n"
                            "vn 0 0 1\nvn 0 0.6 0.8\nvn 0 0.8 0.6\nvn 1 0 0\nvn 0 1 0\n";

TEST(Triangulate, PentagonFanOrderAndMaterialFollowTheFace) {
  cObjLoader l;
  parse(l, std::string(kSquare) + "f 1/1/1 2/2/2 3/3/3 4/4/4 5/5/5\nf 1/1/1 2/2/2 3/3/3\n");
  l.faces[0].material = 7;
  EXPECT_TRUE(l.flags & MESH_HAS_POLYGONS);
  l.triangulate();
  EXPECT_FALSE(l.flags & MESH_HAS_POLYGONS);
  ASSERT_EQ(l.faces.size(), 4u);
  EXPECT_EQ(l.faces[0].positions, (u16s{0, 1, 2}));
  EXPECT_EQ(l.faces[1].positions, (u16s{0, 1, 2})); // the file's triangle
  EXPECT_EQ(l.faces[2].positions, (u16s{0, 3, 4}));
  EXPECT_EQ(l.faces[3].positions, (u16s{0, 2, 3}));
  EXPECT_EQ(l.faces[2].normals, (u16s{0, 3, 4}));
  EXPECT_EQ(l.faces[2].material, 7);
  EXPECT_EQ(l.faces[3].material, 7);
  EXPECT_EQ(l.faces[1].material, -1);
}

TEST(Triangulate, LongPolygonFansOutFromItsFirstCorner) {
  std::string text;
  for (int i = 0; i < 9; ++i)
    text += "v " + std::to_string(i) + " 0 0\nvt 0 " + std::to_string(i) + "\n";
  text += "vn 0 0 1\nf";
  for (int i = 9; i >= 1; --i)
    text += " " + std::to_string(i) + "/" + std::to_string(10 - i) + "/1";
  cObjLoader l;
  parse(l, text + "\n");
  ASSERT_EQ(l.faces.size(), 1u);
  ASSERT_EQ(l.faces[0].positions.size(), 9u);
  cObjLoader copy = l; // a copy keeps all nine corners
  l.triangulate();
  ASSERT_EQ(l.faces.size(), 7u);
  EXPECT_EQ(l.faces[0].positions, (u16s{8, 7, 6}));
  EXPECT_EQ(l.faces[0].texcoords, (u16s{0, 1, 2}));
  // Appended from the last corner down: corners (0, 7, 8), (0, 6, 7), ...,
  // (0, 2, 3), which hold positions (8, 1, 0), (8, 2, 1), ..., (8, 6, 5).
  for (uint16_t j = 1; j < 7; ++j) {
    EXPECT_EQ(l.faces[j].positions, (u16s{8, j, uint16_t(j - 1)})) << j;
    EXPECT_EQ(l.faces[j].texcoords, (u16s{0, uint16_t(8 - j), uint16_t(9 - j)})) << j;
    EXPECT_EQ(l.faces[j].normals, (u16s{0, 0, 0})) << j;
  }
  EXPECT_EQ(copy.faces[0].positions.size(), 9u);
  EXPECT_EQ(copy.faces[0].texcoords[8], 8u);
}

TEST(Triangulate, MalformedFaceStopsTriangulation) {
  cObjLoader l;
  parse(l, "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf -1 -2 -3\nf 1 2 3 4\n");
  ASSERT_EQ(l.faces.size(), 2u);
  EXPECT_TRUE(l.faces[0].positions.empty());
  testing::internal::CaptureStderr();
  l.triangulate();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Malformed face. 0 vertices in face. Aborting triangulation\n");
  EXPECT_TRUE(l.flags & MESH_HAS_POLYGONS);
  EXPECT_EQ(l.faces.size(), 2u);
  EXPECT_EQ(l.faces[1].positions.size(), 4u);
}

TEST(GenerateNormals, AreaWeightedSmoothNormalsPerPosition) {
  cObjLoader l;
  // A big triangle facing +z and a small one facing +x share position 1.
  parse(l, "v 0 0 0\nv 2 0 0\nv 0 2 0\nv 2 0 1\nv 2 1 0\nv 9 9 9\n"
           "f 1 2 3\nf 2 5 4\n");
  l.generate_normals();
  EXPECT_TRUE(l.flags & MESH_HAS_NORMALS);
  ASSERT_EQ(l.normals.size(), 18u);
  // Face 0: (p0-p1) x (p0-p2) = (-2,0,0) x (0,-2,0) = (0,0,4).
  EXPECT_FLOAT_EQ(l.normals[2], 1.0f);
  // Face 1: (p1-p4) x (p1-p3) = (0,-1,0) x (0,0,-1) = (1,0,0); position 1
  // gets (1,0,4) normalised.
  const float len = std::sqrt(17.0f);
  EXPECT_FLOAT_EQ(l.normals[3], 1.0f / len);
  EXPECT_FLOAT_EQ(l.normals[5], 4.0f / len);
  EXPECT_FLOAT_EQ(l.normals[9], 1.0f);
  // An unused position keeps a zero normal instead of NaNs.
  EXPECT_EQ(l.normals[15], 0.0f);
  EXPECT_EQ(l.normals[16], 0.0f);
  EXPECT_EQ(l.normals[17], 0.0f);
  EXPECT_EQ(l.faces[1].normals, l.faces[1].positions);
}

TEST(GenerateNormals, FaceWithFewerThanThreeCornersIsFatal) {
  cObjLoader l;
  parse(l, "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\nf 1 2\n");
  testing::internal::CaptureStderr();
  l.generate_normals();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Malformed polygon: 1 exiting!\n");
  EXPECT_TRUE(l.failed());

  cObjLoader fatal;
  parse(fatal, "v 0 0 0\nv 1 0 0\nf 1 2\n");
  fatal.set_fatal_policy(cObjLoader::fatal_policy::exit_process);
  EXPECT_EXIT(fatal.generate_normals(), testing::ExitedWithCode(255), "Malformed polygon: 0");
}

TEST(UnifyByPosition, OneIndexPerPositionInFirstUseOrder) {
  cObjLoader l;
  parse(l, std::string(kSquare) + "f 3/3/4 2/2/4 1/1/4\nf 3/5/5 1/4/5 4/4/5\n");
  l.unify_by_position();
  ASSERT_EQ(l.positions.size(), 16u);
  // New order: old 2, 1, 0, 3.
  EXPECT_EQ(l.positions[0], 1.0f);
  EXPECT_EQ(l.positions[1], 1.0f);
  EXPECT_EQ(l.positions[4], 1.0f);
  EXPECT_EQ(l.positions[5], 0.0f);
  EXPECT_EQ(l.positions[13], 1.0f);
  EXPECT_EQ(l.positions[15], 1.0f); // w kept
  EXPECT_EQ(l.faces[0].positions, (u16s{0, 1, 2}));
  EXPECT_EQ(l.faces[1].positions, (u16s{0, 2, 3}));
  EXPECT_EQ(l.faces[1].texcoords, (u16s{0, 2, 3}));
  EXPECT_EQ(l.faces[1].normals, (u16s{0, 2, 3}));
  // The first corner that uses a position gives its texcoord: vt 3 = (1,1).
  ASSERT_EQ(l.texcoords.size(), 8u);
  EXPECT_EQ(l.texcoords[0], 1.0f);
  EXPECT_EQ(l.texcoords[1], 1.0f);
  EXPECT_EQ(l.texcoords[6], 0.0f); // old 3 took vt 4 = (0,1)
  EXPECT_EQ(l.texcoords[7], 1.0f);
  // The file's normals are replaced by generated ones: both faces turn
  // clockwise, so -z.
  ASSERT_EQ(l.normals.size(), 12u);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_FLOAT_EQ(l.normals[3 * i + 2], -1.0f);
}

TEST(UnifyByPosition, FacesWithoutTexcoordsUseTheFirst) {
  cObjLoader l;
  parse(l, "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\nvt 0.5 0.25\nf 1/1 2/1 3/1\n");
  testing::internal::CaptureStderr();
  l.unify_by_position();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "# warning: missing texcoords in face 0. Using first texcoord.\n");
  EXPECT_EQ(l.faces[0].texcoords, (u16s{0, 1, 2}));
  ASSERT_EQ(l.texcoords.size(), 6u);
  EXPECT_EQ(l.texcoords[0], 0.5f);
  EXPECT_EQ(l.texcoords[5], 0.25f);
}

// The exported mesh and what the export wrote to the error stream.
struct exported : cIndexedMesh {
  std::string err;
};

exported run_export(cObjLoader &l) {
  exported e;
  testing::internal::CaptureStderr();
  l.triangulate();
  l.build_indexed_arrays(e);
  e.err = testing::internal::GetCapturedStderr();
  return e;
}

TEST(BuildIndexedArrays, VerticesAreSortedByPositionNormalTexcoord) {
  cObjLoader l;
  parse(l, std::string(kSquare) + "f 3/2/1 2/2/1 1/2/1\nf 3/1/2 3/2/1 2/1/1\n");
  const exported e = run_export(l);
  // Keys (p, n, t): (0,0,1) (1,0,0) (1,0,1) (2,0,1) (2,1,0)
  ASSERT_EQ(e.positions.size(), 15u);
  const floats expected_positions = {0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1, 0};
  EXPECT_EQ(e.positions, expected_positions);
  EXPECT_EQ(e.normals[13], 0.6f); // vertex 4 uses vn 2
  const floats expected_texcoords = {1, 0, 0, 0, 1, 0, 1, 0, 0, 0};
  EXPECT_EQ(e.texcoords, expected_texcoords);
  EXPECT_EQ(e.indices, (u32s{3, 2, 0, 4, 3, 1}));
  EXPECT_EQ(e.flags, MESH_HAS_TEXCOORDS | MESH_HAS_NORMALS);
  EXPECT_EQ(e.group_starts, (u32s{6}));
}

TEST(BuildIndexedArrays, GeneratesNormalsAndSkipsAbsentTexcoords) {
  cObjLoader l;
  parse(l, "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n");
  const exported e = run_export(l);
  EXPECT_EQ(e.flags, MESH_HAS_NORMALS);
  EXPECT_TRUE(e.texcoords.empty());
  ASSERT_EQ(e.normals.size(), 12u);
  EXPECT_FLOAT_EQ(e.normals[2], 1.0f);
  EXPECT_EQ(e.indices, (u32s{0, 1, 2, 0, 2, 3}));
}

TEST(BuildIndexedArrays, FacesWithoutMaterialSortFirstAndStartNoGroup) {
  const std::string text = "mtllib x.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3\n"
                           "usemtl b\nf 1 2 3 4\nusemtl a\nf 2 3 4\nusemtl b\nf 3 4 1\n";
  cObjLoader k;
  k.set_fatal_policy(cObjLoader::fatal_policy::mark_failed);
  k.mtl_reader = [](const std::string &, material_list &out) {
    out = {cMaterial("a"), cMaterial("b")};
  };
  testing::internal::CaptureStdout();
  k.parse(text.data(), text.size(), "");
  testing::internal::GetCapturedStdout();
  const exported e = run_export(k);
  // Order: the material-less face, then material a's face, then b's quad
  // half, b's triangle, and last the quad's appended half.
  ASSERT_EQ(e.indices.size(), 15u);
  EXPECT_EQ(e.group_starts, (u32s{3, 6, 15}));
  EXPECT_EQ(e.indices[3], 1u);  // a: 2 3 4
  EXPECT_EQ(e.indices[6], 0u);  // b: 1 2 3
  EXPECT_EQ(e.indices[9], 2u);  // b: 3 4 1
  EXPECT_EQ(e.indices[12], 0u); // b: 1 3 4 (appended by triangulate)
  EXPECT_EQ(e.indices[13], 2u);
  EXPECT_EQ(e.flags & MESH_USE_MATERIALS, MESH_USE_MATERIALS);
}

TEST(BuildIndexedArrays, GroupKAlwaysBelongsToMaterialK) {
  cObjLoader l;
  const std::string text = "mtllib x.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\n"
                           "usemtl c\nf 1 2 3\nusemtl nosuch\nf 1 2 3\nf 3 2 1\n";
  l.set_fatal_policy(cObjLoader::fatal_policy::mark_failed);
  l.mtl_reader = [](const std::string &, material_list &out) {
    out = {cMaterial("a"), cMaterial("b"), cMaterial("c")};
  };
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  l.parse(text.data(), text.size(), "");
  testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
  const exported e = run_export(l);
  // Unused materials a and b get empty groups; the unknown name's faces
  // form group 3, one past the material list.
  EXPECT_EQ(e.group_starts, (u32s{0, 0, 0, 3, 9}));
}

TEST(BuildIndexedArrays, FacesThatAreNoTrianglesAreLeftOut) {
  cObjLoader l;
  parse(l, "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\n"
           "f 1//1 2//1 3//1\nf -1//1 -2//1 -3//1\nf 1//1 2//1 3//1 4//1\n");
  const exported e = run_export(l);
  EXPECT_TRUE(contains(e.err, "Aborting triangulation")) << e.err;
  EXPECT_TRUE(contains(e.err, "2 faces that are no triangles skipped")) << e.err;
  EXPECT_EQ(e.indices.size(), 3u);
  EXPECT_EQ(e.group_starts, (u32s{3}));
}

TEST(BuildIndexedArrays, FacesWithoutNormalIndicesGetGeneratedNormals) {
  cObjLoader l;
  parse(l, "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\nvn 1 0 0\nf 1//1 2//1 3//1\n");
  const exported e = run_export(l);
  EXPECT_TRUE(contains(e.err, "faces without normals, generating normals")) << e.err;
  ASSERT_EQ(e.normals.size(), 9u);
  EXPECT_FLOAT_EQ(e.normals[2], 1.0f); // generated +z, not the file's +x
  EXPECT_EQ(e.indices, (u32s{0, 1, 2, 0, 1, 2}));
}

TEST(BuildIndexedArrays, FacesWithoutTexcoordIndicesUseTheFirstTexcoord) {
  cObjLoader l;
  // The first face comes before any vt line, so it carries no texcoords.
  parse(l, "v 0 0 0\nv 1 0 0\nv 1 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n"
           "vt 0.25 0.75\nvt 0.5 0.5\nf 1/2/1 2/2/1 3/2/1\n");
  const exported e = run_export(l);
  EXPECT_TRUE(contains(e.err, "# warning: missing texcoords in 1 faces. Using first texcoord."))
      << e.err;
  // Keys (p, n, t): each position once with texcoord 0 and once with 1.
  ASSERT_EQ(e.texcoords.size(), 12u);
  EXPECT_EQ(e.texcoords[0], 0.25f);
  EXPECT_EQ(e.texcoords[1], 0.75f);
  EXPECT_EQ(e.texcoords[2], 0.5f);
  EXPECT_EQ(e.indices, (u32s{0, 2, 4, 1, 3, 5}));
}

TEST(BuildIndexedArrays, FailedNormalGenerationExportsNothing) {
  cObjLoader l;
  parse(l, "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2\n");
  const exported e = run_export(l);
  EXPECT_TRUE(l.failed());
  EXPECT_TRUE(e.indices.empty());
  EXPECT_TRUE(e.group_starts.empty());
}

} // namespace
