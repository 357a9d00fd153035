// The OBJ reader: statements, face forms, messages and where reading stops.
#include "assets/cObjLoader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "asset_test_files.h"
#include "assets/cMeshObj.h"
#include "assets/cMtlLoader.h"

namespace {

using u16s = std::vector<uint16_t>;

// Parses text, with "mtllib" names served from memory.
struct parsed {
  cObjLoader loader;
  std::string out;
  std::string err;
  bool ok = false;
};

void parse_into(parsed &p, const std::string &text,
                const std::map<std::string, std::string> &mtl_files = {}) {
  p.loader.set_fatal_policy(cObjLoader::fatal_policy::mark_failed);
  p.loader.mtl_reader = [mtl_files](const std::string &path, material_list &out) {
    cMtlLoader mtl;
    const auto it = mtl_files.find(path);
    if (it != mtl_files.end())
      mtl.parse(it->second.data(), it->second.size(), path);
    out = mtl.materials;
  };
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  p.ok = p.loader.parse(text.data(), text.size(), "dir/");
  p.err = testing::internal::GetCapturedStderr();
  p.out = testing::internal::GetCapturedStdout();
}

bool contains(const std::string &haystack, const std::string &needle) {
  return haystack.find(needle) != std::string::npos;
}

TEST(ObjStatements, VertexListsArePaddedCutAndReported) {
  parsed p;
  parse_into(p, "v 1 2 3\nv 1 2\nv 1 2 3 0.5\nv\nv 1 2 3 4 5 6\n"
                "vt 0.25 0.5 0.75\nvt 0.125\nvt\nvn 0 0 1\nvn 1 0\n");
  // Positions padded to four with ones, extra values dropped with a warning.
  EXPECT_EQ(p.loader.positions,
            (std::vector<float>{1, 2, 3, 1, 1, 2, 1, 1, 1, 2, 3, 0.5f, 1, 1, 1, 1, 1, 2, 3, 4}));
  EXPECT_EQ(p.loader.texcoords, (std::vector<float>{0.25f, 0.5f, 0.125f, 0, 0, 0}));
  EXPECT_EQ(p.loader.normals, (std::vector<float>{0, 0, 1, 1, 0})) << "a short normal is kept";
  EXPECT_EQ(p.loader.flags, MESH_HAS_TEXCOORDS | MESH_HAS_NORMALS);
  EXPECT_TRUE(contains(p.err, "# warning, 6 coordinates in line 5")) << p.err;
  EXPECT_TRUE(contains(p.err, "## error, 2 normal-coordinates in line: 10\n")) << p.err;
  EXPECT_EQ(p.out, "done reading obj.\n-\n");
}

TEST(ObjStatements, UnsupportedAndUnknownStatementsWarn) {
  parsed p;
  parse_into(p, "# a comment\n#abc\nvp 1 2\np 1\nl 1 2\ncurv 0 1\ncurv2 1\nsurf 0 1\n"
                "g group\ns 1\no object\n");
  EXPECT_EQ(p.err, "# warning, unknown token: \"#abc\" in line 2... skipped!\n"
                   "# warning, \"vp\" in line 3 not supported... skipped!\n"
                   "TOK_P\n"
                   "TOK_L\n"
                   "# warning: \"curv\" in line 6 not supported... skipped!\n"
                   "# warning: \"curv2\" in line 7 not supported... skipped!\n"
                   "# warning: \"surf\" in line 8 not supported... skipped!\n"
                   "# warning: \"g\" in line 9 not supported... skipped!\n"
                   "# warning: \"s\" in line 10 not supported... skipped!\n"
                   "# warning, unknown token: \"o\" in line 11... skipped!\n");
  EXPECT_TRUE(p.ok);
}

TEST(ObjStatements, TooLongLineEndsReadingSilently) {
  parsed p;
  const std::string fits = "# " + std::string(125, 'x'); // 127 characters
  const std::string too_long = "# " + std::string(126, 'x');
  parse_into(p, "v 1 1 1\n" + fits + "\nv 2 2 2\n" + too_long + "\nv 3 3 3\n");
  EXPECT_EQ(p.loader.positions.size(), 8u);
  EXPECT_EQ(p.err, "");
  EXPECT_EQ(p.out, "done reading obj.\n-\n");
}

TEST(ObjStatements, LastLineWithoutLineEndCounts) {
  parsed p;
  parse_into(p, "v 1 1 1\r\nv 2 2 2");
  EXPECT_EQ(p.loader.positions.size(), 8u);
  EXPECT_FLOAT_EQ(p.loader.positions[4], 2.0f);
}

TEST(ObjFaces, PositionTexcoordNormalCorners) {
  parsed p;
  parse_into(p, "v 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\n"
                "f 1/3/1 2/2/1 3/1/1\n");
  ASSERT_EQ(p.loader.faces.size(), 1u);
  const obj_face &f = p.loader.faces[0];
  EXPECT_EQ(f.positions, (u16s{0, 1, 2}));
  EXPECT_EQ(f.texcoords, (u16s{2, 1, 0}));
  EXPECT_EQ(f.normals, (u16s{0, 0, 0}));
  EXPECT_EQ(f.material, -1);
}

TEST(ObjFaces, PositionSlashSlashNormalStoresNoTexcoords) {
  parsed p;
  parse_into(p, "v 0 0 0\nv 1 0 0\nv 1 1 0\nvn 0 0 1\nvn 0 1 0\nf 1//2 2//1 3//2\n");
  ASSERT_EQ(p.loader.faces.size(), 1u);
  EXPECT_EQ(p.loader.faces[0].positions, (u16s{0, 1, 2}));
  EXPECT_TRUE(p.loader.faces[0].texcoords.empty());
  EXPECT_EQ(p.loader.faces[0].normals, (u16s{1, 0, 1}));
}

TEST(ObjFaces, FlagsWhenTheFaceIsReadDecideItsForm) {
  parsed p;
  // Texcoord and normal parts are ignored before any vt or vn line.
  parse_into(p, "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1/1/1 2/1/1 3/1/1\n"
                "vt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n");
  ASSERT_EQ(p.loader.faces.size(), 2u);
  EXPECT_TRUE(p.loader.faces[0].texcoords.empty());
  EXPECT_TRUE(p.loader.faces[0].normals.empty());
  EXPECT_EQ(p.loader.faces[1].texcoords, (u16s{0, 0, 0}));
  EXPECT_EQ(p.loader.faces[1].normals, (u16s{0, 0, 0}));
}

TEST(ObjFaces, MixedCornerFormsWithoutTexcoordsAreAccepted) {
  parsed p;
  parse_into(p, "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1/4 2 3/9\n");
  ASSERT_TRUE(p.ok);
  ASSERT_EQ(p.loader.faces.size(), 1u);
  EXPECT_EQ(p.loader.faces[0].positions, (u16s{0, 1, 2}));
}

TEST(ObjFaces, MissingSlashIsFatal) {
  parsed p;
  parse_into(p, "v 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nf 1/1 2 3/1\n");
  EXPECT_FALSE(p.ok);
  EXPECT_TRUE(p.loader.failed());
  EXPECT_TRUE(contains(p.err, "## ERROR in cObjLoader, line #")) << p.err;
  EXPECT_TRUE(contains(p.err, ", missing / in line: 5\n")) << p.err;

  parsed q;
  // Normals demand the second slash: position/texcoord is not enough.
  parse_into(q, "v 0 0 0\nvn 0 0 1\nvt 0 0\nf 1/1 1/1 1/1\n");
  EXPECT_FALSE(q.ok);
  EXPECT_TRUE(contains(q.err, ", missing / in line: 4\n")) << q.err;
}

TEST(ObjFaces, MissingSlashEndsTheProcessWhenReadFromAFile) {
  asset_test::scratch_dir dir("slash");
  dir.write("bad.obj", "v 0 0 0\nvn 0 0 1\nf 1/1 1/1 1/1\n");
  asset_test::clear_search_path();
  add_search_dir(dir.path());
  EXPECT_EXIT(
      {
        cObjLoader loader;
        loader.load_file("bad.obj");
      },
      testing::ExitedWithCode(255), "missing / in line: 3");
  asset_test::clear_search_path();
}

TEST(ObjFaces, VaryingCornerFormStopsReading) {
  parsed p;
  parse_into(p, "v 0 0 0\nv 1 0 0\nv 1 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n"
                "f 1//1 2// 3//1\nf 1//1 2//1 3//1\nv 5 5 5\n");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.loader.faces.size(), 1u);
  EXPECT_EQ(p.loader.positions.size(), 12u); // the later v line is not read
  EXPECT_EQ(p.err, "## Error in line: 6 - varying number of elements in face-declaration. "
                   "Skipping \n");
  EXPECT_FALSE(contains(p.out, "done reading obj."));
}

TEST(ObjFaces, SameCountOfDifferentPartsAlsoStopsReading) {
  parsed p;
  // position/texcoord against position//normal: two parts each, but the
  // texcoord and normal lists would no longer match the corners.
  parse_into(p, "v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/ 1//1 1/1/\n");
  EXPECT_TRUE(p.loader.faces.empty());
  EXPECT_TRUE(contains(p.err, "varying number of elements")) << p.err;
}

TEST(ObjFaces, IndicesOutsideTheListsDropTheFace) {
  parsed p;
  parse_into(p, "v 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvn 0 0 1\n"
                "f 1/1/1 2/1/1 3/1/1\n"     // kept
                "f 1/1/1 2/1/1 4/1/1\n"     // position 4 does not exist
                "f 1/2/1 2/1/1 3/1/1\n"     // texcoord 2 does not exist
                "f 1/1/2 2/1/1 3/1/1\n"     // normal 2 does not exist
                "f 0/1/1 2/1/1 3/1/1\n"     // 0 is no one-based index
                "f 1/1/1 2/1/1 65537/1/1\n" // beyond 16 bits
                "f 3/1/1 2/1/1 1/1/1\n");   // kept
  ASSERT_EQ(p.loader.faces.size(), 2u);
  EXPECT_EQ(p.loader.faces[1].positions, (u16s{2, 1, 0}));
  size_t warnings = 0;
  for (size_t at = p.err.find("refers to a missing vertex"); at != std::string::npos;
       at = p.err.find("refers to a missing vertex", at + 1))
    ++warnings;
  EXPECT_EQ(warnings, 5u) << p.err;
  EXPECT_TRUE(contains(p.err, ": face in line 8 refers")) << p.err;
}

TEST(ObjFaces, NormalsOfAShortVnLineCountAsMissing) {
  parsed p;
  parse_into(p, "v 0 0 0\nv 1 0 0\nv 1 1 0\nvn 0 0 1\nvn 1 0\nf 1//2 2//1 3//1\n");
  EXPECT_TRUE(p.loader.faces.empty()); // normal 2 would read past the list
}

TEST(ObjFaces, FacesBeyondTheFirstPositionsStillWork) {
  // More than 65536 positions: the last reachable one is index 65535.
  std::string text;
  text.reserve(70000 * 8);
  for (int i = 0; i < 65540; ++i)
    text += "v 0 0 " + std::to_string(i) + "\n";
  text += "f 65534 65535 65536\nf 65535 65536 65537\n";
  parsed p;
  parse_into(p, text);
  ASSERT_EQ(p.loader.faces.size(), 1u);
  EXPECT_EQ(p.loader.faces[0].positions, (u16s{65533, 65534, 65535}));
}

TEST(ObjMaterials, UsemtlSelectsByNameAndWarnsOnTrouble) {
  parsed p;
  parse_into(p,
             "usemtl early\nv 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n"
             "mtllib a.mtl b.mtl\nusemtl blue\nf 1 2 3\nusemtl red\nf 1 2 3\n"
             "usemtl nosuch\nf 1 2 3\nusemtl\nf 1 2 3\n",
             {{"dir/a.mtl", "newmtl red\nKd 1 0 0\n"},
              {"dir/b.mtl", "newmtl blue\nKd 0 0 1\nnewmtl red\n"}});
  ASSERT_EQ(p.loader.materials.size(), 3u);
  EXPECT_EQ(p.loader.materials[0].name, "red");
  EXPECT_EQ(p.loader.materials[1].name, "blue");
  EXPECT_EQ(p.loader.materials[2].name, "red");
  ASSERT_EQ(p.loader.faces.size(), 5u);
  EXPECT_EQ(p.loader.faces[0].material, -1);
  EXPECT_EQ(p.loader.faces[1].material, 1);
  EXPECT_EQ(p.loader.faces[2].material, 0); // the first "red"
  EXPECT_EQ(p.loader.faces[3].material, 3); // one past the end
  EXPECT_EQ(p.loader.faces[4].material, 3); // unchanged by the bare usemtl
  EXPECT_TRUE(p.loader.flags & MESH_USE_MATERIALS);
  EXPECT_TRUE(contains(p.err, "# warning: No materials defined! \"usemtl early\" illegal in "
                              "line 1... skipped!\n"))
      << p.err;
  EXPECT_TRUE(contains(p.err, "# WARNING: unknown material \"nosuch\" in line 11\n")) << p.err;
  EXPECT_TRUE(contains(p.err, "\"usemtl\" without a name in line 13")) << p.err;

  material_list copy;
  p.loader.get_materials(copy);
  ASSERT_EQ(copy.size(), 3u);
  EXPECT_FLOAT_EQ(copy[1].Kd[2], 1.0f);
}

TEST(ObjMaterials, UsemtlWithoutMaterialsSetsNoFlag) {
  parsed p;
  parse_into(p, "usemtl x\nv 0 0 0\nf 1 1 1\n");
  EXPECT_FALSE(p.loader.flags & MESH_USE_MATERIALS);
  EXPECT_EQ(p.loader.faces[0].material, -1);
}

TEST(ObjFiles, LoadFileFindsTheFileAndItsMaterialsBesideIt) {
  asset_test::scratch_dir dir("objfile");
  dir.write("models/sub/m.obj", "mtllib one.mtl\nmtllib two.mtl\nv 0 0 0\nusemtl b\nf 1 1 1\n");
  dir.write("models/sub/one.mtl", "newmtl a\n");
  dir.write("models/sub/two.mtl", "newmtl b\n");
  asset_test::clear_search_path();
  add_search_dir(dir.path() + "/models");
  cObjLoader loader;
  testing::internal::CaptureStdout();
  loader.load_file("sub/m.obj");
  const std::string out = testing::internal::GetCapturedStdout();
  asset_test::clear_search_path();
  EXPECT_EQ(out, "-\ncObjLoader::load_file parsing " + dir.path() +
                     "/models/sub/m.obj ...\ndone reading obj.\n-\n");
  ASSERT_EQ(loader.materials.size(), 2u);
  EXPECT_EQ(loader.materials[1].name, "b");
  EXPECT_EQ(loader.faces.at(0).material, 1);
}

TEST(ObjFiles, AFolderNamedByMtllibIsReportedAndLoadingGoesOn) {
  asset_test::scratch_dir dir("objfolder");
  dir.write("m.obj", "mtllib looks_like.mtl\nmtllib real.mtl\nv 0 0 0\nusemtl b\nf 1 1 1\n");
  dir.write("looks_like.mtl/inside.txt", "x");
  dir.write("real.mtl", "newmtl b\n");
  asset_test::clear_search_path();
  add_search_dir(dir.path());
  cObjLoader loader;
  loader.set_fatal_policy(cObjLoader::fatal_policy::mark_failed);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  loader.load_file("m.obj");
  const std::string err = testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
  asset_test::clear_search_path();
  EXPECT_EQ(err, "## ERROR: Couldn't open " + dir.path() + "/looks_like.mtl\n");
  EXPECT_FALSE(loader.failed());
  ASSERT_EQ(loader.materials.size(), 1u);
  EXPECT_EQ(loader.faces.at(0).material, 0);
}

TEST(ObjFiles, MissingFileIsFatal) {
  asset_test::clear_search_path();
  cObjLoader loader;
  loader.set_fatal_policy(cObjLoader::fatal_policy::mark_failed);
  testing::internal::CaptureStderr();
  loader.load_file("none.obj");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(loader.failed());
  EXPECT_TRUE(contains(err, "## ERROR in cObjLoader line ")) << err;
  EXPECT_TRUE(contains(err, ": file was not found in path: none.obj\n")) << err;
  EXPECT_EXIT(cObjLoader().load_file("none.obj"), testing::ExitedWithCode(255),
              "file was not found in path: none.obj");
}

TEST(ObjFiles, FoldersAndEmptyNamesAreNotFoundAndFatal) {
  asset_test::scratch_dir dir("objnames");
  dir.write("folder.obj/inside.txt", "x");
  asset_test::clear_search_path();
  add_search_dir(dir.path());
  EXPECT_EXIT(cObjLoader().load_file("folder.obj"), testing::ExitedWithCode(255),
              "file was not found in path: folder.obj\n");
  // A mesh loaded without a name asks the loader for "".
  EXPECT_EXIT(cMeshObj().load(nullptr), testing::ExitedWithCode(255),
              "file was not found in path: \n");
  asset_test::clear_search_path();
}

} // namespace
