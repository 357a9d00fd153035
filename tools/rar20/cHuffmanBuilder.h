// Code lengths from symbol frequencies with a hard length limit (package-merge, so the
// result is optimal under the limit), and canonical codes from lengths. Every built
// code is complete: with fewer than two used symbols, unused ones are given codes.
#pragma once

#include <cstdint>

class cHuffmanBuilder {
public:
  // lengths[i] = 0 for symbols without a code. n at most 2^max_length.
  static void build_lengths(const uint32_t *freq, int n, int max_length, uint8_t *lengths);
  // Canonical codes: shorter codes first, within a length in symbol order.
  static void build_codes(const uint8_t *lengths, int n, uint16_t *codes);
  // Sum of freq * length; symbols with frequency but no code count as `missing`.
  static uint64_t cost(const uint32_t *freq, const uint8_t *lengths, int n,
                       uint64_t missing = uint64_t(1) << 40);
};
