// Most-significant-bit-first bit sink for the packed stream: the first bit written is
// the top bit of the first byte. Cannot fail short of running out of memory.
#pragma once

#include <cstdint>
#include <vector>

class cBitWriter {
public:
  // Appends the low count bits of value (count 0..32), top bit first.
  void put(uint32_t value, int count) {
    if (count == 0)
      return;
    m_acc = (m_acc << count) | (uint64_t(value) & ((uint64_t(1) << count) - 1));
    m_fill += count;
    while (m_fill >= 8) {
      m_fill -= 8;
      m_bytes.push_back(uint8_t(m_acc >> m_fill));
    }
  }
  // Pads with zero bits up to the next byte boundary.
  void align() {
    if (m_fill > 0)
      put(0, 8 - m_fill);
  }
  uint64_t bit_count() const { return uint64_t(m_bytes.size()) * 8 + uint64_t(m_fill); }
  // The completed bytes (call align() first to include a partial byte).
  std::vector<uint8_t> &bytes() { return m_bytes; }

private:
  std::vector<uint8_t> m_bytes;
  uint64_t m_acc = 0;
  int m_fill = 0;
};
