// The master chain's meters and limiter: the loudness figure against the
// reference tones of the broadcast loudness test set, and the limiter's
// ceiling, look-ahead and release.
#include "cLoudness.h"
#include "cMixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

// Appends `seconds` of a sine with the given peak level to both channels
// (or only the left one).
void tone(std::vector<float> &l, std::vector<float> &r, double hz, double dbfs, double seconds,
          bool stereo = true) {
  const double a = std::pow(10.0, dbfs / 20.0);
  const size_t n = static_cast<size_t>(seconds * kRate), start = l.size();
  for (size_t i = 0; i < n; ++i) {
    float v = static_cast<float>(a * std::sin(2.0 * kPi * hz * (start + i) / kRate));
    l.push_back(v);
    r.push_back(stereo ? v : 0.0f);
  }
}

} // namespace

TEST(SoundtrackLoudness, ReferenceTonesReadTheirLevel) {
  std::vector<float> l, r;
  tone(l, r, 1000, -23, 20);
  EXPECT_NEAR(cLoudness::integrated(l, r), -23.0, 0.1); // stereo 1 kHz at -23 dBFS
  l.clear();
  r.clear();
  tone(l, r, 1000, -33, 20);
  EXPECT_NEAR(cLoudness::integrated(l, r), -33.0, 0.1);
  l.clear();
  r.clear();
  tone(l, r, 1000, -23, 20, false);
  EXPECT_NEAR(cLoudness::integrated(l, r), -26.0, 0.1); // one channel: half the power
  l.clear();
  r.clear();
  tone(l, r, 25, -23, 20);
  EXPECT_LT(cLoudness::integrated(l, r), -26.0); // the weighting discounts deep bass
}

TEST(SoundtrackLoudness, GatesLeaveOutQuietPassagesAndSilence) {
  std::vector<float> l, r;
  tone(l, r, 1000, -36, 10);
  tone(l, r, 1000, -23, 60);
  tone(l, r, 1000, -36, 10);
  EXPECT_NEAR(cLoudness::integrated(l, r), -23.0, 0.1);
  l.assign(l.size(), 0.0f);
  r.assign(r.size(), 0.0f);
  tone(l, r, 1000, -20, 10);
  EXPECT_NEAR(cLoudness::integrated(l, r), -20.0, 0.1); // the silence before does not count
  std::vector<float> quiet(441000, 0.0f);
  EXPECT_EQ(cLoudness::integrated(quiet, quiet), -70.0);
}

TEST(SoundtrackLimiter, HoldsTheCeilingAheadOfAPeakAndReleasesAfterIt) {
  stereo_bus bus;
  std::vector<float> &l = bus.l, &r = bus.r;
  tone(l, r, 100, -10.5, 3); // about 0.3
  const size_t burst = 44100;
  for (size_t i = burst; i < burst + 441; ++i) {
    l[i] *= 4.0f; // about 1.2 for 10 ms
    r[i] *= 4.0f;
  }
  const std::vector<float> before = l;
  size_t crest = burst;
  for (size_t i = burst; i < burst + 441; ++i)
    if (std::fabs(l[i]) > std::fabs(l[crest]))
      crest = i;
  float deepest = cMixer::limit(bus, 0.5f, 0.12f);
  EXPECT_NEAR(deepest, 0.5f / 1.2f, 0.03f);
  EXPECT_LE(cLoudness::sample_peak(l, r), 0.5f + 1e-6f);
  for (size_t i = 0; i < burst - 200; ++i) // untouched until just before the peak
    ASSERT_EQ(l[i], before[i]) << i;
  for (size_t i = burst + 2 * 44100 - 441; i < l.size(); ++i) // released after it
    ASSERT_NEAR(l[i], before[i], 1e-3f) << i;
  // The gain starts to fall 1.5 ms ahead of the crest, so the crest itself
  // is not cut off in one step.
  EXPECT_LT(l[crest - 33] / before[crest - 33], 0.95f);
  EXPECT_NEAR(std::fabs(l[crest]), 0.5f, 0.01f);
}

TEST(SoundtrackLimiter, WatchesThePeaksBetweenSamples) {
  // A quarter-rate sine at 45 degrees: samples at 0.707 of the peak, the
  // waveform between them at the full 0.9.
  stereo_bus bus;
  for (size_t i = 0; i < 44100; ++i) {
    float v = 0.9f * static_cast<float>(std::sin(kPi / 2 * i + kPi / 4));
    bus.l.push_back(v);
    bus.r.push_back(v);
  }
  ASSERT_LT(cLoudness::sample_peak(bus.l, bus.r), 0.75f);
  cMixer::limit(bus, 0.75f, 0.12f);
  EXPECT_LT(cLoudness::sample_peak(bus.l, bus.r), 0.62f);
  EXPECT_GT(cLoudness::sample_peak(bus.l, bus.r), 0.5f);
}
