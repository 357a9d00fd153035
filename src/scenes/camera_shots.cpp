// Camera shots chosen by beat count; see camera_shots.h.
#include "scenes/camera_shots.h"

namespace {
// Last index whose first count (from first(i), ascending) is <= count.
template <typename First> size_t last_reached(size_t n, int32_t count, First first) {
  size_t index = 0;
  for (size_t i = 1; i < n && first(i) <= count; ++i)
    index = i;
  return index;
}
} // namespace

size_t shot_index(const int32_t *first_counts, size_t n, int32_t count) {
  return last_reached(n, count, [first_counts](size_t i) { return first_counts[i]; });
}

const camera_shot &shot_for_count(const camera_shot *shots, size_t n, int32_t count) {
  return shots[last_reached(n, count, [shots](size_t i) { return shots[i].first_count; })];
}

void aim_camera(cCamera &camera, const camera_shot &shot) {
  for (int k = 0; k < 3; ++k) {
    camera.eye[k] = shot.eye[k];
    camera.centre[k] = shot.centre[k];
  }
}
