// audio_probe: opens and closes the default audio output through the show's own sound
// layer. Exit status 0 when it opens, 1 (with the reason on the standard error) when
// not, so a script can choose SDL's dummy driver before the show would stop on it.
#include "audio/fsound.h"

#include <cstdio>

int main() {
  if (!FSOUND_Init(44100, 1, 0)) {
    std::fprintf(stderr, "audio_probe: %s\n", FMOD_ErrorString(FSOUND_GetError()));
    return 1;
  }
  FSOUND_Close();
  return 0;
}
