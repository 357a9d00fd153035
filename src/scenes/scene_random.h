// Random values for the scenes from the C library's rand(), one call per
// value so that a seeded sequence stays the same. rand() reaches RAND_MAX,
// not 32767, so every value is scaled from [0, RAND_MAX] and never beyond.
#pragma once

// A value in [0, 1]: rand() / RAND_MAX.
float random_unit();
// A value in [0, span].
float random_span(float span);
// Three values (random_unit() - 0.5) made unit length into axis. When they
// cannot be normalised (all zero) axis keeps its old value and the result is
// false; three rand() calls are made either way.
bool random_unit_axis(float axis[3]);
