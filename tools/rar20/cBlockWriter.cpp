// Symbol emission for the packed stream, in the exact bit order the decoder reads:
// main symbol, then length extra bits, then distance symbol and distance extra bits.
#include "cBlockWriter.h"

#include "cHuffmanBuilder.h"

#include <cstring>

using namespace rar20;

void cBlockWriter::set_tables(bool audio, int channels, const uint8_t *lengths) {
  m_audio = audio;
  m_channels = channels;
  std::memset(m_lengths, 0, sizeof(m_lengths));
  if (audio) {
    std::memcpy(m_lengths, lengths, size_t(audio_symbols * channels));
    for (int c = 0; c < channels; ++c)
      cHuffmanBuilder::build_codes(m_lengths + c * audio_symbols, audio_symbols,
                                   m_codes + c * audio_symbols);
  } else {
    std::memcpy(m_lengths, lengths, size_t(lz_table_size));
    cHuffmanBuilder::build_codes(m_lengths, main_symbols, m_codes);
    cHuffmanBuilder::build_codes(m_lengths + main_symbols, dist_symbols, m_codes + main_symbols);
    cHuffmanBuilder::build_codes(m_lengths + main_symbols + dist_symbols, rep_symbols,
                                 m_codes + main_symbols + dist_symbols);
  }
}

void cBlockWriter::put_token(cBitWriter &out, const sLzToken &t) const {
  put(out, t.main);
  if (t.main < 256 || t.main == sym_repeat_last)
    return;
  if (t.main < sym_short) {
    put(out, main_symbols + dist_symbols + t.aux);
    out.put(t.len_extra, t.len_bits);
  } else if (t.main < sym_new_tables) {
    out.put(t.dist_extra, t.dist_bits);
  } else {
    out.put(t.len_extra, t.len_bits);
    put(out, main_symbols + t.aux);
    out.put(t.dist_extra, t.dist_bits);
  }
}

void cBlockWriter::put_switch(cBitWriter &out, int channel) const {
  if (m_audio)
    put_audio(out, channel, audio_new_tables);
  else
    put(out, sym_new_tables);
}
