// Effects toolkit: the blur's copy arithmetic and the target's sizes, then
// on a real GL the capture, the radial blur (state left as found, streaks
// outward from its centre) and the 2D overlays.
#include "effects/cPostRadialblur.h"
#include "effects/cRenderTarget.h"
#include "effects/overlays.h"
#include "platform/picture_area.h"

#include "support/gl_window.h"

#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>

using namespace gl_test;

namespace {

GLint get_int(GLenum what) {
  GLint v = 0;
  glGetIntegerv(what, &v);
  return v;
}

// The state the effects promise to leave as they found it, as numbers: blend
// factors, enables, units 0 and 1 (binding, texturing, environment, LOD bias)
// and, for the blur, both matrices (the overlays leave their 2D ones set).
std::vector<double> gl_state(bool with_matrices = true) {
  std::vector<double> s;
  for (GLenum what : {GL_BLEND_SRC, GL_BLEND_DST, GL_ACTIVE_TEXTURE, GL_MATRIX_MODE})
    s.push_back(get_int(what));
  for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_COLOR_MATERIAL, GL_BLEND,
                     GL_CULL_FACE, GL_ALPHA_TEST})
    s.push_back(glIsEnabled(cap));
  const GLint active = get_int(GL_ACTIVE_TEXTURE);
  for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB}) {
    glActiveTextureARB(unit);
    GLint env = 0;
    float bias = -5;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    glGetTexEnvfv(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, &bias);
    s.insert(s.end(), {double(get_int(GL_TEXTURE_BINDING_2D)), double(glIsEnabled(GL_TEXTURE_2D)),
                       double(glIsEnabled(GL_TEXTURE_GEN_S)), double(env), bias});
  }
  glActiveTextureARB(GLenum(active));
  float m[16];
  for (GLenum matrix : {GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX}) {
    if (!with_matrices)
      break;
    glGetFloatv(matrix, m);
    s.insert(s.end(), m, m + 16);
  }
  return s;
}

std::vector<GLint> viewport() {
  std::vector<GLint> v(4);
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

void clear_to(float r, float g, float b) {
  glClearColor(r, g, b, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// A pixel-space quad drawn flat, without depth, lighting or texturing.
void pixel_quad(float x0, float y0, float x1, float y1, float r, float g, float b) {
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_CULL_FACE);
  begin_ortho();
  glColor4f(r, g, b, 1);
  glBegin(GL_QUADS);
  glVertex2f(x0, y0);
  glVertex2f(x1, y0);
  glVertex2f(x1, y1);
  glVertex2f(x0, y1);
  glEnd();
  glPopAttrib();
}

struct Effects : testing::Test {
  void SetUp() override {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(0, 0, kWidth, kHeight);
  }
  void TearDown() override {
    glPopAttrib();
    glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  }
};

} // namespace

TEST(BlurArithmetic, ModeZeroBiasGrowsAcrossTheCopiesAndModeOneShrinks) {
  float b = 0.0f;
  for (int i = 0; i < 100; i += 2) {
    b = cPostRadialblur::copy_bias(0, i, 100, 4.0f, b);
    EXPECT_NEAR(b, 0.06f * i, 1e-5f) << i;
    EXPECT_NEAR(cPostRadialblur::copy_bias(1, i, 100, 4.0f, 0.0f), 0.06f * (100 - i), 1e-5f) << i;
  }
  testing::internal::CaptureStderr();
  EXPECT_FLOAT_EQ(cPostRadialblur::copy_bias(7, 10, 100, 4.0f, 0.5f), 0.5f) << "keeps the last";
  EXPECT_FLOAT_EQ(cPostRadialblur::copy_bias(-1, 10, 100, 4.0f, 0.0f), 0.0f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "# ERROR, unknown case in cPostRadialblur, line 129\n"
            "# ERROR, unknown case in cPostRadialblur, line 129\n");
}

TEST(BlurArithmetic, CopyCountIsEverySecondOfZoomTimesAHundred) {
  // Below 0.01 only the sharp copy is drawn.
  const std::pair<float, int> cases[] = {{1.0f, 50}, {0.75f, 38}, {0.5f, 25},
                                         {0.3f, 15}, {0.009f, 0}, {0.0f, 0}};
  for (auto [zoom, copies] : cases)
    EXPECT_EQ(cPostRadialblur::copy_count(zoom), copies) << zoom;
}

TEST(TargetSizes, EdgeIsThePowerOfTwoCoveringTheAreaAndLevelsStopAtThreeUnlessAti) {
  const int edges[][3] = {
      {800, 600, 1024}, {512, 512, 512}, {513, 100, 1024}, {100, 300, 512}, {1, 1, 1}};
  for (const auto &e : edges)
    EXPECT_EQ(cRenderTarget::edge_for(e[0], e[1]), e[2]) << e[0] << "x" << e[1];
  // On that vendor's driver every level down to 1x1.
  const int levels[][3] = {{1024, 0, 3}, {1024, 1, 11}, {512, 1, 10}, {2, 0, 2}, {1, 1, 1}};
  for (const auto &l : levels)
    EXPECT_EQ(cRenderTarget::allocated_levels(l[0], l[1]), l[2]) << l[0] << (l[1] ? " ati" : "");
}

TEST(TargetSizes, ExtentIsTheCapturedShareOfTheTexture) {
  cRenderTarget t;
  t.set_size(800, 600);
  float s = 0, u = 0;
  t.get_tex_extent(&s, &u);
  EXPECT_FLOAT_EQ(s, 0.78125f) << "before create the coming edge is used";
  EXPECT_FLOAT_EQ(u, 0.5859375f);
  t.texture_size = 2048;
  t.get_tex_extent(&s, &u);
  EXPECT_FLOAT_EQ(s, 0.390625f);
  cRenderTarget empty;
  empty.get_tex_extent(&s, &u);
  EXPECT_EQ(s, 0.0f);
  EXPECT_EQ(u, 0.0f);
}

TEST_F(Effects, TargetTextureHasTheClampedChainOrTheFullOne) {
  cRenderTarget plain;
  plain.set_size(800, 600);
  EXPECT_FALSE(plain.is_ati) << "the test GL is not from that vendor";
  plain.create();
  ASSERT_NE(plain.texture, 0u);
  EXPECT_EQ(plain.texture_size, 1024);
  const GLuint first = plain.texture;
  plain.create();
  EXPECT_EQ(plain.texture, first) << "create makes the texture once";
  glBindTexture(GL_TEXTURE_2D, plain.texture);
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), GLint(plain.texture));
  auto param = [](GLenum what) {
    GLint v = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, what, &v);
    return v;
  };
  auto width = [](int level) {
    GLint v = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &v);
    return v;
  };
  EXPECT_EQ(param(GL_TEXTURE_MAX_LEVEL), 3);
  EXPECT_EQ(param(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(param(GL_TEXTURE_WRAP_S), GL_CLAMP);
  EXPECT_EQ(width(0), 1024);
  EXPECT_EQ(width(2), 256);

  cRenderTarget ati;
  ati.is_ati = true;
  ati.set_size(800, 600);
  ati.create();
  glBindTexture(GL_TEXTURE_2D, ati.texture);
  EXPECT_EQ(param(GL_TEXTURE_MAX_LEVEL), 1000) << "no level limits on that path";
  EXPECT_EQ(width(10), 1) << "every level down to 1x1";
  glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(Effects, CaptureCopiesTheFrameRestoresTheViewportAndClears) {
  cRenderTarget t;
  t.set_size(800, 600);
  t.create();
  glViewport(10, 20, 300, 200);
  t.begin();
  EXPECT_EQ(viewport(), (std::vector<GLint>{0, 0, 800, 600}));
  clear_to(0, 0, 0);
  pixel_quad(100, 50, 200, 150, 1, 0, 0);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_2D);
  const GLuint other = 0;
  glBindTexture(GL_TEXTURE_2D, other);
  glClearColor(0, 0, 1, 1);
  t.end();
  EXPECT_EQ(viewport(), (std::vector<GLint>{10, 20, 300, 200}));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "texture state is popped";
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), 0);
  const auto frame = read_frame();
  EXPECT_EQ(at(frame, 150, 100).b, 255) << "cleared after the copy";
  EXPECT_EQ(at(frame, 150, 100).r, 0);

  std::vector<uint8_t> level0(1024 * 1024 * 4);
  glBindTexture(GL_TEXTURE_2D, t.texture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level0.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  auto texel = [&](int x, int y) { return &level0[(y * 1024 + x) * 4]; };
  EXPECT_EQ(texel(150, 100)[0], 255) << "the red quad was captured";
  EXPECT_EQ(texel(50, 100)[0], 0);
}

TEST_F(Effects, CaptureTakesThePictureWhereverItLiesInTheWindow) {
  const picture_rect places[] = {
      {0, 0, 800, 600}, {200, 0, 400, 300}, {0, 150, 400, 300}, {200, 150, 400, 300}};
  for (const picture_rect &p : places) {
    set_picture_area(p, kWidth, kHeight);
    apply_picture_viewport();
    cRenderTarget t;
    t.set_size(uint32_t(p.width), uint32_t(p.height));
    t.create();
    t.begin();
    clear_to(0, 0, 0);
    pixel_quad(100, 50, 200, 150, 1, 0, 0); // in the show's 800 x 600 units
    t.end();
    std::vector<uint8_t> level0(size_t(t.texture_size) * t.texture_size * 4);
    glBindTexture(GL_TEXTURE_2D, t.texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level0.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    const float scale = float(p.width) / 800.0f;
    auto red = [&](float x, float y) {
      return level0[(size_t(y * scale) * t.texture_size + size_t(x * scale)) * 4];
    };
    EXPECT_EQ(red(150, 100), 255) << "picture at " << p.x << ", " << p.y;
    EXPECT_EQ(red(50, 100), 0) << "picture at " << p.x << ", " << p.y;
    EXPECT_EQ(red(150, 180), 0) << "picture at " << p.x << ", " << p.y;
  }
  set_picture_area(picture_area_for(kWidth, kHeight), kWidth, kHeight);
  apply_picture_viewport();
}

TEST_F(Effects, BlurLeavesTheGlStateAsItFoundIt) {
  cPostRadialblur blur(800, 600, 0, 4.0f);
  blur.prepare();
  GLuint a = 0, b = 0;
  glGenTextures(1, &a);
  glGenTextures(1, &b);
  glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_SRC_COLOR);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glBindTexture(GL_TEXTURE_2D, a);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
  glEnable(GL_TEXTURE_GEN_S);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glBindTexture(GL_TEXTURE_2D, b);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_COLOR_MATERIAL);
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(70, 4.0 / 3.0, 1, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1, 2, 3);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  const std::vector<double> before = gl_state();
  blur.render();
  EXPECT_EQ(gl_state(), before);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDeleteTextures(1, &a);
  glDeleteTextures(1, &b);
}

TEST_F(Effects, ABrightDotStreaksOutwardFromTheCentre) {
  cPostRadialblur blur(800, 600, 0, 4.0f);
  blur.prepare();
  // The copies' alpha stays at or below 0.1 x intensity: the scenes that
  // own a blur switch the default alpha test off, and so does this one.
  glDisable(GL_ALPHA_TEST);
  // The zoom centre in texture space, 0.5 of a 1024 texture, is the
  // window pixel (512, 512).
  auto run = [&](float intensity, float zoom) {
    blur.target->begin();
    clear_to(0, 0, 0);
    pixel_quad(296, 296, 304, 304, 1, 1, 1);
    blur.target->end();
    blur.intensity = intensity;
    blur.zoom = zoom;
    blur.render();
    return read_frame();
  };
  const auto streaked = run(1.0f, 1.0f);
  EXPECT_GT(at(streaked, 300, 300).sum(), 700) << "the sharp copy keeps the dot";
  EXPECT_GT(mean_sum(streaked, 250, 250, 2), 40) << "the streak runs away from the centre";
  EXPECT_GT(mean_sum(streaked, 200, 200, 2), 20);
  EXPECT_LT(mean_sum(streaked, 380, 380, 3), 6) << "nothing toward the centre";
  EXPECT_LT(mean_sum(streaked, 250, 350, 3), 6) << "nothing sideways";

  const auto sharp_only = run(0.0f, 1.0f);
  EXPECT_GT(at(sharp_only, 300, 300).sum(), 700);
  EXPECT_LT(mean_sum(sharp_only, 250, 250, 2), 3) << "intensity 0: only the sharp copy";
  const auto no_copies = run(1.0f, 0.005f);
  EXPECT_LT(mean_sum(no_copies, 250, 250, 2), 3) << "zoom below 0.01: no copies";
}

TEST_F(Effects, InvertTwiceGivesThePictureBackAndZeroBlacksOut) {
  clear_to(0.2f, 0.4f, 0.6f);
  pixel_quad(100, 100, 300, 300, 1, 0.5f, 0);
  glEnable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  const auto before = read_frame();
  const std::vector<double> state = gl_state(false);
  overlay_invert(1.0f);
  const auto inverted = read_frame();
  EXPECT_NEAR(at(inverted, 10, 10).r, 255 - at(before, 10, 10).r, 1);
  EXPECT_NEAR(at(inverted, 200, 200).b, 255 - at(before, 200, 200).b, 1);
  overlay_invert(1.0f);
  const auto back = read_frame();
  EXPECT_NEAR(at(back, 10, 10).g, at(before, 10, 10).g, 1);
  EXPECT_NEAR(at(back, 200, 200).r, at(before, 200, 200).r, 1);
  EXPECT_EQ(gl_state(false), state) << "enables and blend factors are restored";
  overlay_invert(0.0f);
  EXPECT_EQ(at(read_frame(), 200, 200).sum(), 0);
}

TEST_F(Effects, NoiseDrawsOnlyTheNearStripsAndUsesFiveHundredRandomNumbers) {
  clear_to(0, 0, 0);
  // The overlay leaves lighting and culling as they are: unlit strips are
  // the caller's choice.
  glDisable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  std::srand(1234);
  std::vector<std::pair<float, float>> strips; // y, height
  for (int i = 0; i < 250; ++i) {
    const float y = float(std::rand()) * 600.0f / float(RAND_MAX);
    const float h = float(std::rand()) * 60.0f / float(RAND_MAX);
    strips.emplace_back(y, h);
  }
  const int expected = std::rand();
  std::srand(1234);
  const std::vector<double> state = gl_state(false);
  overlay_noise();
  EXPECT_EQ(std::rand(), expected) << "exactly 500 values drawn";
  EXPECT_EQ(gl_state(false), state) << "enables restored, lighting and culling left alone";

  // Strips 0 to 12 lie within the depth range; the rest are clipped.
  const auto f = read_frame();
  int lit_rows = 0, checked_rows = 0;
  for (int row = 0; row < kHeight; ++row) {
    const float centre = row + 0.5f;
    bool near_edge = false, inside_near = false;
    for (size_t i = 0; i < strips.size(); ++i) {
      const float y0 = strips[i].first, y1 = y0 + strips[i].second;
      near_edge |= std::abs(centre - y0) < 1.0f || std::abs(centre - y1) < 1.0f;
      inside_near |= i <= 12 && centre >= y0 && centre < y1;
    }
    if (near_edge)
      continue;
    ++checked_rows;
    const rgba p = at(f, 400, row);
    if (inside_near) {
      ++lit_rows;
      EXPECT_GE(p.r, 45) << "row " << row << ": a white strip at alpha 0.2";
      EXPECT_EQ(p.r, p.b);
    } else {
      EXPECT_EQ(p.sum(), 0) << "row " << row << ": no near strip here";
    }
  }
  EXPECT_GT(lit_rows, 20);
  EXPECT_GT(checked_rows, 80) << "rows clear of every strip edge";
}

// Runs in a fresh process (the death-test machinery starts one), where no
// save has happened yet whatever other tests of this binary did.
TEST(FlashBeforeAnySave, KeepsTheBlendFactorsItFindsInsteadOfZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        clear_to(0, 0, 0);
        glBlendFunc(GL_ONE, GL_ONE);
        overlay_flash(0.5f);
        const int red = at(read_frame(), 400, 300).r;
        const GLint src = get_int(GL_BLEND_SRC);
        const GLint dst = get_int(GL_BLEND_DST);
        std::fprintf(stderr, "saved %d, factors %#x %#x, red %d\n", saved_blend_src, src, dst, red);
        const bool fresh = saved_blend_src == 0 && saved_blend_dst == 0;
        std::exit(fresh && src == GL_ONE && dst == GL_ONE && std::abs(red - 128) <= 2 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "saved 0, factors 0x1 0x1, red 12[789]");
}

TEST_F(Effects, FlashMovesTowardWhiteAndThenSetsTheSavedFactors) {
  clear_to(0, 0, 0);
  glBlendFunc(GL_ONE, GL_ONE);
  save_blend();
  EXPECT_EQ(saved_blend_src, GL_ONE);
  EXPECT_EQ(saved_blend_dst, GL_ONE);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  overlay_flash(0.5f);
  EXPECT_NEAR(at(read_frame(), 400, 300).r, 64, 2) << "0.5 * 0.5 added over black";
  EXPECT_EQ(get_int(GL_BLEND_SRC), GL_ONE) << "afterwards the saved factors are set";
  EXPECT_EQ(get_int(GL_BLEND_DST), GL_ONE);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "enable bits are restored";
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  restore_blend();
  EXPECT_EQ(get_int(GL_BLEND_SRC), GL_ONE);
  EXPECT_EQ(get_int(GL_BLEND_DST), GL_ONE);
}
