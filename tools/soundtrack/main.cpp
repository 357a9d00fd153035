// soundtrack: renders the score to data/demo-full.ogg and writes the timeline
// data/markers.txt from the same notes. Usage: soundtrack SCORE OGG MARKERS.
// Any failure prints one line and exits with status 1, leaving no new file.
#include "cMixer.h"
#include "cScore.h"
#include "cVorbisWriter.h"
#include "dsp.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::string base_name(const std::string &path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void write_text(const std::string &path, const std::string &text) {
  const std::string tmp = path + ".part";
  {
    std::ofstream out(tmp, std::ios::binary);
    out << text;
    if (!out.flush())
      throw std::runtime_error("cannot write '" + tmp + "'");
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0)
    throw std::runtime_error("cannot rename '" + tmp + "' to '" + path + "'");
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s SCORE OGG MARKERS\n", argv[0]);
    return 1;
  }
  try {
    auto t0 = std::chrono::steady_clock::now();
    cScore score = cScore::load(argv[1]);
    size_t accents = 0;
    for (const auto &e : score.timeline)
      accents += !e.comment;
    std::printf("soundtrack: %zu instruments, %zu notes, %zu timeline events, %.1f s\n",
                score.instruments.size(), score.notes.size(), accents, score.length_s);
    std::fflush(stdout);

    mix_report rep;
    stereo_bus mix = cMixer(score).render(&rep);
    std::printf("soundtrack: mixed in %.1f s: %.2f LUFS, sample peak %.2f dBFS, master %+.2f dB, "
                "limiter %.2f dB\n",
                seconds_since(t0), rep.loudness, rep.peak_db, rep.gain_db, rep.reduction_db);
    std::fflush(stdout);

    cVorbisWriter::write(argv[2], mix.l, mix.r, snd::kRate, 0.5f,
                         {"TITLE=demo soundtrack", "COMMENT=rendered from " + base_name(argv[1])});
    write_text(argv[3], markers_text(score, base_name(argv[1])));
    std::printf("soundtrack: wrote %s and %s in %.1f s\n", argv[2], argv[3], seconds_since(t0));
  } catch (const std::exception &e) {
    std::fprintf(stderr, "soundtrack: %s\n", e.what());
    return 1;
  }
  return 0;
}
