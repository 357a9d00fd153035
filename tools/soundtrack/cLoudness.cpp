// K-weighted gated loudness. The two weighting filters are designed for the
// actual sample rate from their analogue prototypes (shelf near 1.68 kHz,
// high-pass near 38 Hz), so 44.1 kHz needs no table.
#include "cLoudness.h"

#include "dsp.h"

#include <algorithm>
#include <cmath>

namespace {

struct biquad {
  double b0, b1, b2, a1, a2;
  double z1 = 0, z2 = 0;
  double run(double x) {
    double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
};

biquad shelf_stage(double fs) {
  const double f0 = 1681.974450955533, gain_db = 3.999843853973347, q = 0.7071752369554196;
  double k = std::tan(M_PI * f0 / fs);
  double vh = std::pow(10.0, gain_db / 20.0);
  double vb = std::pow(vh, 0.4996667741545416);
  double a0 = 1.0 + k / q + k * k;
  return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
          2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

biquad highpass_stage(double fs) {
  const double f0 = 38.13547087602444, q = 0.5003270373238773;
  double k = std::tan(M_PI * f0 / fs);
  double a0 = 1.0 + k / q + k * k;
  return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

} // namespace

double cLoudness::integrated(const std::vector<float> &l, const std::vector<float> &r) {
  const size_t n = std::min(l.size(), r.size());
  const size_t step = snd::kRate / 10; // 100 ms: a quarter of a block
  std::vector<double> quarter;         // summed weighted energy per 100 ms, both channels
  biquad s[2] = {shelf_stage(snd::kRate), shelf_stage(snd::kRate)};
  biquad h[2] = {highpass_stage(snd::kRate), highpass_stage(snd::kRate)};
  double acc = 0;
  for (size_t i = 0; i < n; ++i) {
    double a = h[0].run(s[0].run(l[i]));
    double b = h[1].run(s[1].run(r[i]));
    acc += a * a + b * b;
    if ((i + 1) % step == 0) {
      quarter.push_back(acc);
      acc = 0;
    }
  }
  std::vector<double> blocks; // mean square of each 400 ms block, 75 % overlap
  for (size_t q = 3; q < quarter.size(); ++q)
    blocks.push_back((quarter[q] + quarter[q - 1] + quarter[q - 2] + quarter[q - 3]) /
                     (4.0 * step));
  auto lufs = [](double ms) { return -0.691 + 10.0 * std::log10(std::max(ms, 1e-20)); };
  auto gated_mean = [&](double gate) {
    double sum = 0;
    size_t count = 0;
    for (double b : blocks)
      if (lufs(b) > gate) {
        sum += b;
        ++count;
      }
    return count ? sum / count : 0.0;
  };
  double abs_mean = gated_mean(-70.0);
  if (abs_mean <= 0)
    return -70.0;
  double rel = gated_mean(lufs(abs_mean) - 10.0);
  return rel > 0 ? lufs(rel) : -70.0;
}

float cLoudness::sample_peak(const std::vector<float> &l, const std::vector<float> &r) {
  float p = 0;
  for (float v : l)
    p = std::max(p, std::fabs(v));
  for (float v : r)
    p = std::max(p, std::fabs(v));
  return p;
}
