// RAR 2.0 decompressor: LZ over a 1 MiB window with Huffman-coded symbols, and the
// multimedia mode that predicts up to four interleaved audio channels. Corrupt input
// never reads or writes outside the fixed buffers; it yields wrong bytes (caught by the
// caller's CRC-32), an overrun report or an out-of-data report.
#pragma once

#include "archive/rar/cRarAudioModel.h"
#include "archive/rar/rar20_tables.h"

#include <cstddef>
#include <cstdint>

class cRarUnpacker {
public:
  static constexpr uint32_t window_size = rar20::window_size;
  static constexpr uint32_t window_mask = window_size - 1;

  // Reads up to count packed bytes of the current member into buffer; returns the
  // number read (0 at the end of the member's data). count is a multiple of 16.
  using read_fn = size_t (*)(void *context, uint8_t *buffer, size_t count);

  enum class result {
    ok,
    overrun,     // the member produced more bytes than its unpacked size
    out_of_data, // the packed data ended before the member was complete
  };

  cRarUnpacker();

  // The window is owned by the caller (window_size bytes) and must stay valid while
  // members are unpacked. Setting it forgets all stream state; zeroed says the window is
  // known to be all zero already (fresh from calloc), which saves clearing it.
  void set_window(uint8_t *window, bool zeroed = false);
  // Forgets tables, distances and multimedia state, and clears the window.
  void reset();

  // Unpacks one member of unp_size bytes. continue_solid keeps the previous member's
  // window, tables and distances. out (unp_size bytes) receives the member's bytes; null
  // lets them pass through the window only. written is the number of bytes copied to out.
  result unpack(read_fn read, void *context, uint32_t unp_size, bool continue_solid, uint8_t *out,
                uint32_t &written);

  // Bytes produced into the window by the last unpack (including any overrun).
  uint64_t produced() const { return produced_; }

private:
  static constexpr int quick_bits = 10;
  static constexpr size_t in_capacity = 0x2000;
  static constexpr size_t in_padding = 64;
  static constexpr int max_symbols = rar20::main_symbols;

  struct decode_table {
    uint32_t limit[17];     // left-justified end of the codes of each length
    uint32_t first_pos[17]; // index in symbols[] of the first code of each length
    uint16_t symbols[max_symbols];
    uint16_t quick[1 << quick_bits]; // symbol << 4 | length, length 0 = slow path
    int count;
  };

  // bit input
  void fill_input(bool initial);
  uint32_t peek16() const {
    const uint8_t *p = in_ + in_pos_;
    uint32_t v = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    return (v >> (8 - in_bit_)) & 0xFFFF;
  }
  void skip_bits(uint32_t n) {
    n += in_bit_;
    in_pos_ += n >> 3;
    in_bit_ = n & 7;
  }
  uint32_t get_bits(uint32_t n) {
    uint32_t v = peek16() >> (16 - n);
    skip_bits(n);
    return v;
  }
  bool input_exhausted() const { return source_done_ && in_pos_ > in_end_ + 2; }

  static void build_table(decode_table &table, const uint8_t *lengths, int count);
  int decode(const decode_table &table);

  bool read_tables();
  void copy_match(uint32_t length, uint32_t distance);
  void flush_output();

  uint8_t *window_ = nullptr;
  // Bytes written since the window was last all zero; only those need clearing.
  uint64_t dirty_ = 0;
  uint32_t unp_pos_ = 0;
  uint32_t write_pos_ = 0;

  uint8_t in_[in_capacity + in_padding];
  size_t in_pos_ = 0;
  uint32_t in_bit_ = 0;
  size_t in_end_ = 0;
  bool source_done_ = false;
  read_fn read_ = nullptr;
  void *read_context_ = nullptr;

  decode_table main_table_;
  decode_table dist_table_;
  decode_table rep_table_;
  decode_table bitlen_table_;
  decode_table audio_tables_[rar20::max_channels];
  uint8_t old_lengths_[rar20::old_table_size];

  uint32_t old_dist_[4];
  uint32_t old_dist_ptr_ = 0;
  uint32_t last_dist_ = 0;
  uint32_t last_length_ = 0;

  bool audio_mode_ = false;
  cRarAudioModel audio_;

  // output of the current member
  int64_t remaining_ = 0;
  uint64_t produced_ = 0;
  uint8_t *out_ = nullptr;
  uint32_t out_size_ = 0;
  uint32_t written_ = 0;
  bool overrun_ = false;
};
