// Buses, send effects and the master chain. The limiter works offline in two
// passes (a backward pass that ramps the gain down ahead of each peak, a
// forward pass for the release), which is why it needs no delay line.
#include "cMixer.h"

#include "cLoudness.h"
#include "dsp.h"

#include <algorithm>
#include <cmath>

using namespace snd;

namespace {

// Comb bank and all-pass chain per channel; lengths differ between channels
// for width. The input is band-limited so the kick does not muddy the tail.
class cReverb {
public:
  void process(const stereo_bus &in, stereo_bus &out, float amount) {
    static const int combs[8] = {1123, 1201, 1279, 1361, 1427, 1493, 1559, 1621};
    static const int allpasses[4] = {557, 443, 347, 227};
    const int spread = 29, predelay = static_cast<int>(0.022f * kRate);
    const float feedback = 0.86f, damp = 0.28f;
    const size_t n = in.l.size();
    for (int ch = 0; ch < 2; ++ch) {
      const std::vector<float> &x = ch ? in.r : in.l;
      std::vector<float> &y = ch ? out.r : out.l;
      std::vector<std::vector<float>> cb(8), ap(4);
      std::vector<size_t> ci(8, 0), ai(4, 0);
      std::vector<float> store(8, 0.0f);
      for (int k = 0; k < 8; ++k)
        cb[k].assign(combs[k] + ch * spread, 0.0f);
      for (int k = 0; k < 4; ++k)
        ap[k].assign(allpasses[k] + ch * spread, 0.0f);
      cSvf band;
      band.set(5500.0f, 0.0f);
      cOnePole low_cut;
      low_cut.set(220.0f);
      for (size_t i = 0; i < n; ++i) {
        float v = i >= static_cast<size_t>(predelay) ? x[i - predelay] : 0.0f;
        band.run(low_cut.high(v));
        float input = band.lp * 0.03f;
        float acc = 0;
        for (int k = 0; k < 8; ++k) {
          float o = cb[k][ci[k]];
          store[k] = o * (1.0f - damp) + store[k] * damp;
          cb[k][ci[k]] = input + store[k] * feedback;
          if (++ci[k] == cb[k].size())
            ci[k] = 0;
          acc += o;
        }
        for (int k = 0; k < 4; ++k) {
          float b = ap[k][ai[k]];
          ap[k][ai[k]] = acc + b * 0.5f;
          acc = b - acc;
          if (++ai[k] == ap[k].size())
            ai[k] = 0;
        }
        y[i] += acc * amount;
      }
    }
  }
};

// Ping-pong echo: left line feeds right, right feeds left, filtered in the
// loop so the repeats darken.
class cPingPong {
public:
  void process(const stereo_bus &in, stereo_bus &out, stereo_bus *reverb_in, size_t delay,
               float feedback) {
    const size_t n = in.l.size();
    std::vector<float> dl(delay, 0.0f), dr(delay, 0.0f);
    cSvf fl, fr;
    fl.set(3800.0f, 0.0f);
    fr.set(3800.0f, 0.0f);
    cOnePole hl, hr;
    hl.set(350.0f);
    hr.set(350.0f);
    size_t p = 0;
    for (size_t i = 0; i < n; ++i) {
      float ol = dl[p], or_ = dr[p];
      fl.run(hl.high(or_));
      fr.run(hr.high(ol));
      dl[p] = 0.5f * (in.l[i] + in.r[i]) + fl.lp * feedback;
      dr[p] = fr.lp * feedback;
      if (++p == delay)
        p = 0;
      out.l[i] += ol;
      out.r[i] += or_;
      if (reverb_in) {
        reverb_in->l[i] += 0.25f * ol;
        reverb_in->r[i] += 0.25f * or_;
      }
    }
  }
};

// Peak between samples n and n+1, estimated at three cubic midpoints: keeps
// the reconstructed waveform, not just the samples, under the ceiling.
float inter_peak(const std::vector<float> &x, size_t i) {
  size_t n = x.size();
  float y0 = x[i > 0 ? i - 1 : 0], y1 = x[i], y2 = x[i + 1 < n ? i + 1 : i],
        y3 = x[i + 2 < n ? i + 2 : n - 1];
  float p = std::fabs(y1);
  for (float t : {0.25f, 0.5f, 0.75f}) {
    float v =
        y1 + 0.5f * t *
                 (y2 - y0 +
                  t * (2.0f * y0 - 5.0f * y1 + 4.0f * y2 - y3 + t * (3.0f * (y1 - y2) + y3 - y0)));
    p = std::max(p, std::fabs(v));
  }
  return p;
}

} // namespace

float cMixer::limit(stereo_bus &bus, float ceiling, float release_s) {
  const size_t n = bus.l.size();
  if (n == 0)
    return 1.0f;
  const size_t ahead = static_cast<size_t>(0.0015f * kRate);
  std::vector<float> g(n);
  for (size_t i = 0; i < n; ++i) {
    float p = std::max(inter_peak(bus.l, i), inter_peak(bus.r, i));
    g[i] = p > ceiling ? ceiling / p : 1.0f;
  }
  // Backward: the gain falls linearly over `ahead` samples before each peak.
  const float step = 1.0f / ahead;
  for (size_t i = n - 1; i-- > 0;)
    g[i] = std::min(g[i], g[i + 1] + step);
  // Forward: release back toward unity, never above what the peaks allow.
  const float rc = std::exp(-1.0f / (release_s * kRate));
  float cur = g[0], deepest = 1.0f;
  for (size_t i = 0; i < n; ++i) {
    float rel = 1.0f - (1.0f - cur) * rc;
    cur = std::min(g[i], rel);
    deepest = std::min(deepest, cur);
    bus.l[i] *= cur;
    bus.r[i] *= cur;
  }
  return deepest;
}

stereo_bus cMixer::render(mix_report *report) {
  const size_t n = static_cast<size_t>(score_.length_samples());
  mix_buses b;
  b.dry.resize(n);
  b.reverb.resize(n);
  b.delay.resize(n);
  cSynth synth(score_);
  std::vector<float> duck = synth.sidechain();
  synth.render_mix(b, duck);

  const size_t echo = static_cast<size_t>(std::llround(3.0 * score_.sixteenth_s() * kRate));
  cPingPong().process(b.delay, b.dry, &b.reverb, echo, 0.42f);
  cReverb().process(b.reverb, b.dry, 1.0f);
  b.delay = stereo_bus();
  b.reverb = stereo_bus();

  stereo_bus &m = b.dry;
  cSvf hl, hr;
  hl.set(28.0f, 0.0f);
  hr.set(28.0f, 0.0f);
  for (size_t i = 0; i < n; ++i) {
    hl.run(m.l[i]);
    hr.run(m.r[i]);
    m.l[i] = hl.hp;
    m.r[i] = hr.hp;
  }

  // The last half second fades to silence so the file ends without a step.
  const size_t fade = std::min(n, static_cast<size_t>(kRate / 2));
  for (size_t i = 0; i < fade; ++i) {
    float f = static_cast<float>(i) / fade;
    m.l[n - 1 - i] *= f;
    m.r[n - 1 - i] *= f;
  }

  // Gain to the loudness target, measured after limiting: the limiter takes
  // a little loudness away, so the gain is refined a few times.
  const float ceiling = db_to_gain(score_.ceiling);
  float gain_db = static_cast<float>(score_.loudness - cLoudness::integrated(m.l, m.r));
  stereo_bus out;
  float deepest = 1.0f;
  double got = 0;
  for (int pass = 0;; ++pass) {
    out = m;
    float g = db_to_gain(gain_db);
    for (size_t i = 0; i < n; ++i) {
      out.l[i] *= g;
      out.r[i] *= g;
    }
    deepest = limit(out, ceiling, 0.12f);
    got = cLoudness::integrated(out.l, out.r);
    if (std::fabs(got - score_.loudness) < 0.05 || pass == 3)
      break;
    gain_db += static_cast<float>(score_.loudness - got);
  }

  if (report) {
    report->loudness = got;
    report->peak_db = gain_to_db(cLoudness::sample_peak(out.l, out.r));
    report->gain_db = gain_db;
    report->reduction_db = gain_to_db(deepest);
  }
  return out;
}
