// Camera shots chosen by how many beats a scene has counted: each shot holds
// from its first count up to the next shot's. Pure; a count below the first
// shot's gets the first shot.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/cCamera.h"

struct camera_shot {
  int32_t first_count;
  float eye[3];
  float centre[3];
};

// Index of the last of n ascending first counts that is <= count (0 when
// none is, or n is 0).
size_t shot_index(const int32_t *first_counts, size_t n, int32_t count);
// The shot of a table sorted by first_count (n > 0).
const camera_shot &shot_for_count(const camera_shot *shots, size_t n, int32_t count);
// Copies the shot's eye and centre into the camera; the rest stays.
void aim_camera(cCamera &camera, const camera_shot &shot);
