// The voices of the soundtrack: turns each note of a score into samples and
// places it on the mix buses (dry, reverb send, delay send) with its gain,
// pan, level automation and side-chain ducking. Pure computation: it cannot
// fail once the score has parsed.
#pragma once

#include "cScore.h"

#include <functional>
#include <vector>

struct stereo_bus {
  std::vector<float> l, r;
  void resize(size_t n) {
    l.assign(n, 0.0f);
    r.assign(n, 0.0f);
  }
};

struct mix_buses {
  stereo_bus dry, reverb, delay;
};

class cSynth {
public:
  explicit cSynth(const cScore &score) : score_(score) {}

  // The note's raw voice at unit gain, starting at its onset sample.
  void voice(const score_note &n, std::vector<float> &l, std::vector<float> &r);
  // Every note of the score, ducked by `duck` (one gain-reduction factor per
  // sample, 0 = none) where its instrument asks for it.
  void render_mix(mix_buses &buses, const std::vector<float> &duck);
  // Dry mono sum of the selected notes: no pan, sends, automation or ducking.
  std::vector<float> render_stem(const std::function<bool(const score_note &)> &keep);
  // Side-chain shape 0..1: a fast dip at every onset of a key instrument.
  std::vector<float> sidechain() const;

private:
  const cScore &score_;
  std::vector<float> tmp_l_, tmp_r_;
};
