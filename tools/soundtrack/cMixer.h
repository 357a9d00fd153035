// The mix of the whole score: voices onto buses, reverb and ping-pong delay
// returns, a master high-pass, gain to the score's loudness target and a
// look-ahead limiter under the score's ceiling. It adds no latency: sample n
// of the result belongs to sample n of the score.
#pragma once

#include "cScore.h"
#include "cSynth.h"

struct mix_report {
  double loudness = 0;    // integrated, LUFS, of the final result
  float peak_db = 0;      // sample peak of the final result, dBFS
  float gain_db = 0;      // master gain applied before the limiter
  float reduction_db = 0; // deepest limiter gain reduction
};

class cMixer {
public:
  explicit cMixer(const cScore &score) : score_(score) {}
  stereo_bus render(mix_report *report = nullptr);
  // The limiter alone, on planar stereo, for a given ceiling (linear).
  static float limit(stereo_bus &bus, float ceiling, float release_s);

private:
  const cScore &score_;
};
