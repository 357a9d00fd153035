// RAR packing through cRarArchiveWriter (see rar_packing.h).
#include "rar_packing.h"

#include "cRarArchiveWriter.h"

namespace {

// 2001-01-01 00:00 as an MS-DOS date and time: years since 1980, month, day.
constexpr uint32_t kMemberTime = (21u << 25) | (1u << 21) | (1u << 16);

} // namespace

std::vector<uint8_t> pack_rar(const std::vector<sRarMember> &members) {
  cRarArchiveWriter writer(false, sEncoderOptions());
  for (const sRarMember &m : members) {
    sArchiveMember entry;
    entry.name = m.name;
    entry.data = m.bytes.data();
    entry.size = m.bytes.size();
    entry.dos_time = kMemberTime;
    writer.add(entry);
  }
  return writer.finish();
}
