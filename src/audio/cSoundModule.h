// The music track: a streamed file (kind 0) or a module song (kind 1).
// Library too old, failed start-up or a file that cannot be opened: exit(1).
#pragma once

#include <cstdint>
#include <string>

struct FSOUND_STREAM;
struct FMUSIC_MODULE;

class cSoundModule {
public:
  void init();
  void open(std::string name);
  void play();
  void close();
  void set_volume(int32_t volume);
  int32_t get_time();
  void set_position(int32_t value);

  FSOUND_STREAM *stream = nullptr;
  FMUSIC_MODULE *song = nullptr;
  int32_t channel = 0;
  int32_t source_kind = 0;
};
