// The probe scenes' picture: a flat colour that spells the demo time and the
// scene index, so a test can read from one pixel when a frame was drawn.
#pragma once

#include <cstdint>

struct probe_colour {
  uint8_t r = 0, g = 0, b = 0;

  // Red and green hold the low 16 bits of the time, blue the scene index plus
  // one (0: no scene) above the time's next four bits.
  static probe_colour of(int32_t demo_ms, int32_t scene) {
    uint32_t t = static_cast<uint32_t>(demo_ms);
    return {static_cast<uint8_t>(t & 0xff), static_cast<uint8_t>((t >> 8) & 0xff),
            static_cast<uint8_t>(((scene + 1) << 4) | ((t >> 16) & 0x0f))};
  }
  int32_t time_ms() const { return r | (g << 8) | ((b & 0x0f) << 16); }
  int32_t scene() const { return (b >> 4) - 1; }
  bool operator==(const probe_colour &o) const { return r == o.r && g == o.g && b == o.b; }
};

// Probe scene 10 ends the process at this demo time, as the show's last scene
// does at its end.
constexpr int32_t kProbeEndMs = 1500;
