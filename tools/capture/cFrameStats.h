// Frame-time statistics per scene: frames, median, 95th percentile, the
// slowest frame, the scene's first frame (where its programs are compiled)
// and frames per second of the recorded wall-clock render times.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

struct frame_time_summary {
  size_t frames = 0;
  double median_ms = 0.0;
  double p95_ms = 0.0;
  double max_ms = 0.0;
  double first_ms = 0.0; // the first time given
  double fps = 0.0;      // frames divided by their summed time
};

class cFrameStats {
public:
  // scene: table index of the current scene, -1 when there is none.
  void add(int32_t scene, double ms);
  static frame_time_summary summarize(std::vector<double> times);
  // One line per scene in index order, then one for all frames.
  void print(std::FILE *out) const;
  bool empty() const { return all.empty(); }

private:
  std::map<int32_t, std::vector<double>> per_scene;
  std::vector<double> all;
};
