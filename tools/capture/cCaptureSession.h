// One capture run: the show started as the demo starts it, driven by a
// virtual clock frame by frame, with the frames handed to the outputs.
// Output failures are reported and make the exit status 255; finish() runs
// at most once, from main or from the exit handler when the show ends itself.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cCaptureOptions.h"
#include "cContactSheet.h"
#include "cFrameStats.h"
#include "cFrameStepper.h"
#include "cRgbImage.h"
#include "cVideoPipe.h"
#include "runtime/cDemoDirector.h"

class cCaptureSession {
public:
  explicit cCaptureSession(cCaptureOptions options);
  cCaptureSession(const cCaptureSession &) = delete;
  cCaptureSession &operator=(const cCaptureSession &) = delete;

  // Opens the window, loads the show and renders every frame asked for.
  void run(scene_factory factory);
  // Completes the video and the sheet, prints the statistics and lists what
  // was not reached; returns the exit status. Idempotent.
  int finish();

  // Index of the director's current scene in its table, -1 if none.
  static int32_t current_scene_index();

private:
  // Steps the grid until the first restart; true when that frame has been
  // updated and is capture time 0.
  bool preroll();
  void render_frame(const capture_frame &frame, bool updated);
  void read_back(cRgbImage *frame) const;
  bool wants(const std::vector<int32_t> &times, int32_t t) const;

  cCaptureOptions options;
  std::vector<int32_t> sheet_times;
  uint32_t ticks = 0; // the virtual tick counter the director reads
  uint32_t base_ticks = 0;
  int32_t last_done = -1; // capture time of the last frame rendered
  bool stopped = false;
  bool reached_end = false; // every frame asked for was rendered
  bool finished = false;
  int status = 0;
  double frame_started = 0.0;
  std::vector<int32_t> written_at;
  cFrameStats stats;
  std::unique_ptr<cContactSheet> sheet;
  std::unique_ptr<cVideoPipe> video;
};

// The whole tool: parses argv, runs, finishes. factory makes the scenes.
int run_capture(int argc, char **argv, scene_factory factory);
