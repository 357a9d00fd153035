// Scenes 0, 1 and 2 under the GL with the show's data: a second entry draws
// what a first entry at the same demo time draws, whatever ran in between;
// and the GL helpers leave the state as they found it.
#include "platform/gl_extensions.h"

#include "platform/picture_area.h"
#include "runtime/cDemoDirector.h"
#include "runtime/demo_main.h"
#include "runtime/show_scenes.h"
#include "scenes/cEnableScope.h"
#include "scenes/cScene09.h"
#include "scenes/cScene10.h"
#include "scenes/fullscreen_texture.h"
#include "scenes/picture_bounds.h"
#include "scenes/texture_units.h"

#include "assets/cTexture.h"
#include "assets/search_path.h"
#include "shaders/cShaderContainer_CG.h"
#include "support/gl_window.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace gl_test;

namespace {

// The rest of the program's start-up that the scenes need, in the window of
// gl_window.h, run from src/ so that ../data and ../src are the checkout's.
struct ShowEnvironment : testing::Environment {
  void SetUp() override {
    init_image_library();
    ASSERT_EQ(chdir(DEMO_SOURCE_DIR "/src"), 0);
    add_search_dir("../data");
    add_search_dir("../data/models");
    add_search_dir("../data/textures");
    g_shader_container = new cShaderContainer_CG();
    g_shader_container->init();
  }
  void TearDown() override {
    delete g_shader_container;
    g_shader_container = nullptr;
  }
};
const auto *const environment = testing::AddGlobalTestEnvironment(new ShowEnvironment);

const char *const kSceneData[] = {
    "../data/models/chamferbox2.obj",
    "../data/textures/orvalt_col.png",
    "../data/models/thing2.rar",
    "../data/textures/sphere_soapbubble01.png",
    "../data/textures/credits.png",
    "../data/models/organic_sphere.rar",
    "../data/textures/xray_colscale01.png",
    "../data/models/spikey/centerball.rar",
    "../data/models/spikey/innerring.rar",
    "../data/models/spikey/innerring_sph.rar",
    "../data/models/spikey/outerring.rar",
    "../data/models/spikey/outerring_sph.rar",
    "../data/models/spikey/torus.rar",
    "../data/models/megawatt/speaker_reflectionmap.jpg",
    "../data/models/greetings-gear.bobj",
    "../data/greetings2.jpg",
    "../data/models/laserrum/orvalt_circle.bobj",
    "../data/models/laserrum/laserrum_baked.rar",
    "../data/models/alien_building/alien_building_wall_segmentA.rar",
    "../data/models/alien_building/alien_building_Wires01.rar",
    "../data/models/alien_building/textures/fog_colscale01.png",
    "../data/models/alien_building/textures_baked/Wall_segmentC08LightingMap.jpg",
    "../data/models/laserrum/orvalt_logo.png",
    "../data/models/laserrum/laser_tex.png",
    "../data/models/orchid_models_obj/orchid.rar",
    "../data/models/orchid_models_obj/flower-bg.jpg",
    "../data/models/megawatt/megawatt_base.rar",
    "../data/models/megawatt/megawatt_tiny_m.rar",
    "../data/models/megawatt/speakertex.png",
    "../data/models/megawatt/mushroom_ground3_color.jpg",
};

std::string clock_text(int32_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60,
                ms / 1000 % 60, ms % 1000);
  return text;
}

std::string marker(const std::string &name, int32_t ms) {
  return name + " " + clock_text(ms) + "\n";
}

std::string scene_marker(int index, int32_t ms) {
  return marker((index < 10 ? "s0" : "s") + std::to_string(index), ms);
}

std::vector<uint8_t> rgb_frame() {
  std::vector<uint8_t> rgba = read_frame(), rgb(size_t(kWidth) * kHeight * 3);
  for (int i = 0; i < kWidth * kHeight; ++i)
    for (int c = 0; c < 3; ++c)
      rgb[i * 3 + c] = rgba[i * 4 + c];
  return rgb;
}

// One run of the show from the program's GL defaults: the scene table made
// and loaded as the director does it, markers from text, frames on the
// 40 ms grid of the capture, drawn only every 400 ms and where a frame is
// kept (the scenes' state moves in update). rand() is seeded just before the frame that
// enters the scene at seed_after, so the scene draws the same random values
// however many an earlier entry took.
std::map<int32_t, std::vector<uint8_t>> play(const std::string &markers, int32_t seed_after,
                                             const std::vector<int32_t> &keep) {
  set_gl_defaults();
  reset_texture_units();
  uint32_t ticks = 5000;
  cDemoDirector director(create_show_scene, [&ticks] { return ticks; });
  director.reset_clock();
  // Scenes that draw random values when made draw the same ones every run.
  std::srand(4242);
  for (int index = 0; index <= 10; ++index) {
    director.scenes.push_back(create_show_scene(index, &director.clock));
    director.scenes.back()->load();
  }
  director.events.load_text(markers.data(), markers.size());
  std::map<int32_t, std::vector<uint8_t>> frames;
  bool seeded = false;
  for (int32_t t = 40; t <= keep.back(); t += 40) {
    if (!seeded && t > seed_after) {
      std::srand(4242);
      seeded = true;
    }
    ticks = 5000 + uint32_t(t);
    director.update();
    const bool kept = std::find(keep.begin(), keep.end(), t) != keep.end();
    if (!kept && t % 400 != 0)
      continue;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    director.render();
    if (kept)
      frames[t] = rgb_frame();
  }
  return frames;
}

int differing_pixels(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b) {
  int n = 0;
  for (size_t i = 0; i < a.size(); i += 3)
    n += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
  return n;
}

// Pixels away from the colour of the top-left corner by more than tol.
int drawn_pixels(const std::vector<uint8_t> &f, int tol = 30) {
  const size_t corner = (size_t(kHeight) - 1) * kWidth * 3;
  int n = 0;
  for (size_t i = 0; i < f.size(); i += 3)
    n += std::abs(f[i] - f[corner]) + std::abs(f[i + 1] - f[corner + 1]) +
             std::abs(f[i + 2] - f[corner + 2]) >
         tol;
  return n;
}

// A 4 x 4 texture of one colour.
GLuint solid_texture(uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> texels;
  for (int i = 0; i < 16; ++i)
    texels.insert(texels.end(), {r, g, b, 255});
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return name;
}

void save_rgb(const std::vector<uint8_t> &rgb, const std::string &name) {
  const std::string dir = DEMO_BINARY_DIR "/tests/scenes/pictures";
  std::filesystem::create_directories(dir);
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  ilTexImage(kWidth, kHeight, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, const_cast<uint8_t *>(rgb.data()));
  ilEnable(IL_FILE_OVERWRITE);
  ilSave(IL_PNG, (dir + "/" + name + ".png").c_str());
  ilDeleteImages(1, &image);
}

// A scene entered at a demo time, and the scenes that run before that entry
// in the second timeline: the scene itself first (entered and left once
// already), then others, each with its accents. Some scenes keep what their
// accents did from one entry to the next (the credits, a spin), as they are
// meant to: their first entry there has no accents.
struct ReEntryCase {
  int scene;
  int32_t enter;
  std::vector<int> before;
  bool accents_on_first_entry;
};

struct ReEntry : testing::TestWithParam<ReEntryCase> {
  void SetUp() override {
    for (const char *file : kSceneData)
      ASSERT_TRUE(std::filesystem::exists(file)) << file << " is missing: build the data target";
  }
};

// Accents inside the compared stretch, the same in both timelines.
std::string accents(int scene, int32_t enter) {
  switch (scene) {
  case 1:
    return marker("fx1", enter + 100) + marker("sbd", enter + 200) + marker("snare", enter + 300) +
           marker("sbip", enter + 1100);
  case 2:
    return marker("bd", enter + 100) + marker("clap", enter + 300) + marker("bd", enter + 1100);
  case 9:
    return marker("bd", enter + 100) + marker("clap", enter + 300) + marker("bd", enter + 580) +
           marker("clap", enter + 1100);
  case 10:
    return marker("bd", enter + 100) + marker("bd-end", enter + 700);
  case 6: // lasers drawn from 114.6 s with no burst yet, then a burst
    return marker("bd", enter + 100) + marker("bd", enter + 1100) + marker("snare", enter + 1300);
  case 4:
    // The pump carries over from an earlier entry until the first bass drum.
    return marker("bd", enter + 20) + marker("bd", enter + 1100);
  case 8: // fog pulls and a kick; no roll, which carries over from one entry to the next
    return marker("bd", enter + 100) + marker("bd1", enter + 1100) + marker("bd", enter + 1300);
  case 7:
    return marker("bd", enter + 100) + marker("clap", enter + 300) + marker("bd", enter + 580) +
           marker("bd", enter + 1100);
  default:
    return "";
  }
}

} // namespace

TEST_P(ReEntry, SecondEntryDrawsLikeAFirstEntryAtTheSameTime) {
  const ReEntryCase &c = GetParam();
  const int32_t enter = c.enter;
  const std::vector<int32_t> keep = {enter + 40, enter + 400, enter + 1000, enter + 1200,
                                     enter + 2400};
  const auto once = play(scene_marker(c.scene, enter) + accents(c.scene, enter), enter, keep);
  std::string before;
  for (size_t k = 0; k < c.before.size(); ++k) {
    const int32_t at = c.enter - 3600 + int32_t(k) * 1200;
    before += scene_marker(c.before[k], at);
    if (k > 0 || c.accents_on_first_entry)
      before += accents(c.before[k], at);
  }
  const auto again =
      play(before + scene_marker(c.scene, enter) + accents(c.scene, enter), enter, keep);

  for (int32_t t : keep) {
    std::string name = "reentry-s" + std::to_string(c.scene) + "-after";
    for (int other : c.before)
      name += "-s" + std::to_string(other);
    name += "-" + std::to_string(t);
    const int off = differing_pixels(once.at(t), again.at(t));
    EXPECT_EQ(off, 0) << "at " << t << " ms; pictures " << name << "-{once,again}.png";
    if (off != 0) {
      save_rgb(once.at(t), name + "-once");
      save_rgb(again.at(t), name + "-again");
    }
  }
  // Something is drawn, or equal frames would prove nothing.
  EXPECT_GT(drawn_pixels(once.at(keep.back())), 5000);
  if (c.scene == 6) { // the burst's beams show: after it the frame differs
    EXPECT_GT(differing_pixels(once.at(enter + 1000), once.at(enter + 1200)), 500);
  }
}

// Every scene, in orders other than the show's; scenes 6 and 8 at the time
// scene 6's lasers start.
INSTANTIATE_TEST_SUITE_P(
    Scenes, ReEntry,
    testing::Values(ReEntryCase{0, 4000, {0, 1, 2}, false}, ReEntryCase{0, 4000, {0, 2, 1}, false},
                    ReEntryCase{1, 4000, {1, 0, 2}, false}, ReEntryCase{1, 4000, {1, 2, 0}, false},
                    ReEntryCase{2, 4000, {2, 0, 1}, false}, ReEntryCase{2, 4000, {2, 1, 0}, false},
                    ReEntryCase{4, 4000, {4, 0, 1}, false}, ReEntryCase{4, 4000, {4, 0, 2}, false},
                    ReEntryCase{6, 114000, {6, 1}, true}, ReEntryCase{6, 114000, {6, 2}, true},
                    ReEntryCase{7, 4000, {7, 1}, false}, ReEntryCase{7, 4000, {7, 2}, false},
                    ReEntryCase{8, 114000, {8, 2}, true}, ReEntryCase{8, 114000, {8, 6}, true},
                    ReEntryCase{9, 4000, {9, 10, 2}, true}, ReEntryCase{9, 4000, {9, 1, 10}, true},
                    ReEntryCase{10, 4000, {10, 9, 1}, true},
                    ReEntryCase{10, 4000, {10, 2, 10}, true},
                    ReEntryCase{10, 4000, {10, 0, 9}, true}),
    [](const testing::TestParamInfo<ReEntryCase> &info) {
      std::string name = "Scene" + std::to_string(info.param.scene) + "After";
      for (size_t k = 1; k < info.param.before.size(); ++k)
        name += (k > 1 ? "And" : "") + std::to_string(info.param.before[k]);
      return name;
    });

// Mean of the colour channels over a square of side `side` at the centre.
double centre_brightness(const std::vector<uint8_t> &f, int side) {
  double sum = 0;
  for (int y = (kHeight - side) / 2; y < (kHeight + side) / 2; ++y)
    for (int x = (kWidth - side) / 2; x < (kWidth + side) / 2; ++x)
      for (int c = 0; c < 3; ++c)
        sum += f[(size_t(y) * kWidth + size_t(x)) * 3 + size_t(c)];
  return sum / (double(side) * side * 3);
}

TEST(SceneSpeakers, EveryPairIsDrawnWithTheSpeakerPictures) {
  // The first shot looks straight down into the top cone, one of the medium
  // pair. Drawing the bass pair before it with material groups empties units
  // 0 to 2: without the pictures bound again the cone's colour and gloss
  // would read black, and the middle of the screen with them.
  for (const char *file : kSceneData)
    ASSERT_TRUE(std::filesystem::exists(file)) << file << " is missing: build the data target";
  const std::vector<int32_t> keep = {1200};
  const auto frames = play(scene_marker(7, 400), 400, keep);
  EXPECT_GT(centre_brightness(frames.at(1200), 120), 30.0);
}

TEST(SceneSpeakers, LeavingPutsUnitZeroBackToModulate) {
  for (const char *file : kSceneData)
    ASSERT_TRUE(std::filesystem::exists(file)) << file << " is missing: build the data target";
  const std::vector<int32_t> keep = {880};
  play(scene_marker(7, 400) + scene_marker(3, 800), 400, keep);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  GLint env = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(env, GL_MODULATE)
      << "the ground's decal mode would take the colour out of the next scene";
}

TEST(SceneEnableScope, SwitchesComeBackAndTheLightsToo) {
  const GLenum caps[] = {GL_LIGHTING, GL_FOG, GL_DEPTH_TEST, GL_BLEND};
  for (int lights = 0; lights < 4; ++lights) {
    const bool light0 = lights & 1, light1 = lights & 2;
    light0 ? glEnable(GL_LIGHT0) : glDisable(GL_LIGHT0);
    light1 ? glEnable(GL_LIGHT1) : glDisable(GL_LIGHT1);
    GLboolean before[4];
    for (int k = 0; k < 4; ++k)
      before[k] = glIsEnabled(caps[k]);
    GLint env_before = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env_before);
    {
      cEnableScope scope(GL_TEXTURE_BIT);
      light0 ? glDisable(GL_LIGHT0) : glEnable(GL_LIGHT0);
      light1 ? glDisable(GL_LIGHT1) : glEnable(GL_LIGHT1);
      for (GLenum cap : caps)
        glIsEnabled(cap) ? glDisable(cap) : glEnable(cap);
      glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    }
    EXPECT_EQ(bool(glIsEnabled(GL_LIGHT0)), light0) << lights;
    EXPECT_EQ(bool(glIsEnabled(GL_LIGHT1)), light1) << lights;
    for (int k = 0; k < 4; ++k)
      EXPECT_EQ(glIsEnabled(caps[k]), before[k]) << "cap " << k;
    GLint env_after = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env_after);
    EXPECT_EQ(env_after, env_before) << "a group asked for comes back with the enables";
  }
}

TEST(SceneFullscreenTexture, CoversTheWindowAndLeavesStateAsItWas) {
  const GLuint texture = solid_texture(200, 100, 50);
  const GLuint other = solid_texture(255, 255, 255);
  struct Case {
    GLint env;
    float colour[4];
    int rgb[3];
  } cases[] = {
      {GL_REPLACE, {0.0f, 0.0f, 0.0f, 1.0f}, {200, 100, 50}},
      {GL_MODULATE, {1.0f, 0.0f, 1.0f, 1.0f}, {200, 0, 50}},
  };
  for (const Case &c : cases) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, other);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 3, -2, 2, -9, 9);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    float projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);

    draw_fullscreen_texture(texture, c.colour, c.env);

    const std::vector<uint8_t> f = read_frame();
    for (int y : {1, kHeight / 2, kHeight - 2})
      for (int x : {1, kWidth / 2, kWidth - 2}) {
        const rgba p = at(f, x, y);
        EXPECT_NEAR(p.r, c.rgb[0], 2) << x << "," << y;
        EXPECT_NEAR(p.g, c.rgb[1], 2) << x << "," << y;
        EXPECT_NEAR(p.b, c.rgb[2], 2) << x << "," << y;
      }
    float projection_after[16], modelview_after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection_after);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview_after);
    EXPECT_TRUE(std::equal(projection, projection + 16, projection_after));
    EXPECT_TRUE(std::equal(modelview, modelview + 16, modelview_after));
    GLint binding = 0, env = 0, mode = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(GLuint(binding), other);
    EXPECT_EQ(env, GL_ADD);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_LIGHT0) && glIsEnabled(GL_DEPTH_TEST));
    glActiveTextureARB(GL_TEXTURE1_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "unit 1 is off only while the quad draws";
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
  }
  glDeleteTextures(1, &texture);
  glDeleteTextures(1, &other);
}

TEST(SceneTextureUnits, ResetLeavesEveryUnitPlainAndUnitZeroActive) {
  const GLuint texture = solid_texture(255, 0, 0);
  for (int unit = 0; unit < 3; ++unit) {
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_1D);
    glBindTexture(GL_TEXTURE_2D, texture);
  }
  reset_texture_units();
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  EXPECT_EQ(active, GL_TEXTURE0_ARB);
  for (int unit = 0; unit < 3; ++unit) {
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    GLint binding = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << unit;
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_1D)) << unit;
    EXPECT_EQ(binding, 0) << unit;
  }
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glDeleteTextures(1, &texture);
}

TEST(SceneFullscreenTexture, OpaqueWindowOfTheCreditsDrawsTheSameFrame) {
  ASSERT_TRUE(std::filesystem::exists("../data/textures/credits.png")) << "build the data target";
  cTexture credits;
  credits.load("credits.png");
  credits.upload(true, GL_REPEAT);
  ilBindImage(credits.il_image);
  const int w = ilGetInteger(IL_IMAGE_WIDTH), h = ilGetInteger(IL_IMAGE_HEIGHT);
  std::vector<uint8_t> rgba(size_t(w) * h * 4);
  ilCopyPixels(0, 0, 0, w, h, 1, IL_RGBA, IL_UNSIGNED_BYTE, rgba.data());
  float window[4];
  ASSERT_TRUE(opaque_window(rgba.data(), w, h, 1.0f / 32.0f, window));
  EXPECT_LT((window[2] - window[0]) * (window[3] - window[1]), 0.5f)
      << "the picture is transparent around its text";

  glDisable(GL_ALPHA_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  const float colour[4] = {1.0f, 1.0f, 1.0f, 0.65f};
  auto frame_with = [&](const float *part) {
    glClearColor(0.11764706f, 0.2f, 0.27450982f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_fullscreen_texture(credits.gl_name, colour, GL_MODULATE, part);
    return rgb_frame();
  };
  const std::vector<uint8_t> whole = frame_with(nullptr), part = frame_with(window);
  EXPECT_EQ(differing_pixels(whole, part), 0);
  EXPECT_GT(drawn_pixels(whole, 60), 2000) << "the credits show";
  glEnable(GL_ALPHA_TEST);
}

namespace {

// One scene on its own, loaded and entered as the director does it.
template <typename Scene> struct LoneScene {
  demo_clock clock;
  Scene scene{&clock};
  LoneScene() {
    set_gl_defaults();
    reset_texture_units();
    scene.load();
    scene.enter();
  }
  ~LoneScene() { scene.leave(); }
  std::vector<uint8_t> frame_at(int32_t t, unsigned seed = 1) {
    clock.prev_ms = clock.now_ms;
    clock.now_ms = clock.start_ms + uint32_t(t);
    scene.update();
    std::srand(seed);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene.render();
    return rgb_frame();
  }
};

} // namespace

TEST(SceneGyroscope, TorusPassGivesBothLightsAndTheLightColourBack) {
  LoneScene<cScene09> lone;
  lone.frame_at(190000);
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0)) << "the spikes are lit by the eye's light";
  EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
  float diffuse[4];
  glGetLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
  EXPECT_FLOAT_EQ(diffuse[0], 1.5f) << "the flicker is the tori's only";
  EXPECT_FLOAT_EQ(diffuse[3], 1.0f);
}

TEST(SceneGyroscope, SpikesShowTheEyeLightAndTheToriFlicker) {
  LoneScene<cScene09> lone;
  // Light 0 alone makes the spikes' orange: with it lost they would be dim.
  const std::vector<uint8_t> f = lone.frame_at(190000);
  int orange = 0;
  for (size_t i = 0; i < f.size(); i += 3)
    orange += f[i] > 150 && f[i + 1] > 60 && f[i + 1] < f[i] - 40 && f[i + 2] < 60;
  EXPECT_GT(orange, 300);
  // At 190,000 ms three tori stand in front of the eye; two flickers differ there.
  int lit_differs = differing_pixels(lone.frame_at(190000, 1), lone.frame_at(190000, 2));
  EXPECT_GT(lit_differs, 500);
}

TEST(SceneGreetings, FramesAreBlackAfterTheLastDrawnMs) {
  LoneScene<cScene10> lone;
  EXPECT_GT(drawn_pixels(lone.frame_at(231710)), 100000) << "the last frame drawn";
  const std::vector<uint8_t> black = lone.frame_at(231711);
  EXPECT_EQ(std::count(black.begin(), black.end(), 0), long(black.size()));
}

TEST(SceneGreetings, LeaveAndEnterAgainDrawTheSameFrame) {
  LoneScene<cScene10> lone;
  const std::vector<uint8_t> first = lone.frame_at(225000);
  lone.scene.leave(); // gives the blur and the picture's texture back
  lone.scene.enter();
  const std::vector<uint8_t> again = lone.frame_at(225000);
  EXPECT_EQ(differing_pixels(first, again), 0);
  EXPECT_GT(drawn_pixels(again), 100000);
}

TEST(SceneLaserRoom, EntrySetsModulateOnUnitZeroWhateverCameBefore) {
  for (const char *file : kSceneData)
    ASSERT_TRUE(std::filesystem::exists(file)) << file << " is missing: build the data target";
  set_gl_defaults();
  demo_clock clock{5000, 5000, 5000};
  cScene *scene = create_show_scene(6, &clock);
  scene->load();
  for (GLint before : {GL_DECAL, GL_REPLACE, GL_MODULATE}) {
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, before);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    scene->enter();
    GLint active = 0, env = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE) << before;
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
    scene->leave();
  }
  delete scene;
}

// The picture drawn into a quarter of the window, centred with black bars
// around it, is the whole-window picture at half the resolution: the blur's
// capture, the full-screen pictures and the camera follow the picture area.
struct PictureAreaCase {
  int scene;
  int32_t at;
};
struct PictureArea : testing::TestWithParam<PictureAreaCase> {};

TEST_P(PictureArea, QuarterPictureMatchesTheWholeWindowHalved) {
  const PictureAreaCase &c = GetParam();
  for (const char *file : kSceneData)
    ASSERT_TRUE(std::filesystem::exists(file)) << file << " is missing: build the data target";
  const std::string markers = scene_marker(c.scene, 400);
  const std::vector<uint8_t> whole = play(markers, 400, {c.at}).at(c.at);

  const picture_rect quarter{kWidth / 4, kHeight / 4, kWidth / 2, kHeight / 2};
  set_picture_area(quarter, kWidth, kHeight);
  std::vector<uint8_t> small = play(markers, 400, {c.at}).at(c.at);
  clear_picture_bars();
  small = rgb_frame();
  set_picture_area(picture_area_for(kWidth, kHeight), kWidth, kHeight);
  set_gl_defaults();

  double sum = 0;
  int lit_bars = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const uint8_t *p = &small[(size_t(y) * kWidth + x) * 3];
      const bool inside = x >= quarter.x && x < quarter.x + quarter.width && y >= quarter.y &&
                          y < quarter.y + quarter.height;
      if (!inside) {
        lit_bars += p[0] + p[1] + p[2] != 0;
        continue;
      }
      const int wx = 2 * (x - quarter.x), wy = 2 * (y - quarter.y);
      for (int ch = 0; ch < 3; ++ch) {
        int mean = 0;
        for (int k = 0; k < 4; ++k)
          mean += whole[(size_t(wy + k / 2) * kWidth + size_t(wx + k % 2)) * 3 + size_t(ch)];
        sum += std::abs(mean / 4.0 - p[ch]);
      }
    }
  const double mean_abs = sum / (double(quarter.width) * quarter.height * 3);
  EXPECT_EQ(lit_bars, 0) << "the bars are black";
  EXPECT_LT(mean_abs, 0.03 * 255) << "scene " << c.scene << " at " << c.at << " ms";
  EXPECT_GT(drawn_pixels(whole), 5000);
  if (HasFailure()) {
    save_rgb(whole, "picture-area-s" + std::to_string(c.scene) + "-whole");
    save_rgb(small, "picture-area-s" + std::to_string(c.scene) + "-quarter");
  }
}

// Scene 1 lays its credits over the screen; scenes 4 and 10 blur a captured
// frame, over a full-screen background and in front of the greetings.
INSTANTIATE_TEST_SUITE_P(Scenes, PictureArea,
                         testing::Values(PictureAreaCase{1, 2400}, PictureAreaCase{4, 2400},
                                         PictureAreaCase{10, 2400}),
                         [](const testing::TestParamInfo<PictureAreaCase> &info) {
                           return "Scene" + std::to_string(info.param.scene);
                         });
