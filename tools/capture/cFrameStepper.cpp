// Grid and extra frames of the virtual clock, in time order.
// Requested times are sorted and deduplicated here; nothing can fail.
#include "cFrameStepper.h"

#include <algorithm>

cFrameStepper::cFrameStepper(int32_t fps, std::vector<int32_t> exact_ms, int32_t last_ms)
    : fps(fps > 0 ? fps : 1), exact(std::move(exact_ms)), last(last_ms) {
  std::sort(exact.begin(), exact.end());
  exact.erase(std::unique(exact.begin(), exact.end()), exact.end());
}

bool cFrameStepper::next(capture_frame *frame) {
  int32_t grid = grid_time(grid_index, fps);
  // A requested time that is also a grid time is that grid frame.
  while (exact_index < exact.size() && exact[exact_index] < 0)
    ++exact_index;
  if (exact_index < exact.size() && exact[exact_index] <= grid) {
    int32_t t = exact[exact_index++];
    if (t < grid) {
      if (t > last)
        return false;
      *frame = {t, false};
      return true;
    }
  }
  if (grid > last)
    return false;
  *frame = {grid, true};
  ++grid_index;
  return true;
}
