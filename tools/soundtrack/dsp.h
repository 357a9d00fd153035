// Small signal-processing pieces shared by the voices and the mixer: noise,
// band-limited saw, a state-variable filter and unit conversions. All of them
// are plain value types; nothing here allocates or fails.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace snd {

constexpr int kRate = 44100;
constexpr float kPi = 3.14159265358979f;

inline float db_to_gain(float db) { return std::pow(10.0f, db / 20.0f); }
inline float gain_to_db(float g) { return 20.0f * std::log10(g > 1e-12f ? g : 1e-12f); }
inline float midi_to_hz(float m) { return 440.0f * std::pow(2.0f, (m - 69.0f) / 12.0f); }
// Samples that cover the given time, the last one partly.
inline size_t samples_for(float seconds) { return static_cast<size_t>(seconds * kRate) + 1; }

// xorshift32: a fixed seed gives the same noise on every run and machine.
struct cNoise {
  uint32_t state = 0x9e3779b9u;
  explicit cNoise(uint32_t seed = 1) : state(seed * 2654435761u + 0x9e3779b9u) {
    if (state == 0)
      state = 0x12345678u;
  }
  float next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(static_cast<int32_t>(state)) * (1.0f / 2147483648.0f);
  }
};

// Correction that removes most of the aliasing of a naive saw or square edge.
inline float poly_blep(float t, float dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0f;
  }
  if (t > 1.0f - dt) {
    t = (t - 1.0f) / dt;
    return t * t + t + t + 1.0f;
  }
  return 0.0f;
}

struct cSaw {
  float phase = 0.0f;
  float next(float freq) {
    float dt = freq / kRate;
    if (dt > 0.45f)
      dt = 0.45f;
    float v = 2.0f * phase - 1.0f - poly_blep(phase, dt);
    phase += dt;
    if (phase >= 1.0f)
      phase -= 1.0f;
    return v;
  }
};

struct cPulse {
  float phase = 0.0f;
  float next(float freq, float width = 0.5f) {
    float dt = freq / kRate;
    if (dt > 0.45f)
      dt = 0.45f;
    float v = phase < width ? 1.0f : -1.0f;
    v += poly_blep(phase, dt);
    float t2 = phase - width;
    if (t2 < 0.0f)
      t2 += 1.0f;
    v -= poly_blep(t2, dt);
    phase += dt;
    if (phase >= 1.0f)
      phase -= 1.0f;
    return v;
  }
};

// Trapezoidal state-variable filter: stable under fast cutoff sweeps.
struct cSvf {
  float a1 = 0, a2 = 0, a3 = 0, k = 1;
  float ic1 = 0, ic2 = 0;
  float lp = 0, bp = 0, hp = 0;
  void set(float cutoff, float resonance) {
    if (cutoff < 10.0f)
      cutoff = 10.0f;
    if (cutoff > 0.45f * kRate)
      cutoff = 0.45f * kRate;
    float g = std::tan(kPi * cutoff / kRate);
    k = 2.0f - 1.96f * resonance; // resonance 0..1 maps to damping 2..0.04
    a1 = 1.0f / (1.0f + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
  }
  void run(float v0) {
    float v3 = v0 - ic2;
    float v1 = a1 * ic1 + a2 * v3;
    float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0f * v1 - ic1;
    ic2 = 2.0f * v2 - ic2;
    lp = v2;
    bp = v1;
    hp = v0 - k * v1 - v2;
  }
};

// One-pole smoother / tone control.
struct cOnePole {
  float a = 0, z = 0;
  void set(float cutoff) { a = std::exp(-2.0f * kPi * cutoff / kRate); }
  float low(float x) { return z = x + a * (z - x); }
  float high(float x) { return x - low(x); }
};

// Exponential decay by repeated multiplication: exp(-t / tau) without a
// libm call per sample; flushes to zero instead of running into denormals.
struct cDecay {
  float v = 1.0f, k = 0.0f;
  explicit cDecay(float tau, float start = 1.0f)
      : v(start), k(tau > 0 ? std::exp(-1.0f / (tau * kRate)) : 0.0f) {}
  float next() {
    float o = v;
    v *= k;
    if (v < 1e-12f)
      v = 0.0f;
    return o;
  }
};

} // namespace snd
