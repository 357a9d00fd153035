// CRC-32 as RAR archives use it (reflected, polynomial 0xEDB88320), shared by the
// reader's checks and the cipher's key schedule. The tables are built once, on first
// use; nothing here can fail.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rar_crc {

// The format's 256-entry byte table.
const uint32_t *table();
// Running CRC without the complements: start from 0xFFFFFFFF and complement the end.
uint32_t update(uint32_t crc, const uint8_t *data, size_t size);

} // namespace rar_crc
