// Turns bytes into RAR 2.0 LZ symbols: lazy matching that weighs every symbol kind
// (literal, repeat of the last match, the four ring distances, short and long matches)
// by its estimated bit price. Keeps the decoder's distance ring and last match exactly
// as the decoder will; it cannot fail.
#pragma once

#include "cMatchFinder.h"
#include "rar20_format.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Distance ring and last match, mirrored from the decoder.
struct sLzState {
  uint32_t ring[4] = {0, 0, 0, 0};
  uint32_t ring_pos = 0;
  uint32_t last_dist = 0;
  uint32_t last_len = 0;

  // Distance of ring symbol 257 + k (k = 0 is the newest entry).
  uint32_t ring_dist(int k) const { return ring[(ring_pos - 1 - uint32_t(k)) & 3]; }
  void push(uint32_t dist, uint32_t len) {
    ring[ring_pos] = dist;
    ring_pos = (ring_pos + 1) & 3;
    last_dist = dist;
    last_len = len;
  }
};

// One main symbol with whatever follows it in the stream.
struct sLzToken {
  uint16_t main;    // 0..297 except 269
  uint8_t aux;      // repeat-length symbol (257..260) or distance symbol (270..297)
  uint8_t len_bits; // extra bits of the length (257..260, 270..297)
  uint8_t dist_bits;
  uint8_t len_extra;
  uint16_t pad = 0;
  uint32_t dist_extra; // extra bits of the distance (261..268, 270..297)
};

// Bit prices used while parsing: code lengths of the recent statistics.
struct sLzPrices {
  uint8_t main[rar20::main_symbols];
  uint8_t dist[rar20::dist_symbols];
  uint8_t rep[rar20::rep_symbols];

  sLzPrices();
  // Takes code lengths; absent symbols get a pessimistic price.
  void set(const uint8_t *main_len, const uint8_t *dist_len, const uint8_t *rep_len);
};

class cLzParser {
public:
  explicit cLzParser(cMatchFinder &finder) : m_finder(finder) {}

  // Parses data[begin, end) of the finder's buffer (earlier bytes are history) and
  // appends the symbols to out. state is advanced as the decoder will advance it.
  void parse(const uint8_t *data, size_t begin, size_t end, sLzState &state,
             const sLzPrices &prices, std::vector<sLzToken> &out);

private:
  enum eKind { none, repeat_last, ring, short_match, long_match };
  struct sCandidate {
    eKind kind = none;
    int len = 0;
    uint32_t dist = 0;
    int slot = 0; // ring slot
    int gain = 0; // literal bits saved
  };

  sCandidate best_at(size_t pos, size_t end, const sLzState &state, const sLzPrices &prices);
  static sLzToken make_token(const sCandidate &c);

  cMatchFinder &m_finder;
  std::vector<uint32_t> m_lit_sum; // prefix sums of literal prices over [begin, end)
  size_t m_begin = 0;
};
