// Chunk-wise mode choice and table planning for the packer. Blocks grow while one
// table serves the merged statistics better than two; at each block the tables in force
// are kept when that is cheaper than sending new ones.
#include "cRar20Encoder.h"

#include "cHuffmanBuilder.h"

#include <algorithm>
#include <cassert>

using namespace rar20;

namespace {
constexpr size_t lz_segment_tokens = 8192;
constexpr size_t audio_segment_bytes = 16384;
constexpr size_t max_block_symbols = size_t(1) << 20;

// Counts the symbols a token puts in the main, distance and repeat-length alphabets.
void count_token(const sLzToken &t, std::vector<uint32_t> &freq) {
  ++freq[t.main];
  if (t.main >= sym_long)
    ++freq[size_t(main_symbols + t.aux)];
  else if (t.main > sym_repeat_last && t.main < sym_short)
    ++freq[size_t(main_symbols + dist_symbols + t.aux)];
}
} // namespace

cRar20Encoder::cRar20Encoder(const sEncoderOptions &options)
    : m_options(options), m_finder(options.max_chain, options.nice_length), m_parser(m_finder) {}

uint64_t cRar20Encoder::table_estimate(bool audio, int channels) const {
  return audio ? 300u * uint64_t(channels) : 500u;
}

void cRar20Encoder::build_lengths(const sSegment &seg, uint8_t *lengths) const {
  uint32_t f[main_symbols];
  if (seg.audio) {
    for (int c = 0; c < seg.channels; ++c) {
      std::copy(seg.freq.begin() + c * audio_symbols, seg.freq.begin() + (c + 1) * audio_symbols,
                f);
      // every table must be able to announce the next one
      f[audio_new_tables] = std::max(f[audio_new_tables], 1u);
      cHuffmanBuilder::build_lengths(f, audio_symbols, max_code_length,
                                     lengths + c * audio_symbols);
    }
    return;
  }
  std::copy(seg.freq.begin(), seg.freq.begin() + main_symbols, f);
  f[sym_new_tables] = std::max(f[sym_new_tables], 1u);
  cHuffmanBuilder::build_lengths(f, main_symbols, max_code_length, lengths);
  cHuffmanBuilder::build_lengths(seg.freq.data() + main_symbols, dist_symbols, max_code_length,
                                 lengths + main_symbols);
  cHuffmanBuilder::build_lengths(seg.freq.data() + main_symbols + dist_symbols, rep_symbols,
                                 max_code_length, lengths + main_symbols + dist_symbols);
}

uint64_t cRar20Encoder::data_bits(const sSegment &seg, const uint8_t *lengths) const {
  const int n = seg.audio ? audio_symbols * seg.channels : lz_table_size;
  return cHuffmanBuilder::cost(seg.freq.data(), lengths, n);
}

uint64_t cRar20Encoder::own_bits(const sSegment &seg) const {
  uint8_t lengths[old_table_size] = {};
  build_lengths(seg, lengths);
  return data_bits(seg, lengths);
}

std::vector<uint8_t> cRar20Encoder::pack_member(const uint8_t *data, size_t size) {
  m_out = cBitWriter();
  if (size == 0)
    return {};
  if (!m_writer_ready) {
    // a stream start: the decoder has cleared everything
    m_history.clear();
    m_lz = sLzState();
    m_audio.reset();
    m_tables.reset();
    m_emit_channel = 0;
  }
  m_buffer.clear();
  m_buffer.reserve(m_history.size() + size);
  m_buffer.insert(m_buffer.end(), m_history.begin(), m_history.end());
  m_buffer.insert(m_buffer.end(), data, data + size);
  m_finder.reset(m_buffer.data(), m_buffer.size());
  m_finder.insert_until(m_history.size());

  for (size_t pos = m_history.size(); pos < m_buffer.size(); pos += chunk_size)
    pack_chunk(pos, std::min(pos + chunk_size, m_buffer.size()));
  flush_pending();
  m_out.align();
  // Decoders look ahead past the last symbol; two spare bytes keep that look-ahead inside
  // the member's data, and staying under five spare bytes keeps them from being taken for
  // a table switch at the end of the member.
  m_out.put(0, 16);

  const size_t keep = std::min<size_t>(m_buffer.size(), window_size);
  m_history.assign(m_buffer.end() - std::ptrdiff_t(keep), m_buffer.end());
  m_buffer.clear();
  m_buffer.shrink_to_fit();
  return std::move(m_out.bytes());
}

void cRar20Encoder::pack_chunk(size_t begin, size_t end) {
  sSegment lz;
  sLzState lz_state = m_lz;
  m_parser.parse(m_buffer.data(), begin, end, lz_state, m_prices, lz.tokens);
  uint64_t extra_bits = 0;
  for (const sLzToken &t : lz.tokens) {
    count_token(t, lz.freq);
    extra_bits += uint64_t(t.len_bits) + t.dist_bits;
  }
  uint8_t lz_lengths[old_table_size] = {};
  build_lengths(lz, lz_lengths);

  // current mode of the decoder as the next block would find it
  const bool cur_audio = m_pending ? m_pending->audio : m_writer.audio();
  const int cur_channels = m_pending ? m_pending->channels : m_writer.channels();
  const bool have_mode = m_pending || m_writer_ready;
  auto switch_cost = [&](bool audio, int channels) -> uint64_t {
    if (have_mode && cur_audio == audio && (!audio || cur_channels == channels))
      return 0;
    return table_estimate(audio, channels);
  };

  int best_channels = 0; // 0: LZ
  cRarAudioModel best_model;
  sSegment audio_best;
  if (m_options.multimedia) {
    uint64_t best_bits = data_bits(lz, lz_lengths) + extra_bits + switch_cost(false, 1);
    for (int n = 1; n <= max_channels; ++n) {
      sSegment seg;
      seg.audio = true;
      seg.channels = n;
      cRarAudioModel model = m_audio;
      model.set_channels(n);
      seg.first_channel = model.current();
      seg.deltas.reserve(end - begin);
      for (size_t i = begin; i < end; ++i) {
        const int c = model.current();
        const int delta = model.encode(m_buffer[i]);
        seg.deltas.push_back(uint8_t(delta));
        ++seg.freq[size_t(c * audio_symbols + delta)];
      }
      const uint64_t bits = own_bits(seg) + switch_cost(true, n);
      if (bits < best_bits) {
        best_bits = bits;
        best_channels = n;
        best_model = model;
        audio_best = std::move(seg);
      }
    }
  }

  if (best_channels == 0) {
    m_lz = lz_state;
    m_prices.set(lz_lengths, lz_lengths + main_symbols, lz_lengths + main_symbols + dist_symbols);
    for (size_t i = 0; i < lz.tokens.size(); i += lz_segment_tokens) {
      sSegment seg;
      const size_t stop = std::min(lz.tokens.size(), i + lz_segment_tokens);
      seg.tokens.assign(lz.tokens.begin() + std::ptrdiff_t(i),
                        lz.tokens.begin() + std::ptrdiff_t(stop));
      for (const sLzToken &t : seg.tokens)
        count_token(t, seg.freq);
      add_segment(std::move(seg));
    }
    return;
  }

  m_audio = best_model;
  const int n = best_channels;
  int channel = audio_best.first_channel;
  for (size_t i = 0; i < audio_best.deltas.size(); i += audio_segment_bytes) {
    sSegment seg;
    seg.audio = true;
    seg.channels = n;
    seg.first_channel = channel;
    const size_t stop = std::min(audio_best.deltas.size(), i + audio_segment_bytes);
    seg.deltas.assign(audio_best.deltas.begin() + std::ptrdiff_t(i),
                      audio_best.deltas.begin() + std::ptrdiff_t(stop));
    for (uint8_t d : seg.deltas) {
      ++seg.freq[size_t(channel * audio_symbols + d)];
      if (++channel == n)
        channel = 0;
    }
    add_segment(std::move(seg));
  }
}

void cRar20Encoder::add_segment(sSegment &&seg) {
  const uint64_t seg_bits = own_bits(seg);
  if (m_pending && m_pending->audio == seg.audio && m_pending->channels == seg.channels &&
      m_pending->size() + seg.size() <= max_block_symbols) {
    sSegment merged;
    merged.audio = seg.audio;
    merged.channels = seg.channels;
    for (size_t i = 0; i < merged.freq.size(); ++i)
      merged.freq[i] = m_pending->freq[i] + seg.freq[i];
    const uint64_t merged_bits = own_bits(merged);
    if (merged_bits <= m_pending_bits + seg_bits + table_estimate(seg.audio, seg.channels)) {
      m_pending->freq.swap(merged.freq);
      m_pending->tokens.insert(m_pending->tokens.end(), seg.tokens.begin(), seg.tokens.end());
      m_pending->deltas.insert(m_pending->deltas.end(), seg.deltas.begin(), seg.deltas.end());
      m_pending_bits = merged_bits;
      return;
    }
  }
  flush_pending();
  m_pending = std::make_unique<sSegment>(std::move(seg));
  m_pending_bits = seg_bits;
}

void cRar20Encoder::flush_pending() {
  if (!m_pending)
    return;
  const sSegment &block = *m_pending;
  const int table_count = block.audio ? audio_symbols * block.channels : lz_table_size;

  uint8_t lengths[old_table_size] = {};
  build_lengths(block, lengths);
  bool keep = false;
  if (m_writer_ready && m_writer.audio() == block.audio &&
      (!block.audio || m_writer.channels() == block.channels)) {
    const uint64_t keep_bits = data_bits(block, m_writer.lengths());
    const int switch_len =
        block.audio ? m_writer.lengths()[m_emit_channel * audio_symbols + audio_new_tables]
                    : m_writer.lengths()[sym_new_tables];
    const uint64_t new_bits = uint64_t(switch_len) +
                              m_tables.cost(block.audio, block.channels, lengths, table_count) +
                              data_bits(block, lengths);
    keep = keep_bits <= new_bits;
  }

  if (keep) {
    ++m_stats.kept_tables;
  } else {
    if (m_writer_ready) {
      m_writer.put_switch(m_out, m_emit_channel);
      ++m_stats.switches;
    }
    m_tables.write(m_out, block.audio, block.channels, lengths, table_count);
    m_stats.cleared_tables += m_tables.last_cleared() ? 1 : 0;
    m_writer.set_tables(block.audio, block.channels, lengths);
    m_writer_ready = true;
    if (block.audio) {
      ++m_stats.audio_tables[block.channels];
      if (m_emit_channel >= block.channels)
        m_emit_channel = 0;
    } else {
      ++m_stats.lz_tables;
    }
  }

  if (block.audio) {
    assert(m_emit_channel == block.first_channel);
    for (uint8_t d : block.deltas) {
      m_writer.put_audio(m_out, m_emit_channel, d);
      if (++m_emit_channel == block.channels)
        m_emit_channel = 0;
    }
    m_stats.audio_bytes += block.deltas.size();
  } else {
    for (const sLzToken &t : block.tokens) {
      m_writer.put_token(m_out, t);
      if (t.main < 256)
        ++m_stats.literals;
      else if (t.main == sym_repeat_last)
        ++m_stats.repeat_last;
      else if (t.main < sym_short)
        ++m_stats.ring[t.main - sym_ring];
      else if (t.main < sym_new_tables)
        ++m_stats.short_matches;
      else {
        ++m_stats.long_matches;
        m_stats.max_distance =
            std::max(m_stats.max_distance, distance_bases[t.aux] + t.dist_extra + 1);
      }
    }
  }
  m_pending.reset();
}
