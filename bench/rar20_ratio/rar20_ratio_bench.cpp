// Compressed size of the rar20 packer beside gzip -9 and xz -9 on the same inputs (the
// project's own sources as text, a binary mesh of floats, 16-bit stereo and 8-bit mono
// audio-like signals, a file mixing all of them with noise), with packing speed in MB/s.
// Speeds are input MB per second of CPU time (the packer's own, or the compressor
// process's), so that other load on the machine does not skew them.
// Every archive is read back with our reader; a mismatch ends the run with status 1.
// Usage: bench_rar20_ratio [source folder for the text input]
#include "cRarArchiveWriter.h"

#include "archive/rar/unrarlib.h"
#include "tools/rar20_test_support.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using bytes = std::vector<uint8_t>;
using rar20_test::make_noise;

void put_float(bytes &out, float f) {
  uint8_t b[4];
  std::memcpy(b, &f, 4);
  out.insert(out.end(), b, b + 4);
}

bool read_file(const std::string &path, bytes &out) {
  std::ifstream in(path, std::ios::binary);
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return bool(in) || in.eof();
}

bool write_file(const std::string &path, const bytes &data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char *>(data.data()), std::streamsize(data.size()));
  return bool(out);
}

double own_cpu_seconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double children_cpu_seconds() {
  rusage ru;
  getrusage(RUSAGE_CHILDREN, &ru);
  return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

// Source and text files of the project, in path order: real text of a known kind.
bytes make_text(const std::string &root) {
  std::vector<std::string> paths;
  for (const char *sub : {"src", "tools", "tests"}) {
    const std::filesystem::path dir = std::filesystem::path(root) / sub;
    if (!std::filesystem::is_directory(dir))
      continue;
    for (const auto &e : std::filesystem::recursive_directory_iterator(dir)) {
      const std::string ext = e.path().extension().string();
      if (e.is_regular_file() &&
          (ext == ".cpp" || ext == ".h" || ext == ".cg" || ext == ".txt" || ext == ".md"))
        paths.push_back(e.path().string());
    }
  }
  std::sort(paths.begin(), paths.end());
  bytes text, file;
  for (const std::string &p : paths)
    if (read_file(p, file))
      text.insert(text.end(), file.begin(), file.end());
  return text;
}

void put32(bytes &out, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out.push_back(uint8_t(v >> (8 * i)));
}

// A bumpy torus laid out as a binary mesh file: counts, positions, normals, texture
// coordinates, the three corner-index arrays as deltas, and the group-start marks.
bytes make_mesh(int rings, int sides) {
  bytes out;
  const uint32_t vertices = uint32_t(rings * sides), triangles = 2 * vertices;
  out.push_back(3);
  put32(out, vertices);
  put32(out, triangles);
  put32(out, 0);
  const double two_pi = 6.283185307179586;
  auto point = [&](double u, double v, double p[3]) {
    const double r = 0.35 + 0.02 * std::sin(7 * u * two_pi) * std::cos(11 * v * two_pi);
    p[0] = (1 + r * std::cos(v * two_pi)) * std::cos(u * two_pi);
    p[1] = (1 + r * std::cos(v * two_pi)) * std::sin(u * two_pi);
    p[2] = r * std::sin(v * two_pi);
  };
  std::vector<float> pos, nrm, tex;
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < sides; ++j) {
      const double u = double(i) / rings, v = double(j) / sides, e = 1e-4;
      double p[3], pu[3], pv[3];
      point(u, v, p);
      point(u + e, v, pu);
      point(u, v + e, pv);
      const double a[3] = {pu[0] - p[0], pu[1] - p[1], pu[2] - p[2]};
      const double b[3] = {pv[0] - p[0], pv[1] - p[1], pv[2] - p[2]};
      double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                     a[0] * b[1] - a[1] * b[0]};
      const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
      for (int k = 0; k < 3; ++k) {
        pos.push_back(float(p[k]));
        nrm.push_back(float(n[k] / len));
      }
      tex.push_back(float(u));
      tex.push_back(float(v));
    }
  for (const std::vector<float> *a : {&pos, &nrm, &tex})
    for (float f : *a)
      put_float(out, f);
  std::vector<uint32_t> corner[3];
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < sides; ++j) {
      const uint32_t a = uint32_t(i * sides + j), b = uint32_t(i * sides + (j + 1) % sides);
      const uint32_t c = uint32_t(((i + 1) % rings) * sides + j);
      const uint32_t d = uint32_t(((i + 1) % rings) * sides + (j + 1) % sides);
      const uint32_t tri[2][3] = {{a, c, b}, {b, c, d}};
      for (const auto &t : tri)
        for (int k = 0; k < 3; ++k)
          corner[k].push_back(t[k]);
    }
  for (const std::vector<uint32_t> &c : corner) {
    uint32_t previous = 0;
    for (uint32_t index : c) {
      put32(out, index - previous);
      previous = index;
    }
  }
  for (uint32_t t = 0; t < triangles; ++t)
    put32(out, t == 0 || t == triangles / 2);
  return out;
}

// A little tune: decaying notes with overtones over a bass line, noise bursts on the
// beat and a low noise floor. Returns samples in -1..1, frames x channels interleaved.
std::vector<float> make_tune(int rate, double seconds, int channels, uint32_t seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 1.0);
  const size_t frames = size_t(rate * seconds);
  std::vector<float> out(frames * size_t(channels));
  const double scale[8] = {261.6, 293.7, 329.6, 349.2, 392.0, 440.0, 493.9, 523.3};
  const double beat = 0.25; // seconds
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / rate;
    const int step = int(t / beat);
    const double in_step = t - step * beat;
    const double f = scale[(step * 5 + step / 8) % 8];
    const double bass_f = scale[(step / 4) % 4] / 4;
    const double env = std::exp(-in_step * 9);
    double melody = 0;
    for (int h = 1; h <= 4; ++h)
      melody += std::sin(6.283185307179586 * f * h * t) / (h * h);
    const double bass = 0.5 * std::sin(6.283185307179586 * bass_f * t);
    const double hat = (step % 2 == 1 && in_step < 0.03) ? 0.25 * noise(rng) : 0.0;
    for (int c = 0; c < channels; ++c) {
      const double pan = channels == 1 ? 1.0 : (c == 0 ? 0.8 : 1.2);
      const double s = 0.3 * (melody * env * pan + bass) + hat + 0.002 * noise(rng);
      out[i * size_t(channels) + size_t(c)] = float(std::fmax(-1.0, std::fmin(1.0, s)));
    }
  }
  return out;
}

bytes make_audio16(double seconds) {
  bytes out;
  for (float s : make_tune(44100, seconds, 2, 5)) {
    const int v = int(std::lround(s * 32767));
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
  }
  return out;
}

bytes make_audio8(double seconds) {
  bytes out;
  for (float s : make_tune(22050, seconds, 1, 6))
    out.push_back(uint8_t(std::lround(128 + s * 127)));
  return out;
}

struct sResult {
  uint64_t size = 0; // 0: not available
  double mb_per_s = 0;
};

// Size of the output of one external compressor run on a file, and its speed including
// the process start.
sResult external(const std::string &command, const std::string &in, const std::string &out,
                 size_t input_size) {
  sResult r;
  const double start = children_cpu_seconds();
  const std::string line = command + " < '" + in + "' > '" + out + "' 2>/dev/null";
  if (std::system(line.c_str()) != 0)
    return r;
  const double s = children_cpu_seconds() - start;
  struct stat st;
  if (stat(out.c_str(), &st) != 0)
    return r;
  r.size = uint64_t(st.st_size);
  r.mb_per_s = double(input_size) / 1e6 / s;
  return r;
}

std::string cell(const sResult &r, size_t input_size) {
  char buf[64];
  if (!r.size)
    std::snprintf(buf, sizeof(buf), "%10s %6s %6s", "n/a", "", "");
  else
    std::snprintf(buf, sizeof(buf), "%10llu %5.1f%% %6.2f", (unsigned long long)r.size,
                  100.0 * double(r.size) / double(input_size), r.mb_per_s);
  return buf;
}

// Packs data into a one-member archive, checks it with our reader; false on a mismatch.
bool pack(const std::string &path, const bytes &data, bool multimedia, sResult &r,
          sEncoderStats &stats) {
  sEncoderOptions options;
  options.multimedia = multimedia;
  const double start = own_cpu_seconds();
  cRarArchiveWriter writer(false, options);
  sArchiveMember m;
  m.name = "input.bin";
  m.data = data.data();
  m.size = data.size();
  writer.add(m);
  const bytes &image = writer.finish();
  const double s = own_cpu_seconds() - start;
  r.size = image.size();
  r.mb_per_s = double(data.size()) / 1e6 / s;
  stats = writer.stats();
  if (!write_file(path, image))
    return false;
  bytes back;
  const rar_status status = rar_extract_file(path.c_str(), "input.bin", nullptr, back);
  if (status != rar_status::ok || back != data) {
    std::printf("MISMATCH: %s: %s\n", path.c_str(), rar_status_text(status));
    return false;
  }
  return true;
}

} // namespace

int main(int argc, char **argv) {
  const std::string root = argc > 1 ? argv[1] : BENCH_SOURCE_DIR;
  char dir_pattern[] = "/tmp/rar20_ratio_XXXXXX";
  if (!mkdtemp(dir_pattern)) {
    std::printf("cannot create a scratch folder\n");
    return 1;
  }
  const std::string dir = dir_pattern;

  struct sInput {
    const char *name;
    bytes data;
    bool multimedia;
  };
  std::vector<sInput> inputs;
  inputs.push_back({"text (project sources)", make_text(root), false});
  inputs.push_back({"mesh floats (.bobj)", make_mesh(256, 160), false});
  const bytes audio16 = make_audio16(12.0), audio8 = make_audio8(40.0);
  inputs.push_back({"audio 16-bit stereo", audio16, false});
  inputs.push_back({"audio 16-bit stereo", audio16, true});
  inputs.push_back({"audio 8-bit mono", audio8, false});
  inputs.push_back({"audio 8-bit mono", audio8, true});
  // Parts of fixed sizes: the sources grow, and where the later parts fall matters.
  bytes mixed(inputs[0].data.begin(), inputs[0].data.begin() + std::ptrdiff_t(std::min<size_t>(
                                                                   inputs[0].data.size(), 400000)));
  const bytes *parts[] = {&inputs[1].data, &audio16, &audio8};
  for (const bytes *part : parts)
    mixed.insert(mixed.end(), part->begin(), part->begin() + std::ptrdiff_t(part->size() / 2));
  const bytes noise = make_noise(256 * 1024, 7);
  mixed.insert(mixed.end(), noise.begin(), noise.end());
  inputs.push_back({"mixed (all + noise)", mixed, true});

  std::printf("%-22s %3s %9s | %-24s | %-24s | %-24s\n", "input", "mm", "bytes",
              "rar20: bytes  ratio  MB/s", "gzip -9: bytes ratio MB/s", "xz -9: bytes ratio MB/s");
  bool ok = true;
  int k = 0;
  for (const sInput &in : inputs) {
    const std::string base = dir + "/in" + std::to_string(k++);
    if (!write_file(base, in.data)) {
      std::printf("cannot write %s\n", base.c_str());
      return 1;
    }
    sResult rar;
    sEncoderStats stats;
    ok = pack(base + ".rar", in.data, in.multimedia, rar, stats) && ok;
    const sResult gz = external("gzip -9 -c", base, base + ".gz", in.data.size());
    const sResult xz = external("xz -9 -c", base, base + ".xz", in.data.size());
    std::printf("%-22s %3s %9zu | %s | %s | %s\n", in.name, in.multimedia ? "yes" : "no",
                in.data.size(), cell(rar, in.data.size()).c_str(), cell(gz, in.data.size()).c_str(),
                cell(xz, in.data.size()).c_str());
    if (in.multimedia)
      std::printf("%-36s (%llu of %zu bytes in multimedia blocks)\n", "",
                  (unsigned long long)stats.audio_bytes, in.data.size());
    std::fflush(stdout);
  }
  std::printf("sizes are whole files (archive or compressed stream with its headers); "
              "MB/s: input per CPU second;\nmm: --multimedia; every archive was read back by our "
              "reader%s\n",
              ok ? " bit-exactly" : ": MISMATCHES above");
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return ok ? 0 : 1;
}
