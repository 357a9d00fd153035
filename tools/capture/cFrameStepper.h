// The capture's frame clock: grid frames at n * 1000 / fps ms (rounded
// down) merged in time order with extra frames at requested times that fall
// between grid frames. Pure arithmetic; it cannot fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct capture_frame {
  int32_t time_ms = 0;
  bool on_grid = true;
};

class cFrameStepper {
public:
  // exact_ms: times that must get a frame of their own; last_ms: the last
  // time anything needs (frames after it are not produced).
  cFrameStepper(int32_t fps, std::vector<int32_t> exact_ms, int32_t last_ms);

  static int32_t grid_time(int64_t n, int32_t fps) { return static_cast<int32_t>(n * 1000 / fps); }
  // Next frame in time order; false once past last_ms.
  bool next(capture_frame *frame);

private:
  int32_t fps;
  std::vector<int32_t> exact;
  int32_t last;
  int64_t grid_index = 0;
  size_t exact_index = 0;
};
