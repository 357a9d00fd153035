// The demo's command line: what each good one asks for, and the reason a
// bad one is refused (the program then prints usage and exits with 2).
#include "runtime/cDemoOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct OptionsCase {
  std::vector<const char *> args;
  // Empty for a good command line, else a piece of the reason.
  std::string refused;
  bool windowed, desktop;
  int32_t width, height;
};

std::string parse(const OptionsCase &c, cDemoOptions *options) {
  std::vector<const char *> argv = {"demo"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  return options->parse(static_cast<int>(argv.size()), argv.data());
}
} // namespace

TEST(DemoOptions, GoodAndBadCommandLines) {
  const OptionsCase cases[] = {
      {{}, "", false, false, 0, 0},
      {{"--window"}, "", true, false, 0, 0},
      {{"--size", "1920x1080"}, "", false, false, 1920, 1080},
      {{"--window", "--size=1024x768"}, "", true, false, 1024, 768},
      {{"--desktop"}, "", false, true, 0, 0},
      {{"--size", "16384x16384"}, "", false, false, 16384, 16384},
      {{"--size", "4x3"}, "", false, false, 4, 3},
      {{"--studio"}, "", true, false, 0, 0},
      {{"--size"}, "needs a value", false, false, 0, 0},
      {{"--size", "1920"}, "WxH", false, false, 0, 0},
      {{"--size", "1920x"}, "WxH", false, false, 0, 0},
      {{"--size", "x1080"}, "WxH", false, false, 0, 0},
      {{"--size", "1920x1080x2"}, "WxH", false, false, 0, 0},
      {{"--size", "-640x480"}, "WxH", false, false, 0, 0},
      {{"--size", "640x-480"}, "WxH", false, false, 0, 0},
      {{"--size", "0x600"}, "too small", false, false, 0, 0},
      {{"--size", "800x0"}, "too small", false, false, 0, 0},
      {{"--size", "16385x600"}, "largest GL viewport", false, false, 0, 0},
      {{"--size", "99999999999x600"}, "largest GL viewport", false, false, 0, 0},
      {{"--window=yes"}, "takes no value", false, false, 0, 0},
      {{"--fullscreen"}, "unknown option --fullscreen", false, false, 0, 0},
      {{"800x600"}, "unknown option 800x600", false, false, 0, 0},
      {{"--desktop", "--size", "800x600"}, "--desktop", false, false, 0, 0},
      {{"--desktop", "--window"}, "--desktop", false, false, 0, 0},
      {{"--from", "-5"}, "--from", false, false, 0, 0},
      {{"--from", "3s"}, "--from", false, false, 0, 0},
  };
  for (const OptionsCase &c : cases) {
    std::string line;
    for (const char *a : c.args)
      line += std::string(a) + " ";
    cDemoOptions options;
    const std::string error = parse(c, &options);
    if (!c.refused.empty()) {
      EXPECT_NE(error.find(c.refused), std::string::npos) << line << "-> \"" << error << "\"";
      EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
      continue;
    }
    EXPECT_EQ(error, "") << line;
    EXPECT_EQ(options.windowed, c.windowed) << line;
    EXPECT_EQ(options.desktop, c.desktop) << line;
    EXPECT_EQ(options.width, c.width) << line;
    EXPECT_EQ(options.height, c.height) << line;
  }
}

TEST(DemoOptions, HelpWinsOverEverythingAfterIt) {
  cDemoOptions options;
  const char *argv[] = {"demo", "--help", "--window"};
  EXPECT_EQ(options.parse(3, argv), "");
  EXPECT_TRUE(options.help);
  EXPECT_NE(std::string(cDemoOptions::usage()).find("--size WxH"), std::string::npos);
}
