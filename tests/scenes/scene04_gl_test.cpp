// The orchid grid under the GL with the show's data (in the window and
// environment of the scene GL tests): what leave() gives back comes back on
// the next entry, the light-model ambient is put back only after an entry,
// and the background's attribute push leaves the depth test to the orchids.
#include "platform/gl_extensions.h"

#include "scenes/cScene04.h"

#include "support/gl_window.h"

#include <array>
#include <filesystem>
#include <vector>

using namespace gl_test;

namespace {

std::array<float, 4> ambient() {
  std::array<float, 4> a{};
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, a.data());
  return a;
}

void set_ambient(const std::array<float, 4> &a) {
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, a.data());
}

// One frame of the scene at demo time t ms, dt after the last.
frame draw_at(cScene04 &scene, demo_clock &clock, uint32_t t) {
  clock.prev_ms = clock.now_ms;
  clock.now_ms = clock.start_ms + t;
  scene.update();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  scene.render();
  return read_frame();
}

struct Scene04Gl : testing::Test {
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists("../data/models/orchid_models_obj/orchid.rar"))
        << "build the data target";
    set_gl_defaults();
    clock.start_ms = 1000;
    clock.now_ms = clock.prev_ms = 1000;
  }
  demo_clock clock;
};

} // namespace

TEST_F(Scene04Gl, AmbientComesBackOnlyAfterAnEntry) {
  const std::array<float, 4> before = {0.3f, 0.2f, 0.1f, 1.0f};
  set_ambient(before);
  {
    cScene04 never_entered(&clock);
    never_entered.load();
  }
  EXPECT_EQ(ambient(), before) << "a scene never entered has no ambient to give back";

  cScene04 scene(&clock);
  scene.load();
  scene.enter();
  EXPECT_EQ(ambient(), (std::array<float, 4>{0, 0, 0, 0}));
  scene.enter(); // a switch to the current scene enters twice
  scene.leave();
  EXPECT_EQ(ambient(), before) << "the ambient found at the first entry";
  set_ambient({0.5f, 0.5f, 0.5f, 1.0f});
  scene.leave(); // the destructor leaves again
  EXPECT_EQ(ambient(), (std::array<float, 4>{0.5f, 0.5f, 0.5f, 1.0f}));
}

TEST_F(Scene04Gl, SecondEntryRemakesTheBlurAndTheBackground) {
  cScene04 scene(&clock);
  scene.load();
  scene.enter();
  const demo_event bd{EV_BD, 0, nullptr};
  scene.on_event(&bd);
  const frame first = draw_at(scene, clock, 40);
  scene.leave();
  scene.enter();
  scene.on_event(&bd);
  clock.now_ms = clock.start_ms; // the same frame again
  const frame again = draw_at(scene, clock, 40);
  EXPECT_EQ(first, again);
  EXPECT_GT(covered(again, rgba{0, 0, 0, 0}), kWidth * kHeight / 2) << "the garden shows";
  scene.leave();
}

TEST_F(Scene04Gl, OrchidsDrawWithTheDepthTestAfterTheBackground) {
  cScene04 scene(&clock);
  scene.load();
  scene.enter();
  for (uint32_t t : {40u, 80u}) {
    draw_at(scene, clock, t);
    // The background turned the depth test off inside its push; the blur
    // pushes and pops its own.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << t;
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << t;
    GLint env = 0;
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_REPLACE) << t;
  }
  scene.leave();
}
