// Every timeline accent sits on the audible onset of its sound: each event
// name's notes are rendered alone (a dry stem) and their onsets are found by
// an amplitude rise, independently of the note list; the mix chain adds no
// delay of its own.
#include "cMixer.h"
#include "cScore.h"
#include "cSynth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace {

const std::string kScore = std::string(DEMO_SOURCE_DIR) + "/tools/soundtrack/score.txt";

// Onsets are looked for in the first difference of the signal, which lets
// the low, slowly decaying tail of a kick fade from view while the click or
// the phase jump of a new hit stands out. An onset is the first sample whose
// difference is twice anything in the 25 ms that ended 1 ms before it and
// above 3 % of the largest; the detector then rests 40 ms, so that a clap's
// four bursts count as one sound.
std::vector<int64_t> detect_onsets(const std::vector<float> &signal) {
  const size_t gap = 44, window = 1102, rest = 1764;
  std::vector<float> x(signal.size(), 0.0f);
  for (size_t i = 1; i < signal.size(); ++i)
    x[i] = std::fabs(signal[i] - signal[i - 1]);
  float peak = 0;
  for (float v : x)
    peak = std::max(peak, v);
  const float floor = 0.03f * peak;
  std::vector<int64_t> out;
  std::deque<size_t> maxima; // a falling run of x inside the window
  size_t quiet_until = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    if (i >= gap) {
      size_t j = i - gap; // enters the window
      while (!maxima.empty() && x[maxima.back()] <= x[j])
        maxima.pop_back();
      maxima.push_back(j);
    }
    while (!maxima.empty() && maxima.front() + gap + window <= i)
      maxima.pop_front();
    float ref = maxima.empty() ? 0.0f : x[maxima.front()];
    if (i >= quiet_until && x[i] > floor && x[i] > 2.0f * ref) {
      out.push_back(static_cast<int64_t>(i));
      quiet_until = i + rest;
    }
  }
  return out;
}

} // namespace

TEST(SoundtrackOnsets, EveryAccentFallsOnItsSoundWithinTwoMilliseconds) {
  cScore score = cScore::load(kScore);
  cSynth synth(score);
  std::map<std::string, std::vector<int32_t>> marks;
  for (const auto &e : score.timeline)
    if (!e.comment && e.name != "m_start" &&
        !(e.name.size() == 3 && e.name[0] == 's' &&
          std::isdigit(static_cast<unsigned char>(e.name[1]))))
      marks[e.name].push_back(e.ms);
  ASSERT_EQ(marks.size(), 14u) << "every accent kind of the show has a sound";

  for (const auto &m : marks) {
    auto stem = synth.render_stem([&](const score_note &n) { return n.marker == m.first; });
    auto onsets = detect_onsets(stem);
    EXPECT_EQ(onsets.size(), m.second.size()) << m.first;
    double worst = 0;
    size_t k = 0;
    for (int32_t ms : m.second) {
      // The nearest detected onset to this marker.
      while (k + 1 < onsets.size() &&
             std::fabs(onsets[k + 1] / 44.1 - ms) < std::fabs(onsets[k] / 44.1 - ms))
        ++k;
      ASSERT_FALSE(onsets.empty()) << m.first;
      double d = onsets[k] / 44.1 - ms;
      worst = std::max(worst, std::fabs(d));
      EXPECT_LE(std::fabs(d), 2.0) << m.first << " at " << format_marker_time(ms)
                                   << ": the sound starts " << d << " ms away";
    }
    std::printf("%-7s %4zu events, %4zu onsets, worst offset %.2f ms\n", m.first.c_str(),
                m.second.size(), onsets.size(), worst);
  }
}

TEST(SoundtrackOnsets, TheMixChainAddsNoDelay) {
  // A kick and a clap over a ducked pad, through buses, send returns,
  // high-pass, loudness gain and the look-ahead limiter.
  cScore score = cScore::parse("tempo 125\nlength 3\nloudness -10\nceiling -3\n"
                               "instrument k kick key=1 rev=0.3\ninstrument c clap dly=0.5\n"
                               "instrument p pad duck=0.8\n"
                               "hit 1:3 k:bd\nhit 2:2 c:clap\nhit 1 p 32 A3\n",
                               "mix");
  mix_report rep;
  stereo_bus mix = cMixer(score).render(&rep);
  ASSERT_EQ(mix.l.size(), static_cast<size_t>(score.length_samples()));
  bool kick = false, clap = false;
  for (int64_t s : detect_onsets(mix.l)) {
    kick = kick || std::abs(s - 42336) <= 44;  // 0.96 s
    clap = clap || std::abs(s - 105840) <= 44; // 2.4 s
  }
  EXPECT_TRUE(kick);
  EXPECT_TRUE(clap);
  EXPECT_NEAR(rep.loudness, -10.0, 0.2);
  EXPECT_LE(rep.peak_db, -3.0f + 0.01f);
}
