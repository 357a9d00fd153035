// One call of the archive reader: walks the blocks of an archive held in a file or in
// memory, finds members by name, copies stored ones and hands packed ones to the RAR 2.0
// decompressor, then checks the CRC-32. Each public call of the library runs on a reader
// of its own, so nothing carries over from one call to the next. A failure ends the call
// with 0 or false, the reason in status() and a line through the log function.
#pragma once

#include "archive/rar/cRarCipher20.h"
#include "archive/rar/cRarSource.h"
#include "archive/rar/cRarUnpacker.h"
#include "archive/rar/unrarlib.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class cRarReader {
public:
  // printf-style debug log: source line, format, arguments.
  typedef void (*log_fn)(unsigned line, const char *format, ...)
      __attribute__((format(printf, 2, 3)));

  // Longest member name the format's readers take, in bytes.
  static constexpr size_t max_name = 259;

  explicit cRarReader(log_fn log) : log_(log) {}
  cRarReader(const cRarReader &) = delete;
  cRarReader &operator=(const cRarReader &) = delete;
  ~cRarReader();

  // The archive is read from memory when memory is set, otherwise from the file at path.
  // The calls below are those of unrarlib.h; a reader serves one of them.
  int get_file(uint8_t **data_out, uint32_t *size_out, const char *member_name, const char *path,
               const uint8_t *memory, size_t memory_size, const char *password);
  rar_status extract(const char *path, const uint8_t *memory, size_t size, const char *member_name,
                     const char *password, std::vector<uint8_t> &out);
  rar_status extract_all(const char *path, const uint8_t *memory, size_t size, const char *password,
                         const rar_member_sink &sink);
  rar_status list(const char *path, const uint8_t *memory, size_t size, rar_archive_info &info);

  // Why the call ended as it did.
  rar_status status() const { return status_; }

private:
  static constexpr size_t name_capacity = max_name + 1;

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

  bool fail(rar_status status);

  // header walk
  bool read_marker();
  block_kind read_next_block(bool skip_sub_blocks);
  rar_member_info current_member() const;
  bool current_name_matches() const;

  // member data
  static size_t read_for_unpacker(void *reader, uint8_t *buffer, size_t count);
  size_t read_packed(uint8_t *buffer, size_t count);
  bool copy_stored();
  bool sizes_plausible() const;
  bool process_member(bool wanted);
  bool allocate_output();
  void release_output();

  // one call
  void set_up(const char *member_name, const char *archive_path, const char *password);
  bool open_archive(const char *path, const uint8_t *memory, size_t memory_size,
                    bool unpacking = true);
  bool walk(walk_mode mode, const rar_member_sink *sink);
  bool get_one(const char *member_name, const char *archive_path, const uint8_t *memory,
               size_t memory_size, const char *password, std::vector<uint8_t> *partial);
  void tear_down();

  log_fn log_;
  rar_status status_ = rar_status::ok;

  cRarSource source_;
  char archive_path_[name_capacity] = {};
  char member_name_[name_capacity] = {};
  char password_[cRarCipher20::max_password + 1] = {};
  bool has_password_ = false;

  main_header main_;
  file_header file_;
  file_header previous_file_;
  uint64_t block_start_ = 0;
  uint64_t next_block_ = 0;
  std::string full_name_;
  bool header_crc_ok_ = true;

  uint8_t *out_block_ = nullptr;
  uint32_t written_ = 0;
  uint8_t *window_ = nullptr;

  uint32_t pack_remaining_ = 0;
  bool encrypt_ = false;
  cRarCipher20 cipher_;
  cRarUnpacker unpacker_;
};
