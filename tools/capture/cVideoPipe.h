// The video output: raw RGB frames piped to ffmpeg for H.264, then the music
// muxed in sync, one music segment per stretch between clock restarts.
// Failures print "## ERROR" and make finish() return false.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "cChildProcess.h"
#include "cRgbImage.h"

// A run of video frames during which the music plays on without a restart.
struct music_segment {
  int64_t first_frame = 0;
  int64_t frames = 0;
  int32_t music_ms = 0;   // music position at the first frame
  int32_t clock_skew = 0; // demo time minus capture time within the run
};

class cVideoPipe {
public:
  cVideoPipe(std::string path, std::string music_path, int32_t fps, int64_t expected_frames);
  ~cVideoPipe();

  // Appends one frame; capture_ms and demo_ms place the music.
  bool add(const cRgbImage &frame, int32_t capture_ms, int32_t demo_ms);
  // Ends the video and muxes the music (once; later calls return the first
  // result).
  bool finish();
  int64_t frames() const { return frame_count; }
  const std::vector<music_segment> &segments() const { return runs; }

  // The ffmpeg audio filter that cuts the music to the segments.
  static std::string audio_filter(const std::vector<music_segment> &runs, int32_t fps);

private:
  void show_progress(bool done);

  std::string path, music_path, video_only_path;
  int32_t fps;
  int64_t expected;
  int64_t frame_count = 0;
  int32_t width = 0, height = 0;
  int last_percent = -1;
  std::chrono::steady_clock::time_point started; // when the first frame came
  bool failed = false;
  bool finished = false;
  bool result = false;
  cChildProcess encoder;
  std::vector<music_segment> runs;
};
