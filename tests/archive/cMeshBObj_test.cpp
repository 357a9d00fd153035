// The .bobj loader: decoding of hand-built files (streams, index deltas, groups,
// materials), refusal of truncated and inconsistent files, the engine's writer and
// what it refuses, the fatal messages of load and load_from_rar, and the round trip
// OBJ -> bobjconv -> .bobj (plain and packed with rar20) against the OBJ pipeline.
#include "archive/cMeshBObj.h"

#include "archive/cBObjReader.h"
#include "archive/cBObjWriter.h"
#include "assets/search_path.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Builds .bobj bytes field by field, independently of the converter.
struct bobj_bytes {
  std::vector<uint8_t> b;
  bobj_bytes &u8(uint8_t v) {
    b.push_back(v);
    return *this;
  }
  bobj_bytes &u32(uint32_t v) {
    for (int s = 0; s < 32; s += 8)
      b.push_back(uint8_t(v >> s));
    return *this;
  }
  bobj_bytes &f32(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return u32(v);
  }
  bobj_bytes &header(uint8_t flags, uint32_t v, uint32_t t, uint32_t m) {
    return u8(flags).u32(v).u32(t).u32(m);
  }
  bobj_bytes &text(const std::string &s) {
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  // A material with the given name and map_Kd; Ka..Ni follow from base.
  bobj_bytes &material(const std::string &name, const std::string &map_kd, float base,
                       int32_t illum) {
    u8(uint8_t(name.size())).u8(0).u8(uint8_t(map_kd.size())).u8(0).u8(0).u8(0);
    text(name).text(map_kd);
    for (int i = 0; i < 12; ++i)
      f32(base + float(i));
    return f32(base + 20).u32(uint32_t(illum)).f32(0.5f).f32(1.5f);
  }
};

// Two triangles over four vertices, with normals and texture coordinates.
bobj_bytes quad_file(uint8_t flags) {
  bobj_bytes f;
  f.header(flags, 4, 2, 0);
  for (int i = 0; i < 12; ++i)
    f.f32(float(i));
  if (flags & 2)
    for (int i = 0; i < 12; ++i)
      f.f32(float(100 + i));
  if (flags & 1)
    for (int i = 0; i < 8; ++i)
      f.f32(float(200 + i));
  f.u32(0).u32(2); // corner 0: 0, 2
  f.u32(1).u32(0); // corner 1: 1, 1
  f.u32(2).u32(1); // corner 2: 2, 3
  f.u32(0).u32(0); // no group marks
  return f;
}

bool decode(cMeshBObj &mesh, const bobj_bytes &f, std::string *why = nullptr) {
  std::string error;
  bool ok = mesh.decode(f.b.data(), f.b.size(), error);
  if (why)
    *why = error;
  return ok;
}

TEST(BObjDecode, StreamsFollowTheFlags) {
  cMeshBObj mesh;
  ASSERT_TRUE(decode(mesh, quad_file(0x03)));
  EXPECT_EQ(0x03, mesh.flags);
  ASSERT_EQ(12u, mesh.positions.size());
  EXPECT_EQ(11.0f, mesh.positions[11]);
  ASSERT_EQ(12u, mesh.normals.size());
  EXPECT_EQ(100.0f, mesh.normals[0]);
  ASSERT_EQ(8u, mesh.texcoords.size());
  EXPECT_EQ(207.0f, mesh.texcoords[7]);
  EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 2, 1, 3}), mesh.indices);
  EXPECT_EQ((std::vector<uint32_t>{0, 6}), mesh.group_starts);
  EXPECT_TRUE(mesh.materials.empty());

  // Without flags, normals and texture coordinates are still there, all zero.
  ASSERT_TRUE(decode(mesh, quad_file(0)));
  EXPECT_EQ(0, mesh.flags);
  EXPECT_EQ(std::vector<float>(12, 0.0f), mesh.normals);
  EXPECT_EQ(std::vector<float>(8, 0.0f), mesh.texcoords);
  EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 2, 1, 3}), mesh.indices);
}

TEST(BObjDecode, IndexDeltasWrapAroundAndGroupMarksStartGroups) {
  bobj_bytes f;
  f.header(0, 14, 3, 0);
  for (int i = 0; i < 14 * 3; ++i)
    f.f32(0);
  for (int c = 0; c < 3; ++c)
    f.u32(5).u32(4294967294u).u32(10); // 5, 3, 13
  f.u32(7).u32(0).u32(1);              // the mark at triangle 0 means nothing
  cMeshBObj mesh;
  ASSERT_TRUE(decode(mesh, f));
  EXPECT_EQ((std::vector<uint32_t>{5, 5, 5, 3, 3, 3, 13, 13, 13}), mesh.indices);
  EXPECT_EQ((std::vector<uint32_t>{0, 6, 9}), mesh.group_starts);
}

TEST(BObjDecode, MaterialRecordsCarryStringsAndValues) {
  bobj_bytes f = quad_file(0x10);
  f.b[9] = 2; // two materials
  f.material("red", "red.png", 1.0f, 2);
  f.material(std::string("cut\0tail", 8), "", 50.0f, -3);
  cMeshBObj mesh;
  ASSERT_TRUE(decode(mesh, f));
  ASSERT_EQ(2u, mesh.materials.size());
  const cMeshMaterial &red = mesh.materials[0];
  EXPECT_EQ("red", red.name);
  EXPECT_EQ("red.png", red.map_Kd);
  EXPECT_EQ("", red.map_Ka);
  EXPECT_EQ(1.0f, red.Ka[0]);
  EXPECT_EQ(9.0f, red.Ks[0]);
  EXPECT_EQ(12.0f, red.Ks[3]);
  EXPECT_EQ(21.0f, red.Ns);
  EXPECT_EQ(2, red.illum);
  EXPECT_EQ(0.5f, red.d);
  EXPECT_EQ(1.5f, red.Ni);
  // A string is cut at its first zero byte; a length of 0 gives an empty string.
  EXPECT_EQ("cut", mesh.materials[1].name);
  EXPECT_EQ("", mesh.materials[1].map_Kd);
  EXPECT_EQ(-3, mesh.materials[1].illum);
}

TEST(BObjDecode, FewerMaterialsThanGroupsIsAcceptedAndDrawsSafely) {
  bobj_bytes f = quad_file(0x10);
  f.b[f.b.size() - 4] = 1; // a second group starts at triangle 1
  f.b[9] = 1;
  f.material("only", "", 0, 1);
  cMeshBObj mesh;
  ASSERT_TRUE(decode(mesh, f));
  EXPECT_EQ((std::vector<uint32_t>{0, 3, 6}), mesh.group_starts);
  EXPECT_EQ(1u, mesh.materials.size());
  EXPECT_TRUE(mesh.arrays_consistent());
}

TEST(BObjDecode, TruncatedFilesAreRefusedAtEveryLength) {
  bobj_bytes full = quad_file(0x13);
  full.b[9] = 1;
  full.material("m", "t.png", 0, 1);
  cMeshBObj mesh;
  ASSERT_TRUE(decode(mesh, full));
  for (size_t cut = 0; cut < full.b.size(); ++cut) {
    bobj_bytes part;
    part.b.assign(full.b.begin(), full.b.begin() + long(cut));
    std::string why;
    EXPECT_FALSE(decode(mesh, part, &why)) << "cut at " << cut;
    EXPECT_NE(std::string::npos, why.find("truncated")) << why;
    EXPECT_TRUE(mesh.positions.empty() && mesh.indices.empty() && mesh.materials.empty() &&
                mesh.group_starts.empty());
  }
}

TEST(BObjDecode, InconsistentFilesAreRefused) {
  cMeshBObj mesh;
  std::string why;
  // Counts far beyond the data: refused before anything is sized after them.
  bobj_bytes huge;
  huge.header(0x03, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu);
  EXPECT_FALSE(decode(mesh, huge, &why));

  // An index past the vertex count.
  bobj_bytes far = quad_file(0);
  far.b[13 + 48 + 4] = 9; // corner 0 of triangle 1: 0 + 9
  EXPECT_FALSE(decode(mesh, far, &why));
  EXPECT_NE(std::string::npos, why.find("vertex 9 of 4")) << why;
  EXPECT_TRUE(mesh.indices.empty());

  // A string length that is negative as a signed byte.
  bobj_bytes neg = quad_file(0x10);
  neg.b[9] = 1;
  neg.material("m", "", 0, 1);
  neg.b[13 + 48 + 32] = 0x80;
  EXPECT_FALSE(decode(mesh, neg, &why));
  EXPECT_NE(std::string::npos, why.find("-128")) << why;

  // A record that announces more string bytes than the file holds.
  bobj_bytes longer = quad_file(0);
  longer.b[9] = 1;
  longer.u8(127).u8(127).u8(127).u8(127).u8(127).u8(127);
  longer.text(std::string(100, 'x'));
  EXPECT_FALSE(decode(mesh, longer, &why));
}

// ------------------------------------------------------------------ the engine's writer

// Three triangles over four vertices in three groups, the middle one empty.
cIndexedMesh three_groups() {
  cIndexedMesh m;
  m.flags = MESH_HAS_NORMALS | MESH_HAS_TEXCOORDS | MESH_USE_MATERIALS;
  for (int i = 0; i < 12; ++i) {
    m.positions.push_back(float(i));
    m.normals.push_back(float(100 + i));
  }
  for (int i = 0; i < 8; ++i)
    m.texcoords.push_back(float(200 + i));
  m.indices = {3, 1, 0, 0, 1, 2, 2, 3, 1};
  m.group_starts = {0, 3, 3, 9};
  for (const char *name : {"first", "unused", "last"})
    m.materials.emplace_back(name);
  m.materials[2].map_Kd = "last.png";
  m.materials[2].Ks[1] = 0.25f;
  m.materials[2].illum = -2;
  return m;
}

TEST(BObjWriter, WritesWhatTheReaderReadsBackWithoutEmptyGroups) {
  const cIndexedMesh mesh = three_groups();
  cBObjWriter writer;
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(writer.encode(mesh, bytes, error)) << error;
  EXPECT_EQ(1u, writer.notes().size());
  EXPECT_EQ(mesh.flags, bytes[0]);

  cIndexedMesh back;
  ASSERT_TRUE(cBObjReader::decode(bytes.data(), bytes.size(), back, error)) << error;
  EXPECT_EQ(mesh.positions, back.positions);
  EXPECT_EQ(mesh.normals, back.normals);
  EXPECT_EQ(mesh.texcoords, back.texcoords);
  EXPECT_EQ(mesh.indices, back.indices);
  EXPECT_EQ((std::vector<uint32_t>{0, 3, 9}), back.group_starts);
  ASSERT_EQ(2u, back.materials.size());
  EXPECT_EQ("first", back.materials[0].name);
  const cMaterial &last = back.materials[1];
  EXPECT_EQ("last", last.name);
  EXPECT_EQ("last.png", last.map_Kd);
  EXPECT_EQ(0.25f, last.Ks[1]);
  EXPECT_EQ(-2, last.illum);
  EXPECT_TRUE(back.arrays_consistent());
  EXPECT_TRUE(back.indices_fit_16_bits());
}

TEST(BObjWriter, RefusesMeshesTheFormatCannotHold) {
  struct spoiled {
    const char *what;
    void (*spoil)(cIndexedMesh &);
    const char *reason;
  };
  const spoiled cases[] = {
      {"short normal stream", [](cIndexedMesh &m) { m.normals.pop_back(); }, "shorter"},
      {"index past the vertices", [](cIndexedMesh &m) { m.indices[4] = 4; }, "does not exist"},
      {"a corner without its triangle", [](cIndexedMesh &m) { m.indices.push_back(0); },
       "whole triangles"},
      {"groups going back",
       [](cIndexedMesh &m) {
         m.group_starts = {0, 6, 3, 9};
       },
       "not increasing"},
      {"groups ending early", [](cIndexedMesh &m) { m.group_starts.back() = 6; }, "do not end"},
      {"a string over 127 bytes",
       [](cIndexedMesh &m) { m.materials[2].bump = std::string(128, 'b'); }, "over 127"},
  };
  for (const spoiled &c : cases) {
    cIndexedMesh mesh = three_groups();
    c.spoil(mesh);
    cBObjWriter writer;
    std::vector<uint8_t> bytes(1, 0);
    std::string error;
    EXPECT_FALSE(writer.encode(mesh, bytes, error)) << c.what;
    EXPECT_TRUE(bytes.empty()) << c.what;
    EXPECT_NE(std::string::npos, error.find(c.reason)) << c.what << ": " << error;
  }
  cIndexedMesh mesh = three_groups();
  mesh.positions.assign(3 * 65537, 0.0f);
  EXPECT_FALSE(mesh.indices_fit_16_bits());
}

// ------------------------------------------------------------------ file entry points

class BObjFiles : public ::testing::Test {
protected:
  void SetUp() override { add_search_dir(dir_.path()); }
  void TearDown() override { pop_search_dir(); }
  void write(const std::string &name, const std::vector<uint8_t> &bytes) {
    dir_.write(name, bytes);
  }
  void write(const std::string &name, const std::string &text) { dir_.write(name, text); }
  // Runs a command line in the test folder; its exit status.
  int run(const std::string &command) {
    return run_command("cd " + shell_quote(dir_.path()) + " && " + command);
  }
  scratch_dir dir_{"bobj"};
};

using BObjFilesDeathTest = BObjFiles;

TEST_F(BObjFilesDeathTest, MissingOrBrokenFilesEndTheProcess) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  cMeshBObj mesh;
  EXPECT_EXIT(mesh.load("nowhere.bobj"), ::testing::ExitedWithCode(255),
              "## ERROR in cMeshBObj line [0-9]+: file was not found in path: nowhere.bobj");
  write("short.bobj", std::vector<uint8_t>{0, 4, 0});
  EXPECT_EXIT(mesh.load("short.bobj"), ::testing::ExitedWithCode(255),
              "## ERROR in cMeshBObj line [0-9]+: bobj-file .*short.bobj\" is truncated");
  EXPECT_EXIT(mesh.load_from_rar("a.bobj", "nowhere.rar"), ::testing::ExitedWithCode(255),
              "## ERROR in cMeshBObj line [0-9]+: rar-file was not found in path: nowhere.rar");
  write("fake.rar", std::string("Rar!\x1a\x07\x00 but nothing else", 24));
  EXPECT_EXIT(mesh.load_from_rar("a.bobj", "fake.rar"), ::testing::ExitedWithCode(255),
              "## ERROR in cMeshBObj line [0-9]+: unable to extract file \"a.bobj\" from "
              "archive \".*fake.rar\"!\nExiting!");
}

// A cube corner: two materials, normals and texture coordinates, one quad to triangulate.
const char *const kObj = "mtllib two.mtl\n"
                         "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\n"
                         "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                         "vn 0 0 1\nvn 0 1 0\n"
                         "usemtl blue\n"
                         "f 1/1/1 2/2/1 3/3/1 4/4/1\n"
                         "usemtl red\n"
                         "f 1/1/2 2/2/2 6/3/2\nf 1/1/2 6/3/2 5/4/2\n";
const char *const kMtl = "newmtl red\nKa 0.1 0 0\nKd 0.9 0.1 0.1\nKs 1 1 1\nNs 40\nillum 2\n"
                         "newmtl blue\nKa 0 0 0.2\nKd 0.1 0.1 0.8\nd 0.75\nillum 1\n";

void expect_same_mesh(const cMeshObj &want, const cMeshObj &got) {
  EXPECT_EQ(want.flags, got.flags);
  EXPECT_EQ(want.positions, got.positions);
  EXPECT_EQ(want.normals, got.normals);
  EXPECT_EQ(want.texcoords, got.texcoords);
  EXPECT_EQ(want.indices, got.indices);
  EXPECT_EQ(want.group_starts, got.group_starts);
  ASSERT_EQ(want.materials.size(), got.materials.size());
  for (size_t k = 0; k < want.materials.size(); ++k) {
    const cMeshMaterial &a = want.materials[k], &b = got.materials[k];
    EXPECT_EQ(a.name, b.name);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(a.Ka[i], b.Ka[i]);
      EXPECT_EQ(a.Kd[i], b.Kd[i]);
      EXPECT_EQ(a.Ks[i], b.Ks[i]);
    }
    EXPECT_EQ(a.Ns, b.Ns);
    EXPECT_EQ(a.illum, b.illum);
    EXPECT_EQ(a.d, b.d);
    EXPECT_EQ(a.Ni, b.Ni);
  }
}

TEST_F(BObjFiles, ConverterOutputLoadsToTheArraysOfTheObjPipeline) {
  write("corner.obj", std::string(kObj));
  write("two.mtl", std::string(kMtl));
  ASSERT_EQ(0, run(std::string("'") + BOBJCONV_TOOL + "' corner.obj corner.bobj"));
  ASSERT_EQ(0, run(std::string("'") + RAR20_TOOL + "' pack corner.rar corner.bobj two.mtl"));
  ASSERT_EQ(0, run(std::string("'") + RAR20_TOOL + "' pack --solid solid.rar two.mtl corner.bobj"));

  cMeshObj obj;
  obj.load("corner.obj");
  ASSERT_EQ(0x13, obj.flags);
  ASSERT_EQ(3u, obj.group_starts.size());
  ASSERT_EQ(2u, obj.materials.size());

  cMeshBObj plain;
  plain.load("corner.bobj");
  expect_same_mesh(obj, plain);

  cMeshBObj packed;
  packed.load_from_rar("CORNER.BOBJ", "corner.rar");
  expect_same_mesh(obj, packed);

  cMeshBObj solid;
  solid.load_from_rar("corner.bobj", "solid.rar");
  expect_same_mesh(obj, solid);
}

TEST_F(BObjFiles, ConverterStepsOverAMaterialLibraryThatIsAFolder) {
  std::string obj = kObj;
  obj.replace(obj.find("two.mtl"), 7, "folder.mtl");
  write("corner.obj", obj);
  fs::create_directories(dir_ / "folder.mtl");
  std::string said;
  ASSERT_EQ(0, run_command("cd " + shell_quote(dir_.path()) + " && " + shell_quote(BOBJCONV_TOOL) +
                               " corner.obj corner.bobj",
                           &said));
  EXPECT_NE(said.find("## ERROR: Couldn't open " + (dir_ / "folder.mtl") + "\n"), std::string::npos)
      << said;
  cMeshBObj mesh;
  mesh.load("corner.bobj");
  EXPECT_EQ(mesh.indices.size(), 12u);
  EXPECT_TRUE(mesh.materials.empty());
}

TEST_F(BObjFiles, ConverterRefusesWhatItCannotRead) {
  EXPECT_NE(0, run(std::string("'") + BOBJCONV_TOOL + "' missing.obj out.bobj"));
  EXPECT_NE(0, run(std::string("'") + BOBJCONV_TOOL + "'"));
  EXPECT_FALSE(fs::exists(dir_ / "out.bobj"));
}

} // namespace
