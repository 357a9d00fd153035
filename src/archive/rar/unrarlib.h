// Reads members out of RAR archives (format of versions 1.5 to 2.x): marker and header
// walk, name lookup, stored and RAR 2.0-packed members, CRC-32 check, the 2.0 cipher.
// It prints nothing: a failure is a 0/false result with a reason, described in the debug
// log (debug_unrar.<process id>.txt in the temporary directory, written only when this
// process can create it afresh; passwords are masked). One call at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Extracts member_name from the archive file into a new block from the C allocator
// (the caller frees it). Returns 1 with *data_out / *size_out set, or 0 with both zero.
// password may be null.
int rar_get_file(uint8_t **data_out, uint32_t *size_out, const char *member_name,
                 const char *archive_path, const char *password);
// The same over archive bytes in memory.
int rar_get_file_from_memory(uint8_t **data_out, uint32_t *size_out, const char *member_name,
                             const uint8_t *archive, size_t archive_size, const char *password);

// Why the last call of this library ended as it did.
enum class rar_status {
  ok,
  cannot_open,      // the archive file does not open
  not_an_archive,   // no RAR marker, or the main header is cut short
  old_format,       // a pre-1.5 archive
  no_memory,        // an allocation failed
  sub_block,        // a sub-block stood before the member
  member_not_found, // no member of that name
  unknown_method,   // unpack version outside 13..20, or a packed member below 2.0
  bad_sizes,        // sizes that no data could satisfy (name too long, unpacked size too big)
  read_error,       // a stored member's data is cut short
  overrun,          // the member unpacked to more bytes than its header says
  truncated,        // the packed data ended before the member was complete
  crc_mismatch,     // the unpacked bytes do not match the member's CRC-32
};
const char *rar_status_text(rar_status status);
rar_status rar_last_status();

// One member's header as stored in the archive.
struct rar_member_info {
  std::string name; // as stored (path separators as the packer wrote them)
  uint16_t flags = 0;
  uint32_t pack_size = 0;
  uint32_t unp_size = 0;
  uint32_t file_crc = 0;
  uint32_t file_time = 0; // DOS date and time
  uint32_t file_attr = 0;
  uint8_t host_os = 0;
  uint8_t unp_ver = 0;
  uint8_t method = 0;
  bool header_crc_ok = true;

  bool encrypted() const { return (flags & 0x04) != 0; }
  bool continues_solid() const { return (flags & 0x10) != 0; }
  bool directory() const { return (flags & 0xE0) == 0xE0; }
  bool stored() const { return method == 0x30; }
};

struct rar_archive_info {
  uint16_t main_flags = 0;
  std::vector<rar_member_info> members;

  bool solid() const { return (main_flags & 0x08) != 0; }
};

// Lists the file members (sub-blocks and other blocks are stepped over).
rar_status rar_list(const uint8_t *archive, size_t size, rar_archive_info &info);
rar_status rar_list_file(const char *path, rar_archive_info &info);

// Extracts one member by name (matched as rar_names_match does) into out. On a failure
// after unpacking began (truncated, overrun, crc_mismatch) out keeps the bytes produced,
// for diagnosis; otherwise it is left empty.
rar_status rar_extract(const uint8_t *archive, size_t size, const char *member_name,
                       const char *password, std::vector<uint8_t> &out);
rar_status rar_extract_file(const char *path, const char *member_name, const char *password,
                            std::vector<uint8_t> &out);

// Unpacks every file member in archive order, solid streams in one pass, handing each
// to sink with its own status. Returns ok when the archive itself could be walked.
using rar_member_sink = std::function<void(const rar_member_info &member, rar_status status,
                                           const std::vector<uint8_t> &bytes)>;
rar_status rar_extract_all(const uint8_t *archive, size_t size, const char *password,
                           const rar_member_sink &sink);
rar_status rar_extract_all_file(const char *path, const char *password,
                                const rar_member_sink &sink);

// Member names match when equal after '\\' and '/' become '_' and letters are upper-cased,
// so "models/a.bobj" finds "MODELS\A.BOBJ". Names longer than 259 bytes never match.
bool rar_names_match(const char *requested, const char *stored);

// CRC-32 as the format uses it (reflected, polynomial 0xEDB88320).
uint32_t rar_crc32(const uint8_t *data, size_t size, uint32_t crc = 0);

// Where the debug log goes ("" until the first call, or when it could not be created).
std::string rar_debug_log_path();
// Switches the debug log off or on for later calls (on by default). Fuzzing turns it off.
void rar_set_debug_log(bool enabled);
