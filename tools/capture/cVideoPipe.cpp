// Video through the ffmpeg program: pass one encodes the piped frames to a
// video-only file, pass two adds the music cut to the recorded segments.
// The encoder dying mid-way turns the rest into a reported failure.
#include "cVideoPipe.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::string seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", s);
  return text;
}
} // namespace

cVideoPipe::cVideoPipe(std::string path, std::string music_path, int32_t fps,
                       int64_t expected_frames)
    : path(std::move(path)), music_path(std::move(music_path)),
      video_only_path(this->path + ".video.mp4"), fps(fps), expected(expected_frames) {}

cVideoPipe::~cVideoPipe() {
  encoder.wait();
  std::error_code ec;
  fs::remove(video_only_path, ec);
}

std::string cVideoPipe::audio_filter(const std::vector<music_segment> &runs, int32_t fps) {
  std::string graph;
  size_t n = runs.size();
  if (n > 1) {
    graph = "[1:a]asplit=" + std::to_string(n);
    for (size_t i = 0; i < n; ++i)
      graph += "[s" + std::to_string(i) + "]";
    graph += ";";
  }
  for (size_t i = 0; i < n; ++i) {
    std::string duration = seconds(static_cast<double>(runs[i].frames) / fps);
    graph += (n > 1 ? "[s" + std::to_string(i) + "]" : std::string("[1:a]")) +
             "atrim=start=" + seconds(runs[i].music_ms / 1000.0) + ":duration=" + duration +
             ",asetpts=PTS-STARTPTS,apad=whole_dur=" + duration +
             (n > 1 ? "[a" + std::to_string(i) + "];" : std::string("[a]"));
  }
  if (n > 1) {
    for (size_t i = 0; i < n; ++i)
      graph += "[a" + std::to_string(i) + "]";
    graph += "concat=n=" + std::to_string(n) + ":v=0:a=1[a]";
  }
  return graph;
}

void cVideoPipe::show_progress(bool done) {
  const auto now = std::chrono::steady_clock::now();
  if (frame_count <= 1)
    started = now;
  int percent = expected > 0 ? static_cast<int>(100 * frame_count / expected) : 100;
  if (percent > 100)
    percent = 100;
  if (percent == last_percent && !done)
    return;
  last_percent = percent;
  constexpr int kWidth = 40;
  char bar[kWidth + 1];
  for (int i = 0; i < kWidth; ++i)
    bar[i] = i < percent * kWidth / 100 ? '#' : '-';
  bar[kWidth] = '\0';
  // Time left at the rate since the first frame.
  double per_frame = frame_count > 1 ? std::chrono::duration<double>(now - started).count() /
                                           static_cast<double>(frame_count - 1)
                                     : 0.0;
  double left =
      expected > frame_count ? per_frame * static_cast<double>(expected - frame_count) : 0;
  std::fprintf(stderr, "\rvideo [%s] %3d%% %lld/%lld frames, %.0f s left %s", bar, percent,
               static_cast<long long>(frame_count), static_cast<long long>(expected), left,
               done ? "\n" : "");
  std::fflush(stderr);
}

bool cVideoPipe::add(const cRgbImage &frame, int32_t capture_ms, int32_t demo_ms) {
  if (failed || finished)
    return false;
  if (!encoder.started()) {
    width = frame.width;
    height = frame.height;
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string rate = std::to_string(fps);
    std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};
    argv.insert(argv.end(), {"-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size, "-framerate", rate,
                             "-i", "-", "-an"});
    argv.insert(argv.end(), {"-c:v", "libx264", "-preset", "medium", "-crf", "18", "-pix_fmt",
                             "yuv420p", video_only_path});
    if (!encoder.start(argv, true)) {
      std::fprintf(stderr, "## ERROR: cannot start ffmpeg for \"%s\"\n", path.c_str());
      failed = true;
      return false;
    }
  }
  if (frame.width != width || frame.height != height ||
      !encoder.write_all(frame.rgb.data(), frame.rgb.size())) {
    std::fprintf(stderr, "\n## ERROR: ffmpeg stopped taking frames for \"%s\"\n", path.c_str());
    failed = true;
    return false;
  }
  int32_t skew = demo_ms - capture_ms;
  if (runs.empty() || runs.back().clock_skew != skew)
    runs.push_back({frame_count, 0, demo_ms, skew});
  ++runs.back().frames;
  ++frame_count;
  show_progress(false);
  return true;
}

bool cVideoPipe::finish() {
  if (finished)
    return result;
  finished = true;
  if (frame_count > 0 && !failed)
    show_progress(true);
  int status = encoder.wait();
  if (failed || frame_count == 0) {
    if (frame_count == 0)
      std::fprintf(stderr, "## ERROR: no frames for the video \"%s\"\n", path.c_str());
    return result = false;
  }
  if (status != 0) {
    std::fprintf(stderr, "## ERROR: ffmpeg failed (status %d) encoding \"%s\"\n", status,
                 path.c_str());
    return result = false;
  }
  const std::string graph = audio_filter(runs, fps);
  std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};
  argv.insert(argv.end(), {"-i", video_only_path, "-i", music_path, "-filter_complex", graph});
  argv.insert(argv.end(), {"-map", "0:v", "-map", "[a]", "-c:v", "copy", "-c:a", "aac", "-b:a",
                           "192k", "-movflags", "+faststart", path});
  status = cChildProcess::run(argv);
  std::error_code ec;
  fs::remove(video_only_path, ec);
  if (status != 0) {
    std::fprintf(stderr, "## ERROR: ffmpeg failed (status %d) adding the music to \"%s\"\n", status,
                 path.c_str());
    return result = false;
  }
  std::fprintf(stderr, "video: %lld frames at %d fps in \"%s\"\n",
               static_cast<long long>(frame_count), fps, path.c_str());
  return result = true;
}
