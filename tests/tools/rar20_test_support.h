// Helpers of the packer tests: deterministic input generators (text, records, mesh
// floats, noise, audio-like signals), a scratch directory and a shell runner. A helper
// that cannot do its job fails the calling test through an ASSERT in the caller.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
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
  // Roughly normal, from a sum of uniforms.
  double gauss() {
    double s = 0;
    for (int i = 0; i < 6; ++i)
      s += unit();
    return (s - 3.0) * 1.41;
  }

private:
  std::mt19937 m_engine;
};

inline bytes make_text(size_t size, uint32_t seed) {
  static const char *words[] = {
      "the",    "mesh",   "vertex", "normal", "index",    "buffer", "scene", "light",  "camera",
      "beat",   "marker", "frame",  "shader", "texture",  "of",     "and",   "to",     "in",
      "a",      "render", "target", "blur",   "radial",   "matrix", "float", "value",  "time",
      "window", "sound",  "music",  "track",  "corridor", "gear",   "torus", "sphere", "laser"};
  cRandom r(seed);
  bytes out;
  while (out.size() < size) {
    // squared uniform: a few words are much more common than others
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

inline bytes make_records(size_t count, uint32_t seed) {
  cRandom r(seed);
  bytes out;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t id = uint32_t(i * 3);
    const uint16_t group = uint16_t(i % 17);
    const uint16_t value = uint16_t(r.below(50));
    const uint8_t rec[12] = {uint8_t(id),
                             uint8_t(id >> 8),
                             uint8_t(id >> 16),
                             uint8_t(id >> 24),
                             uint8_t(group),
                             uint8_t(group >> 8),
                             uint8_t(value),
                             uint8_t(value >> 8),
                             uint8_t('A' + i % 5),
                             0,
                             0,
                             0};
    out.insert(out.end(), rec, rec + sizeof(rec));
  }
  return out;
}

inline void put_float(bytes &out, float f) {
  uint8_t b[4];
  std::memcpy(b, &f, 4);
  out.insert(out.end(), b, b + 4);
}

// Torus vertices as a mesh file would hold them: position, normal, texture coordinate.
inline bytes make_mesh(int rings, int sides) {
  bytes out;
  const float two_pi = 6.2831853f;
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < sides; ++j) {
      const float u = float(i) / float(rings), v = float(j) / float(sides);
      const float cu = std::cos(u * two_pi), su = std::sin(u * two_pi);
      const float cv = std::cos(v * two_pi), sv = std::sin(v * two_pi);
      const float x = (1.0f + 0.3f * cv) * cu, y = (1.0f + 0.3f * cv) * su, z = 0.3f * sv;
      for (float f : {x, y, z, cv * cu, cv * su, sv, u, v})
        put_float(out, f);
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

// Interleaved channels, frame by frame: put(out, frame, channel, random) appends a sample.
template <typename Put> bytes interleaved(size_t frames, int channels, uint32_t seed, Put put) {
  cRandom r(seed);
  bytes out;
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      put(out, double(i), c, r);
  return out;
}

// Interleaved 8-bit channels of slow sines with a little noise.
inline bytes make_audio8(size_t frames, int channels, uint32_t seed) {
  return interleaved(frames, channels, seed, [](bytes &out, double i, int c, cRandom &r) {
    const double s =
        128 + 70 * std::sin(i * 0.011 * (c + 1)) + 25 * std::sin(i * 0.047) + 1.5 * r.gauss();
    out.push_back(uint8_t(std::lround(std::fmin(255, std::fmax(0, s)))));
  });
}

// Interleaved 16-bit little-endian channels.
inline bytes make_audio16(size_t frames, int channels, uint32_t seed) {
  return interleaved(frames, channels, seed, [](bytes &out, double i, int c, cRandom &r) {
    const long s = std::lround(11000 * std::sin(i * 0.013 * (c + 1)) + 4000 * std::sin(i * 0.071) +
                               40 * r.gauss());
    out.push_back(uint8_t(s & 0xFF));
    out.push_back(uint8_t((s >> 8) & 0xFF));
  });
}

// A block, almost a window of noise, and the block again: the copy can only come from
// near the far end of the 1 MiB window, and everything after it wraps the window.
inline bytes make_window_wrap(uint32_t seed) {
  const bytes block = make_text(96 * 1024, seed);
  bytes out = block;
  const bytes filler = make_noise(900 * 1024, seed + 1);
  out.insert(out.end(), filler.begin(), filler.end());
  out.insert(out.end(), block.begin(), block.end());
  const bytes tail = make_records(20000, seed + 2);
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

inline bytes concat(std::initializer_list<bytes> parts) {
  bytes out;
  for (const bytes &p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline bool write_file(const std::string &path, const bytes &data) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  const bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

inline bool read_file(const std::string &path, bytes &out) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  out.clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
    out.insert(out.end(), buf, buf + n);
  std::fclose(f);
  return true;
}

// Runs a shell command; returns its exit status and its standard output (stderr joined).
inline int run(const std::string &command, std::string *output = nullptr) {
  FILE *p = popen((command + " 2>&1").c_str(), "r");
  if (!p)
    return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), p)) > 0)
    text.append(buf, n);
  const int status = pclose(p);
  if (output)
    *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string quote(const std::string &s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

// A fresh directory under the system's temporary directory, removed at the end.
class cScratchDir {
public:
  cScratchDir() {
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/rar20_test_XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()))
      m_path = buf.data();
  }
  ~cScratchDir() {
    std::error_code ec;
    if (!m_path.empty())
      std::filesystem::remove_all(m_path, ec);
  }
  bool ok() const { return !m_path.empty(); }
  std::string operator/(const std::string &name) const { return m_path + "/" + name; }
  const std::string &path() const { return m_path; }

private:
  std::string m_path;
};

} // namespace rar20_test
