// Multimedia predictor: a five-weight linear prediction per channel whose weights are
// nudged every 32 bytes towards the smallest accumulated error.
#include "cAudioModel.h"

#include <cstdlib>
#include <cstring>

void cAudioModel::reset() {
  std::memset(m_ch, 0, sizeof(m_ch));
  m_channel_delta = 0;
  m_channels = 1;
  m_current = 0;
}

void cAudioModel::set_channels(int channels) {
  m_channels = channels;
  if (m_current >= m_channels)
    m_current = 0;
}

int cAudioModel::predict(sChannel &ch) {
  ++ch.byte_count;
  ch.d4 = ch.d3;
  ch.d3 = ch.d2;
  ch.d2 = ch.last_delta - ch.d1;
  ch.d1 = ch.last_delta;
  const int sum = 8 * ch.last_char + ch.k[0] * ch.d1 + ch.k[1] * ch.d2 + ch.k[2] * ch.d3 +
                  ch.k[3] * ch.d4 + ch.k[4] * m_channel_delta;
  return (sum >> 3) & 0xFF;
}

void cAudioModel::learn(sChannel &ch, int delta, int byte) {
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

int cAudioModel::encode(uint8_t byte) {
  sChannel &ch = m_ch[m_current];
  const int predicted = predict(ch);
  const int delta = (predicted - byte) & 0xFF;
  learn(ch, delta, byte);
  if (++m_current == m_channels)
    m_current = 0;
  return delta;
}

uint8_t cAudioModel::decode(int delta) {
  sChannel &ch = m_ch[m_current];
  const int predicted = predict(ch);
  const int byte = (predicted - delta) & 0xFF;
  learn(ch, delta, byte);
  if (++m_current == m_channels)
    m_current = 0;
  return uint8_t(byte);
}
