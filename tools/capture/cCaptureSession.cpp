// The capture loop: start-up exactly as the demo's, a pre-roll on the frame
// grid up to the first restart, then grid and exact frames with read-back.
// GL and image-library errors are printed each frame as the demo does.
#include "platform/gl_extensions.h"

#include "cCaptureSession.h"
#include "platform/show_directory.h"
#include "runtime/demo_main.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
const char kMusicFile[] = "../data/demo-full.ogg";

cCaptureSession *g_session = nullptr;

// When the show ends the process itself (scene 10) the outputs are completed
// here; a failed output still turns into the exit status.
void finish_at_exit() {
  if (!g_session)
    return;
  int status = g_session->finish();
  if (status != 0) {
    shutdown_demo();
    std::fflush(nullptr);
    std::_Exit(status);
  }
}

double wall_ms() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Frames n with from <= n * 1000 / fps < to (rounded down).
int64_t grid_frames_between(int32_t from, int32_t to, int32_t fps) {
  auto first_at_or_after = [fps](int64_t t) { return (t * fps + 999) / 1000; };
  return std::max<int64_t>(0, first_at_or_after(to) - first_at_or_after(from));
}
} // namespace

cCaptureSession::cCaptureSession(cCaptureOptions opts)
    : options(std::move(opts)), sheet_times(options.sheet_times()) {
  if (!options.sheet_path.empty())
    sheet = std::make_unique<cContactSheet>(options.sheet_path, options.columns);
  if (!options.video_path.empty())
    video = std::make_unique<cVideoPipe>(
        options.video_path, kMusicFile, options.fps,
        grid_frames_between(options.from_ms, options.to_ms, options.fps));
}

int32_t cCaptureSession::current_scene_index() {
  return g_director ? g_director->current_index() : -1;
}

bool cCaptureSession::wants(const std::vector<int32_t> &times, int32_t t) const {
  return std::binary_search(times.begin(), times.end(), t);
}

void cCaptureSession::run(scene_factory factory) {
  if (!options.at_ms.empty()) {
    std::error_code ec;
    fs::create_directories(options.out_dir, ec);
    if (!fs::is_directory(options.out_dir)) {
      std::fprintf(stderr, "## ERROR: cannot create the folder \"%s\"\n", options.out_dir.c_str());
      status = 255;
      stopped = true;
      return;
    }
  }
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  // A window of the asked size; nothing else of the start-up differs.
  configure_window(true, options.width, options.height, false);
  start_demo(factory, [this] { return ticks; });
  // Runs before the demo's own handler, while the GL context still exists.
  g_session = this;
  std::atexit(finish_at_exit);
  if (quit_requested())
    stopped = true;

  std::vector<int32_t> exact = options.at_ms;
  exact.insert(exact.end(), sheet_times.begin(), sheet_times.end());
  cFrameStepper stepper(options.fps, exact, options.last_time());
  bool restart_frame = !stopped && preroll();
  capture_frame frame;
  while (!stopped) {
    if (!stepper.next(&frame)) {
      reached_end = true;
      break;
    }
    render_frame(frame, restart_frame);
    restart_frame = false;
  }
}

bool cCaptureSession::preroll() {
  base_ticks = 0;
  if (!g_director->restart_pending())
    return false; // no restart: capture time is the time since loading
  for (int64_t n = 1; !stopped; ++n) {
    ticks = static_cast<uint32_t>(cFrameStepper::grid_time(n, options.fps));
    const uint32_t restarts_before = g_director->restarts();
    frame_started = wall_ms();
    g_director->update();
    if (g_director->restarts() != restarts_before) {
      base_ticks = ticks; // this frame is capture time 0; render_frame draws it
      return true;
    }
    show_frame();
    stopped = quit_requested();
  }
  return false;
}

void cCaptureSession::read_back(cRgbImage *frame) const {
  int32_t w = 0, h = 0;
  frame_size(&w, &h);
  *frame = cRgbImage(w, h);
  GLint read_buffer = GL_BACK;
  glGetIntegerv(GL_READ_BUFFER, &read_buffer);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, frame->rgb.data());
  glReadBuffer(static_cast<GLenum>(read_buffer));
  glPopClientAttrib();
  frame->flip_rows();
}

void cCaptureSession::render_frame(const capture_frame &frame, bool updated) {
  const int32_t t = frame.time_ms;
  ticks = base_ticks + static_cast<uint32_t>(t);
  if (!updated) {
    frame_started = wall_ms();
    g_director->update();
  }
  const int32_t demo_ms = g_director->clock.demo_time();
  const int32_t scene = current_scene_index();
  draw_frame();

  const bool in_range = frame.on_grid && t >= options.from_ms && t < options.to_ms;
  if (options.stats && in_range) {
    glFinish();
    stats.add(scene, wall_ms() - frame_started);
  }
  const bool want_at = wants(options.at_ms, t);
  const bool want_sheet = sheet && wants(sheet_times, t);
  const bool want_video = video && in_range;
  cRgbImage pixels;
  if (want_at || want_sheet || want_video)
    read_back(&pixels);
  present_frame();
  last_done = t;

  if (want_at) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%07d.png", t);
    std::string path = (fs::path(options.out_dir) / name).string();
    if (pixels.shrunk(options.shrink).save_png(path))
      written_at.push_back(t);
    else
      status = 255;
  }
  if (want_sheet && !sheet->add(pixels, demo_ms, scene))
    status = 255;
  if (want_video && !video->add(pixels, t, demo_ms)) {
    status = 255;
    stopped = true;
  }
  poll_input();
  if (quit_requested()) {
    std::fprintf(stderr, "\ncapture stopped by key at %d ms\n", t);
    stopped = true;
  }
}

int cCaptureSession::finish() {
  if (finished)
    return status;
  finished = true;
  if (video && !video->finish())
    status = 255;
  if (sheet && !sheet->finish())
    status = 255;
  if (options.stats && !stats.empty()) {
    const GLubyte *renderer = glGetString(GL_RENDERER);
    std::printf("frame times (update, clear, render, glFinish) from %d to %d ms at %d fps, "
                "renderer %s\n",
                options.from_ms,
                reached_end ? options.to_ms : std::min(options.to_ms, last_done + 1), options.fps,
                renderer ? reinterpret_cast<const char *>(renderer) : "?");
    stats.print(stdout);
  }
  if (!written_at.empty())
    std::fprintf(stderr, "capture: %zu frames in \"%s\"\n", written_at.size(),
                 options.out_dir.c_str());
  for (int32_t t : options.at_ms)
    if (!std::binary_search(written_at.begin(), written_at.end(), t))
      std::fprintf(stderr, "## WARNING: no frame written for %d ms (the capture ended at %d ms)\n",
                   t, last_done);
  std::fflush(stdout);
  std::fflush(stderr);
  return status;
}

int run_capture(int argc, char **argv, scene_factory factory) {
  cCaptureOptions options;
  std::string error = options.parse(argc, argv);
  if (options.help) {
    std::fputs(cCaptureOptions::usage(), stdout);
    return 0;
  }
  if (!error.empty()) {
    std::fprintf(stderr, "demo-capture: %s\n\n%s", error.c_str(), cCaptureOptions::usage());
    return 2;
  }
  // Outputs are named from where the tool was started, which the data
  // search below may leave.
  for (std::string *path : {&options.out_dir, &options.sheet_path, &options.video_path})
    if (!path->empty())
      *path = fs::absolute(*path).string();
  enter_show_directory();
  // Lives until the process ends: the exit handler may still need it.
  auto *session = new cCaptureSession(std::move(options));
  session->run(factory);
  return session->finish();
}
