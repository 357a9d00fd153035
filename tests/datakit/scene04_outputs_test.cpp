// The orchid grid's files as the engine reads them: the orchid from its
// archive with every texture found in its own folder, held to what the
// scene's cameras and culling need; the cut-out pictures; the soft garden.
#include "archive/cMeshBObj.h"
#include "assets/search_path.h"
#include "cDataBuilder.h"
#include "decoded_picture.h"
#include "recipes.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kFolder = "models/orchid_models_obj/";

using picture = decoded_picture;

// The scene's files made once into a scratch folder, which alone is on the
// search path, as the scene's folder is while it loads.
class OrchidOutputs : public testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() / ("datakit_orchid_" + std::to_string(getpid())));
    fs::remove_all(*dir_);
    cRecipeBook book;
    add_scene04_recipes(book);
    cDataBuilder builder(dir_->string(), 2);
    made_ = builder.run(book, {});
    for (const sRecipe &r : book.recipes())
      outputs_.push_back(r.output);
    while (!search_dirs().empty())
      pop_search_dir();
    add_search_dir((*dir_ / kFolder).string());
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
  }
  static void TearDownTestSuite() {
    pop_search_dir();
    fs::remove_all(*dir_);
    delete dir_;
  }
  void SetUp() override { ASSERT_TRUE(made_); }

  static picture load_picture(const std::string &name) {
    return read_picture((*dir_ / kFolder / name).string());
  }

  static fs::path *dir_;
  static bool made_;
  static std::vector<std::string> outputs_;
};

fs::path *OrchidOutputs::dir_ = nullptr;
bool OrchidOutputs::made_ = false;
std::vector<std::string> OrchidOutputs::outputs_;

using point = std::array<float, 3>;

point position(const cMeshBObj &m, uint32_t i) {
  return {m.positions[3 * i], m.positions[3 * i + 1], m.positions[3 * i + 2]};
}

} // namespace

TEST_F(OrchidOutputs, EveryFileLivesInTheScenesFolder) {
  for (const std::string &output : outputs_)
    EXPECT_EQ(output.rfind(kFolder, 0), 0u) << output;
  EXPECT_NE(std::find(outputs_.begin(), outputs_.end(), kFolder + "flower-bg.jpg"), outputs_.end());
}

TEST_F(OrchidOutputs, OrchidStandsInItsCellAndStaysClearOfTheCloseCameras) {
  cMeshBObj orchid;
  orchid.load_from_rar("orchid.bobj", "orchid.rar");
  const size_t vertices = orchid.positions.size() / 3;
  ASSERT_GT(vertices, 0u);
  EXPECT_EQ(orchid.normals.size(), orchid.positions.size());
  EXPECT_EQ(orchid.texcoords.size(), vertices * 2);
  EXPECT_LE(orchid.indices.size() / 3, 12500u) << "sixteen a frame within 200,000 triangles";

  point lo = position(orchid, 0), hi = lo;
  float widest_above_leaves = 0;
  for (uint32_t i = 0; i < vertices; ++i) {
    const point p = position(orchid, i);
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
    if (p[1] > 12)
      widest_above_leaves = std::max(widest_above_leaves, std::hypot(p[0], p[2]));
  }
  EXPECT_NEAR(lo[1], 0.0f, 1.5f) << "stands on the cell";
  EXPECT_GE(hi[1], 55.0f);
  EXPECT_LE(hi[1], 65.0f);
  for (int k : {0, 2}) {
    EXPECT_GE(lo[k], -10.0f) << "cells stand 25 apart";
    EXPECT_LE(hi[k], 10.0f) << "cells stand 25 apart";
  }
  // Eyes come within about 10 units of the centre cell's axis at 45 to 65 up.
  EXPECT_LE(widest_above_leaves, 9.0f);
  EXPECT_GT(widest_above_leaves, 4.0f) << "the stem arches out";
}

TEST_F(OrchidOutputs, EveryGroupHasATextureAndThinPartsFaceBothWays) {
  cMeshBObj orchid;
  orchid.load_from_rar("orchid.bobj", "orchid.rar");
  ASSERT_EQ(orchid.materials.size(), orchid.group_count());
  std::set<std::string> names;
  for (size_t g = 0; g < orchid.group_count(); ++g) {
    const cMeshMaterial &m = orchid.materials[g];
    names.insert(m.name);
    ASSERT_FALSE(m.map_Kd.empty()) << m.name << ": the program samples unit 0 for every group";
    EXPECT_NE(m.diffuse_texture.il_image, 0u) << m.map_Kd;
    EXPECT_LE(m.map_Kd.size(), 127u);

    // Culling is on: a sheet's triangle needs its reverse (same corners, the
    // other winding) to show from behind.
    const bool thin = m.name != "orchid_stem" && m.name != "orchid_bud";
    if (!thin)
      continue;
    std::map<std::array<point, 3>, int> wound;
    auto key = [&](uint32_t a, uint32_t b, uint32_t c) {
      std::array<point, 3> k = {position(orchid, a), position(orchid, b), position(orchid, c)};
      std::rotate(k.begin(), std::min_element(k.begin(), k.end()), k.end());
      return k;
    };
    for (uint32_t i = orchid.group_starts[g]; i < orchid.group_starts[g + 1]; i += 3)
      wound[key(orchid.indices[i], orchid.indices[i + 1], orchid.indices[i + 2])]++;
    size_t single_sided = 0, total = 0;
    for (uint32_t i = orchid.group_starts[g]; i < orchid.group_starts[g + 1]; i += 3, ++total)
      single_sided +=
          wound.count(key(orchid.indices[i], orchid.indices[i + 2], orchid.indices[i + 1])) == 0;
    // The column, a small closed body, shares the lip's group.
    EXPECT_LE(single_sided, total / 10) << m.name;
  }
  for (const char *part : {"orchid_petal", "orchid_lip", "orchid_leaf", "orchid_stem"})
    EXPECT_EQ(names.count(part), 1u) << part;
}

TEST_F(OrchidOutputs, PetalPicturesAreCutOutAtTheirEdges) {
  for (const char *name : {"orchid_petal.png", "orchid_lip.png"}) {
    const picture p = load_picture(name);
    ASSERT_EQ(p.channels, 4) << name;
    // Across the middle row: clear at both edges, opaque in the middle.
    const int y = p.height / 2;
    EXPECT_EQ(p.at(0, y)[3], 0) << name;
    EXPECT_EQ(p.at(p.width - 1, y)[3], 0) << name;
    EXPECT_EQ(p.at(p.width / 2, y)[3], 255) << name;
    EXPECT_EQ(p.at(p.width / 2, p.height - 1)[3], 0) << name << ": the tip is rounded off";
  }
}

TEST_F(OrchidOutputs, GardenIsSoftDarkAndColoured) {
  const picture p = load_picture("flower-bg.jpg");
  ASSERT_EQ(p.channels, 3);
  EXPECT_GE(p.width, 512);
  double step = 0, level = 0, red_green = 0, lo = 1e9, hi = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x + 1 < p.width; ++x) {
      const uint8_t *a = p.at(x, y), *b = p.at(x + 1, y);
      for (int c = 0; c < 3; ++c)
        step += std::abs(int(a[c]) - int(b[c]));
      const double sum = a[0] + a[1] + a[2];
      level += sum;
      lo = std::min(lo, sum);
      hi = std::max(hi, sum);
      red_green += int(a[0]) - int(a[1]);
    }
  const double n = double(p.height) * (p.width - 1);
  EXPECT_LT(step / n / 3, 1.5) << "out of focus: neighbours differ little";
  EXPECT_LT(level / n / 3, 0.3 * 255) << "dark: the blur adds it onto itself";
  EXPECT_GT(hi - lo, 120) << "discs stand out from the ground";
  EXPECT_LT(red_green / n, 0) << "a green garden";
}
