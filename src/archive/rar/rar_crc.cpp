// CRC-32 as RAR archives use it (see rar_crc.h). Eight tables let the running CRC take
// eight bytes a step; the first is the format's own table.
#include "archive/rar/rar_crc.h"

namespace rar_crc {

namespace {

struct slicing_tables {
  uint32_t t[8][256];

  slicing_tables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int b = 0; b < 8; ++b)
        c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      t[0][i] = c;
    }
    for (int k = 1; k < 8; ++k)
      for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t c = t[k - 1][i];
        t[k][i] = t[0][c & 0xFF] ^ (c >> 8);
      }
  }
};

// Built on first use, so callers during static initialisation still find it ready.
const slicing_tables &tables() {
  static const slicing_tables instance;
  return instance;
}

uint32_t get32(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

const uint32_t *table() { return tables().t[0]; }

uint32_t update(uint32_t crc, const uint8_t *data, size_t size) {
  const uint32_t(*t)[256] = tables().t;
  for (; size >= 8; size -= 8, data += 8) {
    const uint32_t low = crc ^ get32(data);
    const uint32_t high = get32(data + 4);
    crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
          t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^
          t[0][high >> 24];
  }
  for (; size > 0; --size, ++data)
    crc = t[0][(crc ^ *data) & 0xFF] ^ (crc >> 8);
  return crc;
}

} // namespace rar_crc
