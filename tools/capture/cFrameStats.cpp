// Per-scene frame-time table of the capture's --stats output.
// Percentiles use the nearest-rank method; an empty set prints nothing.
#include "cFrameStats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

void cFrameStats::add(int32_t scene, double ms) {
  per_scene[scene].push_back(ms);
  all.push_back(ms);
}

frame_time_summary cFrameStats::summarize(std::vector<double> times) {
  frame_time_summary s;
  s.frames = times.size();
  if (times.empty())
    return s;
  s.first_ms = times.front();
  std::sort(times.begin(), times.end());
  size_t n = times.size();
  s.median_ms = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2.0;
  size_t rank = static_cast<size_t>(std::ceil(0.95 * static_cast<double>(n)));
  s.p95_ms = times[std::max<size_t>(rank, 1) - 1];
  s.max_ms = times.back();
  double total = std::accumulate(times.begin(), times.end(), 0.0);
  s.fps = total > 0.0 ? 1000.0 * static_cast<double>(n) / total : 0.0;
  return s;
}

void cFrameStats::print(std::FILE *out) const {
  if (all.empty())
    return;
  std::fprintf(out, "%-7s %8s %10s %10s %10s %10s %9s\n", "scene", "frames", "median ms", "p95 ms",
               "max ms", "first ms", "fps");
  auto line = [out](const char *name, const std::vector<double> &times) {
    frame_time_summary s = summarize(times);
    std::fprintf(out, "%-7s %8zu %10.3f %10.3f %10.3f %10.3f %9.1f\n", name, s.frames, s.median_ms,
                 s.p95_ms, s.max_ms, s.first_ms, s.fps);
  };
  for (const auto &[scene, times] : per_scene) {
    char name[16];
    if (scene < 0)
      std::snprintf(name, sizeof name, "none");
    else
      std::snprintf(name, sizeof name, "%d", scene);
    line(name, times);
  }
  line("all", all);
}
