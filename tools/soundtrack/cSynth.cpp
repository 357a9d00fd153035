// Note placement: each note's voice, from the renderer of its kind, goes onto
// the mix buses with its gain, pan, sends, level automation and ducking.
#include "cSynth.h"

#include "dsp.h"
#include "voices.h"

#include <algorithm>
#include <cmath>

using namespace snd;

void cSynth::voice(const score_note &n, std::vector<float> &L, std::vector<float> &R) {
  const voice_renderer renderer = renderer_for(score_.instruments[n.instrument].kind);
  if (renderer.render)
    renderer.render(voice_note(score_, n), L, R);
  if (!renderer.stereo)
    R = L;
}

void cSynth::render_mix(mix_buses &buses, const std::vector<float> &duck) {
  const size_t total = buses.dry.l.size();
  for (const score_note &n : score_.notes) {
    voice(n, tmp_l_, tmp_r_);
    const int ins = n.instrument;
    const auto P = [&](param_id p) { return score_.param(ins, p, n.sample); };
    float gain = db_to_gain(P(P_GAIN)) * n.velocity;
    float pan = std::max(-1.0f, std::min(1.0f, P(P_PAN)));
    float gl = std::cos((pan + 1.0f) * kPi / 4.0f) * 1.41421356f;
    float gr = std::sin((pan + 1.0f) * kPi / 4.0f) * 1.41421356f;
    float rev = P(P_REV), dly = P(P_DLY), depth = P(P_DUCK);
    tracked level(score_, n, P_LEVEL);
    size_t len = std::min(tmp_l_.size(), total - std::min(total, static_cast<size_t>(n.sample)));
    for (size_t i = 0; i < len; ++i) {
      size_t at = static_cast<size_t>(n.sample) + i;
      float g = gain * level.at(i);
      if (depth > 0)
        g *= 1.0f - depth * duck[at];
      float l = tmp_l_[i] * g * gl, r = tmp_r_[i] * g * gr;
      buses.dry.l[at] += l;
      buses.dry.r[at] += r;
      if (rev > 0) {
        buses.reverb.l[at] += l * rev;
        buses.reverb.r[at] += r * rev;
      }
      if (dly > 0) {
        buses.delay.l[at] += l * dly;
        buses.delay.r[at] += r * dly;
      }
    }
  }
}

std::vector<float> cSynth::render_stem(const std::function<bool(const score_note &)> &keep) {
  const size_t total = static_cast<size_t>(score_.length_samples());
  std::vector<float> out(total, 0.0f);
  for (const score_note &n : score_.notes) {
    if (!keep(n))
      continue;
    voice(n, tmp_l_, tmp_r_);
    size_t len = std::min(tmp_l_.size(), total - std::min(total, static_cast<size_t>(n.sample)));
    for (size_t i = 0; i < len; ++i)
      out[static_cast<size_t>(n.sample) + i] += 0.5f * (tmp_l_[i] + tmp_r_[i]) * n.velocity;
  }
  return out;
}

std::vector<float> cSynth::sidechain() const {
  const size_t total = static_cast<size_t>(score_.length_samples());
  std::vector<float> sc(total, 0.0f);
  const size_t dip = samples_for(0.004f), span = samples_for(0.45f);
  for (const score_note &n : score_.notes) {
    float key = score_.param(n.instrument, P_KEY, n.sample);
    if (key <= 0)
      continue;
    for (size_t i = 0; i < span; ++i) {
      size_t at = static_cast<size_t>(n.sample) + i;
      if (at >= total)
        break;
      float t = static_cast<float>(i) / kRate;
      float v = i < dip ? static_cast<float>(i) / dip : std::exp(-(t - 0.004f) / 0.085f);
      sc[at] = std::max(sc[at], std::min(1.0f, key * v));
    }
  }
  return sc;
}
