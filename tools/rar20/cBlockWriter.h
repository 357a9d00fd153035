// Emits the symbols of one packed stream with the tables in force: LZ symbols with
// their extra bits, multimedia deltas per channel, and the table-switch symbols. The
// caller guarantees that every symbol it emits has a code; nothing here can fail.
#pragma once

#include "cBitWriter.h"
#include "cLzParser.h"
#include "rar20_format.h"

#include <cstdint>

class cBlockWriter {
public:
  // Installs a table in the layout the decoder reads: 298 main, 48 distance and 28
  // repeat-length lengths, or 257 lengths per multimedia channel.
  void set_tables(bool audio, int channels, const uint8_t *lengths);
  bool audio() const { return m_audio; }
  int channels() const { return m_channels; }
  const uint8_t *lengths() const { return m_lengths; }

  void put_token(cBitWriter &out, const sLzToken &t) const;
  void put_audio(cBitWriter &out, int channel, int delta) const {
    const int i = channel * rar20::audio_symbols + delta;
    out.put(m_codes[i], m_lengths[i]);
  }
  // The symbol that makes the decoder read a new table (channel: the decoder's current
  // multimedia channel).
  void put_switch(cBitWriter &out, int channel) const;

private:
  void put(cBitWriter &out, int index) const { out.put(m_codes[index], m_lengths[index]); }

  bool m_audio = false;
  int m_channels = 1;
  uint8_t m_lengths[rar20::old_table_size] = {};
  uint16_t m_codes[rar20::old_table_size] = {};
};
