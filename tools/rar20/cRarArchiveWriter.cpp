// Archive and header layout. Members that would not shrink are stored in non-solid
// archives; in solid archives every member with data belongs to the packed stream,
// and empty members are stored so that no decoder has to run for them; in a solid
// archive they go ahead of the stream or after it, never inside.
#include "cRarArchiveWriter.h"

#include "archive/rar/unrarlib.h"

#include <algorithm>
#include <ctime>

namespace {
constexpr uint8_t head_main = 0x73;
constexpr uint8_t head_file = 0x74;
constexpr uint16_t main_solid = 0x08;
constexpr uint16_t file_continues_solid = 0x10;
constexpr uint16_t file_dictionary_1m = 0x80; // dictionary size field: 1024 KiB
constexpr uint16_t file_long_block = 0x8000;  // a data area follows the header
constexpr uint8_t host_msdos = 0;
constexpr uint8_t unpack_version = 20;
constexpr uint8_t method_stored = 0x30;
constexpr uint8_t method_normal = 0x33;
constexpr uint32_t attr_archive = 0x20;

void put16(std::vector<uint8_t> &v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void put32(std::vector<uint8_t> &v, uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}
void set16(std::vector<uint8_t> &v, size_t at, uint32_t x) {
  v[at] = uint8_t(x);
  v[at + 1] = uint8_t(x >> 8);
}
} // namespace

uint32_t cRarArchiveWriter::dos_time(int64_t unix_time) {
  const time_t t = time_t(unix_time);
  struct tm tm_local;
  if (!localtime_r(&t, &tm_local) || tm_local.tm_year < 80)
    return (1u << 21) | (1u << 16); // 1980-01-01 00:00
  if (tm_local.tm_year > 207)
    tm_local.tm_year = 207;
  return (uint32_t(tm_local.tm_year - 80) << 25) | (uint32_t(tm_local.tm_mon + 1) << 21) |
         (uint32_t(tm_local.tm_mday) << 16) | (uint32_t(tm_local.tm_hour) << 11) |
         (uint32_t(tm_local.tm_min) << 5) | uint32_t(tm_local.tm_sec / 2);
}

cRarArchiveWriter::cRarArchiveWriter(bool solid, const sEncoderOptions &options)
    : m_solid(solid), m_options(options), m_stream(options) {
  static const uint8_t marker[7] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
  m_bytes.assign(marker, marker + 7);
  const size_t start = m_bytes.size();
  put16(m_bytes, 0); // CRC, set below
  m_bytes.push_back(head_main);
  put16(m_bytes, solid ? main_solid : 0);
  put16(m_bytes, 13);
  put16(m_bytes, 0);
  put32(m_bytes, 0);
  set16(m_bytes, start, rar_crc32(m_bytes.data() + start + 2, 11) & 0xFFFF);
}

void cRarArchiveWriter::accumulate(const sEncoderStats &s) {
  m_stats.literals += s.literals;
  m_stats.repeat_last += s.repeat_last;
  for (int k = 0; k < 4; ++k)
    m_stats.ring[k] += s.ring[k];
  m_stats.short_matches += s.short_matches;
  m_stats.long_matches += s.long_matches;
  m_stats.lz_tables += s.lz_tables;
  for (int k = 0; k < 5; ++k)
    m_stats.audio_tables[k] += s.audio_tables[k];
  m_stats.audio_bytes += s.audio_bytes;
  m_stats.switches += s.switches;
  m_stats.kept_tables += s.kept_tables;
  m_stats.cleared_tables += s.cleared_tables;
  m_stats.max_distance = std::max(m_stats.max_distance, s.max_distance);
}

void cRarArchiveWriter::add(const sArchiveMember &member) {
  if (m_solid && member.size == 0 && m_stream.started()) {
    m_held.push_back(member);
    m_held.back().data = nullptr;
    return;
  }
  write_member(member.name, member.data, member.size, member.dos_time);
}

const std::vector<uint8_t> &cRarArchiveWriter::finish() {
  for (const sArchiveMember &m : m_held)
    write_member(m.name, nullptr, 0, m.dos_time);
  m_held.clear();
  return m_bytes;
}

void cRarArchiveWriter::write_member(const std::string &given_name, const uint8_t *data,
                                     size_t size, uint32_t dos_time) {
  std::string name = given_name;
  for (char &c : name)
    if (c == '/')
      c = '\\';
  if (name.size() > 0xFFFF - 32)
    name.resize(0xFFFF - 32);

  std::vector<uint8_t> packed;
  bool stored = size == 0;
  bool continues = false;
  if (!stored) {
    if (m_solid) {
      continues = m_stream.started();
      packed = m_stream.pack_member(data, size);
    } else {
      cRar20Encoder single(m_options);
      packed = single.pack_member(data, size);
      accumulate(single.stats());
      if (packed.size() >= size) {
        stored = true;
        packed.assign(data, data + size);
      }
    }
  }

  std::vector<uint8_t> &v = m_bytes;
  const size_t start = v.size();
  uint16_t flags = file_long_block | file_dictionary_1m;
  if (continues)
    flags |= file_continues_solid;
  put16(v, 0); // CRC, set below
  v.push_back(head_file);
  put16(v, flags);
  put16(v, uint32_t(32 + name.size()));
  put32(v, uint32_t(packed.size()));
  put32(v, uint32_t(size));
  v.push_back(host_msdos);
  put32(v, rar_crc32(data, size));
  put32(v, dos_time);
  v.push_back(unpack_version);
  v.push_back(stored ? method_stored : method_normal);
  put16(v, uint32_t(name.size()));
  put32(v, attr_archive);
  v.insert(v.end(), name.begin(), name.end());
  set16(v, start, rar_crc32(v.data() + start + 2, v.size() - start - 2) & 0xFFFF);
  v.insert(v.end(), packed.begin(), packed.end());

  m_members.push_back({name, uint32_t(size), uint32_t(packed.size()), stored, continues});
}
