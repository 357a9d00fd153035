// The files the data build makes for scenes 9 and 10, read back by the
// engine's loaders: the gyroscope's pieces nest whatever their turns, keep
// the reflection map on unit 0, and the torus tumbles under its spin; the
// gear is large, thin and flat; the greetings leave the gear's side free.
#include "archive/cMeshBObj.h"
#include "assets/mesh_flags.h"
#include "assets/search_path.h"
#include "cDataBuilder.h"
#include "recipes.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Scenes 9 and 10's outputs, made once into a scratch folder that the search
// path points at as the program's does.
class GyroAndGearOutputs : public testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() / ("datakit_s0910_" + std::to_string(getpid())));
    fs::remove_all(*dir_);
    cRecipeBook book;
    add_show_recipes(book);
    std::vector<std::string> mine;
    for (const sRecipe &r : book.recipes())
      if (r.output.rfind("models/spikey/", 0) == 0 || r.output == "models/greetings-gear.bobj" ||
          r.output == "greetings2.jpg")
        mine.push_back(r.output);
    ASSERT_EQ(mine.size(), 8u);
    cDataBuilder builder(dir_->string(), 2);
    ASSERT_TRUE(builder.run(book, mine));
    while (!search_dirs().empty())
      pop_search_dir();
    add_search_dir(dir_->string());
    add_search_dir((*dir_ / "models").string());
    add_search_dir((*dir_ / "models" / "spikey").string());
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
  }
  static fs::path *dir_;
};
fs::path *GyroAndGearOutputs::dir_ = nullptr;

struct extent {
  float nearest = 1e9f, farthest = 0;
  float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
  double signed_volume = 0;
};

extent extent_of(const cMeshBObj &m) {
  extent e;
  for (size_t i = 0; i + 2 < m.positions.size(); i += 3) {
    const float *p = &m.positions[i];
    const float r = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    e.nearest = std::min(e.nearest, r);
    e.farthest = std::max(e.farthest, r);
    for (int a = 0; a < 3; ++a)
      e.lo[a] = std::min(e.lo[a], p[a]), e.hi[a] = std::max(e.hi[a], p[a]);
  }
  for (size_t t = 0; t + 2 < m.indices.size(); t += 3) {
    const float *a = &m.positions[3 * m.indices[t]], *b = &m.positions[3 * m.indices[t + 1]],
                *c = &m.positions[3 * m.indices[t + 2]];
    e.signed_volume += (a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                        a[2] * (b[0] * c[1] - b[1] * c[0])) /
                       6.0;
  }
  return e;
}

std::unique_ptr<cMeshBObj> piece(const std::string &name) {
  auto m = std::make_unique<cMeshBObj>();
  m->load_from_rar((name + ".bobj").c_str(), (name + ".rar").c_str());
  return m;
}

} // namespace

TEST_F(GyroAndGearOutputs, GyroscopePiecesNestForAnyTurnsAtTheScenesScale) {
  const extent ball = extent_of(*piece("centerball"));
  const extent inner = extent_of(*piece("innerring"));
  const extent inner_spikes = extent_of(*piece("innerring_sph"));
  const extent outer = extent_of(*piece("outerring"));
  const extent outer_spikes = extent_of(*piece("outerring_sph"));
  EXPECT_GE(ball.farthest, 12.0f);
  EXPECT_LE(ball.farthest, 15.0f);
  EXPECT_GE(inner.farthest, 25.0f);
  EXPECT_LE(inner.farthest, 30.0f);
  EXPECT_GE(outer.farthest, 40.0f);
  EXPECT_LE(outer.farthest, 46.0f);
  // Each piece turns about its own random axis through the origin: only
  // spheres of clearance keep them apart.
  EXPECT_LT(ball.farthest + 5.0f, inner.nearest);
  EXPECT_LT(std::max(inner.farthest, inner_spikes.farthest) + 2.0f, outer.nearest);
  EXPECT_GT(inner_spikes.farthest, inner.farthest + 4.0f) << "the spikes stand out";
  EXPECT_GT(outer_spikes.farthest, outer.farthest + 4.0f);
  // The view's half-height at the origin is 75 tan(42.5) = 68.7.
  EXPECT_LE(1.2f * outer_spikes.farthest, 70.0f);
  for (const extent *e : {&ball, &inner, &inner_spikes, &outer, &outer_spikes})
    EXPECT_GT(e->signed_volume, 0.0) << "closed and facing out";
}

TEST_F(GyroAndGearOutputs, GyroscopePiecesHaveNormalsAndColoursButNoMaps) {
  for (const char *name :
       {"centerball", "innerring", "innerring_sph", "outerring", "outerring_sph"}) {
    SCOPED_TRACE(name);
    const auto m = piece(name);
    EXPECT_TRUE(m->flags & MESH_HAS_NORMALS) << "normals";
    EXPECT_FALSE(m->flags & MESH_HAS_TEXCOORDS) << "no texture coordinates";
    ASSERT_FALSE(m->materials.empty());
    for (const cMeshMaterial &mat : m->materials) {
      // A map on unit 0 would replace the reflection map.
      EXPECT_TRUE(mat.map_Kd.empty() && mat.map_Ka.empty() && mat.map_Ks.empty() &&
                  mat.bump.empty());
      EXPECT_FLOAT_EQ(mat.d, 1.0f) << "opaque: the alpha test keeps every pixel";
      EXPECT_GT(mat.Kd[0] + mat.Kd[1] + mat.Kd[2], 0.5f);
    }
  }
  // The polished pieces in the scene's violet, the spikes a different colour.
  const auto ring = piece("innerring"), spikes = piece("innerring_sph");
  EXPECT_GT(ring->materials[0].Kd[2], ring->materials[0].Kd[0]);
  EXPECT_GT(spikes->materials[0].Kd[0], spikes->materials[0].Kd[2]);
}

TEST_F(GyroAndGearOutputs, TorusIsSmallUprightAndWithoutMaterials) {
  const auto torus = piece("torus");
  EXPECT_TRUE(torus->flags & MESH_HAS_NORMALS);
  EXPECT_TRUE(torus->materials.empty());
  EXPECT_LE(torus->indices.size() / 3, 600u) << "a hundred are drawn each frame";
  const extent e = extent_of(*torus);
  // About 5 across at the wave's scale of 50: small beside the eye.
  EXPECT_GT(50.0f * e.farthest, 2.0f);
  EXPECT_LT(50.0f * e.farthest, 3.0f);
  // Its ring is not in the xy plane, or the spin about z would not show.
  EXPECT_GT(e.hi[2] - e.lo[2], e.farthest);
  EXPECT_GT(e.signed_volume, 0.0);
}

TEST_F(GyroAndGearOutputs, GearIsLargeThinAndFlatInTheXyPlane) {
  cMeshBObj gear;
  gear.load("greetings-gear.bobj");
  EXPECT_TRUE(gear.flags & MESH_HAS_NORMALS);
  EXPECT_TRUE(gear.materials.empty()) << "the scene drops them; a map would only cost";
  EXPECT_LE(gear.indices.size() / 3, 12000u);
  const extent e = extent_of(gear);
  EXPECT_GE(e.farthest, 100.0f);
  EXPECT_LE(e.farthest, 130.0f);
  EXPECT_LE(e.hi[2] - e.lo[2], 16.0f) << "thin against the eye 74 above it";
  EXPECT_NEAR(e.hi[2] + e.lo[2], 0.0f, 0.01f);
  for (int a = 0; a < 2; ++a)
    EXPECT_NEAR(e.hi[a] + e.lo[a], 0.0f, 2.0f) << "centred on its axis";
  EXPECT_GT(e.signed_volume, 0.0);
  // Teeth: many points at the tip radius and many well inside it.
  int tips = 0, roots = 0;
  for (size_t i = 0; i + 2 < gear.positions.size(); i += 3) {
    const float r = std::hypot(gear.positions[i], gear.positions[i + 1]);
    tips += r > e.farthest - 0.5f;
    roots += r > e.farthest - 12.0f && r < e.farthest - 6.0f;
  }
  EXPECT_GT(tips, 24 * 4);
  EXPECT_GT(roots, 24 * 4);
}

TEST_F(GyroAndGearOutputs, GreetingsAreDarkWithTheirWordsClearOfTheGear) {
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  ASSERT_TRUE(ilLoadImage((*dir_ / "greetings2.jpg").string().c_str()));
  const int w = ilGetInteger(IL_IMAGE_WIDTH), h = ilGetInteger(IL_IMAGE_HEIGHT);
  EXPECT_EQ(w * 3, h * 4);
  std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
  ilCopyPixels(0, 0, 0, w, h, 1, IL_RGB, IL_UNSIGNED_BYTE, rgb.data());
  ilDeleteImages(1, &image);
  // The gear covers the left of the screen up to about 0.63 of its width
  // below the top band (the top row first here).
  long words_right = 0, words_top = 0, words_under_gear = 0, luma = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t *p = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
      luma += (p[0] + p[1] + p[2]) / 3;
      if (std::min({p[0], p[1], p[2]}) < 200)
        continue;
      if (y < h / 6)
        ++words_top;
      else if (x > w * 0.63)
        ++words_right;
      else
        ++words_under_gear;
    }
  EXPECT_GT(words_top, 3000);
  EXPECT_GT(words_right, 3000);
  EXPECT_EQ(words_under_gear, 0);
  EXPECT_LT(luma / (long(w) * h), 60) << "a dark picture";
}
