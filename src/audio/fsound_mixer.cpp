// SDL_mixer back end of the sound-library calls. Music is decoded and mixed
// on SDL's audio thread; the only shared state is an atomic frame counter.
#include "audio/fsound.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <atomic>
#include <cstdio>
#include <vector>

struct FSOUND_STREAM {
  Mix_Music *music = nullptr;
  int start_ms = 0; // position the next play starts from
};

struct FMUSIC_MODULE {
  Mix_Music *music = nullptr;
  int order = 0;
};

namespace {
constexpr float kLayerVersion = 3.75f;

struct mixer_state {
  bool open = false;
  int rate = 44100;
  int error = FMOD_ERR_NONE;
  int buffer_ms = 0;
  std::vector<FSOUND_STREAM *> streams;
  std::vector<FMUSIC_MODULE *> songs;
  FSOUND_STREAM *playing = nullptr;
  // Output frames mixed while the current stream played, and its start offset.
  std::atomic<unsigned long long> frames{0};
  std::atomic<int> offset_ms{0};
};

mixer_state state;

signed char fail(int code) {
  state.error = code;
  return 0;
}

void count_frames(void *, Uint8 *, int len) {
  if (Mix_PlayingMusic() && !Mix_PausedMusic())
    state.frames += static_cast<unsigned>(len) / 4; // 16-bit stereo
}

Mix_Music *load_music(const char *name) {
  FILE *file = name ? std::fopen(name, "rb") : nullptr;
  if (!file) {
    state.error = FMOD_ERR_FILE_NOTFOUND;
    return nullptr;
  }
  std::fclose(file);
  Mix_Music *music = Mix_LoadMUS(name);
  if (!music)
    state.error = FMOD_ERR_FILE_FORMAT;
  return music;
}

const char *const kErrorText[] = {
    "no error",
    "the sound system is already running",
    "the sound system has not been started",
    "the audio output could not be opened",
    "the audio output is taken by another user",
    "the sound could not be started",
    "the audio output cannot play this sample format",
    "the audio output refused shared access",
    "no output buffer could be made",
    "the file could not be opened",
    "the file is in a format that cannot be played",
    "the file could not be read",
    "out of memory",
    "the sound system has the wrong version",
    "a parameter is out of range",
    "environmental effects are not available",
    "no free channel",
    "recording is not available",
    "a needed media component is missing",
    "the CD drive could not be opened",
};
} // namespace

float FSOUND_GetVersion() { return kLayerVersion; }

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int) {
  if (state.open)
    return fail(FMOD_ERR_BUSY);
  if (Mix_OpenAudio(mixrate, AUDIO_S16SYS, 2, 2048) < 0)
    return fail(FMOD_ERR_INIT);
  int channels = 0;
  Uint16 format = 0;
  Mix_QuerySpec(&state.rate, &format, &channels);
  Mix_AllocateChannels(maxsoftwarechannels);
  Mix_SetPostMix(count_frames, nullptr);
  state.open = true;
  state.error = FMOD_ERR_NONE;
  return 1;
}

void FSOUND_Close() {
  if (!state.open)
    return;
  Mix_HaltMusic();
  Mix_SetPostMix(nullptr, nullptr);
  for (FSOUND_STREAM *stream : state.streams) {
    Mix_FreeMusic(stream->music);
    delete stream;
  }
  for (FMUSIC_MODULE *song : state.songs) {
    Mix_FreeMusic(song->music);
    delete song;
  }
  state.streams.clear();
  state.songs.clear();
  state.playing = nullptr;
  Mix_CloseAudio();
  state.open = false;
}

int FSOUND_GetError() { return state.error; }

signed char FSOUND_SetVolume(int channel, int volume) {
  if (!state.open)
    return fail(FMOD_ERR_UNINITIALIZED);
  if (channel != 0 || volume < 0 || volume > 255)
    return fail(FMOD_ERR_INVALID_PARAM);
  Mix_VolumeMusic(volume * MIX_MAX_VOLUME / 255);
  return 1;
}

signed char FSOUND_Stream_SetBufferSize(int ms) {
  if (ms < 0)
    return fail(FMOD_ERR_INVALID_PARAM);
  state.buffer_ms = ms;
  return 1;
}

FSOUND_STREAM *FSOUND_Stream_Open(const char *name, unsigned int, int, int) {
  if (!state.open) {
    fail(FMOD_ERR_UNINITIALIZED);
    return nullptr;
  }
  Mix_Music *music = load_music(name);
  if (!music)
    return nullptr;
  auto *stream = new FSOUND_STREAM;
  stream->music = music;
  state.streams.push_back(stream);
  return stream;
}

int FSOUND_Stream_Play(int, FSOUND_STREAM *stream) {
  if (!state.open || !stream) {
    fail(stream ? FMOD_ERR_UNINITIALIZED : FMOD_ERR_INVALID_PARAM);
    return -1;
  }
  state.frames = 0;
  state.offset_ms = stream->start_ms;
  int result = stream->start_ms > 0
                   ? Mix_FadeInMusicPos(stream->music, 0, 0, stream->start_ms / 1000.0)
                   : Mix_PlayMusic(stream->music, 0);
  if (result < 0) {
    fail(FMOD_ERR_PLAY);
    return -1;
  }
  state.playing = stream;
  return 0;
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM *stream) {
  if (!stream)
    return fail(FMOD_ERR_INVALID_PARAM);
  if (state.playing == stream) {
    Mix_HaltMusic();
    state.playing = nullptr;
  }
  return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM *stream) {
  if (!stream)
    return fail(FMOD_ERR_INVALID_PARAM);
  FSOUND_Stream_Stop(stream);
  for (size_t i = 0; i < state.streams.size(); ++i) {
    if (state.streams[i] == stream) {
      state.streams.erase(state.streams.begin() + i);
      Mix_FreeMusic(stream->music);
      delete stream;
      return 1;
    }
  }
  return fail(FMOD_ERR_INVALID_PARAM);
}

int FSOUND_Stream_GetTime(FSOUND_STREAM *stream) {
  if (!stream) {
    fail(FMOD_ERR_INVALID_PARAM);
    return 0;
  }
  if (state.playing != stream)
    return stream->start_ms;
  return state.offset_ms + static_cast<int>(state.frames * 1000ull / state.rate);
}

signed char FSOUND_Stream_SetTime(FSOUND_STREAM *stream, int ms) {
  if (!stream || ms < 0)
    return fail(FMOD_ERR_INVALID_PARAM);
  if (state.playing != stream) {
    stream->start_ms = ms;
    return 1;
  }
  Mix_RewindMusic();
  if (Mix_SetMusicPosition(ms / 1000.0) < 0)
    return fail(FMOD_ERR_INVALID_PARAM);
  state.frames = 0;
  state.offset_ms = ms;
  return 1;
}

FMUSIC_MODULE *FMUSIC_LoadSong(const char *name) {
  if (!state.open) {
    fail(FMOD_ERR_UNINITIALIZED);
    return nullptr;
  }
  Mix_Music *music = load_music(name);
  if (!music)
    return nullptr;
  Mix_MusicType type = Mix_GetMusicType(music);
  if (type != MUS_MOD && type != MUS_MODPLUG) {
    Mix_FreeMusic(music);
    fail(FMOD_ERR_FILE_FORMAT);
    return nullptr;
  }
  auto *song = new FMUSIC_MODULE;
  song->music = music;
  state.songs.push_back(song);
  return song;
}

signed char FMUSIC_PlaySong(FMUSIC_MODULE *mod) {
  if (!mod)
    return fail(FMOD_ERR_INVALID_PARAM);
  mod->order = 0;
  if (Mix_PlayMusic(mod->music, 0) < 0)
    return fail(FMOD_ERR_PLAY);
  state.playing = nullptr;
  return 1;
}

signed char FMUSIC_SetMasterVolume(FMUSIC_MODULE *mod, int volume) {
  if (!mod || volume < 0 || volume > 256)
    return fail(FMOD_ERR_INVALID_PARAM);
  Mix_VolumeMusic(volume * MIX_MAX_VOLUME / 256);
  return 1;
}

signed char FMUSIC_SetOrder(FMUSIC_MODULE *mod, int order) {
  if (!mod || order < 0)
    return fail(FMOD_ERR_INVALID_PARAM);
  // For module songs the mixer's position is the pattern order.
  if (Mix_PlayingMusic() && Mix_SetMusicPosition(order) < 0)
    return fail(FMOD_ERR_INVALID_PARAM);
  mod->order = order;
  return 1;
}

int FMUSIC_GetOrder(FMUSIC_MODULE *mod) { return mod ? mod->order : -1; }

const char *FMOD_ErrorString(int errcode) {
  if (errcode < 0 || errcode >= static_cast<int>(sizeof kErrorText / sizeof kErrorText[0]))
    return "Unknown error";
  return kErrorText[errcode];
}
