// The multimedia predictor of the RAR 2.0 format, kept exactly as the decoder keeps it
// so that the packer can turn bytes into the deltas the decoder expects. One model per
// stream; it cannot fail.
#pragma once

#include <cstdint>

class cAudioModel {
public:
  cAudioModel() { reset(); }

  // Forgets all channel state (start of a non-solid stream).
  void reset();
  // A multimedia table with this many channels (1..4) was read.
  void set_channels(int channels);
  int channels() const { return m_channels; }
  int current() const { return m_current; }

  // Delta symbol (0..255) that makes the decoder produce byte on the current channel;
  // advances the model as the decoder would.
  int encode(uint8_t byte);
  // The decoder's side: the byte that delta yields on the current channel.
  uint8_t decode(int delta);

private:
  struct sChannel {
    int k[5];
    int d1, d2, d3, d4;
    int last_delta;
    uint32_t dif[11];
    uint32_t byte_count;
    int last_char;
  };

  int predict(sChannel &ch);
  void learn(sChannel &ch, int delta, int byte);

  sChannel m_ch[4];
  int m_channel_delta = 0;
  int m_channels = 1;
  int m_current = 0;
};
