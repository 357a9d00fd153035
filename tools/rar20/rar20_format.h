// Numeric tables of the RAR 2.0 compressed format (alphabets, length and distance
// classes) shared by the packer's units. Pure lookups; values outside the documented
// ranges are the caller's fault and are not checked.
#pragma once

#include <cstdint>

namespace rar20 {

constexpr int main_symbols = 298;
constexpr int dist_symbols = 48;
constexpr int rep_symbols = 28;
constexpr int bitlen_symbols = 19;
constexpr int audio_symbols = 257;
constexpr int lz_table_size = main_symbols + dist_symbols + rep_symbols; // 374
constexpr int old_table_size = audio_symbols * 4;                        // 1028
constexpr int max_code_length = 15;
constexpr int max_channels = 4;

constexpr uint32_t window_size = 0x100000;
constexpr uint32_t max_distance = window_size - 1;

// Main alphabet layout.
constexpr int sym_repeat_last = 256;
constexpr int sym_ring = 257;  // 257..260, newest ring entry first
constexpr int sym_short = 261; // 261..268, length-2 matches
constexpr int sym_new_tables = 269;
constexpr int sym_long = 270; // 270..297
constexpr int audio_new_tables = 256;

// One value split into a symbol and its extra bits.
struct sClassCode {
  int sym;
  int bits;
  uint32_t extra;
};

inline int highest_bit(uint32_t v) { return 31 - __builtin_clz(v); }

// Length classes of long matches and ring matches; value is 0..255.
inline sClassCode length_class(uint32_t value) {
  if (value < 8)
    return {int(value), 0, 0};
  const int hb = highest_bit(value);
  const int sym = 8 + (hb - 3) * 4 + int((value >> (hb - 2)) & 3);
  const uint32_t base = (4u | ((value >> (hb - 2)) & 3)) << (hb - 2);
  return {sym, hb - 2, value - base};
}

// Distance classes of long matches; value is distance - 1, 0..0xFFFFF.
inline sClassCode distance_class(uint32_t value) {
  if (value < 4)
    return {int(value), 0, 0};
  if (value >= 0x40000) {
    const int sym = int(value >> 16) + 32;
    return {sym, 16, value & 0xFFFF};
  }
  const int hb = highest_bit(value);
  const uint32_t half = (value >> (hb - 1)) & 1;
  const uint32_t base = (2u | half) << (hb - 1);
  return {2 * hb + int(half), hb - 1, value - base};
}

// Smallest distance - 1 of a distance class.
inline uint32_t distance_base(int sym) {
  if (sym < 4)
    return uint32_t(sym);
  if (sym < 36)
    return (2u | uint32_t(sym & 1)) << (sym / 2 - 1);
  return uint32_t(sym - 32) << 16;
}

// Short-distance classes of length-2 matches; value is distance - 1, 0..255.
inline sClassCode short_class(uint32_t value) {
  static constexpr uint8_t base[8] = {0, 4, 8, 16, 32, 64, 128, 192};
  static constexpr uint8_t bits[8] = {2, 2, 3, 4, 5, 6, 6, 6};
  int sym = 0;
  if (value < 8)
    sym = int(value >> 2);
  else if (value < 192)
    sym = highest_bit(value) - 1;
  else
    sym = 7;
  return {sym, bits[sym], value - base[sym]};
}

// Matches this far away carry one or two implied extra length units.
inline int far_bonus(uint32_t dist) { return (dist >= 0x2000) + (dist >= 0x40000); }
inline int ring_bonus(uint32_t dist) { return (dist >= 0x101) + far_bonus(dist); }

inline int long_min_length(uint32_t dist) { return 3 + far_bonus(dist); }
inline int long_max_length(uint32_t dist) { return 258 + far_bonus(dist); }
inline int ring_min_length(uint32_t dist) { return 2 + ring_bonus(dist); }
inline int ring_max_length(uint32_t dist) { return 257 + ring_bonus(dist); }

} // namespace rar20
