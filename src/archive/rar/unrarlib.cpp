// RAR archive reader: walks the blocks of an archive held in a file or in memory, finds
// members by name, copies stored ones and hands packed ones to the RAR 2.0 decompressor,
// then checks the CRC-32. Every failure ends the call with 0 and a reason; a failed call
// leaves no open stream and no allocated buffer behind.
#include "archive/rar/unrarlib.h"

#include "archive/rar/cRarCipher20.h"
#include "archive/rar/cRarUnpacker.h"
#include "archive/rar/rar_crc.h"
#include "platform/win32_compat.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr size_t name_capacity = 260; // 259 characters and the terminator
constexpr size_t max_name = name_capacity - 1;
constexpr size_t file_header_size = 32;
constexpr size_t main_header_size = 13;
constexpr size_t marker_size = 7;

constexpr uint8_t file_block = 0x74;
constexpr uint8_t sub_block = 0x77;
constexpr uint16_t long_block = 0x8000;
constexpr uint16_t file_encrypted = 0x04;
constexpr uint16_t file_solid = 0x10;
constexpr uint16_t archive_solid = 0x08;
constexpr uint8_t method_stored = 0x30;

// A packed bit never yields more than one 260-byte match, so an unpacked size beyond this
// bound cannot be backed by the data and is refused before anything is allocated.
constexpr uint64_t max_bytes_per_packed_byte = 8 * 260;
constexpr uint64_t unpacked_size_slack = 8192;

// The archive bytes: either a file stream or a block of memory.
struct archive_source {
  FILE *file = nullptr;
  const uint8_t *memory = nullptr;
  uint64_t size = 0;
  uint64_t pos = 0;

  size_t read(void *buffer, size_t count) {
    if (file) {
      size_t got = std::fread(buffer, 1, count, file);
      pos += got;
      return got;
    }
    if (!memory || pos >= size)
      return 0;
    if (count > size - pos)
      count = size_t(size - pos);
    std::memcpy(buffer, memory + pos, count);
    pos += count;
    return count;
  }

  bool seek(uint64_t target) {
    if (file) {
      if (target > uint64_t(INT64_MAX) || fseeko(file, off_t(target), SEEK_SET) != 0)
        return false;
    }
    pos = target;
    return true;
  }

  void close() {
    if (file)
      std::fclose(file);
    file = nullptr;
    memory = nullptr;
    size = 0;
    pos = 0;
  }
};

struct main_header {
  uint16_t head_crc = 0;
  uint8_t head_type = 0;
  uint16_t flags = 0;
  uint16_t head_size = 0;
};

struct file_header {
  uint16_t head_crc = 0;
  uint8_t head_type = 0;
  uint16_t flags = 0;
  uint16_t head_size = 0;
  uint32_t pack_size = 0;
  uint32_t unp_size = 0;
  uint8_t host_os = 0;
  uint32_t file_crc = 0;
  uint32_t file_time = 0;
  uint8_t unp_ver = 0;
  uint8_t method = 0;
  uint16_t name_size = 0;
  uint32_t file_attr = 0;
};

enum class block_kind { end, file, sub };

enum class walk_mode {
  one_member,  // the engine's lookup: stop at the first match, fail on sub-blocks
  all_members, // every file member in order, sub-blocks stepped over
};

// The library's process-wide state. Everything but the log is set up and torn down by
// each call.
struct library_state {
  archive_source source;
  char archive_path[name_capacity];
  char member_name[name_capacity];
  char password[cRarCipher20::max_password + 1];
  bool has_password = false;

  main_header main;
  file_header file;
  file_header previous_file;
  uint64_t block_start = 0;
  uint64_t next_block = 0;
  std::string full_name;
  bool header_crc_ok = true;

  uint8_t *out_block = nullptr;
  uint32_t written = 0;
  uint8_t *window = nullptr;

  uint32_t pack_remaining = 0;
  bool encrypt = false;
  cRarCipher20 cipher;
  cRarUnpacker unpacker;

  bool log_tried = false;
  bool log_on = false;
  bool log_enabled = true;
  std::string log_path;
  dev_t log_device = 0; // the file the log created, so that only it is ever appended to
  ino_t log_inode = 0;
  uint32_t log_start = 0;

  rar_status status = rar_status::ok;
};

library_state lib;

uint16_t get16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t get32(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void copy_name(char *to, const char *from) {
  size_t n = 0;
  if (from)
    while (n < max_name && from[n])
      ++n;
  if (n)
    std::memcpy(to, from, n);
  to[n] = 0;
}

// ---------------------------------------------------------------------------- debug log

// The temporary directory is shared: the log is created afresh under a name of this
// process's own, and whatever already stands there (a file, a planted link) means no log.
void start_log() {
  if (lib.log_tried || !lib.log_enabled)
    return;
  lib.log_tried = true;
  std::error_code error;
  std::filesystem::path dir = std::filesystem::temp_directory_path(error);
  if (error)
    return;
  std::string path = (dir / ("debug_unrar." + std::to_string(getpid()) + ".txt")).string();
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0)
    return;
  struct stat st;
  FILE *log = fstat(fd, &st) == 0 ? fdopen(fd, "w") : nullptr;
  if (!log) {
    close(fd);
    return;
  }
  lib.log_device = st.st_dev;
  lib.log_inode = st.st_ino;
  std::fputs("Debug log of Darvix's RARFileLib\n~^~~~~~~~~~~~~~~~~~~~~~~~~~~~~~^~\n", log);
  std::fprintf(log, "(executable compiled on %s at %s)\n\n", __DATE__, __TIME__);
  std::fclose(log);
  lib.log_on = true;
  lib.log_path = path;
  lib.log_start = GetTickCount();
}

// The log file as created, never a link or another file put in its place since.
FILE *open_log_for_append() {
  const int fd = open(lib.log_path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return nullptr;
  struct stat st;
  FILE *log = fstat(fd, &st) == 0 && st.st_dev == lib.log_device && st.st_ino == lib.log_inode
                  ? fdopen(fd, "a")
                  : nullptr;
  if (!log)
    close(fd);
  return log;
}

__attribute__((format(printf, 2, 3))) void log_line(unsigned line, const char *format, ...) {
  if (!lib.log_on || !lib.log_enabled)
    return;
  char message[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof(message), format, args);
  va_end(args);
  FILE *log = open_log_for_append();
  if (!log)
    return;
  std::fprintf(log, " %8u ms (line %u in %s):\n              - %s\n",
               unsigned(GetTickCount() - lib.log_start), line, "unrarlib", message);
  std::fclose(log);
}

#define RAR_LOG(...) log_line(__LINE__, __VA_ARGS__)

bool fail(rar_status status) {
  lib.status = status;
  return false;
}

// ------------------------------------------------------------------------- header walk

// Reads the marker and the main header; false when this is no archive we can read.
bool read_marker() {
  uint8_t marker[marker_size];
  if (lib.source.read(marker, marker_size) < marker_size)
    return false;
  static const uint8_t rar_marker[marker_size] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
  if (std::memcmp(marker, rar_marker, marker_size) == 0 ||
      std::memcmp(marker, "Darvix!", marker_size) == 0) {
    uint8_t header[main_header_size];
    if (lib.source.read(header, main_header_size) < main_header_size)
      return false;
    // The main header's CRC is not checked, as the old format writers differ there.
    lib.main.head_crc = get16(header);
    lib.main.head_type = header[2];
    lib.main.flags = get16(header + 3);
    lib.main.head_size = get16(header + 5);
    return true;
  }
  if (std::memcmp(marker, "RE~^", 4) == 0) {
    RAR_LOG("Attention: format as OLD detected! Can't handel archive!");
    lib.status = rar_status::old_format;
    return false;
  }
  RAR_LOG("unknown archive type (only plain RAR supported (normal and solid archives), SFX "
          "and Volumes are NOT supported!)");
  return false;
}

// Reads the next file header or sub-block header. Blocks of other types are stepped
// over, and so are sub-blocks when skip_sub_blocks is set.
block_kind read_next_block(bool skip_sub_blocks) {
  for (;;) {
    uint64_t start = lib.next_block;
    if (!lib.source.seek(start))
      return block_kind::end;
    uint8_t raw[file_header_size] = {};
    size_t got = lib.source.read(raw, file_header_size);
    if (got == 0)
      return block_kind::end;

    file_header header;
    header.head_crc = get16(raw);
    header.head_type = raw[2];
    header.flags = get16(raw + 3);
    header.head_size = get16(raw + 5);
    header.pack_size = get32(raw + 7);
    header.unp_size = get32(raw + 11);
    header.host_os = raw[15];
    header.file_crc = get32(raw + 16);
    header.file_time = get32(raw + 20);
    header.unp_ver = raw[24];
    header.method = raw[25];
    header.name_size = get16(raw + 26);
    header.file_attr = get32(raw + 28);

    if (header.head_size < 7 || got < 7)
      return block_kind::end;
    uint64_t next = start + header.head_size;
    if (header.flags & long_block)
      next += header.pack_size;
    if (next <= start)
      return block_kind::end;

    if (header.head_type != file_block && header.head_type != sub_block) {
      lib.next_block = next;
      continue;
    }
    if (header.head_type == sub_block) {
      if (skip_sub_blocks) {
        lib.next_block = next;
        continue;
      }
      // The caller gives up here; the last file header stays the current one.
      lib.file = lib.previous_file;
      lib.source.seek(start);
      return block_kind::sub;
    }
    // A file header cut short by the end of the archive ends the walk.
    if (got < file_header_size)
      return block_kind::end;

    uint32_t crc = rar_crc::update(0xFFFFFFFFu, raw + 2, file_header_size - 2);
    lib.full_name.clear();
    uint8_t chunk[256];
    size_t left = header.name_size;
    while (left > 0) {
      size_t n = left < sizeof(chunk) ? left : sizeof(chunk);
      size_t read = lib.source.read(chunk, n);
      lib.full_name.append(reinterpret_cast<const char *>(chunk), read);
      crc = rar_crc::update(crc, chunk, read);
      if (read < n)
        return block_kind::end;
      left -= n;
    }
    lib.header_crc_ok = uint16_t(~crc) == header.head_crc;
    if (!lib.header_crc_ok)
      RAR_LOG("file header broken");

    lib.previous_file = lib.file;
    lib.file = header;
    lib.block_start = start;
    lib.next_block = next;
    return block_kind::file;
  }
}

rar_member_info current_member() {
  rar_member_info info;
  info.name = lib.full_name;
  info.flags = lib.file.flags;
  info.pack_size = lib.file.pack_size;
  info.unp_size = lib.file.unp_size;
  info.file_crc = lib.file.file_crc;
  info.file_time = lib.file.file_time;
  info.file_attr = lib.file.file_attr;
  info.host_os = lib.file.host_os;
  info.unp_ver = lib.file.unp_ver;
  info.method = lib.file.method;
  info.header_crc_ok = lib.header_crc_ok;
  return info;
}

bool current_name_matches() {
  // A name with an embedded terminator or over the limit is not the one asked for.
  return lib.full_name.size() <= max_name &&
         std::strlen(lib.full_name.c_str()) == lib.full_name.size() &&
         rar_names_match(lib.member_name, lib.full_name.c_str());
}

// ------------------------------------------------------------------------ member data

size_t read_packed(void *, uint8_t *buffer, size_t count) {
  if (count > lib.pack_remaining)
    count = lib.pack_remaining;
  size_t got = lib.source.read(buffer, count);
  lib.pack_remaining -= uint32_t(got);
  if (lib.encrypt)
    lib.cipher.decrypt(buffer, got);
  return got;
}

bool copy_stored() {
  uint32_t want = lib.file.unp_size;
  if (want > lib.file.pack_size)
    want = lib.file.pack_size;
  // Whole cipher blocks go through a bounce buffer; the output block has no padding.
  uint8_t chunk[0x2000];
  while (lib.written < want) {
    uint32_t left = want - lib.written;
    size_t ask = left >= sizeof(chunk) ? sizeof(chunk) : (size_t(left) + 15) & ~size_t(15);
    size_t got = read_packed(nullptr, chunk, ask);
    if (got == 0)
      break;
    size_t use = got < left ? got : left;
    std::memcpy(lib.out_block + lib.written, chunk, use);
    lib.written += uint32_t(use);
  }
  if (lib.written < lib.file.unp_size) {
    RAR_LOG("Read error of stored file!");
    return fail(rar_status::read_error);
  }
  return true;
}

bool sizes_plausible() {
  uint64_t data_start = lib.block_start + lib.file.head_size;
  uint64_t available = lib.source.size > data_start ? lib.source.size - data_start : 0;
  if (available > lib.file.pack_size)
    available = lib.file.pack_size;
  if (lib.file.method == method_stored)
    return lib.file.unp_size <= available;
  return lib.file.unp_size <= available * max_bytes_per_packed_byte + unpacked_size_slack;
}

// Unpacks or copies the current member; into lib.out_block when it is the wanted one.
bool process_member(bool wanted) {
  if (lib.file.unp_ver < 13 || lib.file.unp_ver > 20) {
    RAR_LOG("unknown compression method");
    return fail(rar_status::unknown_method);
  }
  // Directories and empty files carry no data, whatever method they name.
  bool stored =
      lib.file.method == method_stored || (lib.file.unp_size == 0 && lib.file.pack_size == 0);
  // Versions below 2.0 are packed with the 1.5 method, which this reader does not have.
  if (!stored && lib.file.unp_ver < 20) {
    RAR_LOG("unknown compression method");
    return fail(rar_status::unknown_method);
  }
  lib.pack_remaining = lib.file.pack_size;
  lib.encrypt = lib.has_password && (lib.file.flags & file_encrypted);
  if (lib.encrypt) {
    if (lib.file.unp_ver < 20) {
      RAR_LOG("Old Crypt() not supported!");
      lib.encrypt = false;
    } else {
      lib.cipher.set_password(lib.password);
    }
  }
  if (!lib.source.seek(lib.block_start + lib.file.head_size)) {
    RAR_LOG("Read error of stored file!");
    return fail(rar_status::read_error);
  }

  if (stored) {
    if (!wanted)
      return true;
    if (!copy_stored())
      return false;
  } else {
    bool continues = (lib.file.flags & file_solid) != 0;
    uint32_t written = 0;
    cRarUnpacker::result result =
        lib.unpacker.unpack(read_packed, nullptr, lib.file.unp_size, continues,
                            wanted ? lib.out_block : nullptr, written);
    if (!wanted)
      return true;
    lib.written = written;
    if (result == cRarUnpacker::result::overrun) {
      RAR_LOG("Fatal! Buffer overrun during decompression!");
      return fail(rar_status::overrun);
    }
    if (result == cRarUnpacker::result::out_of_data) {
      RAR_LOG("Packed data ended after %u of %u Bytes!", unsigned(written),
              unsigned(lib.file.unp_size));
      return fail(rar_status::truncated);
    }
  }
  if (lib.written != lib.file.unp_size ||
      ~rar_crc::update(0xFFFFFFFFu, lib.out_block, lib.file.unp_size) != lib.file.file_crc) {
    RAR_LOG("CRC32 error - file couldn't be decompressed correctly!");
    return fail(rar_status::crc_mismatch);
  }
  return true;
}

bool allocate_output() {
  if (!sizes_plausible()) {
    RAR_LOG("file sizes don't fit the archive (%u Bytes packed to %u Bytes)",
            unsigned(lib.file.pack_size), unsigned(lib.file.unp_size));
    return fail(rar_status::bad_sizes);
  }
  // One spare byte so that an empty member still gets a block of its own.
  lib.out_block = static_cast<uint8_t *>(std::malloc(size_t(lib.file.unp_size) + 1));
  lib.written = 0;
  if (!lib.out_block) {
    RAR_LOG("can't allocate memory for the file decompression");
    return fail(rar_status::no_memory);
  }
  return true;
}

void release_output() {
  std::free(lib.out_block);
  lib.out_block = nullptr;
  lib.written = 0;
}

// Opens the archive and reads its marker; the window is allocated on success when the
// walk is going to unpack.
bool open_archive(const char *path, const uint8_t *memory, size_t memory_size,
                  bool unpacking = true) {
  if (memory) {
    lib.source.memory = memory;
    lib.source.size = memory_size;
  } else {
    lib.source.file = path ? std::fopen(path, "rb") : nullptr;
    if (!lib.source.file) {
      RAR_LOG("Error opening file.");
      return fail(rar_status::cannot_open);
    }
    if (fseeko(lib.source.file, 0, SEEK_END) == 0) {
      off_t end = ftello(lib.source.file);
      lib.source.size = end > 0 ? uint64_t(end) : 0;
    }
    fseeko(lib.source.file, 0, SEEK_SET);
  }
  lib.source.pos = 0;
  if (!read_marker()) {
    RAR_LOG("Not a RAR file");
    lib.source.close();
    if (lib.status != rar_status::old_format)
      lib.status = rar_status::not_an_archive;
    return false;
  }
  uint64_t header_end = marker_size + main_header_size;
  if (lib.main.head_size > main_header_size)
    header_end = marker_size + uint64_t(lib.main.head_size);
  lib.next_block = header_end;
  if (!unpacking)
    return true;
  // Zeroed by the allocator: large blocks come as fresh pages, and the decompressor only
  // has to clear what it wrote.
  lib.window = static_cast<uint8_t *>(std::calloc(1, cRarUnpacker::window_size));
  if (!lib.window) {
    RAR_LOG("Can't allocate memory for decompression!");
    return fail(rar_status::no_memory);
  }
  lib.unpacker.set_window(lib.window, true);
  return true;
}

// Walks the archive. one_member: stops with the wanted member in lib.out_block.
// all_members: hands every member to sink.
bool walk(walk_mode mode, const rar_member_sink *sink) {
  bool solid = (lib.main.flags & archive_solid) != 0;
  for (;;) {
    block_kind kind = read_next_block(mode == walk_mode::all_members);
    if (kind == block_kind::end)
      break;
    if (kind == block_kind::sub) {
      RAR_LOG("Sorry, sub-headers not supported.");
      return fail(rar_status::sub_block);
    }
    bool wanted = mode == walk_mode::all_members || current_name_matches();
    if (mode == walk_mode::all_members)
      lib.status = rar_status::ok;
    bool ok = true;
    if (wanted)
      ok = allocate_output();
    if (ok && (solid || wanted))
      ok = process_member(wanted);

    if (mode == walk_mode::one_member) {
      if (!ok)
        return false;
      if (wanted)
        return true;
      continue;
    }
    if (!ok && lib.status == rar_status::no_memory)
      return false;
    std::vector<uint8_t> bytes;
    if (lib.out_block && (ok || lib.status == rar_status::crc_mismatch ||
                          lib.status == rar_status::truncated || lib.status == rar_status::overrun))
      bytes.assign(lib.out_block, lib.out_block + lib.written);
    (*sink)(current_member(), ok ? rar_status::ok : lib.status, bytes);
    release_output();
  }
  if (mode == walk_mode::one_member)
    return fail(rar_status::member_not_found);
  lib.status = rar_status::ok;
  return true;
}

// Everything a call sets up is torn down here, whatever the outcome.
void tear_down() {
  std::memset(lib.password, 0, sizeof(lib.password));
  lib.has_password = false;
  lib.cipher.set_password("");
  lib.source.close();
  lib.unpacker.set_window(nullptr);
  std::free(lib.window);
  lib.window = nullptr;
  lib.encrypt = false;
  lib.pack_remaining = 0;
}

void set_up(const char *member_name, const char *archive_path, const char *password) {
  start_log();
  lib.status = rar_status::ok;
  lib.main = main_header();
  lib.file = file_header();
  lib.previous_file = file_header();
  lib.full_name.clear();
  lib.block_start = 0;
  lib.next_block = 0;
  copy_name(lib.member_name, member_name);
  copy_name(lib.archive_path, archive_path);
  lib.has_password = password != nullptr;
  std::memset(lib.password, 0, sizeof(lib.password));
  if (password)
    std::strncpy(lib.password, password, sizeof(lib.password) - 1);
  lib.out_block = nullptr;
  lib.written = 0;
}

// The engine's lookup; the reason is left in lib.status.
bool get_one(const char *member_name, const char *archive_path, const uint8_t *memory,
             size_t memory_size, const char *password, std::vector<uint8_t> *partial) {
  const char *shown_path = memory ? "(memory)" : archive_path;
  set_up(member_name, shown_path, password);
  // The log may be read by others: a password shows only that there was one.
  RAR_LOG("Extracting >%s< from >%s< (password is >%s<)...", lib.member_name, lib.archive_path,
          password ? "********" : "(null)");
  bool ok = false;
  if (!member_name || std::strlen(member_name) > max_name) {
    RAR_LOG("member name too long");
    lib.status = rar_status::bad_sizes;
  } else if (open_archive(archive_path, memory, memory_size)) {
    ok = walk(walk_mode::one_member, nullptr);
  }
  if (!ok && partial && lib.out_block)
    partial->assign(lib.out_block, lib.out_block + lib.written);
  tear_down();
  return ok;
}

int get_file(uint8_t **data_out, uint32_t *size_out, const char *member_name,
             const char *archive_path, const uint8_t *memory, size_t memory_size,
             const char *password) {
  bool ok = get_one(member_name, archive_path, memory, memory_size, password, nullptr);
  if (!ok) {
    release_output();
    if (data_out)
      *data_out = nullptr;
    if (size_out)
      *size_out = 0;
    RAR_LOG("Error - couldn't extract >%s< and allocated %u Bytes of unused memory!",
            lib.member_name, 0u);
    return 0;
  }
  RAR_LOG("Extracted %u Bytes.", unsigned(lib.written));
  if (data_out)
    *data_out = lib.out_block;
  else
    std::free(lib.out_block);
  if (size_out)
    *size_out = lib.written;
  lib.out_block = nullptr;
  lib.written = 0;
  return 1;
}

rar_status extract_to_vector(const char *path, const uint8_t *memory, size_t size,
                             const char *member_name, const char *password,
                             std::vector<uint8_t> &out) {
  out.clear();
  bool ok = get_one(member_name, path, memory, size, password, &out);
  if (ok)
    out.assign(lib.out_block, lib.out_block + lib.written);
  release_output();
  return ok ? rar_status::ok : lib.status;
}

rar_status extract_all(const char *path, const uint8_t *memory, size_t size, const char *password,
                       const rar_member_sink &sink) {
  set_up("*", memory ? "(memory)" : path, password);
  RAR_LOG("Extracting all members from >%s<...", lib.archive_path);
  bool ok = open_archive(path, memory, size) && walk(walk_mode::all_members, &sink);
  release_output();
  tear_down();
  return ok ? rar_status::ok : lib.status;
}

rar_status list_members(const char *path, const uint8_t *memory, size_t size,
                        rar_archive_info &info) {
  info = rar_archive_info();
  set_up("", memory ? "(memory)" : path, nullptr);
  bool ok = open_archive(path, memory, size, false);
  if (ok) {
    info.main_flags = lib.main.flags;
    while (read_next_block(true) == block_kind::file)
      info.members.push_back(current_member());
  }
  tear_down();
  return ok ? rar_status::ok : lib.status;
}

} // namespace

int rar_get_file(uint8_t **data_out, uint32_t *size_out, const char *member_name,
                 const char *archive_path, const char *password) {
  return get_file(data_out, size_out, member_name, archive_path, nullptr, 0, password);
}

int rar_get_file_from_memory(uint8_t **data_out, uint32_t *size_out, const char *member_name,
                             const uint8_t *archive, size_t archive_size, const char *password) {
  // An empty block still counts as memory, never as a file name.
  static const uint8_t empty = 0;
  return get_file(data_out, size_out, member_name, nullptr, archive ? archive : &empty,
                  archive ? archive_size : 0, password);
}

const char *rar_status_text(rar_status status) {
  switch (status) {
  case rar_status::ok:
    return "ok";
  case rar_status::cannot_open:
    return "cannot open the archive";
  case rar_status::not_an_archive:
    return "not a RAR archive";
  case rar_status::old_format:
    return "archive format older than 1.5";
  case rar_status::no_memory:
    return "out of memory";
  case rar_status::sub_block:
    return "sub-block before the member";
  case rar_status::member_not_found:
    return "member not found";
  case rar_status::unknown_method:
    return "unsupported compression method";
  case rar_status::bad_sizes:
    return "inconsistent sizes";
  case rar_status::read_error:
    return "stored data cut short";
  case rar_status::overrun:
    return "member unpacks past its size";
  case rar_status::truncated:
    return "packed data cut short";
  case rar_status::crc_mismatch:
    return "CRC-32 mismatch";
  }
  return "unknown";
}

rar_status rar_last_status() { return lib.status; }

rar_status rar_list(const uint8_t *archive, size_t size, rar_archive_info &info) {
  static const uint8_t empty = 0;
  return list_members(nullptr, archive ? archive : &empty, archive ? size : 0, info);
}

rar_status rar_list_file(const char *path, rar_archive_info &info) {
  return list_members(path, nullptr, 0, info);
}

rar_status rar_extract(const uint8_t *archive, size_t size, const char *member_name,
                       const char *password, std::vector<uint8_t> &out) {
  static const uint8_t empty = 0;
  return extract_to_vector(nullptr, archive ? archive : &empty, archive ? size : 0, member_name,
                           password, out);
}

rar_status rar_extract_file(const char *path, const char *member_name, const char *password,
                            std::vector<uint8_t> &out) {
  return extract_to_vector(path, nullptr, 0, member_name, password, out);
}

rar_status rar_extract_all(const uint8_t *archive, size_t size, const char *password,
                           const rar_member_sink &sink) {
  static const uint8_t empty = 0;
  return extract_all(nullptr, archive ? archive : &empty, archive ? size : 0, password, sink);
}

rar_status rar_extract_all_file(const char *path, const char *password,
                                const rar_member_sink &sink) {
  return extract_all(path, nullptr, 0, password, sink);
}

bool rar_names_match(const char *requested, const char *stored) {
  if (!requested || !stored)
    return false;
  size_t n = std::strlen(requested);
  if (n > max_name || std::strlen(stored) != n)
    return false;
  for (size_t i = 0; i < n; ++i) {
    auto fold = [](char c) -> char {
      if (c == '\\' || c == '/')
        return '_';
      if (c >= 'a' && c <= 'z')
        return char(c - 'a' + 'A');
      return c;
    };
    if (fold(requested[i]) != fold(stored[i]))
      return false;
  }
  return true;
}

uint32_t rar_crc32(const uint8_t *data, size_t size, uint32_t crc) {
  return ~rar_crc::update(~crc, data, size);
}

std::string rar_debug_log_path() { return lib.log_on ? lib.log_path : std::string(); }

void rar_set_debug_log(bool enabled) { lib.log_enabled = enabled; }
