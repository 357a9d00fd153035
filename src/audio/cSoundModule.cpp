// Music playback through the sound-library calls. An unknown source kind is
// reported and ignored; everything else that fails is fatal with status 1.
#include "audio/cSoundModule.h"

#include "audio/fsound.h"

#include <cstdio>
#include <cstdlib>

namespace {
constexpr float kRequiredVersion = 3.73f;
constexpr unsigned kStreamMode = FSOUND_LOOP_OFF | FSOUND_MPEGACCURATE;

void unhandled_case(int line) {
  std::fprintf(stderr, "## ERROR, unhandled case in cSoundModule, line: %d\n", line);
}

[[noreturn]] void open_failed() {
  std::fprintf(stderr, "## ERROR: %s\n", FMOD_ErrorString(FSOUND_GetError()));
  std::exit(1);
}
} // namespace

void cSoundModule::init() {
  if (FSOUND_GetVersion() < kRequiredVersion) {
    std::fprintf(stderr,
                 "Error : You are using the wrong DLL version! You should be using FMOD %g\n",
                 kRequiredVersion);
    std::exit(1);
  }
  if (!FSOUND_Init(44100, 32, 2)) {
    std::fprintf(stderr, "%s", FMOD_ErrorString(FSOUND_GetError()));
    std::exit(1);
  }
  FSOUND_Stream_SetBufferSize(4000);
}

void cSoundModule::open(std::string name) {
  switch (source_kind) {
  case 0:
    stream = FSOUND_Stream_Open(name.c_str(), kStreamMode, 0, 0);
    if (!stream)
      open_failed();
    break;
  case 1:
    song = FMUSIC_LoadSong(name.c_str());
    if (!song)
      open_failed();
    break;
  default:
    unhandled_case(44);
  }
}

void cSoundModule::play() {
  switch (source_kind) {
  case 0:
    channel = FSOUND_Stream_Play(FSOUND_FREE, stream);
    break;
  case 1:
    FMUSIC_PlaySong(song);
    break;
  default:
    unhandled_case(57);
  }
}

void cSoundModule::close() { FSOUND_Close(); }

void cSoundModule::set_volume(int32_t volume) {
  switch (source_kind) {
  case 0:
    if (!FSOUND_SetVolume(channel, volume))
      std::fprintf(stderr, "## WARNING: Not able to set volume in cSoundModule line 76\n");
    break;
  case 1:
    FMUSIC_SetMasterVolume(song, volume);
    break;
  default:
    unhandled_case(80);
  }
}

int32_t cSoundModule::get_time() { return FSOUND_Stream_GetTime(stream); }

void cSoundModule::set_position(int32_t value) {
  switch (source_kind) {
  case 0:
    FSOUND_Stream_SetTime(stream, value);
    break;
  case 1:
    FMUSIC_SetOrder(song, FMUSIC_GetOrder(song) + 1);
    break;
  default:
    unhandled_case(96);
  }
}
