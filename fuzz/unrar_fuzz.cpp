// Feeds whole archive images to the RAR reader: listing, lookup of the listed members,
// and a one-pass extraction with a password. A success must hand back exactly the
// member's bytes; anything else must fail cleanly.
#include "archive/rar/unrarlib.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // The log would grow by every input and slow each one down.
  rar_set_debug_log(false);

  rar_archive_info info;
  rar_list(data, size, info);
  // The first and the last member: the walk to the last one crosses all others.
  std::vector<const rar_member_info *> wanted;
  if (!info.members.empty())
    wanted.push_back(&info.members.front());
  if (info.members.size() > 1)
    wanted.push_back(&info.members.back());
  for (const rar_member_info *asked : wanted) {
    const rar_member_info &member = *asked;
    uint8_t *out = nullptr;
    uint32_t out_size = 0;
    int ok = rar_get_file_from_memory(&out, &out_size, member.name.c_str(), data, size, nullptr);
    if (!ok) {
      if (out || out_size)
        std::abort();
      continue;
    }
    // The lookup stops at the first member whose name matches after folding.
    const rar_member_info *first = nullptr;
    for (const rar_member_info &m : info.members)
      if (m.name.size() == std::strlen(m.name.c_str()) &&
          rar_names_match(member.name.c_str(), m.name.c_str())) {
        first = &m;
        break;
      }
    if (!first || out_size != first->unp_size || rar_crc32(out, out_size) != first->file_crc)
      std::abort();
    std::free(out);
  }

  rar_extract_all(
      data, size, "password",
      [](const rar_member_info &member, rar_status status, const std::vector<uint8_t> &bytes) {
        if (status == rar_status::ok && (bytes.size() != member.unp_size ||
                                         rar_crc32(bytes.data(), bytes.size()) != member.file_crc))
          std::abort();
      });
  return 0;
}
