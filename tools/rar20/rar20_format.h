// The packer's side of the RAR 2.0 tables: which class a length or distance falls
// in, and the length limits that the distance bonuses imply. Pure lookups; values
// outside the documented ranges are the caller's fault and are not checked.
#pragma once

#include <cstdint>

#include "archive/rar/rar20_tables.h"

namespace rar20 {

constexpr uint32_t max_distance = window_size - 1;

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
  return {sym, length_bits[sym], value - length_bases[sym]};
}

// Distance classes of long matches; value is distance - 1, 0..0xFFFFF.
inline sClassCode distance_class(uint32_t value) {
  if (value < 4)
    return {int(value), 0, 0};
  int sym = 0;
  if (value >= 0x40000) {
    sym = int(value >> 16) + 32;
  } else {
    const int hb = highest_bit(value);
    sym = 2 * hb + int((value >> (hb - 1)) & 1);
  }
  return {sym, distance_bits[sym], value - distance_bases[sym]};
}

// Short-distance classes of length-2 matches; value is distance - 1, 0..255.
inline sClassCode short_class(uint32_t value) {
  int sym = 0;
  if (value < 8)
    sym = int(value >> 2);
  else if (value < 192)
    sym = highest_bit(value) - 1;
  else
    sym = 7;
  return {sym, short_bits[sym], value - short_bases[sym]};
}

// Lengths a match at this distance can have, its bonus included.
inline int long_min_length(uint32_t dist) { return 3 + int(far_bonus(dist)); }
inline int long_max_length(uint32_t dist) { return 258 + int(far_bonus(dist)); }
inline int ring_min_length(uint32_t dist) { return 2 + int(ring_bonus(dist)); }
inline int ring_max_length(uint32_t dist) { return 257 + int(ring_bonus(dist)); }

} // namespace rar20
