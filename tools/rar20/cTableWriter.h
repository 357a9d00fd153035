// Writes a RAR 2.0 table header: mode bits, the 19 bit-length code lengths and the new
// code lengths coded against the previous table (deltas modulo 16 and runs). Chooses the
// cheaper of keeping and clearing the previous table; cannot fail.
#pragma once

#include "cBitWriter.h"
#include "rar20_format.h"

#include <cstdint>
#include <vector>

class cTableWriter {
public:
  cTableWriter() { reset(); }

  // The decoder's previous-length table is all zeros (start of a stream).
  void reset();
  // Bits the table would take if written now.
  uint64_t cost(bool audio, int channels, const uint8_t *lengths, int count) const;
  // Writes the table and makes it the previous table for the next one.
  void write(cBitWriter &out, bool audio, int channels, const uint8_t *lengths, int count);
  // Whether the last table written was coded against zeros.
  bool last_cleared() const { return m_last_cleared; }

private:
  struct sPlan {
    bool keep = false;
    std::vector<uint8_t> symbols;
    std::vector<uint8_t> extras;
    uint8_t code_lengths[rar20::bitlen_symbols] = {};
    uint64_t bits = 0;
  };

  sPlan plan(bool audio, const uint8_t *lengths, int count) const;
  static void plan_against(const uint8_t *old, const uint8_t *lengths, int count, sPlan &p);

  uint8_t m_old[rar20::old_table_size];
  // Entries of m_old the decoder is sure to hold; past them its contents are not relied on.
  int m_known = rar20::old_table_size;
  bool m_last_cleared = false;
};
