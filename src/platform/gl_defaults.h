// The GL state all drawing starts from, error reports that only print, and
// small shared helpers.
#pragma once

#include <cstdint>

void set_gl_defaults();
// Prints at most one pending GL error, tagged; never fatal.
void check_gl_error(int32_t tag);
// Prints every pending image-library error; true if any was printed.
bool check_image_errors();
bool file_exists(const char *path);
// a modulo b for positive b, wrapped into [0, b) for negative a as well.
double wrap_float(const float *a, const float *b);
// Smallest power of two strictly above n (0 for 0, 1 for negative n).
uint32_t next_power_of_two_above(const int32_t *n);
