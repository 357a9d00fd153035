// Deterministic inputs for the packer tests: text, records, mesh floats, noise
// and audio-like signals, each from a seed.
#pragma once

#include "support/scratch_dir.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <random>
#include <vector>

namespace rar20_test {

using bytes = std::vector<uint8_t>;

// Raw engine output only: distributions are not the same everywhere, the engine is.
class cRandom {
public:
  explicit cRandom(uint32_t seed) : m_engine(seed) {}
  uint32_t next() { return uint32_t(m_engine()); }
  uint32_t below(uint32_t n) { return next() % n; }
  double unit() { return next() / 4294967296.0; }
  double gauss() { // roughly normal, from a sum of uniforms
    double s = 0;
    for (int i = 0; i < 6; ++i)
      s += unit();
    return (s - 3.0) * 1.41;
  }

private:
  std::mt19937 m_engine;
};

// Words, a few much more common than the others, with punctuation and lines.
inline bytes make_text(size_t size, uint32_t seed) {
  static const char *words[] = {"the",    "mesh",  "vertex", "normal", "index", "buffer", "scene",
                                "light",  "beat",  "marker", "frame",  "of",    "and",    "to",
                                "in",     "a",     "render", "blur",   "float", "value",  "time",
                                "window", "sound", "track",  "gear",   "torus", "laser"};
  cRandom r(seed);
  bytes out;
  while (out.size() < size) {
    const double u = r.unit();
    const char *w = words[size_t(u * u * (sizeof(words) / sizeof(words[0])))];
    out.insert(out.end(), w, w + std::strlen(w));
    const uint32_t p = r.below(16);
    out.push_back(p == 0 ? '.' : p == 1 ? ',' : ' ');
    if (p == 0)
      out.push_back(r.below(3) == 0 ? '\n' : ' ');
  }
  out.resize(size);
  return out;
}

// 12-byte records: a counting id, a group, a small random value and a letter.
inline bytes make_records(size_t count, uint32_t seed) {
  cRandom r(seed);
  bytes out;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t id = uint32_t(i * 3), group = uint32_t(i % 17), value = r.below(50);
    const uint8_t rec[12] = {uint8_t(id),         uint8_t(id >> 8),
                             uint8_t(id >> 16),   uint8_t(id >> 24),
                             uint8_t(group),      0,
                             uint8_t(value),      0,
                             uint8_t('A' + i % 5)};
    out.insert(out.end(), rec, rec + sizeof(rec));
  }
  return out;
}

// Torus vertices as a mesh file would hold them: position, normal, texture coordinate.
inline bytes make_mesh(int rings, int sides) {
  bytes out;
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < sides; ++j) {
      const float u = float(i) / float(rings), v = float(j) / float(sides);
      const float cu = std::cos(u * 6.2831853f), su = std::sin(u * 6.2831853f);
      const float cv = std::cos(v * 6.2831853f), sv = std::sin(v * 6.2831853f);
      for (float f :
           {(1 + 0.3f * cv) * cu, (1 + 0.3f * cv) * su, 0.3f * sv, cv * cu, cv * su, sv, u, v}) {
        uint8_t b[4];
        std::memcpy(b, &f, 4);
        out.insert(out.end(), b, b + 4);
      }
    }
  return out;
}

inline bytes make_noise(size_t size, uint32_t seed) {
  cRandom r(seed);
  bytes out(size);
  for (uint8_t &b : out)
    b = uint8_t(r.next() >> 24);
  return out;
}

// Interleaved channels of slow sines with a little noise, 8-bit unsigned or
// 16-bit little-endian samples.
inline bytes make_audio(size_t frames, int channels, int sample_bytes, uint32_t seed) {
  cRandom r(seed);
  bytes out;
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      const double x = double(i);
      if (sample_bytes == 1) {
        const double s =
            128 + 70 * std::sin(x * 0.011 * (c + 1)) + 25 * std::sin(x * 0.047) + 1.5 * r.gauss();
        out.push_back(uint8_t(std::lround(std::fmin(255, std::fmax(0, s)))));
      } else {
        const long s = std::lround(11000 * std::sin(x * 0.013 * (c + 1)) +
                                   4000 * std::sin(x * 0.071) + 40 * r.gauss());
        out.push_back(uint8_t(s & 0xFF));
        out.push_back(uint8_t((s >> 8) & 0xFF));
      }
    }
  return out;
}
inline bytes make_audio8(size_t frames, int channels, uint32_t seed) {
  return make_audio(frames, channels, 1, seed);
}
inline bytes make_audio16(size_t frames, int channels, uint32_t seed) {
  return make_audio(frames, channels, 2, seed);
}

inline bytes concat(std::initializer_list<bytes> parts) {
  bytes out;
  for (const bytes &p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A block, almost a window of noise, and the block again: the copy can only come from
// near the far end of the 1 MiB window, and everything after it wraps the window.
inline bytes make_window_wrap(uint32_t seed) {
  const bytes block = make_text(96 * 1024, seed);
  return concat({block, make_noise(900 * 1024, seed + 1), block, make_records(20000, seed + 2)});
}

} // namespace rar20_test
