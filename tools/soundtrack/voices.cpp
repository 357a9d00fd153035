// The voice renderers. Every voice starts at full level on its first sample
// (no pre-delay, no slow attack on the percussion), so a marker placed at a
// note's onset sample is where the sound is heard.
#include "voices.h"

#include <algorithm>
#include <cmath>

using namespace snd;

namespace {

constexpr float kTwoPi = 2.0f * kPi;

// Sustain until `hold`, then an exponential release that tapers to exactly 0
// at the end of the buffer.
struct release_env {
  size_t hold, end;
  cDecay fall;
  release_env(float hold_s, float release_s, size_t end_n)
      : hold(static_cast<size_t>(hold_s * kRate)), end(end_n), fall(release_s) {}
  float at(size_t i) {
    if (i < hold)
      return 1.0f;
    float taper = 4.0f * static_cast<float>(end - i) / static_cast<float>(end - hold + 1);
    return fall.next() * std::min(1.0f, std::max(0.0f, taper));
  }
};

// Six detuned square waves: the metallic part of hats and crashes.
struct metal {
  float phase[6] = {0.1f, 0.37f, 0.52f, 0.71f, 0.23f, 0.88f};
  float next(float scale) {
    static const float ratio[6] = {1.0f, 1.4827f, 1.8003f, 2.5462f, 2.6304f, 3.8968f};
    float s = 0;
    for (int k = 0; k < 6; ++k) {
      phase[k] += 205.3f * scale * ratio[k] / kRate;
      phase[k] -= std::floor(phase[k]);
      s += phase[k] < 0.5f ? 1.0f : -1.0f;
    }
    return s / 6.0f;
  }
};

// Both channels cleared to the voice's length; returns that length.
size_t sized(std::vector<float> &L, std::vector<float> &R, float seconds) {
  size_t len = samples_for(seconds);
  L.assign(len, 0.0f);
  R.assign(len, 0.0f);
  return len;
}

// Sine swept down from `tone` to 0.3 x tone, a noise click, saturation.
void render_kick(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  cNoise noise = v.noise();
  size_t len = sized(L, R, v.decay * 7.0f + 0.02f);
  float f1 = v.tone * 0.3f, phase = 0.25f;
  float click = v.param(P_ENV), norm = 1.0f / std::tanh(v.drive);
  float cutoff = v.param(P_CUTOFF);
  cDecay sweep(0.02f + v.decay * 0.03f), amp(v.decay), click_env(0.0015f);
  cSvf lp;
  lp.set(cutoff, 0.15f);
  cOnePole click_hp;
  click_hp.set(1500.0f);
  const size_t ramp = static_cast<size_t>(0.0004f * kRate);
  for (size_t i = 0; i < len; ++i) {
    phase += (f1 + (v.tone - f1) * sweep.next()) / kRate;
    if (phase >= 1.0f)
      phase -= 1.0f;
    float body = std::sin(kTwoPi * phase) * amp.next();
    float c = click_hp.high(noise.next()) * click * click_env.next();
    float s = std::tanh(v.drive * (body + c)) * norm;
    if (cutoff < 18000.0f) {
      lp.run(s);
      s = lp.lp;
    }
    L[i] = i < ramp ? s * (0.3f + 0.7f * i / ramp) : s;
  }
}

void render_snare(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  cNoise noise = v.noise();
  size_t len = sized(L, R, v.decay * 7.0f);
  cSvf hp, lp;
  hp.set(v.param(P_CUTOFF), 0.2f);
  lp.set(9000.0f, 0.0f);
  cDecay bend(0.012f), body_env(0.055f), noise_env(v.decay);
  float p1 = 0, p2 = 0;
  for (size_t i = 0; i < len; ++i) {
    float b = 1.0f + 0.35f * bend.next();
    p1 += v.tone * b / kRate;
    p2 += v.tone * 1.78f * b / kRate;
    p1 -= std::floor(p1);
    p2 -= std::floor(p2);
    float body = (0.65f * std::sin(kTwoPi * p1) + 0.3f * std::sin(kTwoPi * p2)) * body_env.next();
    hp.run(noise.next());
    lp.run(hp.hp);
    L[i] = 0.8f * body + 1.1f * lp.lp * noise_env.next();
  }
}

// Four bursts 10 ms apart, then a tail: the onset is the first burst.
void render_clap(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  cNoise noise = v.noise();
  size_t len = sized(L, R, v.decay * 7.0f + 0.04f);
  cSvf bp, hp;
  bp.set(v.tone, 0.45f);
  hp.set(600.0f, 0.0f);
  const size_t bursts[4] = {0, samples_for(0.0105f), samples_for(0.0215f), samples_for(0.0315f)};
  cDecay burst(0.0045f), tail(v.decay, 0.75f);
  for (size_t i = 0; i < len; ++i) {
    for (size_t b : bursts)
      if (i == b)
        burst.v = 1.0f;
    float env = burst.next();
    if (i >= bursts[3])
      env = std::max(env, tail.next());
    float x = noise.next();
    bp.run(x);
    hp.run(x);
    L[i] = (1.6f * bp.bp + 0.35f * hp.hp) * env;
  }
}

void render_hat(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  cNoise noise = v.noise();
  size_t len = sized(L, R, v.decay * 7.0f + 0.01f);
  cSvf hp, hp2;
  hp.set(v.tone, 0.3f);
  hp2.set(v.tone * 0.9f, 0.0f);
  metal m;
  cDecay env(v.decay);
  for (size_t i = 0; i < len; ++i) {
    hp.run(0.55f * m.next(v.tone / 2000.0f) + 0.6f * noise.next());
    hp2.run(hp.hp);
    L[i] = hp2.hp * env.next();
  }
}

void render_blip(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  size_t len = sized(L, R, v.decay * 7.0f);
  float f = midi_to_hz(v.note.pitch), p = 0;
  cDecay env(v.decay, 0.8f);
  for (size_t i = 0; i < len; ++i) {
    p += f / kRate;
    p -= std::floor(p);
    float s = std::sin(kTwoPi * p) + 0.25f * std::sin(2.0f * kTwoPi * p) +
              0.12f * std::sin(3.0f * kTwoPi * p);
    L[i] = s * env.next();
  }
}

void render_zap(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  size_t len = sized(L, R, v.decay * 7.0f);
  cPulse osc;
  cSvf lp;
  lp.set(5000.0f, 0.3f);
  cDecay sweep(0.028f), env(v.decay, 0.9f);
  for (size_t i = 0; i < len; ++i) {
    lp.run(osc.next(70.0f + v.tone * sweep.next(), 0.35f));
    L[i] = lp.lp * env.next();
  }
}

void render_noise(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  cNoise noise = v.noise();
  size_t len = sized(L, R, v.decay * 7.0f);
  cSvf bp;
  cDecay sweep(0.07f), env(v.decay, 1.8f);
  for (size_t i = 0; i < len; ++i) {
    float sw = sweep.next();
    if ((i & 15) == 0)
      bp.set(250.0f + v.tone * sw, 0.55f);
    bp.run(noise.next());
    L[i] = bp.bp * env.next();
  }
}

// Stereo noise under a closing low-pass, with a sub thump.
void render_whoosh(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  cNoise noise = v.noise(), noise2 = v.second_noise();
  size_t len = sized(L, R, v.decay * 6.0f);
  cSvf fl, fr;
  cDecay close(v.decay * 0.45f), env(v.decay), bend(0.08f), sub_env(v.decay * 0.5f, 0.7f);
  float p = 0;
  for (size_t i = 0; i < len; ++i) {
    float cl = close.next();
    if ((i & 15) == 0) {
      float c = 150.0f + v.tone * cl;
      fl.set(c, 0.35f);
      fr.set(c * 1.07f, 0.35f);
    }
    float e = env.next();
    fl.run(noise.next());
    fr.run(noise2.next());
    p += (34.0f + 30.0f * bend.next()) / kRate;
    p -= std::floor(p);
    float sub = std::sin(kTwoPi * p) * sub_env.next();
    L[i] = fl.lp * e + sub;
    R[i] = fr.lp * e + sub;
  }
}

void render_laser(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  size_t len = sized(L, R, v.decay * 6.0f);
  cSaw a, b;
  cSvf lp;
  lp.set(6000.0f, 0.25f);
  cDecay sweep(v.decay * 0.26f), env(v.decay);
  for (size_t i = 0; i < len; ++i) {
    float f = 45.0f + v.tone * sweep.next();
    lp.run(0.5f * a.next(f) + 0.5f * b.next(f * 1.012f));
    L[i] = lp.lp * env.next();
  }
}

void render_impact(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  cNoise noise = v.noise(), noise2 = v.second_noise();
  size_t len = sized(L, R, v.decay * 6.0f);
  cSvf nl, nr;
  nl.set(3500.0f, 0.1f);
  nr.set(3800.0f, 0.1f);
  cDecay sweep(0.09f), env(v.decay), noise_env(v.decay * 0.35f, 0.8f);
  float p = 0.25f, norm = 1.0f / std::tanh(v.drive);
  for (size_t i = 0; i < len; ++i) {
    p += (32.0f + v.tone * sweep.next()) / kRate;
    p -= std::floor(p);
    float boom = std::tanh(v.drive * std::sin(kTwoPi * p) * env.next()) * norm;
    nl.run(noise.next());
    nr.run(noise2.next());
    float ne = noise_env.next();
    L[i] = boom + nl.lp * ne;
    R[i] = boom + nr.lp * ne;
  }
}

void render_crash(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  cNoise noise = v.noise(), noise2 = v.second_noise();
  size_t len = sized(L, R, v.decay * 6.0f);
  cSvf hl, hr;
  hl.set(v.tone, 0.2f);
  hr.set(v.tone * 1.05f, 0.2f);
  metal ml, mr;
  cDecay env(v.decay), bright(0.05f);
  for (size_t i = 0; i < len; ++i) {
    float e = env.next() * (0.6f + 0.4f * bright.next());
    hl.run(0.5f * ml.next(3.1f) + 0.7f * noise.next());
    hr.run(0.5f * mr.next(3.27f) + 0.7f * noise2.next());
    L[i] = hl.hp * e;
    R[i] = hr.hp * e;
  }
}

// Band-passed noise rising from `tone` to `cutoff` over the held length,
// cut off at its end so the drop after it lands in a clean gap.
void render_riser(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  cNoise noise = v.noise(), noise2 = v.second_noise();
  size_t len = sized(L, R, v.hold);
  float top = v.param(P_CUTOFF), res = v.param(P_RES);
  cSvf bl, br;
  for (size_t i = 0; i < len; ++i) {
    float t = static_cast<float>(i) / kRate;
    float f = std::min(1.0f, t / v.hold);
    if ((i & 15) == 0) {
      float c = v.tone * std::pow(top / v.tone, f);
      bl.set(c, res);
      br.set(c * 1.03f, res);
    }
    float env = f * f * std::min(1.0f, (v.hold - t) / 0.004f) * 1.5f;
    bl.run(noise.next());
    br.run(noise2.next());
    L[i] = bl.bp * env;
    R[i] = br.bp * env;
  }
}

void render_bass(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  float release = v.param(P_RELEASE), attack = v.param(P_ATTACK), res = v.param(P_RES),
        env_oct = v.param(P_ENV);
  size_t len = sized(L, R, v.hold + release * 5.0f);
  float f = midi_to_hz(v.note.pitch), norm = 1.0f / std::tanh(v.drive);
  cSaw saw;
  cPulse sub;
  cSvf lp;
  tracked cut(v.score, v.note, P_CUTOFF);
  cDecay fenv(v.decay / 8.0f);
  release_env rel(v.hold, release, len);
  const float att = 1.0f / (attack * kRate);
  for (size_t i = 0; i < len; ++i) {
    if ((i & 7) == 0)
      lp.set(cut.at(i) * std::exp2(env_oct * fenv.next()), res);
    lp.run(0.6f * saw.next(f) + 0.55f * sub.next(f * 0.5f));
    float amp = std::min(1.0f, i * att) * rel.at(i);
    L[i] = std::tanh(v.drive * lp.lp) * norm * amp;
  }
}

void render_pad(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  float release = v.param(P_RELEASE), attack = v.param(P_ATTACK), det = v.param(P_DETUNE),
        width = v.param(P_WIDTH);
  size_t len = sized(L, R, v.hold + release * 3.5f);
  float f = midi_to_hz(v.note.pitch);
  static const float spread[4] = {-1.0f, -0.33f, 0.33f, 1.0f};
  cSaw osc[4];
  float fr[4];
  for (int k = 0; k < 4; ++k) {
    fr[k] = f * std::exp2(spread[k] * det / 12.0f);
    osc[k].phase = static_cast<float>((v.note.seed * (k + 3)) % 97) / 97.0f;
  }
  const float wa = 0.5f + 0.5f * width, wb = 1.0f - 0.5f * width, wc = 0.5f - 0.5f * width;
  cSvf fl, fr2;
  tracked cut(v.score, v.note, P_CUTOFF);
  float res = v.param(P_RES);
  release_env rel(v.hold, release, len);
  const float att = 1.0f / (attack * kRate);
  for (size_t i = 0; i < len; ++i) {
    if ((i & 31) == 0) {
      float c = cut.at(i);
      fl.set(c, res);
      fr2.set(c * 1.02f, res);
    }
    float s0 = osc[0].next(fr[0]), s1 = osc[1].next(fr[1]), s2 = osc[2].next(fr[2]),
          s3 = osc[3].next(fr[3]);
    fl.run(s0 * wa + s1 + s2 * wb + s3 * wc);
    fr2.run(s3 * wa + s2 + s1 * wb + s0 * wc);
    float a = std::min(1.0f, i * att);
    float amp = a * a * (3.0f - 2.0f * a) * rel.at(i) * 0.3f;
    L[i] = fl.lp * amp;
    R[i] = fr2.lp * amp;
  }
}

void render_stab_or_pluck(const voice_note &v, std::vector<float> &L, std::vector<float> &R,
                          bool stab) {
  float release = v.param(P_RELEASE), env_oct = v.param(P_ENV), res = v.param(P_RES),
        det = v.param(P_DETUNE);
  size_t len = sized(L, R, v.hold + release * 5.0f + v.decay);
  float f = midi_to_hz(v.note.pitch);
  float fa = f * std::exp2(-det / 12.0f), fb = f * std::exp2(det / 12.0f);
  cSaw a, b, c;
  cSvf fl, fr;
  tracked cut(v.score, v.note, P_CUTOFF);
  cDecay fenv(v.decay / 8.0f), amp_env(v.decay * (stab ? 1.6f : 2.5f));
  release_env rel(v.hold, release, len);
  const size_t click = static_cast<size_t>(0.002f * kRate);
  for (size_t i = 0; i < len; ++i) {
    if ((i & 7) == 0) {
      float cf = cut.at(i) * std::exp2(env_oct * fenv.next());
      fl.set(cf, res);
      fr.set(cf * 1.01f, res);
    }
    float amp = amp_env.next() * rel.at(i);
    if (i < click)
      amp *= static_cast<float>(i) / click;
    if (stab) {
      float oct = 0.3f * c.next(f * 2.0f);
      fl.run(a.next(fa) + oct);
      fr.run(b.next(fb) + oct);
      L[i] = fl.lp * amp * 0.5f;
      R[i] = fr.lp * amp * 0.5f;
    } else {
      fl.run(a.next(f) + 0.35f * b.next(f * 2.0f));
      L[i] = fl.lp * amp * 0.7f;
    }
  }
}

void render_lead(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  float release = v.param(P_RELEASE), attack = v.param(P_ATTACK), det = v.param(P_DETUNE),
        env_oct = v.param(P_ENV);
  float res = v.param(P_RES);
  size_t len = sized(L, R, v.hold + release * 5.0f);
  float f = midi_to_hz(v.note.pitch);
  float da = std::exp2(-det / 12.0f), db = std::exp2(det / 12.0f);
  cSaw a, b;
  cPulse c;
  cSvf fl, fr;
  tracked cut(v.score, v.note, P_CUTOFF);
  cDecay fenv(v.decay / 8.0f);
  release_env rel(v.hold, release, len);
  const float att = 1.0f / (attack * kRate);
  float vib = 0, fm = 1.0f;
  for (size_t i = 0; i < len; ++i) {
    if ((i & 7) == 0) {
      // Vibrato fades in after a quarter second, like a held sung note.
      float t = static_cast<float>(i) / kRate;
      float depth = 0.12f * std::min(1.0f, std::max(0.0f, (t - 0.25f) / 0.3f));
      fm = std::exp2(depth * std::sin(kTwoPi * vib) / 12.0f);
      float cf = cut.at(i) * std::exp2(env_oct * fenv.next());
      fl.set(cf, res);
      fr.set(cf * 1.03f, res);
    }
    vib += 5.5f / kRate;
    float sc = c.next(f * fm, 0.3f);
    fl.run(a.next(f * fm * da) + 0.5f * sc);
    fr.run(b.next(f * fm * db) + 0.5f * sc);
    float amp = std::min(1.0f, i * att) * rel.at(i) * 0.45f;
    L[i] = fl.lp * amp;
    R[i] = fr.lp * amp;
  }
}

void render_stab(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  render_stab_or_pluck(v, L, R, true);
}

void render_pluck(const voice_note &v, std::vector<float> &L, std::vector<float> &R) {
  render_stab_or_pluck(v, L, R, false);
}

} // namespace

voice_renderer renderer_for(voice_kind kind) {
  switch (kind) {
  case voice_kind::kick:
    return {render_kick, false};
  case voice_kind::snare:
    return {render_snare, false};
  case voice_kind::clap:
    return {render_clap, false};
  case voice_kind::hat:
    return {render_hat, false};
  case voice_kind::blip:
    return {render_blip, false};
  case voice_kind::zap:
    return {render_zap, false};
  case voice_kind::noise:
    return {render_noise, false};
  case voice_kind::whoosh:
    return {render_whoosh, true};
  case voice_kind::laser:
    return {render_laser, false};
  case voice_kind::impact:
    return {render_impact, true};
  case voice_kind::crash:
    return {render_crash, true};
  case voice_kind::riser:
    return {render_riser, true};
  case voice_kind::bass:
    return {render_bass, false};
  case voice_kind::pad:
    return {render_pad, true};
  case voice_kind::stab:
    return {render_stab, true};
  case voice_kind::lead:
    return {render_lead, true};
  case voice_kind::pluck:
    return {render_pluck, false};
  }
  return {nullptr, false};
}
