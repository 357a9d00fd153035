// The MTL reader: statement table, defaults, error handling and the values a
// mesh material derives from it before any GL work.
#include "assets/cMtlLoader.h"

#include <gtest/gtest.h>

#include <string>

#include "asset_test_files.h"
#include "assets/cMeshMaterial.h"

namespace {

cMtlLoader parse(const std::string &text, const std::string &path = "test.mtl") {
  cMtlLoader loader;
  loader.parse(text.data(), text.size(), path);
  return loader;
}

TEST(MtlLoader, EveryStatementChangesTheLastMaterialAndTheRestKeepTheirDefaults) {
  const cMtlLoader l = parse("# comment\n"
                             "newmtl first\nKd 1 1 1\n"
                             "newmtl second\n"
                             "Ka 0.1 0.2 0.3 ignored\n"
                             "Kd 0.4 0.5 0.6\n"
                             "Ks 0.7 0.8 0.9\n"
                             "Ns 96.5\n"
                             "illum 2\n"
                             "d 0.25\n"
                             "Ni 1.5\n"
                             "map_Ka amb.png\n"
                             "map_Kd diff.png extra\n"
                             "map_Ks shiny.png\n"
                             "map_d alpha.png\n"
                             "bump bump.png\n");
  ASSERT_EQ(l.materials.size(), 2u);
  const cMaterial &m = l.materials[1];
  EXPECT_EQ(m.name, "second");
  EXPECT_FLOAT_EQ(m.Ka[0], 0.1f);
  EXPECT_FLOAT_EQ(m.Ka[2], 0.3f);
  EXPECT_FLOAT_EQ(m.Ka[3], 0.0f); // alpha untouched
  EXPECT_FLOAT_EQ(m.Kd[1], 0.5f);
  EXPECT_FLOAT_EQ(m.Ks[2], 0.9f);
  EXPECT_FLOAT_EQ(m.Ns, 96.5f);
  EXPECT_EQ(m.illum, 2);
  EXPECT_FLOAT_EQ(m.d, 0.25f);
  EXPECT_FLOAT_EQ(m.Ni, 1.5f);
  EXPECT_EQ(m.map_Ka, "amb.png");
  EXPECT_EQ(m.map_Kd, "diff.png");
  EXPECT_EQ(m.map_Ks, "shiny.png");
  EXPECT_EQ(m.map_d, "alpha.png");
  EXPECT_EQ(m.bump, "bump.png");
  // The first material keeps the defaults of everything it does not set.
  const cMaterial &first = l.materials[0];
  EXPECT_FLOAT_EQ(first.Kd[0], 1.0f);
  EXPECT_FLOAT_EQ(first.d, 1.0f);
  EXPECT_FLOAT_EQ(first.Ni, 1.0f);
  EXPECT_EQ(first.illum, 0);
  EXPECT_FLOAT_EQ(first.Ns, 0.0f);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(first.Ka[i] + first.Ks[i] + first.Kd[3], 0.0f);
  EXPECT_TRUE(first.map_Kd.empty() && first.bump.empty());
}

TEST(MtlLoader, TrAndTfStoreTheMeanNotItsInverse) {
  const cMtlLoader l = parse("newmtl a\nTr 0.2 0.4 0.6\nnewmtl b\nTf 1 1 1\n");
  ASSERT_EQ(l.materials.size(), 2u);
  EXPECT_NEAR(l.materials[0].d, 0.4f, 1e-6f);
  EXPECT_NEAR(l.materials[1].d, 1.0f, 1e-6f);
}

TEST(MtlLoader, StatementBeforeNewmtlStopsReading) {
  testing::internal::CaptureStderr();
  const cMtlLoader l = parse("# header\nKd 1 0 0\nnewmtl late\n");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(l.materials.empty());
  EXPECT_NE(err.find("## ERROR in cMtlLoader line "), std::string::npos) << err;
  EXPECT_NE(err.find(": no 'newmtl' entry was found previous to line 2. Failed to load "
                     ".mtl-file!!\n"),
            std::string::npos)
      << err;
}

TEST(MtlLoader, UnknownStatementWarnsTwiceAndGoesOn) {
  testing::internal::CaptureStderr();
  const cMtlLoader l = parse("newmtl a\nKe 1 1 1\nKd 0 1 0\n", "dir/file.mtl");
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_EQ(l.materials.size(), 1u);
  EXPECT_FLOAT_EQ(l.materials[0].Kd[1], 1.0f);
  EXPECT_EQ(err, "# WARNING, unknown token \"Ke\"\n"
                 "# WARNING: unknown token encountered in \"dir/file.mtl\" line 2. Skipping...\n");
}

TEST(MtlLoader, BlankLinesAndShortStatementsAreSkipped) {
  testing::internal::CaptureStderr();
  const cMtlLoader l = parse("\n   \t\r\nnewmtl a\n\nKd 0.5 0.5\nmap_Kd\nNs\nKd 0.1 0.2 0.3\n");
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_EQ(l.materials.size(), 1u);
  EXPECT_FLOAT_EQ(l.materials[0].Kd[0], 0.1f);
  EXPECT_TRUE(l.materials[0].map_Kd.empty());
  EXPECT_FLOAT_EQ(l.materials[0].Ns, 0.0f);
  // One warning for each of the three short statements, none for blanks.
  size_t warnings = 0;
  for (size_t at = err.find("lacks values"); at != std::string::npos;
       at = err.find("lacks values", at + 1))
    ++warnings;
  EXPECT_EQ(warnings, 3u) << err;
}

TEST(MtlLoader, NewmtlWithoutANameStillStartsAMaterial) {
  // Its statements must not change the material before it.
  const cMtlLoader l = parse("newmtl a\nKd 1 0 0\nnewmtl\nKd 0 1 0\n");
  ASSERT_EQ(l.materials.size(), 2u);
  EXPECT_EQ(l.materials[1].name, "");
  EXPECT_FLOAT_EQ(l.materials[0].Kd[0], 1.0f);
  EXPECT_FLOAT_EQ(l.materials[1].Kd[1], 1.0f);
}

TEST(MtlLoader, NulBytesEndTheirLine) {
  using namespace std::string_literals;
  testing::internal::CaptureStderr();
  const cMtlLoader l = parse("newmtl a\nKd 0.5\0 0.5 0.5\nKd 1 1 1\0x\nNs 2\n"s);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("\"Kd\" lacks values in \"test.mtl\" line 2"), std::string::npos) << err;
  ASSERT_EQ(l.materials.size(), 1u);
  EXPECT_FLOAT_EQ(l.materials[0].Kd[2], 1.0f);
  EXPECT_FLOAT_EQ(l.materials[0].Ns, 2.0f);
}

TEST(MtlLoader, TooLongLineEndsReadingSilently) {
  const std::string filler(600, 'x');
  testing::internal::CaptureStderr();
  const cMtlLoader l = parse("newmtl a\n# " + filler + "\nnewmtl b\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(l.materials.size(), 1u);
  // 511 characters still fit.
  const cMtlLoader fits = parse("newmtl a\n# " + std::string(509, 'x') + "\nnewmtl b");
  EXPECT_EQ(fits.materials.size(), 2u);
}

TEST(MtlLoader, UnopenableFileLeavesAnEmptyList) {
  asset_test::scratch_dir dir("mtl_unopenable");
  dir.write("folder.mtl/inside.txt", "x");
  // A folder opens as a stream on Linux, but it is no file to read.
  for (const std::string &path :
       {std::string("/nonexistent/folder/none.mtl"), dir.path() + "/folder.mtl", dir.path()}) {
    SCOPED_TRACE(path);
    cMtlLoader l;
    l.materials.emplace_back("stale");
    testing::internal::CaptureStderr();
    l.load(path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "## ERROR: Couldn't open " + path + "\n");
    EXPECT_TRUE(l.materials.empty());
  }
}

TEST(MtlLoader, LoadReadsAFileAndReplacesTheList) {
  asset_test::scratch_dir dir("mtl");
  const std::string path = dir.write("m.mtl", "newmtl red\r\nKd 1 0 0\r\nnewmtl red\r\nKd 0 0 1");
  cMtlLoader l;
  l.materials.emplace_back("stale");
  l.load(path);
  ASSERT_EQ(l.materials.size(), 2u);
  const cMaterial *found = find_material(l.materials, "red");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found, &l.materials[0]); // the first of two equal names
  EXPECT_FLOAT_EQ(found->Kd[0], 1.0f);
  EXPECT_FLOAT_EQ(l.materials[1].Kd[2], 1.0f); // last line without line end
  EXPECT_EQ(find_material(l.materials, "blue"), nullptr);
}

TEST(MaterialValues, CopyValuesKeepsTheName) {
  cMaterial a("a");
  a.Kd[0] = 0.5f;
  a.map_Kd = "t.png";
  a.illum = 4;
  cMaterial b("b");
  b.copy_values(a);
  EXPECT_EQ(b.name, "b");
  EXPECT_FLOAT_EQ(b.Kd[0], 0.5f);
  EXPECT_EQ(b.map_Kd, "t.png");
  EXPECT_EQ(b.illum, 4);
}

TEST(MaterialValues, LoadTexturesCopiesDissolveIntoEveryAlpha) {
  const cMtlLoader l = parse("newmtl opaque\nnewmtl half\nd 0.5\n");
  cMeshMaterial opaque(l.materials[0]);
  cMeshMaterial half(l.materials[1]);
  EXPECT_EQ(half.name, "half");
  EXPECT_EQ(half.emission[3], 0.0f);
  opaque.load_textures();
  half.load_textures();
  EXPECT_FLOAT_EQ(opaque.Ka[3], 1.0f);
  EXPECT_FLOAT_EQ(opaque.Kd[3], 1.0f);
  EXPECT_FLOAT_EQ(opaque.Ks[3], 1.0f);
  EXPECT_FLOAT_EQ(opaque.emission[3], 1.0f);
  EXPECT_FLOAT_EQ(half.Ka[3], 0.5f);
  EXPECT_FLOAT_EQ(half.Kd[3], 0.5f);
  EXPECT_FLOAT_EQ(half.Ks[3], 0.5f);
  EXPECT_FLOAT_EQ(half.emission[3], 0.5f);
  EXPECT_EQ(half.emission[0], 0.0f);
}

} // namespace
