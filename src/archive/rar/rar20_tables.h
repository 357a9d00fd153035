// The numeric tables of the RAR 2.0 compressed format, shared by the decoder
// and the packer: alphabet sizes, the layout of the main alphabet, the
// bit-length code's run symbols, and the bases and extra bits of the length
// and distance classes. Pure data; indices out of range are the caller's.
#pragma once

#include <cstdint>

namespace rar20 {

// Alphabets. An LZ table switch sends main, distance and repeat-length code
// lengths in one run; a multimedia switch sends one table per channel.
constexpr int main_symbols = 298;
constexpr int dist_symbols = 48;
constexpr int rep_symbols = 28;
constexpr int bitlen_symbols = 19;
constexpr int audio_symbols = 257;
constexpr int max_channels = 4;
constexpr int lz_table_size = main_symbols + dist_symbols + rep_symbols;
constexpr int old_table_size = audio_symbols * max_channels;
constexpr int max_code_length = 15;

constexpr uint32_t window_size = 0x100000;

// Main alphabet: literals 0-255, then these.
constexpr int sym_repeat_last = 256; // the last match again
constexpr int sym_ring = 257;        // 257-260: a recent distance, newest first
constexpr int sym_short = 261;       // 261-268: length 2 at a short distance
constexpr int sym_new_tables = 269;
constexpr int sym_long = 270; // 270-297: a length class, then a distance symbol
constexpr int ring_slots = sym_short - sym_ring;
// Multimedia alphabet: deltas 0-255, then the table switch.
constexpr int audio_new_tables = 256;

// Bit-length code: 0-15 add to the previous table's length (mod 16); the run
// symbols 16-18 carry extra bits and repeat a length at least their minimum
// number of times: 16 the previous length, 17 and 18 zero.
constexpr int bitlen_repeat_previous = 16;
constexpr int bitlen_zeros = 17;
constexpr int bitlen_many_zeros = 18;
inline constexpr uint8_t bitlen_run_bits[3] = {2, 3, 7}; // by symbol - 16
inline constexpr uint8_t bitlen_run_min[3] = {3, 3, 11};

// Lengths by long-match symbol - 270 and by repeat-length symbol. A long match
// is base + 3 + extra bytes long, a ring match base + 2 + extra, both before
// the bonus by distance below.
inline constexpr uint8_t length_bases[28] = {0,  1,  2,  3,   4,   5,   6,   7,  8,  10,
                                             12, 14, 16, 20,  24,  28,  32,  40, 48, 56,
                                             64, 80, 96, 112, 128, 160, 192, 224};
inline constexpr uint8_t length_bits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                            2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};

// Distances by distance symbol: base + 1 + extra.
inline constexpr uint32_t distance_bases[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
inline constexpr uint8_t distance_bits[48] = {
    0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,  9,  9,  10, 10,
    11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};

// Length-2 matches by symbol - 261: distance base + 1 + extra.
inline constexpr uint8_t short_bases[8] = {0, 4, 8, 16, 32, 64, 128, 192};
inline constexpr uint8_t short_bits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

// Matches this far back are one or two bytes longer than their length class
// says; ring matches gain one more byte from 0x101 on.
constexpr uint32_t far_bonus(uint32_t distance) {
  return uint32_t(distance >= 0x2000) + uint32_t(distance >= 0x40000);
}
constexpr uint32_t ring_bonus(uint32_t distance) {
  return uint32_t(distance >= 0x101) + far_bonus(distance);
}

} // namespace rar20
