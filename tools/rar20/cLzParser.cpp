// Lazy price-driven LZ parsing for the RAR 2.0 symbol set. A match is taken only when
// it saves bits over literals, and put off by one byte when the next position saves more.
#include "cLzParser.h"

#include <algorithm>

using namespace rar20;

sLzPrices::sLzPrices() {
  std::fill(main, main + main_symbols, uint8_t(9));
  std::fill(main, main + 256, uint8_t(8));
  std::fill(dist, dist + dist_symbols, uint8_t(6));
  std::fill(rep, rep + rep_symbols, uint8_t(5));
}

void sLzPrices::set(const uint8_t *main_len, const uint8_t *dist_len, const uint8_t *rep_len) {
  auto take = [](uint8_t *to, const uint8_t *from, int n, uint8_t absent) {
    for (int i = 0; i < n; ++i)
      to[i] = from[i] ? from[i] : absent;
  };
  take(main, main_len, main_symbols, 14);
  take(dist, dist_len, dist_symbols, 9);
  take(rep, rep_len, rep_symbols, 8);
}

cLzParser::sCandidate cLzParser::best_at(size_t pos, size_t end, const sLzState &state,
                                         const sLzPrices &prices) {
  sCandidate best;
  const int avail = int(std::min<size_t>(end - pos, 260));
  if (avail < 2)
    return best;
  auto consider = [&](eKind kind, int len, uint32_t dist, int slot, int price) {
    const int gain = int(m_lit_sum[pos + len - m_begin] - m_lit_sum[pos - m_begin]) - price;
    if (gain > best.gain || (gain == best.gain && len > best.len)) {
      best.kind = kind;
      best.len = len;
      best.dist = dist;
      best.slot = slot;
      best.gain = gain;
    }
  };

  if (state.last_len >= 2 && int(state.last_len) <= avail && state.last_dist != 0 &&
      state.last_dist <= pos &&
      m_finder.match_length(pos, state.last_dist, int(state.last_len)) == int(state.last_len))
    consider(repeat_last, int(state.last_len), state.last_dist, 0, prices.main[sym_repeat_last]);

  for (int k = 0; k < 4; ++k) {
    const uint32_t dist = state.ring_dist(k);
    if (dist == 0 || dist > pos || dist > max_distance)
      continue;
    const int len = m_finder.match_length(pos, dist, std::min(avail, ring_max_length(dist)));
    const int min_len = ring_min_length(dist);
    if (len < min_len)
      continue;
    const sClassCode lc = length_class(uint32_t(len - min_len));
    consider(ring, len, dist, k, prices.main[sym_ring + k] + prices.rep[lc.sym] + lc.bits);
  }

  cMatchFinder::sMatch found[cMatchFinder::max_matches];
  const int count = m_finder.find(pos, std::min(avail, 258), found);
  for (int i = 0; i < count; ++i) {
    const int len = found[i].length;
    const uint32_t dist = found[i].distance;
    const sClassCode lc = length_class(uint32_t(len - long_min_length(dist)));
    const sClassCode dc = distance_class(dist - 1);
    consider(long_match, len, dist, 0,
             prices.main[sym_long + lc.sym] + lc.bits + prices.dist[dc.sym] + dc.bits);
  }

  if (best.len < 3) {
    const uint32_t near = m_finder.near_pair(pos);
    if (near) {
      const sClassCode sc = short_class(near - 1);
      consider(short_match, 2, near, 0, prices.main[sym_short + sc.sym] + sc.bits);
    }
  }
  return best;
}

sLzToken cLzParser::make_token(const sCandidate &c) {
  sLzToken t{};
  switch (c.kind) {
  case repeat_last:
    t.main = sym_repeat_last;
    break;
  case ring: {
    const sClassCode lc = length_class(uint32_t(c.len - ring_min_length(c.dist)));
    t.main = uint16_t(sym_ring + c.slot);
    t.aux = uint8_t(lc.sym);
    t.len_bits = uint8_t(lc.bits);
    t.len_extra = uint8_t(lc.extra);
    break;
  }
  case short_match: {
    const sClassCode sc = short_class(c.dist - 1);
    t.main = uint16_t(sym_short + sc.sym);
    t.dist_bits = uint8_t(sc.bits);
    t.dist_extra = sc.extra;
    break;
  }
  case long_match: {
    const sClassCode lc = length_class(uint32_t(c.len - long_min_length(c.dist)));
    const sClassCode dc = distance_class(c.dist - 1);
    t.main = uint16_t(sym_long + lc.sym);
    t.len_bits = uint8_t(lc.bits);
    t.len_extra = uint8_t(lc.extra);
    t.aux = uint8_t(dc.sym);
    t.dist_bits = uint8_t(dc.bits);
    t.dist_extra = dc.extra;
    break;
  }
  case none:
    break;
  }
  return t;
}

void cLzParser::parse(const uint8_t *data, size_t begin, size_t end, sLzState &state,
                      const sLzPrices &prices, std::vector<sLzToken> &out) {
  m_begin = begin;
  m_lit_sum.resize(end - begin + 1);
  m_lit_sum[0] = 0;
  for (size_t i = begin; i < end; ++i)
    m_lit_sum[i - begin + 1] = m_lit_sum[i - begin] + prices.main[data[i]];

  auto literal = [&](size_t pos) {
    sLzToken t{};
    t.main = data[pos];
    out.push_back(t);
  };

  size_t pos = begin;
  m_finder.insert_until(pos);
  sCandidate cur = best_at(pos, end, state, prices);
  while (pos < end) {
    if (cur.kind == none || cur.gain <= 0) {
      literal(pos);
      ++pos;
      m_finder.insert_until(pos);
      cur = best_at(pos, end, state, prices);
      continue;
    }
    if (pos + 1 < end && cur.len < 64) {
      m_finder.insert_until(pos + 1);
      const sCandidate next = best_at(pos + 1, end, state, prices);
      if (next.gain > cur.gain) {
        literal(pos);
        ++pos;
        cur = next;
        continue;
      }
    }
    out.push_back(make_token(cur));
    state.push(cur.dist, uint32_t(cur.len));
    pos += size_t(cur.len);
    m_finder.insert_until(pos);
    cur = best_at(pos, end, state, prices);
  }
  m_finder.insert_until(end);
}
