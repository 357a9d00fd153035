// RAR 2.0 decompressor (see cRarUnpacker.h). Every window access is masked and the bit
// reader has zeroed padding behind its data, so damaged streams stay inside the buffers;
// a stream that runs dry stops with out_of_data instead of decoding padding forever.
#include "archive/rar/cRarUnpacker.h"

#include <cstring>

#include "archive/rar/rar20_tables.h"

using namespace rar20;

namespace {

// A match never copies more than 260 bytes, so flushing at this distance keeps the
// unpack position from overtaking bytes not yet copied out.
constexpr uint32_t flush_margin = 270;
// Refill while a full iteration (at most about 8 bytes of input) can still follow.
constexpr size_t refill_margin = 32;

} // namespace

cRarUnpacker::cRarUnpacker() {
  // reset() clears everything else; these two it leaves, as every read refills them.
  std::memset(in_, 0, sizeof(in_));
  std::memset(&bitlen_table_, 0, sizeof(bitlen_table_));
  reset();
}

void cRarUnpacker::set_window(uint8_t *window, bool zeroed) {
  window_ = window;
  dirty_ = zeroed ? 0 : window_size;
  reset();
}

void cRarUnpacker::reset() {
  // Writes start at position 0 after a reset and run on in order, so the bytes written
  // since then are one prefix of the window (all of it once it wrapped).
  if (window_)
    std::memset(window_, 0, dirty_ < window_size ? size_t(dirty_) : window_size);
  dirty_ = 0;
  unp_pos_ = 0;
  write_pos_ = 0;
  std::memset(old_lengths_, 0, sizeof(old_lengths_));
  // Empty tables decode every code as symbol 0, so a stream that claims to continue
  // a solid stream it has no predecessor for still decodes deterministically.
  std::memset(&main_table_, 0, sizeof(main_table_));
  std::memset(&dist_table_, 0, sizeof(dist_table_));
  std::memset(&rep_table_, 0, sizeof(rep_table_));
  std::memset(audio_tables_, 0, sizeof(audio_tables_));
  std::memset(old_dist_, 0, sizeof(old_dist_));
  old_dist_ptr_ = 0;
  last_dist_ = 0;
  last_length_ = 0;
  audio_mode_ = false;
  audio_.reset();
}

void cRarUnpacker::fill_input(bool initial) {
  size_t keep = 0;
  if (initial) {
    in_pos_ = 0;
    in_bit_ = 0;
  } else {
    keep = in_end_ > in_pos_ ? in_end_ - in_pos_ : 0;
    std::memmove(in_, in_ + in_pos_, keep);
    in_pos_ = 0;
  }
  // The cipher works on 16-byte blocks, so ask for whole blocks only.
  size_t space = (in_capacity - keep) & ~size_t(15);
  size_t got = 0;
  if (space > 0 && !source_done_) {
    got = read_(read_context_, in_ + keep, space);
    if (got > space)
      got = space;
    if (got < space)
      source_done_ = true;
  }
  in_end_ = keep + got;
  size_t clear_to = in_end_ + in_padding;
  if (clear_to > sizeof(in_))
    clear_to = sizeof(in_);
  std::memset(in_ + in_end_, 0, clear_to - in_end_);
}

void cRarUnpacker::build_table(decode_table &table, const uint8_t *lengths, int count) {
  uint32_t per_length[16] = {};
  for (int i = 0; i < count; ++i)
    per_length[lengths[i] & 15]++;
  per_length[0] = 0;

  // Canonical codes: shorter codes first, within a length in symbol order. limit[n] is
  // the first 16-bit left-justified value past the codes of length n.
  uint32_t start = 0;
  uint32_t pos = 0;
  table.limit[0] = 0;
  table.first_pos[0] = 0;
  for (int n = 1; n <= 15; ++n) {
    table.first_pos[n] = pos;
    start += per_length[n] << (16 - n);
    table.limit[n] = start;
    pos += per_length[n];
  }
  table.limit[16] = start;
  table.first_pos[16] = pos;
  table.count = int(pos);

  uint32_t next[16];
  std::memcpy(next, table.first_pos, sizeof(next));
  std::memset(table.symbols, 0, sizeof(table.symbols));
  for (int i = 0; i < count; ++i) {
    int n = lengths[i] & 15;
    if (n)
      table.symbols[next[n]++] = uint16_t(i);
  }

  // Codes up to quick_bits long are looked up directly; the rest take the slow path.
  int n = 1;
  for (uint32_t v = 0; v < (1u << quick_bits); ++v) {
    uint32_t bits = v << (16 - quick_bits);
    while (n <= quick_bits && bits >= table.limit[n])
      ++n;
    if (n > quick_bits) {
      table.quick[v] = 0;
      continue;
    }
    uint32_t index = table.first_pos[n] + ((bits - table.limit[n - 1]) >> (16 - n));
    table.quick[v] = uint16_t(table.symbols[index] << 4 | n);
  }
}

inline int cRarUnpacker::decode(const decode_table &table) {
  uint32_t bits = peek16();
  uint16_t quick = table.quick[bits >> (16 - quick_bits)];
  if (quick & 15) {
    skip_bits(quick & 15);
    return quick >> 4;
  }
  int n = quick_bits + 1;
  while (n < 15 && bits >= table.limit[n])
    ++n;
  uint32_t index = table.first_pos[n] + ((bits - table.limit[n - 1]) >> (16 - n));
  skip_bits(n);
  // Past the last code of an incomplete code set: any symbol will do, the CRC decides.
  if (index >= uint32_t(table.count))
    return table.symbols[0];
  return table.symbols[index];
}

bool cRarUnpacker::read_tables() {
  if (!source_done_ && in_pos_ + refill_margin > in_end_)
    fill_input(false);
  if (input_exhausted())
    return false;

  uint32_t head = peek16();
  audio_mode_ = (head & 0x8000) != 0;
  if (!(head & 0x4000))
    std::memset(old_lengths_, 0, sizeof(old_lengths_));
  skip_bits(2);

  int table_size;
  if (audio_mode_) {
    audio_.set_channels(int((head >> 12) & 3) + 1);
    skip_bits(2);
    table_size = audio_symbols * audio_.channels();
  } else {
    table_size = lz_table_size;
  }

  uint8_t bitlen_lengths[bitlen_symbols];
  for (int i = 0; i < bitlen_symbols; ++i)
    bitlen_lengths[i] = uint8_t(get_bits(4));
  build_table(bitlen_table_, bitlen_lengths, bitlen_symbols);

  uint8_t lengths[old_table_size];
  int i = 0;
  while (i < table_size) {
    if (!source_done_ && in_pos_ + refill_margin > in_end_)
      fill_input(false);
    if (input_exhausted())
      return false;
    int code = decode(bitlen_table_);
    if (code < bitlen_repeat_previous) {
      lengths[i] = uint8_t((code + old_lengths_[i]) & 15);
      ++i;
      continue;
    }
    const int run = code - bitlen_repeat_previous;
    uint32_t repeat = get_bits(bitlen_run_bits[run]) + bitlen_run_min[run];
    // Repeats the previous length; at the very start there is none, so zero.
    const uint8_t value = code == bitlen_repeat_previous && i > 0 ? lengths[i - 1] : 0;
    while (repeat-- > 0 && i < table_size)
      lengths[i++] = value;
  }

  if (audio_mode_) {
    for (int c = 0; c < audio_.channels(); ++c)
      build_table(audio_tables_[c], lengths + c * audio_symbols, audio_symbols);
  } else {
    build_table(main_table_, lengths, main_symbols);
    build_table(dist_table_, lengths + main_symbols, dist_symbols);
    build_table(rep_table_, lengths + main_symbols + dist_symbols, rep_symbols);
  }
  std::memcpy(old_lengths_, lengths, size_t(table_size));
  return true;
}

void cRarUnpacker::copy_match(uint32_t length, uint32_t distance) {
  old_dist_[old_dist_ptr_++ & 3] = distance;
  last_dist_ = distance;
  last_length_ = length;
  remaining_ -= length;

  uint32_t dst = unp_pos_ & window_mask;
  uint32_t src = (dst - distance) & window_mask;
  if (src + length <= window_size && dst + length <= window_size) {
    uint8_t *d = window_ + dst;
    const uint8_t *s = window_ + src;
    const uint32_t gap = src < dst ? dst - src : src - dst;
    if (length >= 32 && gap >= length) {
      std::memcpy(d, s, length);
    } else {
      // Short or overlapping: byte by byte, so that a near source repeats its pattern.
      for (uint32_t i = 0; i < length; ++i)
        d[i] = s[i];
    }
  } else {
    for (uint32_t i = 0; i < length; ++i)
      window_[(dst + i) & window_mask] = window_[(src + i) & window_mask];
  }
  unp_pos_ = (dst + length) & window_mask;
}

void cRarUnpacker::flush_output() {
  uint32_t up = unp_pos_ & window_mask;
  if (out_ && !overrun_ && up != write_pos_) {
    uint32_t first_end = up > write_pos_ ? up : window_size;
    uint32_t pieces[2][2] = {{write_pos_, first_end}, {0, up > write_pos_ ? 0 : up}};
    for (auto &piece : pieces) {
      uint32_t amount = piece[1] - piece[0];
      if (amount == 0)
        continue;
      if (uint64_t(written_) + amount > out_size_) {
        // Ends decoding: the loop stops on the flag.
        overrun_ = true;
        break;
      }
      std::memcpy(out_ + written_, window_ + piece[0], amount);
      written_ += amount;
    }
  }
  write_pos_ = up;
}

cRarUnpacker::result cRarUnpacker::unpack(read_fn read, void *context, uint32_t unp_size,
                                          bool continue_solid, uint8_t *out, uint32_t &written) {
  written = 0;
  produced_ = 0;
  if (!window_)
    return result::out_of_data;
  read_ = read;
  read_context_ = context;
  source_done_ = false;
  in_end_ = 0;
  out_ = out;
  out_size_ = unp_size;
  written_ = 0;
  overrun_ = false;

  if (!continue_solid)
    reset();
  // Bytes of an earlier member never belong to this one.
  write_pos_ = unp_pos_ & window_mask;

  fill_input(true);
  bool dry = false;
  if (!continue_solid && !read_tables())
    dry = true;

  remaining_ = int64_t(unp_size);
  while (!dry && remaining_ > 0) {
    unp_pos_ &= window_mask;
    if (!source_done_ && in_pos_ + refill_margin > in_end_)
      fill_input(false);
    if (input_exhausted()) {
      dry = true;
      break;
    }
    if (((write_pos_ - unp_pos_) & window_mask) < flush_margin && write_pos_ != unp_pos_) {
      flush_output();
      if (overrun_)
        break;
    }

    if (audio_mode_) {
      int symbol = decode(audio_tables_[audio_.current()]);
      if (symbol == audio_new_tables) {
        if (!read_tables())
          dry = true;
        continue;
      }
      window_[unp_pos_++] = audio_.decode(symbol);
      --remaining_;
      continue;
    }

    int symbol = decode(main_table_);
    if (symbol < 256) {
      window_[unp_pos_++] = uint8_t(symbol);
      --remaining_;
      continue;
    }
    if (symbol >= sym_long) {
      int li = symbol - sym_long;
      uint32_t length = length_bases[li] + 3u + get_bits(length_bits[li]);
      int di = decode(dist_table_);
      uint32_t distance = distance_bases[di] + 1 + get_bits(distance_bits[di]);
      copy_match(length + far_bonus(distance), distance);
      continue;
    }
    if (symbol == sym_new_tables) {
      if (!read_tables())
        dry = true;
      continue;
    }
    if (symbol == sym_repeat_last) {
      copy_match(last_length_, last_dist_);
      continue;
    }
    if (symbol < sym_short) {
      uint32_t distance = old_dist_[(old_dist_ptr_ - uint32_t(symbol - sym_repeat_last)) & 3];
      int li = decode(rep_table_);
      uint32_t length = length_bases[li] + 2u + get_bits(length_bits[li]);
      copy_match(length + ring_bonus(distance), distance);
      continue;
    }
    int si = symbol - sym_short;
    copy_match(2, short_bases[si] + 1 + get_bits(short_bits[si]));
  }

  // A table change right behind the member's last symbol belongs to the next member of a
  // solid stream; pick it up now, as the next member starts reading its own data.
  if (!dry && !overrun_) {
    if (!source_done_ && in_pos_ + refill_margin > in_end_)
      fill_input(false);
    if (in_end_ >= in_pos_ + 5) {
      int symbol = audio_mode_ ? decode(audio_tables_[audio_.current()]) : decode(main_table_);
      if (symbol == (audio_mode_ ? audio_new_tables : sym_new_tables))
        read_tables();
    }
  }
  unp_pos_ &= window_mask;
  // Every byte produced lowered the remaining count by one.
  produced_ = uint64_t(int64_t(unp_size) - remaining_);
  dirty_ += produced_;
  if (!overrun_)
    flush_output();
  written = written_;
  if (overrun_)
    return result::overrun;
  if (dry)
    return result::out_of_data;
  return result::ok;
}
