// Hash-chain match finder over one contiguous buffer (history followed by the data
// being packed) with a 1 MiB reach. Chains are bounded, so a search never costs more
// than max_chain candidate comparisons; positions must be inserted in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class cMatchFinder {
public:
  cMatchFinder(int max_chain, int nice_length);

  void reset(const uint8_t *data, size_t size);
  // Makes every position before pos searchable.
  void insert_until(size_t pos);
  struct sMatch {
    int length;
    uint32_t distance;
  };
  static constexpr int max_matches = 16;
  // Matches at pos that a long-match symbol can code (at least 3 bytes, more for far
  // distances), capped at max_length: each one longer and farther than the one before,
  // the last the longest found. Returns how many were stored in out (max_matches room).
  int find(size_t pos, int max_length, sMatch *out) const;
  // Distance (1..256) to the latest earlier copy of the two bytes at pos, or 0.
  uint32_t near_pair(size_t pos) const;
  // Bytes that match at pos against pos - distance, up to max_length.
  int match_length(size_t pos, uint32_t distance, int max_length) const {
    const uint8_t *a = m_data + pos;
    const uint8_t *b = a - distance;
    int len = 0;
    while (len < max_length && a[len] == b[len])
      ++len;
    return len;
  }

private:
  static constexpr int hash_bits = 17;
  static constexpr uint32_t none = 0xFFFFFFFFu;

  uint32_t hash3(size_t pos) const {
    const uint32_t v =
        (uint32_t(m_data[pos]) << 16) | (uint32_t(m_data[pos + 1]) << 8) | m_data[pos + 2];
    return (v * 2654435761u) >> (32 - hash_bits);
  }
  uint32_t pair(size_t pos) const { return (uint32_t(m_data[pos]) << 8) | m_data[pos + 1]; }

  int m_max_chain;
  int m_nice_length;
  const uint8_t *m_data = nullptr;
  size_t m_size = 0;
  size_t m_next = 0;
  std::vector<uint32_t> m_head;
  std::vector<uint32_t> m_prev;
  std::vector<uint32_t> m_pair;
};
