// Preloaded into the demo (LD_PRELOAD) by scripts/full-runs.sh. The show
// counts demo time from the music's start at the timeline's restart marker,
// so this notes when the music starts and, when the program calls exit,
// prints how far the show had come and the process's peak resident memory.
// The program itself stays unchanged.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

struct _Mix_Music;

namespace {

double music_start_ms = -1.0;

double now_ms() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) * 1e-6;
}

long peak_resident_kb() {
  FILE *status = std::fopen("/proc/self/status", "r");
  if (!status)
    return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, status))
    if (std::strncmp(line, "VmHWM:", 6) == 0)
      kb = std::strtol(line + 6, nullptr, 10);
  std::fclose(status);
  return kb;
}

template <typename F> F next_definition(const char *name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int Mix_PlayMusic(_Mix_Music *music, int loops) {
  static const auto real = next_definition<int (*)(_Mix_Music *, int)>("Mix_PlayMusic");
  music_start_ms = now_ms();
  return real(music, loops);
}

int Mix_FadeInMusicPos(_Mix_Music *music, int loops, int ms, double position) {
  // The clock restarts with the music whatever position it starts from.
  static const auto real =
      next_definition<int (*)(_Mix_Music *, int, int, double)>("Mix_FadeInMusicPos");
  music_start_ms = now_ms();
  return real(music, loops, ms, position);
}

[[noreturn]] void exit(int status) {
  static const auto real = next_definition<void (*)(int)>("exit");
  if (music_start_ms >= 0.0)
    std::fprintf(stderr, "exit clock: status %d at demo time %.0f ms, peak resident %ld kB\n",
                 status, now_ms() - music_start_ms, peak_resident_kb());
  else
    std::fprintf(stderr, "exit clock: status %d before the music started, peak resident %ld kB\n",
                 status, peak_resident_kb());
  real(status);
  std::abort();
}
}
