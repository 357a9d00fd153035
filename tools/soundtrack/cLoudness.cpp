// Gated loudness through libebur128, fed interleaved frames a slice at a time
// so that no interleaved copy of the whole signal is made.
#include "cLoudness.h"

#include "dsp.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <new>

double cLoudness::integrated(const std::vector<float> &l, const std::vector<float> &r) {
  ebur128_state *meter = ebur128_init(2, snd::kRate, EBUR128_MODE_I);
  if (!meter)
    throw std::bad_alloc();
  const size_t n = std::min(l.size(), r.size()), slice = 4096;
  std::vector<float> frames(2 * slice);
  for (size_t done = 0; done < n; done += slice) {
    const size_t count = std::min(slice, n - done);
    for (size_t i = 0; i < count; ++i) {
      frames[2 * i] = l[done + i];
      frames[2 * i + 1] = r[done + i];
    }
    ebur128_add_frames_float(meter, frames.data(), count);
  }
  double lufs = -HUGE_VAL; // what the meter reports when no block passes the gates
  ebur128_loudness_global(meter, &lufs);
  ebur128_destroy(&meter);
  return lufs > -70.0 ? lufs : -70.0;
}

float cLoudness::sample_peak(const std::vector<float> &l, const std::vector<float> &r) {
  float p = 0;
  for (float v : l)
    p = std::max(p, std::fabs(v));
  for (float v : r)
    p = std::max(p, std::fabs(v));
  return p;
}
