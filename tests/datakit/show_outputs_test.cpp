// Every file the data build makes for the show, read back by the engine's own
// loaders (OBJ, .bobj from RAR, pictures through DevIL) and held to what its
// scene needs; and every recipe makes the same bytes twice.
#include "archive/cMeshBObj.h"
#include "archive/rar/unrarlib.h"
#include "assets/cMeshDisplayList.h"
#include "assets/search_path.h"
#include "cDataBuilder.h"
#include "recipes.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct picture {
  int width = 0, height = 0, bytes_per_pixel = 0, format = 0;
  std::vector<uint8_t> pixels; // bottom row first, as the engine reads them
  const uint8_t *at(int x, int y) const {
    return &pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(bytes_per_pixel)];
  }
};

// The show's data, made once for all tests into a scratch folder that the
// search path points at the way the program's does.
class ShowOutputs : public testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() / ("datakit_show_" + std::to_string(::getpid())));
    fs::remove_all(*dir_);
    book_ = new cRecipeBook;
    add_show_recipes(*book_);
    while (!search_dirs().empty())
      pop_search_dir();
    add_search_dir(dir_->string());
    add_search_dir((*dir_ / "models").string());
    add_search_dir((*dir_ / "textures").string());
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
    delete book_;
  }

  // The path of an output, made on first use: each test process makes only
  // what it reads.
  static std::string file(const std::string &name) {
    const std::string path = (*dir_ / name).string();
    if (!fs::exists(path)) {
      cDataBuilder builder(dir_->string(), 1);
      EXPECT_TRUE(builder.run(*book_, {name})) << name;
    }
    return path;
  }

  static picture load_picture(const std::string &name) {
    picture out;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (ilLoadImage(file(name).c_str())) {
      out.width = ilGetInteger(IL_IMAGE_WIDTH);
      out.height = ilGetInteger(IL_IMAGE_HEIGHT);
      out.bytes_per_pixel = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
      out.format = ilGetInteger(IL_IMAGE_FORMAT);
      const uint8_t *data = ilGetData();
      out.pixels.assign(data, data + size_t(out.width) * size_t(out.height) *
                                         size_t(out.bytes_per_pixel));
    }
    ilDeleteImages(1, &image);
    return out;
  }

  static fs::path *dir_;
  static cRecipeBook *book_;
};

fs::path *ShowOutputs::dir_ = nullptr;
cRecipeBook *ShowOutputs::book_ = nullptr;

// Facts of a decoded vertex-buffer mesh, computed here from its arrays.
struct mesh_shape {
  float max_radius = 0;
  double signed_volume = 0;
  bool normals_unit = true;
  bool normals_shared = true;
  bool indices_in_range = true;
  size_t open_or_misoriented_edges = 0;
};

mesh_shape shape_of(const cMeshBObj &m) {
  mesh_shape s;
  const size_t v = m.positions.size() / 3;
  auto pos = [&](uint32_t i) {
    return std::array<float, 3>{m.positions[3 * i], m.positions[3 * i + 1], m.positions[3 * i + 2]};
  };
  std::map<std::array<float, 3>, uint32_t> id;
  std::map<std::array<float, 3>, std::array<float, 3>> normal_at;
  for (uint32_t i = 0; i < v; ++i) {
    const auto p = pos(i);
    id.emplace(p, uint32_t(id.size()));
    s.max_radius = std::max(s.max_radius, std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]));
    const std::array<float, 3> n = {m.normals[3 * i], m.normals[3 * i + 1], m.normals[3 * i + 2]};
    const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    s.normals_unit = s.normals_unit && std::fabs(len - 1) < 1e-3f;
    auto [it, fresh] = normal_at.emplace(p, n);
    s.normals_shared = s.normals_shared && (fresh || it->second == n);
  }
  std::map<std::pair<uint32_t, uint32_t>, int> directed;
  for (size_t t = 0; t + 2 < m.indices.size(); t += 3) {
    uint32_t c[3];
    for (int k = 0; k < 3; ++k) {
      if (m.indices[t + size_t(k)] >= v) {
        s.indices_in_range = false;
        return s;
      }
      c[k] = id[pos(m.indices[t + size_t(k)])];
    }
    for (int k = 0; k < 3; ++k)
      directed[{c[k], c[(k + 1) % 3]}]++;
    const auto a = pos(m.indices[t]), b = pos(m.indices[t + 1]), d = pos(m.indices[t + 2]);
    s.signed_volume += (a[0] * (b[1] * d[2] - b[2] * d[1]) - a[1] * (b[0] * d[2] - b[2] * d[0]) +
                        a[2] * (b[0] * d[1] - b[1] * d[0])) /
                       6.0;
  }
  // Closed and wound one way: every directed edge once, and its reverse once.
  for (const auto &[edge, count] : directed)
    if (count != 1 || directed.count({edge.second, edge.first}) == 0)
      ++s.open_or_misoriented_edges;
  return s;
}

TEST_F(ShowOutputs, EveryRecipeSucceedsAndMakesTheSameBytesTwice) {
  cDataBuilder builder(dir_->string(), 2);
  ASSERT_TRUE(builder.run(*book_, {}));
  for (const sRecipe &r : book_->recipes()) {
    std::ifstream in(file(r.output), std::ios::binary);
    const std::vector<uint8_t> first((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    EXPECT_EQ(r.make(), first) << r.output;
  }
}

TEST_F(ShowOutputs, BoxIsAPlainObjTheDisplayListMeshReads) {
  std::ifstream in(file("models/chamferbox2.obj"));
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.find("mtllib"), std::string::npos);
  cMeshDisplayList box;
  box.load("chamferbox2.obj");
  EXPECT_EQ(box.faces.size(), 44u);
  float lo[3], hi[3];
  box.bounding_box(lo, hi);
  // 1.0 x 1.0 x 0.5 world units at the scene's 0.025, centred on the origin.
  EXPECT_FLOAT_EQ(hi[0] - lo[0], 40);
  EXPECT_FLOAT_EQ(hi[1] - lo[1], 40);
  EXPECT_FLOAT_EQ(hi[2] - lo[2], 20);
  for (int a = 0; a < 3; ++a)
    EXPECT_FLOAT_EQ(lo[a] + hi[a], 0);
}

TEST_F(ShowOutputs, TitlePictureIsARedAndBlueMaskOfTheBoxGrid) {
  const picture p = load_picture("textures/orvalt_col.png");
  ASSERT_EQ(p.format, IL_RGB); // 8-bit RGB: the scene reads bytes 0 and 2
  ASSERT_EQ(p.bytes_per_pixel, 3);
  EXPECT_EQ(p.height, 36);
  EXPECT_GE(p.width, 122); // stays on screen until the scene ends
  EXPECT_LE(p.width, 160); // every column passes through the view
  int boxes = 0, plates = 0;
  std::vector<int> letter_rows(36, 0);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const uint8_t *px = p.at(x, y);
      EXPECT_FALSE(px[0] && px[2]) << "a box and a plate at " << x << "," << y;
      boxes += px[0] > 0;
      plates += px[2] > 0;
      letter_rows[size_t(y)] += px[0] > 0;
    }
  EXPECT_GT(boxes, 800);        // the letters read
  EXPECT_LT(boxes, 2600);       // and cost at most that many boxes a frame
  EXPECT_LT(plates, boxes / 3); // white used sparingly
  // Letters about 26 rows tall, clear of the top and bottom rows.
  int first = -1, last = -1;
  for (int y = 0; y < 36; ++y)
    if (letter_rows[size_t(y)]) {
      last = y;
      if (first < 0)
        first = y;
    }
  EXPECT_GE(last - first + 1, 24);
  EXPECT_LE(last - first + 1, 30);
  EXPECT_GT(first, 1);
  EXPECT_LT(last, 34);
}

TEST_F(ShowOutputs, ObjectIsAClosedSmoothShapeTheBendTwists) {
  cMeshBObj thing;
  file("models/thing2.rar");
  thing.load_from_rar("thing2.bobj", "thing2.rar");
  EXPECT_TRUE(thing.flags & 0x02);  // normals
  EXPECT_FALSE(thing.flags & 0x10); // no materials
  EXPECT_TRUE(thing.materials.empty());
  EXPECT_LT(thing.positions.size() / 3, 65536u);
  EXPECT_LE(thing.indices.size() / 3, 8000u);
  const mesh_shape s = shape_of(thing);
  EXPECT_TRUE(s.indices_in_range);
  EXPECT_TRUE(s.normals_unit);
  EXPECT_TRUE(s.normals_shared); // the shells push along them without tearing
  EXPECT_EQ(s.open_or_misoriented_edges, 0u);
  EXPECT_GT(s.signed_volume, 0.0);
  EXPECT_GE(s.max_radius, 150.0f);
  EXPECT_LE(s.max_radius, 200.0f);
}

TEST_F(ShowOutputs, ArchivesHoldTheirMemberAtTheRootUnderItsExactName) {
  for (const char *pair : {"thing2.rar:thing2.bobj", "organic_sphere.rar:organic_sphere.bobj"}) {
    const std::string text = pair;
    const std::string archive = text.substr(0, text.find(':')),
                      member = text.substr(text.find(':') + 1);
    std::ifstream in(file("models/" + archive), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find(member), std::string::npos) << archive;
    uint8_t *data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(
        rar_get_file(&data, &size, member.c_str(), file("models/" + archive).c_str(), nullptr), 1);
    EXPECT_GT(size, 0u);
    std::free(data);
  }
}

TEST_F(ShowOutputs, SphereIsClosedBumpyOutwardWithNormals) {
  cMeshBObj sphere;
  file("models/organic_sphere.rar");
  sphere.load_from_rar("organic_sphere.bobj", "organic_sphere.rar");
  EXPECT_TRUE(sphere.flags & 0x02);
  EXPECT_TRUE(sphere.materials.empty());
  EXPECT_LE(sphere.indices.size() / 3, 3000u); // fifteen copies a frame
  const mesh_shape s = shape_of(sphere);
  EXPECT_TRUE(s.normals_unit);
  EXPECT_EQ(s.open_or_misoriented_edges, 0u);
  EXPECT_GT(s.signed_volume, 0.0); // counter-clockwise outward
  EXPECT_GE(s.max_radius, 6.0f);
  EXPECT_LE(s.max_radius, 8.0f);
  // Bumpy: the nearest surface point lies well inside the farthest.
  float nearest = 1e9f;
  for (size_t i = 0; i + 2 < sphere.positions.size(); i += 3)
    nearest = std::min(nearest, std::sqrt(sphere.positions[i] * sphere.positions[i] +
                                          sphere.positions[i + 1] * sphere.positions[i + 1] +
                                          sphere.positions[i + 2] * sphere.positions[i + 2]));
  EXPECT_LT(nearest, s.max_radius - 1.0f);
}

TEST_F(ShowOutputs, CreditsAre4By3WithTextOnTransparencyClearOfTheCentre) {
  const picture p = load_picture("textures/credits.png");
  ASSERT_EQ(p.bytes_per_pixel, 4);
  EXPECT_EQ(p.width * 3, p.height * 4);
  int opaque = 0, centre_ink = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const uint8_t alpha = p.at(x, y)[3];
      opaque += alpha == 255;
      const float dx = float(x - p.width / 2) / float(p.width),
                  dy = float(y - p.height / 2) / float(p.width);
      if (dx * dx + dy * dy < 0.2f * 0.2f)
        centre_ink += alpha > 0;
    }
  EXPECT_EQ(p.at(0, 0)[3], 0);
  EXPECT_EQ(p.at(p.width - 1, p.height - 1)[3], 0);
  EXPECT_GT(opaque, 2000);
  EXPECT_EQ(centre_ink, 0);
}

TEST_F(ShowOutputs, SoapBubbleIsASphereMapOfColouredBandsOnDark) {
  const picture p = load_picture("textures/sphere_soapbubble01.png");
  ASSERT_EQ(p.width, 256);
  ASSERT_EQ(p.height, 256);
  int magenta = 0, teal = 0, gold = 0, dark = 0, disc = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const float dx = float(x) - 127.5f, dy = float(y) - 127.5f;
      if (dx * dx + dy * dy > 120.0f * 120.0f)
        continue;
      ++disc;
      const int r = p.at(x, y)[0], g = p.at(x, y)[1], b = p.at(x, y)[2];
      magenta += r > g + 60 && b > g + 40;
      teal += g > r + 60 && b > r + 60;
      gold += r > b + 80 && g > b + 40;
      dark += r + g + b < 90;
    }
  EXPECT_GT(magenta, disc / 50);
  EXPECT_GT(teal, disc / 50);
  EXPECT_GT(gold, disc / 50);
  EXPECT_GT(dark, disc / 5);
}

TEST_F(ShowOutputs, XrayScaleIsOneRowDarkenedTowardSaturatedCyan) {
  const picture p = load_picture("textures/xray_colscale01.png");
  ASSERT_EQ(p.height, 1); // one row: the engine makes it a 1D texture
  EXPECT_EQ(p.width, 256);
  auto luma = [&](int x) {
    const uint8_t *c = p.at(x, 0);
    return 0.299f * float(c[0]) + 0.587f * float(c[1]) + 0.114f * float(c[2]);
  };
  EXPECT_LT(luma(0), 30.0f); // facing: dark, nearly clear
  for (int x = 8; x < 256; x += 8)
    EXPECT_GE(luma(x), luma(x - 8));
  const uint8_t *rim = p.at(255, 0);
  EXPECT_GT(int(rim[1]), int(rim[0]) + 80); // cyan
  EXPECT_GT(int(rim[2]), int(rim[0]) + 80);
  EXPECT_LT(luma(255) * 1.5f, 0.75f * 255.0f); // brightened by half, still dark on white
}

} // namespace
