// Hash chains for the LZ parser. A chain link that was overwritten by a position a
// full window later is recognised (it no longer points backwards) and ends the walk.
#include "cMatchFinder.h"

#include "rar20_format.h"

#include <algorithm>

cMatchFinder::cMatchFinder(int max_chain, int nice_length)
    : m_max_chain(max_chain), m_nice_length(nice_length) {}

void cMatchFinder::reset(const uint8_t *data, size_t size) {
  m_data = data;
  m_size = size;
  m_next = 0;
  m_head.assign(size_t(1) << hash_bits, none);
  m_prev.assign(rar20::window_size, none);
  m_pair.assign(65536, none);
}

void cMatchFinder::insert_until(size_t pos) {
  pos = std::min(pos, m_size);
  for (size_t p = m_next; p < pos; ++p) {
    if (p + 3 <= m_size) {
      const uint32_t h = hash3(p);
      m_prev[p & (rar20::window_size - 1)] = m_head[h];
      m_head[h] = uint32_t(p);
    }
    if (p + 2 <= m_size)
      m_pair[pair(p)] = uint32_t(p);
  }
  m_next = std::max(m_next, pos);
}

int cMatchFinder::find(size_t pos, int max_length, sMatch *out) const {
  max_length = int(std::min<size_t>(size_t(max_length), m_size - pos));
  if (max_length < 3)
    return 0;
  const uint8_t *cur = m_data + pos;
  int best = 2;
  int count = 0;
  uint32_t cand = m_head[hash3(pos)];
  for (int chain = m_max_chain; chain > 0 && cand != none && cand < pos; --chain) {
    const uint32_t dist = uint32_t(pos - cand);
    if (dist > rar20::max_distance)
      break;
    const uint8_t *prev = m_data + cand;
    if (prev[best] == cur[best] && prev[0] == cur[0] && prev[1] == cur[1]) {
      int len = 2;
      while (len < max_length && prev[len] == cur[len])
        ++len;
      if (len > best && len >= rar20::long_min_length(dist)) {
        best = len;
        if (count == max_matches)
          --count;
        out[count++] = {len, dist};
        if (len >= m_nice_length || len == max_length)
          break;
      }
    }
    const uint32_t next = m_prev[cand & (rar20::window_size - 1)];
    if (next == none || next >= cand)
      break;
    cand = next;
  }
  return count;
}

uint32_t cMatchFinder::near_pair(size_t pos) const {
  if (pos + 2 > m_size)
    return 0;
  const uint32_t p = m_pair[pair(pos)];
  if (p == none || p >= pos || pos - p > 256)
    return 0;
  return uint32_t(pos - p);
}
