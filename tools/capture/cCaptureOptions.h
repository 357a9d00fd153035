// The capture tool's command line: which frames to render and what to make
// of them. Parsing never exits; a bad command line yields an error text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// kShowEndMs: the demo time at which the last scene ends the show.
#include "scenes/cScene10.h"

class cCaptureOptions {
public:
  // Returns an empty string on success, otherwise what was wrong.
  std::string parse(int argc, const char *const *argv);
  static const char *usage();

  bool wants_range() const { return !sheet_path.empty() || !video_path.empty() || stats; }
  // Capture times of the contact sheet: from, from + every, ... before to.
  std::vector<int32_t> sheet_times() const;
  // The last capture time any output needs.
  int32_t last_time() const;

  std::vector<int32_t> at_ms;
  std::string out_dir = ".";
  int32_t shrink = 1;
  std::string sheet_path;
  int32_t every_ms = 10000;
  int32_t columns = 6;
  std::string video_path;
  int32_t fps = 25;
  int32_t from_ms = 0;
  int32_t to_ms = kShowEndMs;
  // 0 x 0: the show's own 800 x 600.
  int32_t width = 0;
  int32_t height = 0;
  bool stats = false;
  bool help = false;
};
