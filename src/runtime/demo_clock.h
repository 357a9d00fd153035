// The demo clock: tick readings in milliseconds. Demo time is now - start,
// compared as a signed 32-bit number.
#pragma once

#include <cstdint>

struct demo_clock {
  uint32_t start_ms = 0;
  uint32_t now_ms = 0;
  uint32_t prev_ms = 0;

  int32_t demo_time() const { return static_cast<int32_t>(now_ms - start_ms); }
};
