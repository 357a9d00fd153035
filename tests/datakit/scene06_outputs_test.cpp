// Scene 6's pictures and ring as their recipes make them, read back through
// DevIL and the engine's .bobj reader: the logo is a mask on transparency,
// the beam texture is bright along its middle row and empty at its edges,
// the ring has the size the scene frames, and the baked room pictures are
// opaque and lit unevenly (pools and shadow, not one flat colour).
#include "archive/cMeshBObj.h"
#include "decoded_picture.h"
#include "recipes.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using picture = decoded_picture;

class LaserRoomOutputs : public testing::Test {
protected:
  static void SetUpTestSuite() {
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
  }
  static std::vector<uint8_t> make(const std::string &name) {
    cRecipeBook book;
    add_show_recipes(book);
    const sRecipe *recipe = book.find("models/laserrum/" + name);
    EXPECT_NE(recipe, nullptr) << name;
    return recipe ? recipe->make() : std::vector<uint8_t>();
  }
};

} // namespace

TEST_F(LaserRoomOutputs, LogoIsAMaskOnTransparency) {
  const picture logo = decode_picture(make("orvalt_logo.png"), IL_PNG);
  ASSERT_EQ(logo.channels, 4);
  int clear = 0, solid = 0;
  for (int y = 0; y < logo.height; ++y)
    for (int x = 0; x < logo.width; ++x) {
      const uint8_t a = logo.at(x, y)[3];
      clear += a == 0;
      solid += a == 255;
    }
  const int all = logo.width * logo.height;
  EXPECT_GT(clear, all / 4) << "the background the alpha test drops";
  EXPECT_GT(solid, all / 20) << "the letters and rules";
}

TEST_F(LaserRoomOutputs, BeamIsBrightInTheMiddleRowAndEmptyAtTheEdges) {
  const picture beam = decode_picture(make("laser_tex.png"), IL_PNG);
  ASSERT_EQ(beam.channels, 4);
  ASSERT_GE(beam.height, 16);
  const int middle = beam.height / 2;
  for (int x = 0; x < beam.width; ++x) {
    EXPECT_GE(beam.at(x, middle)[3], 250);
    EXPECT_GE(beam.at(x, middle)[1], 250) << "white-hot core";
    for (int edge : {0, beam.height - 1})
      for (int c = 0; c < 4; ++c)
        EXPECT_LE(beam.at(x, edge)[c], 2) << "fades to nothing";
    for (int y = 0; y < beam.height; ++y)
      for (int c = 0; c < 4; ++c)
        ASSERT_EQ(beam.at(x, y)[c], beam.at(0, y)[c]) << "the same all along the beam";
  }
  // The glow is green: more green than red halfway out.
  const uint8_t *glow = beam.at(0, middle + beam.height / 6);
  EXPECT_GT(glow[1], glow[0] + 40);
}

TEST_F(LaserRoomOutputs, RingIsFlatWithOuterRadius35To45AndTexturedAround) {
  const std::vector<uint8_t> bytes = make("orvalt_circle.bobj");
  cMeshBObj ring;
  std::string error;
  ASSERT_TRUE(ring.decode(bytes.data(), bytes.size(), error)) << error;
  EXPECT_TRUE(ring.materials.empty());
  float outer = 0, inner = 1e9f, depth = 0, u_max = 0;
  for (size_t i = 0; i + 2 < ring.positions.size(); i += 3) {
    const float r = std::hypot(ring.positions[i], ring.positions[i + 1]);
    outer = std::max(outer, r);
    inner = std::min(inner, r);
    depth = std::max(depth, std::fabs(ring.positions[i + 2]));
  }
  for (size_t i = 0; i < ring.texcoords.size(); i += 2)
    u_max = std::max(u_max, ring.texcoords[i]);
  EXPECT_GE(outer, 35.0f);
  EXPECT_LE(outer, 45.0f);
  EXPECT_GT(inner, 20.0f) << "a ring, not a disc";
  EXPECT_EQ(depth, 0.0f);
  EXPECT_GE(u_max, 2.0f) << "the logo repeats around the band";
}

TEST_F(LaserRoomOutputs, BakedPicturesAreOpaqueAndUnevenlyLit) {
  for (const char *name : {"laserrum_walls_baked.jpg", "laserrum_pillars_baked.jpg"}) {
    const picture p = decode_picture(make(name), IL_JPG);
    ASSERT_EQ(p.channels, 3) << name;
    std::vector<int> grey;
    for (int y = 0; y < p.height; y += 4)
      for (int x = 0; x < p.width; x += 4) {
        const uint8_t *c = p.at(x, y);
        if (c[0] + c[1] + c[2] > 12) // outside the unwrap the picture stays black
          grey.push_back((c[0] + c[1] + c[2]) / 3);
      }
    std::sort(grey.begin(), grey.end());
    const int dim = grey[grey.size() / 10], bright = grey[grey.size() * 99 / 100];
    EXPECT_GT(bright, 2 * dim) << name << ": lamps and corners differ";
    EXPECT_GT(grey[grey.size() / 2], 30) << name << ": lit enough to draw unlit";
  }
}
