// Extension-string matching, the power-of-two and wrap helpers, and the
// POSIX stand-ins.
#include "platform/gl_defaults.h"
#include "platform/gl_extensions.h"
#include "platform/picture_area.h"
#include "platform/win32_compat.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

TEST(ExtensionList, MatchesWholeTokensOnly) {
  const char *list = "GL_ARB_multitexture_extra GL_EXT_foo GL_ARB_vertex_buffer_object";
  EXPECT_FALSE(extension_list_has(list, "GL_ARB_multitexture"));
  EXPECT_TRUE(extension_list_has(list, "GL_EXT_foo"));
  EXPECT_TRUE(extension_list_has(list, "GL_ARB_vertex_buffer_object")); // last token
  EXPECT_FALSE(extension_list_has(list, "GL_EXT_fo"));
  EXPECT_FALSE(extension_list_has(list, "GL_ARB_vertex_buffer_object_x"));
  EXPECT_FALSE(extension_list_has("", "GL_EXT_foo"));
  EXPECT_FALSE(extension_list_has(nullptr, "GL_EXT_foo"));
  EXPECT_TRUE(extension_list_has("GL_A  GL_B ", "GL_B"));
}

TEST(GlEntry, NullEntryCallsAreHarmless) {
  gl_entry<void (*)(GLenum)> missing;
  EXPECT_FALSE(missing);
  missing(GL_TEXTURE0_ARB);
  gl_entry<GLboolean (*)(GLenum)> missing_result;
  EXPECT_EQ(missing_result(0), GL_FALSE);
}

TEST(PowerOfTwo, SmallestPowerStrictlyAbove) {
  const std::pair<int32_t, uint32_t> cases[] = {{800, 1024},  {600, 1024}, {512, 1024},
                                                {1, 2},       {0, 0},      {1023, 1024},
                                                {1024, 2048}, {3, 4},      {-7, 1}};
  for (auto [n, expected] : cases)
    EXPECT_EQ(next_power_of_two_above(&n), expected) << n;
}

TEST(WrapFloat, WrapsIntoPeriod) {
  auto wrap = [](float a, float b) { return wrap_float(&a, &b); };
  EXPECT_DOUBLE_EQ(wrap(2.5f, 4.0f), 2.5);
  EXPECT_DOUBLE_EQ(wrap(9.0f, 4.0f), 1.0);
  EXPECT_DOUBLE_EQ(wrap(4.0f, 4.0f), 0.0);
  EXPECT_DOUBLE_EQ(wrap(-1.0f, 4.0f), 3.0);
  EXPECT_DOUBLE_EQ(wrap(-9.0f, 4.0f), 3.0);
}

TEST(FullPath, RelativeNamesBecomeAbsoluteAndNormalised) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  char out[4096];
  char *file = nullptr;
  uint32_t n = GetFullPathNameA("../data/./models/x.obj", sizeof out, out, &file);
  std::string parent = std::string(cwd).substr(0, std::string(cwd).rfind('/'));
  EXPECT_EQ(std::string(out), (parent.empty() ? "" : parent) + "/data/models/x.obj");
  EXPECT_EQ(n, std::string(out).size());
  ASSERT_NE(file, nullptr);
  EXPECT_STREQ(file, "x.obj");
  EXPECT_GT(GetFullPathNameA("/a/b", 3, out, nullptr), 3u); // too small: needed size
  EXPECT_EQ(GetFullPathNameA("", sizeof out, out, nullptr), 0u);
  GetFullPathNameA("/a/b/../../..", sizeof out, out, nullptr);
  EXPECT_STREQ(out, "/");
}

TEST(TickCount, IsMonotonic) {
  uint32_t a = GetTickCount();
  usleep(20000);
  uint32_t b = GetTickCount();
  EXPECT_GE(b - a, 15u);
  EXPECT_LT(b - a, 2000u);
}

TEST(FileExists, OpensForReading) {
  EXPECT_TRUE(file_exists("/proc/self/status"));
  EXPECT_FALSE(file_exists("/nonexistent/file"));
  EXPECT_FALSE(file_exists(nullptr));
}

TEST(PictureArea, LargestCentredFourByThree) {
  struct {
    int32_t w, h, x, y, pw, ph;
  } const cases[] = {
      {800, 600, 0, 0, 800, 600},       {1920, 1080, 240, 0, 1440, 1080},
      {1600, 1200, 0, 0, 1600, 1200},   {1080, 1920, 0, 555, 1080, 810},
      {1366, 768, 171, 0, 1024, 768},   {801, 600, 0, 0, 800, 600},
      {2560, 1600, 213, 0, 2133, 1600}, {4, 3, 0, 0, 4, 3},
  };
  for (const auto &c : cases) {
    const picture_rect r = picture_area_for(c.w, c.h);
    EXPECT_EQ(r.x, c.x) << c.w << "x" << c.h;
    EXPECT_EQ(r.y, c.y) << c.w << "x" << c.h;
    EXPECT_EQ(r.width, c.pw) << c.w << "x" << c.h;
    EXPECT_EQ(r.height, c.ph) << c.w << "x" << c.h;
  }
}
