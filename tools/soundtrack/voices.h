// The voice renderers, one per voice kind: each turns one note into samples at
// unit gain, starting on its onset sample, and sizes the buffers to the
// voice's length. Pure computation: nothing here can fail.
#pragma once

#include "cScore.h"
#include "dsp.h"

#include <cstdint>
#include <vector>

// One note as a renderer sees it: the note, its score and the parameters at
// its onset that most voices read.
struct voice_note {
  voice_note(const cScore &s, const score_note &n)
      : score(s), note(n), hold(static_cast<float>(n.length_s)), decay(param(P_DECAY)),
        tone(param(P_TONE)), drive(param(P_DRIVE)) {}

  const cScore &score;
  const score_note &note;
  const float hold, decay, tone, drive;

  float param(param_id p) const { return score.param(note.instrument, p, note.sample); }
  // Two independent noise sources per note, the second for right channels.
  snd::cNoise noise() const { return snd::cNoise(note.seed); }
  snd::cNoise second_noise() const { return snd::cNoise(note.seed + 0x51ed27u); }
};

// Parameter that follows its automation, re-read every 64 samples.
struct tracked {
  const cScore &score;
  int ins;
  param_id id;
  int64_t start;
  bool dynamic;
  float value;
  tracked(const cScore &s, const score_note &n, param_id p)
      : score(s), ins(n.instrument), id(p), start(n.sample), dynamic(s.automated(n.instrument, p)),
        value(s.param(n.instrument, p, n.sample)) {}
  float at(size_t i) {
    if (dynamic && (i & 63) == 0)
      value = score.param(ins, id, start + static_cast<int64_t>(i));
    return value;
  }
};

// A renderer writes l, and r too when it is stereo; a mono voice's right
// channel is the caller's copy of l.
struct voice_renderer {
  void (*render)(const voice_note &v, std::vector<float> &l, std::vector<float> &r);
  bool stereo;
};

voice_renderer renderer_for(voice_kind kind);
