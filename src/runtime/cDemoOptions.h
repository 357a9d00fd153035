// The demo's command line. With no options the show runs as it always has:
// 800 x 600, full screen. Parsing never ends the process; a refused command
// line yields a one-line reason.
#pragma once

#include <cstdint>
#include <string>

class cDemoOptions {
public:
  // Empty on success, otherwise what is wrong with the command line.
  std::string parse(int argc, const char *const *argv);
  static const char *usage();
  // Reads "WxH" into a size both sides of which fit a GL viewport.
  static std::string parse_size(const std::string &text, int32_t *width, int32_t *height);
  // The largest side any GL implementation is asked to draw.
  static constexpr int32_t kLargestSide = 16384;

  bool help = false;
  bool windowed = false;
  bool desktop = false;
  // 0 x 0: the show's own size.
  int32_t width = 0;
  int32_t height = 0;
  bool loop = false;
  bool studio = false;
  // -1: from the beginning.
  int32_t from_ms = -1;
};
