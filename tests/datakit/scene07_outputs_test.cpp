// The speaker field's files as the scene reads them: every speaker pair
// morphs vertex for vertex, the field fits the cameras (a stack 70 to 100
// tall, speakers within 100 of the axis, ground wide and below the lowest
// eye), textured pieces name pictures that exist, and the pictures are the
// sizes and kinds the scene binds.
#include "archive/cMeshBObj.h"
#include "assets/search_path.h"
#include "cDataBuilder.h"
#include "recipes.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kDir = "models/megawatt/";

class SpeakerField : public testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() / ("datakit_s07_" + std::to_string(::getpid())));
    fs::remove_all(*dir_);
    cRecipeBook book;
    add_show_recipes(book);
    std::vector<std::string> names;
    for (const sRecipe &r : book.recipes())
      if (r.output.rfind(kDir, 0) == 0)
        names.push_back(r.output);
    cDataBuilder builder(dir_->string(), 2);
    built_ = builder.run(book, names);
    while (!search_dirs().empty())
      pop_search_dir();
    add_search_dir((*dir_ / kDir).string());
    ilInit();
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
  }
  void SetUp() override { ASSERT_TRUE(built_); }

  static void load(cMeshBObj &mesh, const std::string &name) {
    mesh.load_from_rar((name + ".bobj").c_str(), (name + ".rar").c_str());
  }

  static fs::path *dir_;
  static bool built_;
};

fs::path *SpeakerField::dir_ = nullptr;
bool SpeakerField::built_ = false;

struct bounds {
  float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
  float reach = 0; // farthest distance from the y axis
};

bounds bounds_of(const cMeshBObj &m) {
  bounds b;
  for (size_t i = 0; i + 2 < m.positions.size(); i += 3) {
    for (int k = 0; k < 3; ++k) {
      b.lo[k] = std::min(b.lo[k], m.positions[i + size_t(k)]);
      b.hi[k] = std::max(b.hi[k], m.positions[i + size_t(k)]);
    }
    b.reach = std::max(b.reach, std::hypot(m.positions[i], m.positions[i + 2]));
  }
  return b;
}

} // namespace

TEST_F(SpeakerField, EachPushedSpeakerIsItsRestingPartnerWithTheConesOut) {
  const char *pairs[][2] = {{"megawatt_bass_s6", "megawatt_bass_m6"},
                            {"megawatt_medium_s", "megawatt_medium_m"},
                            {"megawatt_small_s", "megawatt_small_m"},
                            {"megawatt_tiny_s", "megawatt_tiny_m"}};
  for (const auto &pair : pairs) {
    cMeshBObj s, m;
    load(s, pair[0]);
    load(m, pair[1]);
    ASSERT_GT(s.vertex_count(), 0u) << pair[0];
    EXPECT_EQ(m.vertex_count(), s.vertex_count()) << pair[1];
    EXPECT_EQ(m.indices, s.indices) << pair[1];
    EXPECT_EQ(m.texcoords, s.texcoords) << pair[1] << ": the same vertices in the same order";
    EXPECT_TRUE((s.flags & MESH_HAS_NORMALS) && (m.flags & MESH_HAS_NORMALS)) << pair[0];
    // Colours only: a picture of its own would replace the speaker pictures.
    for (const cMeshMaterial &material : s.materials)
      EXPECT_TRUE(material.map_Kd.empty() && material.map_Ks.empty() && material.map_Ka.empty())
          << pair[0];
    // Some vertices move (the cones), some stay (the rims), none far.
    size_t moved = 0;
    float farthest = 0;
    for (size_t i = 0; i < s.positions.size(); i += 3) {
      const float d =
          std::hypot(m.positions[i] - s.positions[i], m.positions[i + 1] - s.positions[i + 1],
                     m.positions[i + 2] - s.positions[i + 2]);
      moved += d > 1e-4f;
      farthest = std::max(farthest, d);
    }
    EXPECT_GT(moved, s.vertex_count() / 3) << pair[1];
    EXPECT_LT(moved, s.vertex_count()) << pair[1];
    EXPECT_GT(farthest, 0.2f) << pair[1];
    EXPECT_LT(farthest, 2.0f) << pair[1] << ": a sixth of the largest cone's radius";
    EXPECT_LE(bounds_of(s).reach, 100.0f) << pair[0];
  }
}

TEST_F(SpeakerField, StackGroundWiresAndCageFitTheCameras) {
  cMeshBObj base, mushrooms, wires, shell, ground;
  load(base, "megawatt_base");
  load(mushrooms, "megawatt_xtramush");
  load(wires, "megawatt_wires");
  load(shell, "hex_sphere");
  ground.load("megawatt_ground.bobj");

  const bounds stack = bounds_of(base);
  EXPECT_GE(stack.hi[1], 70.0f);
  EXPECT_LE(stack.hi[1], 100.0f);
  EXPECT_LE(stack.reach, 40.0f) << "about the y axis";
  EXPECT_LE(bounds_of(mushrooms).reach, 100.0f);
  EXPECT_LE(bounds_of(wires).hi[1], 4.0f) << "the cables lie on the ground";

  const bounds floor = bounds_of(ground);
  EXPECT_LT(floor.hi[1], 3.0f) << "below the lowest eye";
  for (int k : {0, 2}) {
    EXPECT_LE(floor.lo[k], -600.0f);
    EXPECT_GE(floor.hi[k], 600.0f);
  }
  EXPECT_TRUE(ground.flags & MESH_HAS_TEXCOORDS);

  // The cage at rest is 15 times this: a sphere of radius 8 around the field.
  for (size_t i = 0; i + 2 < shell.positions.size(); i += 3) {
    const float r = std::hypot(shell.positions[i], shell.positions[i + 1], shell.positions[i + 2]);
    ASSERT_NEAR(r, 8.0f, 0.5f);
  }
  EXPECT_LE(shell.indices.size() / 3, 6000u) << "drawn five times a frame";

  // Textured pieces name their pictures, which the data build makes too.
  for (const cMeshBObj *mesh : {&base, &mushrooms})
    for (const cMeshMaterial &material : mesh->materials) {
      ASSERT_FALSE(material.map_Kd.empty()) << material.name;
      EXPECT_TRUE(fs::exists(*dir_ / kDir / material.map_Kd)) << material.map_Kd;
    }
}

TEST_F(SpeakerField, PicturesAreTheSizesAndKindsTheSceneBinds) {
  struct Case {
    const char *name;
    int size;
  } cases[] = {{"speakertex.png", 512},
               {"speakertex_specular_map.png", 512},
               {"speaker_reflectionmap.jpg", 512},
               {"mushroom_ground3_color.jpg", 512}};
  for (const Case &c : cases) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ASSERT_TRUE(ilLoadImage((*dir_ / kDir / c.name).string().c_str())) << c.name;
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), c.size) << c.name;
    EXPECT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), c.size) << c.name;
    EXPECT_EQ(ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL), 3) << c.name;
    ilDeleteImages(1, &image);
  }
}

TEST_F(SpeakerField, AFrameDrawsFarFewerThanTwoHundredThousandTriangles) {
  size_t total = 0;
  for (const char *name :
       {"megawatt_base", "megawatt_xtramush", "megawatt_wires", "megawatt_bass_s6",
        "megawatt_medium_s", "megawatt_small_s", "megawatt_tiny_s"}) {
    cMeshBObj mesh;
    load(mesh, name);
    total += mesh.triangle_count();
  }
  cMeshBObj shell, ground;
  load(shell, "hex_sphere");
  ground.load("megawatt_ground.bobj");
  total += 5 * shell.triangle_count() + ground.triangle_count(); // five shells a frame
  std::printf("speaker field: %zu triangles a frame\n", total);
  EXPECT_LE(total, 120000u);
}
