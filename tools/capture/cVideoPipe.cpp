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
      video_only_path(this->path + ".video.mkv"), fps(fps), expected(expected_frames) {}

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
  std::fprintf(stderr, "\rvideo [%s] %3d%% %lld/%lld frames%s", bar, percent,
               static_cast<long long>(frame_count), static_cast<long long>(expected),
               done ? "\n" : "");
  std::fflush(stderr);
}

bool cVideoPipe::add(const cRgbImage &frame, int32_t capture_ms, int32_t demo_ms) {
  if (failed || finished)
    return false;
  if (!encoder.started()) {
    width = frame.width;
    height = frame.height;
    std::vector<std::string> argv = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt",
        "rgb24", "-s", std::to_string(width) + "x" + std::to_string(height), "-framerate",
        std::to_string(fps), "-i", "-", "-an", "-c:v", "libx264", "-preset", "medium", "-crf",
        "18", "-pix_fmt", "yuv420p", video_only_path};
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
  std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-i",
                                   video_only_path, "-i", music_path, "-filter_complex",
                                   audio_filter(runs, fps), "-map", "0:v", "-map", "[a]",
                                   "-c:v", "copy", "-c:a", "aac", "-b:a", "192k", "-movflags",
                                   "+faststart", path};
  status = cChildProcess::run(argv);
  std::error_code ec;
  fs::remove(video_only_path, ec);
  if (status != 0) {
    std::fprintf(stderr, "## ERROR: ffmpeg failed (status %d) adding the music to \"%s\"\n",
                 status, path.c_str());
    return result = false;
  }
  std::fprintf(stderr, "video: %lld frames at %d fps in \"%s\"\n",
               static_cast<long long>(frame_count), fps, path.c_str());
  return result = true;
}
