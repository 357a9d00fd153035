// The sound-library calls the music module makes, kept with their names and
// arguments and played through SDL_mixer: one streamed file (Ogg Vorbis) or
// one module song (MOD/XM/IT) at a time. Failures return false or null and
// leave an error code for FSOUND_GetError.
#pragma once

struct FSOUND_STREAM;
struct FMUSIC_MODULE;

enum FMOD_ERRORS {
  FMOD_ERR_NONE,
  FMOD_ERR_BUSY,
  FMOD_ERR_UNINITIALIZED,
  FMOD_ERR_INIT,
  FMOD_ERR_ALLOCATED,
  FMOD_ERR_PLAY,
  FMOD_ERR_OUTPUT_FORMAT,
  FMOD_ERR_COOPERATIVELEVEL,
  FMOD_ERR_CREATEBUFFER,
  FMOD_ERR_FILE_NOTFOUND,
  FMOD_ERR_FILE_FORMAT,
  FMOD_ERR_FILE_BAD,
  FMOD_ERR_MEMORY,
  FMOD_ERR_VERSION,
  FMOD_ERR_INVALID_PARAM,
  FMOD_ERR_NO_EAX,
  FMOD_ERR_CHANNEL_ALLOC,
  FMOD_ERR_RECORD,
  FMOD_ERR_MEDIAPLAYER,
  FMOD_ERR_CDDEVICE,
};

constexpr unsigned FSOUND_LOOP_OFF = 0x00000001;
constexpr unsigned FSOUND_MPEGACCURATE = 0x00020000;
constexpr int FSOUND_FREE = -1;

float FSOUND_GetVersion();
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
void FSOUND_Close();
int FSOUND_GetError();
signed char FSOUND_SetVolume(int channel, int volume);
signed char FSOUND_Stream_SetBufferSize(int ms);

FSOUND_STREAM *FSOUND_Stream_Open(const char *name, unsigned int mode, int offset, int length);
int FSOUND_Stream_Play(int channel, FSOUND_STREAM *stream);
signed char FSOUND_Stream_Stop(FSOUND_STREAM *stream);
signed char FSOUND_Stream_Close(FSOUND_STREAM *stream);
int FSOUND_Stream_GetTime(FSOUND_STREAM *stream);
signed char FSOUND_Stream_SetTime(FSOUND_STREAM *stream, int ms);

FMUSIC_MODULE *FMUSIC_LoadSong(const char *name);
signed char FMUSIC_PlaySong(FMUSIC_MODULE *mod);
signed char FMUSIC_SetMasterVolume(FMUSIC_MODULE *mod, int volume);
signed char FMUSIC_SetOrder(FMUSIC_MODULE *mod, int order);
int FMUSIC_GetOrder(FMUSIC_MODULE *mod);

// Text for an error code; "Unknown error" outside the table.
const char *FMOD_ErrorString(int errcode);
