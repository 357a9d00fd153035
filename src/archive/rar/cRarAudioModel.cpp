// Multimedia predictor: stream and channel bookkeeping, and the packer's direction
// (the prediction itself is in the header).
#include "archive/rar/cRarAudioModel.h"

#include <cstring>

void cRarAudioModel::reset() {
  std::memset(m_ch, 0, sizeof(m_ch));
  m_channel_delta = 0;
  m_channels = 1;
  m_current = 0;
}

void cRarAudioModel::set_channels(int channels) {
  m_channels = channels;
  if (m_current >= m_channels)
    m_current = 0;
}

int cRarAudioModel::encode(uint8_t byte) {
  sChannel &ch = m_ch[m_current];
  const int predicted = predict(ch);
  const int delta = (predicted - byte) & 0xFF;
  learn(ch, delta, byte);
  if (++m_current == m_channels)
    m_current = 0;
  return delta;
}
