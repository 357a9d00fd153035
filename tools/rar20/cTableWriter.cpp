// Code-length coding for table switches. A small dynamic programme picks deltas and
// runs per position; two rounds let the choice follow the bit-length code it implies.
#include "cTableWriter.h"

#include "cHuffmanBuilder.h"

#include <algorithm>
#include <cstring>
#include <limits>

using namespace rar20;

void cTableWriter::reset() {
  std::memset(m_old, 0, sizeof(m_old));
  m_known = old_table_size;
}

void cTableWriter::plan_against(const uint8_t *old, const uint8_t *lengths, int count, sPlan &p) {
  // symbol costs start flat and follow the code that the previous round produced
  int cost[bitlen_symbols];
  std::fill(cost, cost + bitlen_symbols, 4);
  std::vector<uint64_t> best(size_t(count) + 1);
  std::vector<uint8_t> choice_sym(static_cast<size_t>(count)),
      choice_run(static_cast<size_t>(count));
  std::vector<int> same_run(size_t(count) + 1, 0), zero_run(size_t(count) + 1, 0);
  // same_run[i]: how many entries from i on equal lengths[i-1]
  for (int i = count - 1; i >= 0; --i) {
    zero_run[size_t(i)] = lengths[i] == 0 ? zero_run[size_t(i) + 1] + 1 : 0;
    same_run[size_t(i)] = (i > 0 && lengths[i] == lengths[i - 1]) ? same_run[size_t(i) + 1] + 1 : 0;
  }
  for (int round = 0; round < 3; ++round) {
    best[size_t(count)] = 0;
    for (int i = count - 1; i >= 0; --i) {
      const size_t si = size_t(i);
      const int delta = (lengths[i] - old[i]) & 15;
      uint64_t b = best[si + 1] + uint64_t(cost[delta]);
      uint8_t sym = uint8_t(delta), run = 1;
      for (int r = 0; r < 3; ++r) {
        const int code = bitlen_repeat_previous + r;
        const int bits = bitlen_run_bits[r];
        const int available = code == bitlen_repeat_previous ? same_run[si] : zero_run[si];
        const int longest = std::min(bitlen_run_min[r] + (1 << bits) - 1, available);
        for (int n = bitlen_run_min[r]; n <= longest; ++n) {
          const uint64_t c = best[si + size_t(n)] + uint64_t(cost[code] + bits);
          if (c < b) {
            b = c, sym = uint8_t(code), run = uint8_t(n);
          }
        }
      }
      best[si] = b;
      choice_sym[si] = sym;
      choice_run[si] = run;
    }
    p.symbols.clear();
    p.extras.clear();
    uint32_t freq[bitlen_symbols] = {};
    for (int i = 0; i < count;) {
      const uint8_t sym = choice_sym[size_t(i)];
      const int run = choice_run[size_t(i)];
      ++freq[sym];
      p.symbols.push_back(sym);
      p.extras.push_back(uint8_t(
          sym >= bitlen_repeat_previous ? run - bitlen_run_min[sym - bitlen_repeat_previous] : 0));
      i += run;
    }
    cHuffmanBuilder::build_lengths(freq, bitlen_symbols, max_code_length, p.code_lengths);
    uint64_t bits = 4 * bitlen_symbols;
    for (size_t k = 0; k < p.symbols.size(); ++k) {
      const uint8_t sym = p.symbols[k];
      bits += p.code_lengths[sym];
      if (sym >= bitlen_repeat_previous)
        bits += bitlen_run_bits[sym - bitlen_repeat_previous];
    }
    p.bits = bits;
    for (int s = 0; s < bitlen_symbols; ++s)
      cost[s] = p.code_lengths[s] ? p.code_lengths[s] : 7;
  }
}

cTableWriter::sPlan cTableWriter::plan(bool audio, const uint8_t *lengths, int count) const {
  static const uint8_t zeros[old_table_size] = {};
  sPlan cleared;
  plan_against(zeros, lengths, count, cleared);
  cleared.keep = false;
  if (count <= m_known) {
    sPlan kept;
    plan_against(m_old, lengths, count, kept);
    kept.keep = true;
    if (kept.bits <= cleared.bits)
      cleared = std::move(kept);
  }
  cleared.bits += audio ? 4 : 2;
  return cleared;
}

uint64_t cTableWriter::cost(bool audio, int, const uint8_t *lengths, int count) const {
  return plan(audio, lengths, count).bits;
}

void cTableWriter::write(cBitWriter &out, bool audio, int channels, const uint8_t *lengths,
                         int count) {
  const sPlan p = plan(audio, lengths, count);
  out.put(audio ? 1 : 0, 1);
  out.put(p.keep ? 1 : 0, 1);
  if (audio)
    out.put(uint32_t(channels - 1), 2);
  for (int s = 0; s < bitlen_symbols; ++s)
    out.put(p.code_lengths[s], 4);
  uint16_t codes[bitlen_symbols];
  cHuffmanBuilder::build_codes(p.code_lengths, bitlen_symbols, codes);
  for (size_t k = 0; k < p.symbols.size(); ++k) {
    const uint8_t sym = p.symbols[k];
    out.put(codes[sym], p.code_lengths[sym]);
    if (sym >= bitlen_repeat_previous)
      out.put(p.extras[k], bitlen_run_bits[sym - bitlen_repeat_previous]);
  }
  std::memcpy(m_old, lengths, size_t(count));
  m_known = count;
  m_last_cleared = !p.keep;
}
