// Lays out a RAR archive of format 1.5-2.x: marker, main header, one file header per
// member followed by its packed or stored data, header CRCs and member CRC-32s. Works
// in memory; cannot fail short of running out of memory (sizes over 4 GiB are refused
// by the caller).
#pragma once

#include "cRar20Encoder.h"

#include <cstdint>
#include <string>
#include <vector>

struct sArchiveMember {
  std::string name; // stored as given; '/' becomes '\\'
  const uint8_t *data = nullptr;
  size_t size = 0;
  uint32_t dos_time = 0; // MS-DOS date and time
};

// How one member was written, for listings and figures.
struct sMemberReport {
  std::string name;
  uint32_t unpacked = 0;
  uint32_t packed = 0;
  bool stored = false;
  bool continues_solid = false;
};

class cRarArchiveWriter {
public:
  cRarArchiveWriter(bool solid, const sEncoderOptions &options);

  // Appends one member; in a solid archive it continues the stream of the previous ones.
  // An empty member of a solid archive that comes after the stream has started is held
  // back until finish(): a stored member inside a solid stream is refused by some readers.
  void add(const sArchiveMember &member);
  // Writes the held-back members; returns the whole archive.
  const std::vector<uint8_t> &finish();
  const std::vector<sMemberReport> &members() const { return m_members; }
  const sEncoderStats &stats() const { return m_solid ? m_stream.stats() : m_stats; }

  // MS-DOS date and time of a POSIX time stamp, in local time.
  static uint32_t dos_time(int64_t unix_time);

private:
  void accumulate(const sEncoderStats &s);
  void write_member(const std::string &name, const uint8_t *data, size_t size, uint32_t dos_time);

  bool m_solid;
  sEncoderOptions m_options;
  cRar20Encoder m_stream; // the solid stream
  std::vector<uint8_t> m_bytes;
  std::vector<sMemberReport> m_members;
  std::vector<sArchiveMember> m_held; // empty, so no data to keep
  sEncoderStats m_stats;
};
