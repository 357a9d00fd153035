// The archive reader's walk and member extraction; see cRarReader.h.
#include "archive/rar/cRarReader.h"

#include "archive/rar/rar_crc.h"

#include <cstdlib>
#include <cstring>

namespace {

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

uint16_t get16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t get32(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void copy_name(char *to, const char *from) {
  size_t n = 0;
  if (from)
    while (n < cRarReader::max_name && from[n])
      ++n;
  if (n)
    std::memcpy(to, from, n);
  to[n] = 0;
}

} // namespace

#define RAR_LOG(...) log_(__LINE__, __VA_ARGS__)

cRarReader::~cRarReader() {
  release_output();
  tear_down();
}

bool cRarReader::fail(rar_status status) {
  status_ = status;
  return false;
}

// ------------------------------------------------------------------------- header walk

// Reads the marker and the main header; false when this is no archive we can read.
bool cRarReader::read_marker() {
  uint8_t marker[marker_size];
  if (source_.read(marker, marker_size) < marker_size)
    return false;
  static const uint8_t rar_marker[marker_size] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
  if (std::memcmp(marker, rar_marker, marker_size) == 0 ||
      std::memcmp(marker, "Darvix!", marker_size) == 0) {
    uint8_t header[main_header_size];
    if (source_.read(header, main_header_size) < main_header_size)
      return false;
    // The main header's CRC is not checked, as the old format writers differ there.
    main_.head_crc = get16(header);
    main_.head_type = header[2];
    main_.flags = get16(header + 3);
    main_.head_size = get16(header + 5);
    return true;
  }
  if (std::memcmp(marker, "RE~^", 4) == 0) {
    RAR_LOG("Attention: format as OLD detected! Can't handel archive!");
    status_ = rar_status::old_format;
    return false;
  }
  RAR_LOG("unknown archive type (only plain RAR supported (normal and solid archives), SFX "
          "and Volumes are NOT supported!)");
  return false;
}

// Reads the next file header or sub-block header. Blocks of other types are stepped
// over, and so are sub-blocks when skip_sub_blocks is set.
cRarReader::block_kind cRarReader::read_next_block(bool skip_sub_blocks) {
  for (;;) {
    uint64_t start = next_block_;
    if (!source_.seek(start))
      return block_kind::end;
    uint8_t raw[file_header_size] = {};
    size_t got = source_.read(raw, file_header_size);
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
      next_block_ = next;
      continue;
    }
    if (header.head_type == sub_block) {
      if (skip_sub_blocks) {
        next_block_ = next;
        continue;
      }
      // The caller gives up here; the last file header stays the current one.
      file_ = previous_file_;
      source_.seek(start);
      return block_kind::sub;
    }
    // A file header cut short by the end of the archive ends the walk.
    if (got < file_header_size)
      return block_kind::end;

    uint32_t crc = rar_crc::update(0xFFFFFFFFu, raw + 2, file_header_size - 2);
    full_name_.clear();
    uint8_t chunk[256];
    size_t left = header.name_size;
    while (left > 0) {
      size_t n = left < sizeof(chunk) ? left : sizeof(chunk);
      size_t read = source_.read(chunk, n);
      full_name_.append(reinterpret_cast<const char *>(chunk), read);
      crc = rar_crc::update(crc, chunk, read);
      if (read < n)
        return block_kind::end;
      left -= n;
    }
    header_crc_ok_ = uint16_t(~crc) == header.head_crc;
    if (!header_crc_ok_)
      RAR_LOG("file header broken");

    previous_file_ = file_;
    file_ = header;
    block_start_ = start;
    next_block_ = next;
    return block_kind::file;
  }
}

rar_member_info cRarReader::current_member() const {
  rar_member_info info;
  info.name = full_name_;
  info.flags = file_.flags;
  info.pack_size = file_.pack_size;
  info.unp_size = file_.unp_size;
  info.file_crc = file_.file_crc;
  info.file_time = file_.file_time;
  info.file_attr = file_.file_attr;
  info.host_os = file_.host_os;
  info.unp_ver = file_.unp_ver;
  info.method = file_.method;
  info.header_crc_ok = header_crc_ok_;
  return info;
}

bool cRarReader::current_name_matches() const {
  // A name with an embedded terminator or over the limit is not the one asked for.
  return full_name_.size() <= max_name && std::strlen(full_name_.c_str()) == full_name_.size() &&
         rar_names_match(member_name_, full_name_.c_str());
}

// ------------------------------------------------------------------------ member data

size_t cRarReader::read_for_unpacker(void *reader, uint8_t *buffer, size_t count) {
  return static_cast<cRarReader *>(reader)->read_packed(buffer, count);
}

size_t cRarReader::read_packed(uint8_t *buffer, size_t count) {
  if (count > pack_remaining_)
    count = pack_remaining_;
  size_t got = source_.read(buffer, count);
  pack_remaining_ -= uint32_t(got);
  if (encrypt_)
    cipher_.decrypt(buffer, got);
  return got;
}

bool cRarReader::copy_stored() {
  uint32_t want = file_.unp_size;
  if (want > file_.pack_size)
    want = file_.pack_size;
  // Whole cipher blocks go through a bounce buffer; the output block has no padding.
  uint8_t chunk[0x2000];
  while (written_ < want) {
    uint32_t left = want - written_;
    size_t ask = left >= sizeof(chunk) ? sizeof(chunk) : (size_t(left) + 15) & ~size_t(15);
    size_t got = read_packed(chunk, ask);
    if (got == 0)
      break;
    size_t use = got < left ? got : left;
    std::memcpy(out_block_ + written_, chunk, use);
    written_ += uint32_t(use);
  }
  if (written_ < file_.unp_size) {
    RAR_LOG("Read error of stored file!");
    return fail(rar_status::read_error);
  }
  return true;
}

bool cRarReader::sizes_plausible() const {
  uint64_t data_start = block_start_ + file_.head_size;
  uint64_t available = source_.size() > data_start ? source_.size() - data_start : 0;
  if (available > file_.pack_size)
    available = file_.pack_size;
  if (file_.method == method_stored)
    return file_.unp_size <= available;
  return file_.unp_size <= available * max_bytes_per_packed_byte + unpacked_size_slack;
}

// Unpacks or copies the current member; into out_block_ when it is the wanted one.
bool cRarReader::process_member(bool wanted) {
  if (file_.unp_ver < 13 || file_.unp_ver > 20) {
    RAR_LOG("unknown compression method");
    return fail(rar_status::unknown_method);
  }
  // Directories and empty files carry no data, whatever method they name.
  bool stored = file_.method == method_stored || (file_.unp_size == 0 && file_.pack_size == 0);
  // Versions below 2.0 are packed with the 1.5 method, which this reader does not have.
  if (!stored && file_.unp_ver < 20) {
    RAR_LOG("unknown compression method");
    return fail(rar_status::unknown_method);
  }
  pack_remaining_ = file_.pack_size;
  encrypt_ = has_password_ && (file_.flags & file_encrypted);
  if (encrypt_) {
    if (file_.unp_ver < 20) {
      RAR_LOG("Old Crypt() not supported!");
      encrypt_ = false;
    } else {
      cipher_.set_password(password_);
    }
  }
  if (!source_.seek(block_start_ + file_.head_size)) {
    RAR_LOG("Read error of stored file!");
    return fail(rar_status::read_error);
  }

  if (stored) {
    if (!wanted)
      return true;
    if (!copy_stored())
      return false;
  } else {
    bool continues = (file_.flags & file_solid) != 0;
    uint32_t written = 0;
    cRarUnpacker::result result = unpacker_.unpack(
        read_for_unpacker, this, file_.unp_size, continues, wanted ? out_block_ : nullptr, written);
    if (!wanted)
      return true;
    written_ = written;
    if (result == cRarUnpacker::result::overrun) {
      RAR_LOG("Fatal! Buffer overrun during decompression!");
      return fail(rar_status::overrun);
    }
    if (result == cRarUnpacker::result::out_of_data) {
      RAR_LOG("Packed data ended after %u of %u Bytes!", unsigned(written),
              unsigned(file_.unp_size));
      return fail(rar_status::truncated);
    }
  }
  if (written_ != file_.unp_size ||
      ~rar_crc::update(0xFFFFFFFFu, out_block_, file_.unp_size) != file_.file_crc) {
    RAR_LOG("CRC32 error - file couldn't be decompressed correctly!");
    return fail(rar_status::crc_mismatch);
  }
  return true;
}

bool cRarReader::allocate_output() {
  if (!sizes_plausible()) {
    RAR_LOG("file sizes don't fit the archive (%u Bytes packed to %u Bytes)",
            unsigned(file_.pack_size), unsigned(file_.unp_size));
    return fail(rar_status::bad_sizes);
  }
  // One spare byte so that an empty member still gets a block of its own.
  out_block_ = static_cast<uint8_t *>(std::malloc(size_t(file_.unp_size) + 1));
  written_ = 0;
  if (!out_block_) {
    RAR_LOG("can't allocate memory for the file decompression");
    return fail(rar_status::no_memory);
  }
  return true;
}

void cRarReader::release_output() {
  std::free(out_block_);
  out_block_ = nullptr;
  written_ = 0;
}

// Opens the archive and reads its marker; the window is allocated on success when the
// walk is going to unpack.
bool cRarReader::open_archive(const char *path, const uint8_t *memory, size_t memory_size,
                              bool unpacking) {
  if (memory) {
    source_.open_memory(memory, memory_size);
  } else if (!source_.open_file(path)) {
    RAR_LOG("Error opening file.");
    return fail(rar_status::cannot_open);
  }
  if (!read_marker()) {
    RAR_LOG("Not a RAR file");
    source_.close();
    if (status_ != rar_status::old_format)
      status_ = rar_status::not_an_archive;
    return false;
  }
  uint64_t header_end = marker_size + main_header_size;
  if (main_.head_size > main_header_size)
    header_end = marker_size + uint64_t(main_.head_size);
  next_block_ = header_end;
  if (!unpacking)
    return true;
  // Zeroed by the allocator: large blocks come as fresh pages, and the decompressor only
  // has to clear what it wrote.
  window_ = static_cast<uint8_t *>(std::calloc(1, cRarUnpacker::window_size));
  if (!window_) {
    RAR_LOG("Can't allocate memory for decompression!");
    return fail(rar_status::no_memory);
  }
  unpacker_.set_window(window_, true);
  return true;
}

// Walks the archive. one_member: stops with the wanted member in out_block_.
// all_members: hands every member to sink.
bool cRarReader::walk(walk_mode mode, const rar_member_sink *sink) {
  bool solid = (main_.flags & archive_solid) != 0;
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
      status_ = rar_status::ok;
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
    if (!ok && status_ == rar_status::no_memory)
      return false;
    std::vector<uint8_t> bytes;
    if (out_block_ && (ok || status_ == rar_status::crc_mismatch ||
                       status_ == rar_status::truncated || status_ == rar_status::overrun))
      bytes.assign(out_block_, out_block_ + written_);
    (*sink)(current_member(), ok ? rar_status::ok : status_, bytes);
    release_output();
  }
  if (mode == walk_mode::one_member)
    return fail(rar_status::member_not_found);
  status_ = rar_status::ok;
  return true;
}

// Everything a call sets up is torn down here, whatever the outcome.
void cRarReader::tear_down() {
  std::memset(password_, 0, sizeof(password_));
  has_password_ = false;
  cipher_.set_password("");
  source_.close();
  unpacker_.set_window(nullptr);
  std::free(window_);
  window_ = nullptr;
  encrypt_ = false;
  pack_remaining_ = 0;
}

void cRarReader::set_up(const char *member_name, const char *archive_path, const char *password) {
  status_ = rar_status::ok;
  main_ = main_header();
  file_ = file_header();
  previous_file_ = file_header();
  full_name_.clear();
  block_start_ = 0;
  next_block_ = 0;
  copy_name(member_name_, member_name);
  copy_name(archive_path_, archive_path);
  has_password_ = password != nullptr;
  std::memset(password_, 0, sizeof(password_));
  if (password)
    std::strncpy(password_, password, sizeof(password_) - 1);
  out_block_ = nullptr;
  written_ = 0;
}

// The engine's lookup; the reason is left in status_.
bool cRarReader::get_one(const char *member_name, const char *archive_path, const uint8_t *memory,
                         size_t memory_size, const char *password, std::vector<uint8_t> *partial) {
  const char *shown_path = memory ? "(memory)" : archive_path;
  set_up(member_name, shown_path, password);
  // The log may be read by others: a password shows only that there was one.
  RAR_LOG("Extracting >%s< from >%s< (password is >%s<)...", member_name_, archive_path_,
          password ? "********" : "(null)");
  bool ok = false;
  if (!member_name || std::strlen(member_name) > max_name) {
    RAR_LOG("member name too long");
    status_ = rar_status::bad_sizes;
  } else if (open_archive(archive_path, memory, memory_size)) {
    ok = walk(walk_mode::one_member, nullptr);
  }
  if (!ok && partial && out_block_)
    partial->assign(out_block_, out_block_ + written_);
  tear_down();
  return ok;
}

int cRarReader::get_file(uint8_t **data_out, uint32_t *size_out, const char *member_name,
                         const char *archive_path, const uint8_t *memory, size_t memory_size,
                         const char *password) {
  bool ok = get_one(member_name, archive_path, memory, memory_size, password, nullptr);
  if (!ok) {
    release_output();
    if (data_out)
      *data_out = nullptr;
    if (size_out)
      *size_out = 0;
    RAR_LOG("Error - couldn't extract >%s< and allocated %u Bytes of unused memory!", member_name_,
            0u);
    return 0;
  }
  RAR_LOG("Extracted %u Bytes.", unsigned(written_));
  if (data_out)
    *data_out = out_block_;
  else
    std::free(out_block_);
  if (size_out)
    *size_out = written_;
  out_block_ = nullptr;
  written_ = 0;
  return 1;
}

rar_status cRarReader::extract(const char *path, const uint8_t *memory, size_t size,
                               const char *member_name, const char *password,
                               std::vector<uint8_t> &out) {
  out.clear();
  bool ok = get_one(member_name, path, memory, size, password, &out);
  if (ok)
    out.assign(out_block_, out_block_ + written_);
  release_output();
  return ok ? rar_status::ok : status_;
}

rar_status cRarReader::extract_all(const char *path, const uint8_t *memory, size_t size,
                                   const char *password, const rar_member_sink &sink) {
  set_up("*", memory ? "(memory)" : path, password);
  RAR_LOG("Extracting all members from >%s<...", archive_path_);
  bool ok = open_archive(path, memory, size) && walk(walk_mode::all_members, &sink);
  release_output();
  tear_down();
  return ok ? rar_status::ok : status_;
}

rar_status cRarReader::list(const char *path, const uint8_t *memory, size_t size,
                            rar_archive_info &info) {
  info = rar_archive_info();
  set_up("", memory ? "(memory)" : path, nullptr);
  bool ok = open_archive(path, memory, size, false);
  if (ok) {
    info.main_flags = main_.flags;
    while (read_next_block(true) == block_kind::file)
      info.members.push_back(current_member());
  }
  tear_down();
  return ok ? rar_status::ok : status_;
}
