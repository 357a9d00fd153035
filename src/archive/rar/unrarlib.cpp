// RAR archive reader: the library's calls over one cRarReader each, and what lives as
// long as the process: the debug log and the status of the last call. Every failure ends
// the call with 0 and a reason; a failed call leaves no open stream and no allocated
// buffer behind.
#include "archive/rar/unrarlib.h"

#include "archive/rar/cRarReader.h"
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

// What outlives a call: the log and the last call's outcome.
struct library_state {
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

// Runs one call on a reader of its own, after the log has had its chance to start.
template <typename Call> auto run(Call call) {
  start_log();
  cRarReader reader(log_line);
  auto result = call(reader);
  lib.status = reader.status();
  return result;
}

} // namespace

int rar_get_file(uint8_t **data_out, uint32_t *size_out, const char *member_name,
                 const char *archive_path, const char *password) {
  return run([&](cRarReader &reader) {
    return reader.get_file(data_out, size_out, member_name, archive_path, nullptr, 0, password);
  });
}

int rar_get_file_from_memory(uint8_t **data_out, uint32_t *size_out, const char *member_name,
                             const uint8_t *archive, size_t archive_size, const char *password) {
  // An empty block still counts as memory, never as a file name.
  static const uint8_t empty = 0;
  return run([&](cRarReader &reader) {
    return reader.get_file(data_out, size_out, member_name, nullptr, archive ? archive : &empty,
                           archive ? archive_size : 0, password);
  });
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
  return run([&](cRarReader &reader) {
    return reader.list(nullptr, archive ? archive : &empty, archive ? size : 0, info);
  });
}

rar_status rar_list_file(const char *path, rar_archive_info &info) {
  return run([&](cRarReader &reader) { return reader.list(path, nullptr, 0, info); });
}

rar_status rar_extract(const uint8_t *archive, size_t size, const char *member_name,
                       const char *password, std::vector<uint8_t> &out) {
  static const uint8_t empty = 0;
  return run([&](cRarReader &reader) {
    return reader.extract(nullptr, archive ? archive : &empty, archive ? size : 0, member_name,
                          password, out);
  });
}

rar_status rar_extract_file(const char *path, const char *member_name, const char *password,
                            std::vector<uint8_t> &out) {
  return run([&](cRarReader &reader) {
    return reader.extract(path, nullptr, 0, member_name, password, out);
  });
}

rar_status rar_extract_all(const uint8_t *archive, size_t size, const char *password,
                           const rar_member_sink &sink) {
  static const uint8_t empty = 0;
  return run([&](cRarReader &reader) {
    return reader.extract_all(nullptr, archive ? archive : &empty, archive ? size : 0, password,
                              sink);
  });
}

rar_status rar_extract_all_file(const char *path, const char *password,
                                const rar_member_sink &sink) {
  return run(
      [&](cRarReader &reader) { return reader.extract_all(path, nullptr, 0, password, sink); });
}

bool rar_names_match(const char *requested, const char *stored) {
  if (!requested || !stored)
    return false;
  size_t n = std::strlen(requested);
  if (n > cRarReader::max_name || std::strlen(stored) != n)
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
