// The multimedia predictor of the RAR 2.0 format, one instance per stream: the
// unpacker turns deltas into bytes with it, and the packer turns bytes into the deltas
// the unpacker expects. It cannot fail.
#pragma once

#include <cstdint>
#include <cstdlib>

class cRarAudioModel {
public:
  cRarAudioModel() { reset(); }

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

// A five-weight linear prediction per channel whose weights are nudged every 32 bytes
// towards the smallest accumulated error. Defined here so that the unpacker's call per
// multimedia byte is inlined.
inline int cRarAudioModel::predict(sChannel &ch) {
  ++ch.byte_count;
  ch.d4 = ch.d3;
  ch.d3 = ch.d2;
  ch.d2 = ch.last_delta - ch.d1;
  ch.d1 = ch.last_delta;
  const int sum = 8 * ch.last_char + ch.k[0] * ch.d1 + ch.k[1] * ch.d2 + ch.k[2] * ch.d3 +
                  ch.k[3] * ch.d4 + ch.k[4] * m_channel_delta;
  return (sum >> 3) & 0xFF;
}

inline void cRarAudioModel::learn(sChannel &ch, int delta, int byte) {
  const int d = int(int8_t(uint8_t(delta))) * 8;
  const int refs[5] = {ch.d1, ch.d2, ch.d3, ch.d4, m_channel_delta};
  ch.dif[0] += uint32_t(std::abs(d));
  for (int i = 0; i < 5; ++i) {
    ch.dif[1 + 2 * i] += uint32_t(std::abs(d - refs[i]));
    ch.dif[2 + 2 * i] += uint32_t(std::abs(d + refs[i]));
  }
  m_channel_delta = ch.last_delta = int(int8_t(uint8_t(byte - ch.last_char)));
  ch.last_char = byte;
  if ((ch.byte_count & 0x1F) != 0)
    return;
  uint32_t min_dif = ch.dif[0];
  int min_index = 0;
  ch.dif[0] = 0;
  for (int i = 1; i < 11; ++i) {
    if (ch.dif[i] < min_dif) {
      min_dif = ch.dif[i];
      min_index = i;
    }
    ch.dif[i] = 0;
  }
  if (min_index == 0)
    return;
  // Odd entries lower a weight, even entries raise it, both within -17..16.
  int &k = ch.k[(min_index - 1) / 2];
  if (min_index & 1) {
    if (k >= -16)
      --k;
  } else if (k < 16) {
    ++k;
  }
}

inline uint8_t cRarAudioModel::decode(int delta) {
  sChannel &ch = m_ch[m_current];
  const int predicted = predict(ch);
  const int byte = (predicted - delta) & 0xFF;
  learn(ch, delta, byte);
  if (++m_current == m_channels)
    m_current = 0;
  return uint8_t(byte);
}
