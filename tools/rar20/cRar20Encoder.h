// RAR 2.0 stream packer: LZ over the 1 MiB window with adaptive Huffman tables, and
// optionally multimedia blocks, chosen per 64 KiB chunk by estimated size. Members of
// one solid stream are packed by successive calls on the same object. Cannot fail short
// of running out of memory.
#pragma once

#include "archive/rar/cRarAudioModel.h"
#include "cBitWriter.h"
#include "cBlockWriter.h"
#include "cLzParser.h"
#include "cMatchFinder.h"
#include "cTableWriter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct sEncoderOptions {
  bool multimedia = false; // consider multimedia blocks
  int max_chain = 128;     // hash-chain candidates per search
  int nice_length = 128;   // a match this long ends the search
};

// What the packer emitted, for tests and figures.
struct sEncoderStats {
  uint64_t literals = 0;
  uint64_t repeat_last = 0;
  uint64_t ring[4] = {0, 0, 0, 0};
  uint64_t short_matches = 0;
  uint64_t long_matches = 0;
  uint64_t lz_tables = 0;
  uint64_t audio_tables[5] = {0, 0, 0, 0, 0}; // by channel count
  uint64_t audio_bytes = 0;
  uint64_t switches = 0;       // table-switch symbols
  uint64_t kept_tables = 0;    // blocks that went on with the tables in force
  uint64_t cleared_tables = 0; // tables coded against zeros rather than the previous one
  uint32_t max_distance = 0;   // farthest match
};

class cRar20Encoder {
public:
  explicit cRar20Encoder(const sEncoderOptions &options = sEncoderOptions());

  // Packs the next member of the stream and returns its packed bytes. Until the first
  // member with data has been packed, the stream has not started: such a member starts
  // it (the decoder reads tables first); later ones continue it (the decoder keeps its
  // window, tables, distances and multimedia state).
  std::vector<uint8_t> pack_member(const uint8_t *data, size_t size);
  bool started() const { return m_writer_ready; }
  const sEncoderStats &stats() const { return m_stats; }

  static constexpr size_t chunk_size = 64 * 1024;

private:
  struct sSegment {
    bool audio = false;
    int channels = 1;
    int first_channel = 0;
    std::vector<sLzToken> tokens;
    std::vector<uint8_t> deltas;
    std::vector<uint32_t> freq = std::vector<uint32_t>(rar20::old_table_size, 0);
    size_t size() const { return audio ? deltas.size() : tokens.size(); }
  };

  void pack_chunk(size_t begin, size_t end);
  void add_segment(sSegment &&seg);
  void flush_pending();
  void build_lengths(const sSegment &seg, uint8_t *lengths) const;
  uint64_t data_bits(const sSegment &seg, const uint8_t *lengths) const;
  uint64_t own_bits(const sSegment &seg) const;
  uint64_t table_estimate(bool audio, int channels) const;

  sEncoderOptions m_options;
  std::vector<uint8_t> m_history;
  std::vector<uint8_t> m_buffer;
  cMatchFinder m_finder;
  cLzParser m_parser;
  sLzPrices m_prices;

  // Decoder state as of the last evaluated chunk.
  sLzState m_lz;
  cRarAudioModel m_audio;

  // Decoder state as of the last emitted symbol.
  bool m_writer_ready = false; // tables are in force
  cBlockWriter m_writer;
  cTableWriter m_tables;
  int m_emit_channel = 0;
  cBitWriter m_out;

  std::unique_ptr<sSegment> m_pending;
  uint64_t m_pending_bits = 0;
  sEncoderStats m_stats;
};
