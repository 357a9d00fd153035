// Scene 8's corridor as its recipes make it, read back through DevIL and the
// engine's archive and .bobj readers: every piece has normals and one unwrap
// in [0, 1] and keeps the eye's room around the axis, the wall segments
// join into one 340-unit set placed to wrap beside the eye, the end piece
// closes the cross-section around its opening, the fog scale is white well
// before its end, and the four wall sets are lit differently.
#include "archive/cMeshBObj.h"
#include "assets/search_path.h"
#include "decoded_picture.h"
#include "recipes.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using picture = decoded_picture;

const char *const kMembers[] = {
    "alien_building_EndWall_segmentA01", "alien_building_EndWall_segmentB01",
    "alien_building_Pipes_horiz",        "alien_building_Wires01",
    "alien_building_wall_segmentA",      "alien_building_wall_segmentB",
    "alien_building_wall_segmentC"};

class CorridorOutputs : public testing::Test {
protected:
  static void SetUpTestSuite() {
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    dir = std::filesystem::temp_directory_path() / "corridor_outputs";
    std::filesystem::create_directories(dir);
  }
  static std::vector<uint8_t> make(const std::string &name) {
    cRecipeBook book;
    add_show_recipes(book);
    const sRecipe *recipe = book.find("models/alien_building/" + name);
    EXPECT_NE(recipe, nullptr) << name;
    return recipe ? recipe->make() : std::vector<uint8_t>();
  }
  // The member of the archive the recipe makes, as the scene loads it.
  static void load(const std::string &member, cMeshBObj &mesh) {
    const std::vector<uint8_t> bytes = make(member + ".rar");
    std::ofstream(dir / (member + ".rar"), std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    add_search_dir(dir.string());
    mesh.load_from_rar((member + ".bobj").c_str(), (member + ".rar").c_str());
    pop_search_dir();
  }
  static std::filesystem::path dir;
};
std::filesystem::path CorridorOutputs::dir;

// Nearest approach of the mesh's triangles to the x axis, from points
// spread over each triangle (fine enough at these sizes: a 4 x 4 lattice).
float axis_clearance(const cMeshBObj &mesh) {
  float nearest = 1e30f;
  const auto &p = mesh.positions;
  for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3)
    for (int a = 0; a <= 4; ++a)
      for (int b = 0; a + b <= 4; ++b) {
        const float wa = a / 4.0f, wb = b / 4.0f, wc = 1 - wa - wb;
        float y = 0, z = 0;
        for (int k = 0; k < 3; ++k) {
          const float w = k == 0 ? wa : k == 1 ? wb : wc;
          y += w * p[3 * mesh.indices[i + k] + 1];
          z += w * p[3 * mesh.indices[i + k] + 2];
        }
        nearest = std::min(nearest, std::hypot(y, z));
      }
  return nearest;
}

} // namespace

TEST_F(CorridorOutputs, EveryPieceHasNormalsAndOneUnwrapAndKeepsTheAxisClear) {
  for (const char *member : kMembers) {
    cMeshBObj mesh;
    load(member, mesh);
    const size_t vertices = mesh.positions.size() / 3;
    ASSERT_GT(vertices, 0u) << member;
    EXPECT_EQ(mesh.normals.size(), 3 * vertices) << member;
    ASSERT_EQ(mesh.texcoords.size(), 2 * vertices) << member;
    for (float t : mesh.texcoords) {
      EXPECT_GE(t, 0.0f) << member;
      EXPECT_LE(t, 1.0f) << member;
    }
    const bool end_piece = std::string(member).find("wall_segment") == std::string::npos;
    EXPECT_GE(axis_clearance(mesh), end_piece ? 115.0f : 110.0f) << member;
  }
}

TEST_F(CorridorOutputs, WallSegmentsJoinIntoOneSetOnOneSideThatWrapsBesideTheEye) {
  float lo = 1e9f, hi = -1e9f, z_min = 1e9f;
  std::vector<std::pair<float, float>> spans;
  for (const char *member : {kMembers[4], kMembers[5], kMembers[6]}) {
    cMeshBObj mesh;
    load(member, mesh);
    float a = 1e9f, b = -1e9f;
    for (size_t i = 0; i + 2 < mesh.positions.size(); i += 3) {
      a = std::min(a, mesh.positions[i]);
      b = std::max(b, mesh.positions[i]);
      z_min = std::min(z_min, mesh.positions[i + 2]);
    }
    spans.push_back({a, b});
    lo = std::min(lo, a);
    hi = std::max(hi, b);
  }
  EXPECT_NEAR(hi - lo, 340.0f, 0.5f) << "one set";
  EXPECT_GE(z_min, -0.01f) << "one side: the mirror makes the other";
  // A set wraps at offset 40: its near end is then beside or behind the eye
  // (x = 500), and the set before it closes the gap ahead.
  EXPECT_GE(40 + lo, 440.0f);
  EXPECT_LE(40 + lo, 500.0f);
  std::sort(spans.begin(), spans.end());
  for (size_t k = 1; k < spans.size(); ++k)
    EXPECT_LE(spans[k].first, spans[k - 1].second + 0.01f) << "no gap between segments";
}

TEST_F(CorridorOutputs, EndWallClosesTheCrossSectionAroundItsOpening) {
  cMeshBObj wall, segment;
  load(kMembers[0], wall);
  load(kMembers[4], segment);
  float shell = 0;
  for (size_t i = 0; i + 2 < segment.positions.size(); i += 3)
    shell = std::max(shell, std::hypot(segment.positions[i + 1], segment.positions[i + 2]));
  // Every direction out from the opening meets the wall out to the shell.
  int open = 0;
  for (int k = 0; k < 72; ++k) {
    const float a = 2 * 3.14159265f * k / 72;
    float reach = 0;
    for (size_t i = 0; i + 2 < wall.positions.size(); i += 3) {
      const float y = wall.positions[i + 1], z = wall.positions[i + 2];
      const float r = std::hypot(y, z);
      const float angle = std::atan2(y, z);
      float d = std::fabs(angle - a);
      d = std::min(d, 2 * 3.14159265f - d);
      if (d < 0.25f)
        reach = std::max(reach, r);
    }
    open += reach < shell;
  }
  EXPECT_EQ(open, 0);
}

TEST_F(CorridorOutputs, FogScaleIsOneRowTurningWhiteBeforeThreeQuarters) {
  const picture scale = decode_picture(make("textures/fog_colscale01.png"), IL_PNG);
  ASSERT_EQ(scale.height, 1);
  ASSERT_GE(scale.width, 64);
  for (int x = scale.width * 3 / 4; x < scale.width; ++x)
    for (int c = 0; c < 3; ++c)
      EXPECT_GE(scale.at(x, 0)[c], 250) << x;
  const uint8_t *near = scale.at(0, 0);
  EXPECT_LT(near[0], near[2]) << "a teal tint near the eye";
  EXPECT_LT(near[0], 160);
}

TEST_F(CorridorOutputs, TheFourWallSetsAreLitDifferently) {
  std::vector<picture> sets;
  for (const char *set : {"01", "04", "06", "08"}) {
    sets.push_back(decode_picture(
        make(std::string("textures_baked/Wall_segmentB") + set + "LightingMap.jpg"), IL_JPG));
    ASSERT_EQ(sets.back().channels, 3);
    ASSERT_EQ(sets.back().pixels.size(), sets.front().pixels.size());
  }
  for (size_t a = 0; a < sets.size(); ++a)
    for (size_t b = a + 1; b < sets.size(); ++b) {
      double diff = 0;
      for (size_t i = 0; i < sets[a].pixels.size(); ++i)
        diff += std::abs(int(sets[a].pixels[i]) - int(sets[b].pixels[i]));
      EXPECT_GT(diff / double(sets[a].pixels.size()), 4.0) << "sets " << a << " and " << b;
    }
}
