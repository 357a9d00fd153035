// cTexture on a real GL context: PNG decoding and orientation, 1D textures
// for one-row images, name reuse, state left behind, and fatal misses.
#include "assets/cTexture.h"

#include <GL/glu.h>

#include "asset_test_files.h"
#include "png_file.h"
#include "support/gl_window.h"

namespace {

using gl_test::expect_pixels;

class TextureGl : public testing::Test {
protected:
  void SetUp() override {
    asset_test::clear_search_path();
    add_search_dir(dir_.path());
    // 2x2: top row red, green; bottom row blue, white.
    png_file::write(dir_.path() + "/quad.png", 2, 2, 4,
                    {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255});
    // One row: red, green, blue, white.
    png_file::write(dir_.path() + "/row.png", 4, 1, 3,
                    {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    // 3x3 RGB: rows of 9 bytes, not a multiple of 4.
    std::vector<uint8_t> odd;
    for (int i = 0; i < 27; ++i)
      odd.push_back(uint8_t(i * 9));
    png_file::write(dir_.path() + "/odd.png", 3, 3, 3, odd);
    gl_test::reset_matrices();
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    while (glGetError() != GL_NO_ERROR) {
    }
  }
  void TearDown() override { asset_test::clear_search_path(); }

  static void draw_unit_quad() {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(1, 0);
    glVertex2f(1, -1);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1);
    glVertex2f(-1, 1);
    glEnd();
  }

  asset_test::scratch_dir dir_{"texture_gl"};
};

TEST_F(TextureGl, PngDrawsUprightOnAQuad) {
  cTexture t;
  t.load("quad.png");
  EXPECT_NE(t.il_image, 0u);
  EXPECT_EQ(t.target, GLenum(GL_TEXTURE_2D));
  t.upload(false, GL_CLAMP);
  ASSERT_NE(t.gl_name, 0u);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_TEXTURE_2D);
  t.bind();
  draw_unit_quad();
  glDisable(GL_TEXTURE_2D);
  expect_pixels({{200, 450, 255, 0, 0},
                 {600, 450, 0, 255, 0},
                 {200, 150, 0, 0, 255},
                 {600, 150, 255, 255, 255}});
  GLint min_filter = 0, wrap = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  EXPECT_EQ(min_filter, GL_LINEAR);
  EXPECT_EQ(wrap, GL_CLAMP);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureGl, OneRowImageBecomesAOneDimensionalRgbTexture) {
  cTexture t;
  t.load("row.png");
  EXPECT_EQ(t.target, GLenum(GL_TEXTURE_1D));
  t.upload(false, GL_CLAMP);
  t.bind();
  GLint bound = 0, internal = 0, width = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_1D, &bound);
  EXPECT_EQ(GLuint(bound), t.gl_name);
  glGetTexLevelParameteriv(GL_TEXTURE_1D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
  glGetTexLevelParameteriv(GL_TEXTURE_1D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(internal, GL_RGB);
  EXPECT_EQ(width, 4);

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_TEXTURE_1D);
  draw_unit_quad();
  glDisable(GL_TEXTURE_1D);
  expect_pixels({{100, 300, 255, 0, 0},
                 {300, 300, 0, 255, 0},
                 {500, 300, 0, 0, 255},
                 {700, 300, 255, 255, 255}});

  // With mipmaps: a one-dimensional chain, without a word.
  testing::internal::CaptureStderr();
  t.upload(true, GL_REPEAT);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  t.bind();
  GLint level2_width = 0, min_filter = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_1D, 2, GL_TEXTURE_WIDTH, &level2_width);
  glGetTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, &min_filter);
  EXPECT_EQ(level2_width, 1);
  EXPECT_EQ(min_filter, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureGl, RowsThatAreNoMultipleOfFourArriveIntact) {
  cTexture t;
  t.load("odd.png");
  t.upload(false, GL_REPEAT);
  t.bind();
  std::vector<uint8_t> back(27, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
  // Stored bottom row first: the file's last row comes first.
  for (int x = 0; x < 9; ++x) {
    EXPECT_EQ(back[x], uint8_t((18 + x) * 9));
    EXPECT_EQ(back[18 + x], uint8_t(x * 9));
  }
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4); // restored
}

TEST_F(TextureGl, UploadKeepsItsNameAndTheEnableState) {
  cTexture t;
  t.load("quad.png");
  glEnable(GL_TEXTURE_1D);
  t.upload(true, GL_REPEAT);
  const GLuint first = t.gl_name;
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_1D));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  glDisable(GL_TEXTURE_1D);
  t.upload(false, GL_CLAMP);
  EXPECT_EQ(t.gl_name, first);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_1D));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), first); // stays bound on the active unit
}

TEST_F(TextureGl, ReloadAndDeleteGoBackToEarlierStates) {
  cTexture t;
  t.delete_gl_texture(); // never uploaded: nothing happens
  EXPECT_EQ(t.gl_name, 0u);
  t.load("row.png");
  t.upload(false, GL_CLAMP);
  const GLuint old_name = t.gl_name;
  const ILuint old_image = t.il_image;
  t.load("quad.png");
  EXPECT_EQ(t.gl_name, 0u);
  EXPECT_FALSE(glIsTexture(old_name));
  EXPECT_FALSE(ilIsImage(old_image) && old_image != t.il_image);
  EXPECT_EQ(t.target, GLenum(GL_TEXTURE_2D)); // not left at 1D by the row image
  t.upload(false, GL_CLAMP);
  const GLuint uploaded = t.gl_name;
  t.delete_gl_texture();
  EXPECT_EQ(t.gl_name, 0u);
  EXPECT_FALSE(glIsTexture(uploaded));
  EXPECT_NE(t.il_image, 0u); // the decoded image stays
  t.upload(false, GL_CLAMP);
  EXPECT_NE(t.gl_name, 0u);
  EXPECT_TRUE(glIsTexture(t.gl_name));
  t.release();
  EXPECT_EQ(t.gl_name, 0u);
  EXPECT_EQ(t.il_image, 0u);
}

TEST_F(TextureGl, UndecodableFileIsReportedNotFatal) {
  dir_.write("broken.png", "this is no picture");
  cTexture t;
  t.load("broken.png");
  testing::internal::CaptureStderr();
  t.upload(true, GL_REPEAT);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("## ERROR"), std::string::npos) << err;
  EXPECT_NE(t.gl_name, 0u);
}

TEST_F(TextureGl, MissingFileEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(cTexture().load("missing.png"), testing::ExitedWithCode(255),
              "## ERROR: in cTexture line [0-9]+: file was not found in path: missing.png");
}

} // namespace
