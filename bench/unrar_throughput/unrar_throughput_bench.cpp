// Generates 64 MiB of mixed data (text, mesh floats, noise in 1 MiB runs), packs it with
// rar20 into a temporary folder, then unpacks the member with our reader and with unar
// and prints the output throughput of both (best of three runs) and their ratio. Both
// results are checked against the input; a mismatch ends the benchmark with status 1.
// Usage: bench_unrar_throughput [folder for the generated files]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "archive/rar/unrarlib.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kMiB = 1u << 20;
constexpr size_t kTotal = 64 * kMiB;
constexpr int kRuns = 3;

void append_text(std::vector<uint8_t> &out, std::mt19937 &rng, size_t bytes) {
  static const char *const words[] = {"vertex",   "normal", "texture", "material", "scene",
                                      "camera",   "light",  "shader",  "buffer",   "the",
                                      "of",       "and",    "beat",    "marker",   "laser",
                                      "corridor", "sphere", "ring",    "gear",     "orchid"};
  const size_t end = out.size() + bytes;
  while (out.size() < end) {
    const char *w = words[rng() % (sizeof(words) / sizeof(words[0]))];
    out.insert(out.end(), w, w + std::strlen(w));
    out.push_back(rng() % 9 == 0 ? '\n' : ' ');
  }
  out.resize(end);
}

void append_floats(std::vector<uint8_t> &out, size_t bytes, size_t seed) {
  const size_t end = out.size() + bytes;
  for (size_t i = 0; out.size() < end; ++i) {
    const float t = float(seed * 7919 + i) * 0.001f;
    const float v[3] = {std::sin(t) * 3.0f, std::cos(t * 1.3f) * 2.0f, float(i % 512) * 0.25f};
    const uint8_t *p = reinterpret_cast<const uint8_t *>(v);
    out.insert(out.end(), p, p + sizeof(v));
  }
  out.resize(end);
}

void append_noise(std::vector<uint8_t> &out, std::mt19937 &rng, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i)
    out.push_back(uint8_t(rng()));
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool read_file(const fs::path &path, std::vector<uint8_t> &out) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

} // namespace

int main(int argc, char **argv) {
  const fs::path dir =
      argc > 1 ? fs::path(argv[1])
               : fs::temp_directory_path() / ("unrar_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const bool own_dir = argc <= 1;

  std::vector<uint8_t> input;
  input.reserve(kTotal);
  std::mt19937 rng(20040314);
  for (size_t run = 0; input.size() < kTotal; ++run) {
    switch (run % 3) {
    case 0:
      append_text(input, rng, kMiB);
      break;
    case 1:
      append_floats(input, kMiB, run);
      break;
    default:
      append_noise(input, rng, kMiB);
    }
  }
  input.resize(kTotal);
  const fs::path member = dir / "mixed.bin";
  const fs::path archive = dir / "mixed.rar";
  {
    std::ofstream out(member, std::ios::binary);
    out.write(reinterpret_cast<const char *>(input.data()), std::streamsize(input.size()));
  }
  fs::remove(archive);
  std::printf("packing %zu bytes with rar20...\n", input.size());
  std::fflush(stdout);
  const auto pack_start = std::chrono::steady_clock::now();
  const std::string pack = std::string("'") + RAR20_TOOL + "' pack '" + archive.string() + "' '" +
                           member.string() + "' > /dev/null";
  if (std::system(pack.c_str()) != 0) {
    std::fprintf(stderr, "rar20 pack failed\n");
    return 1;
  }
  const double pack_seconds = seconds_since(pack_start);
  const uintmax_t packed = fs::file_size(archive);
  std::printf("archive: %ju bytes (%.1f%% of the input), packed in %.1f s\n", packed,
              100.0 * double(packed) / double(input.size()), pack_seconds);

  double ours = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    uint8_t *data = nullptr;
    uint32_t size = 0;
    const auto start = std::chrono::steady_clock::now();
    const int ok = rar_get_file(&data, &size, "mixed.bin", archive.c_str(), nullptr);
    const double t = seconds_since(start);
    const bool same = ok && size == input.size() && std::memcmp(data, input.data(), size) == 0;
    std::free(data);
    if (!same) {
      std::fprintf(stderr, "our reader: wrong result (%s)\n", rar_status_text(rar_last_status()));
      return 1;
    }
    ours = std::min(ours, t);
  }

  const double mb = double(input.size()) / 1e6;
  std::printf("output: %.1f MB (64 MiB), best of %d runs each\n", mb, kRuns);
  std::printf("our reader (rar_get_file): %8.1f MB/s  (%.3f s)\n", mb / ours, ours);
  const bool have_unar = std::system("command -v unar > /dev/null 2>&1") == 0;
  double theirs = 1e30;
  const fs::path unar_dir = dir / "unar_out";
  if (have_unar) {
    // One untimed run into a folder checks the bytes; the timed runs write to a pipe
    // into /dev/null, as our reader's timing does not include writing a file either.
    fs::remove_all(unar_dir);
    const std::string check =
        "unar -q -f -o '" + unar_dir.string() + "' '" + archive.string() + "' > /dev/null 2>&1";
    std::vector<uint8_t> got;
    const int status = std::system(check.c_str());
    if (status != 0 || !read_file(unar_dir / "mixed.bin", got) || got != input) {
      std::fprintf(stderr, "unar: failed or wrong result (status %d)\n", status);
      return 1;
    }
    fs::remove_all(unar_dir);
  }
  for (int run = 0; have_unar && run < kRuns; ++run) {
    const std::string command = "unar -q -o - '" + archive.string() + "' > /dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double t = seconds_since(start);
    if (status != 0) {
      std::fprintf(stderr, "unar: failed (status %d)\n", status);
      return 1;
    }
    theirs = std::min(theirs, t);
  }

  if (have_unar) {
    std::printf("unar (process, to a pipe): %8.1f MB/s  (%.3f s)\n", mb / theirs, theirs);
    std::printf("ratio ours / unar        : %8.2f\n", theirs / ours);
  } else {
    std::printf("unar not installed: no comparison\n");
  }

  if (own_dir)
    fs::remove_all(dir);
  else {
    fs::remove(member);
    fs::remove_all(unar_dir);
  }
  return 0;
}
