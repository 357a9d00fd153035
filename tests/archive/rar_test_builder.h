// Test-side writers for RAR archives: headers with correct CRCs around any payload, and a
// bit-exact RAR 2.0 stream writer whose symbols the tests choose one by one, so decoder
// edge cases (overlapping copies, the distance ring, table changes) are spelled out.
#pragma once

#include "archive/rar/unrarlib.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace rar_test {

inline void put16(std::vector<uint8_t> &v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
inline void put32(std::vector<uint8_t> &v, uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}

inline uint32_t crc_of(const std::vector<uint8_t> &bytes) {
  return rar_crc32(bytes.data(), bytes.size());
}

struct member {
  std::string name;
  std::vector<uint8_t> payload; // the data area as stored (packed or not)
  uint32_t unp_size = 0;
  uint32_t file_crc = 0;
  uint8_t unp_ver = 20;
  uint8_t method = 0x30;
  uint16_t flags = 0x8000;
  uint8_t head_type = 0x74;
  bool break_header_crc = false;
  std::vector<uint8_t> extra; // bytes after the name that head_size covers

  static member stored(const std::string &name, const std::string &text) {
    member m;
    m.name = name;
    m.payload.assign(text.begin(), text.end());
    m.unp_size = uint32_t(text.size());
    m.file_crc = crc_of(m.payload);
    return m;
  }
  static member packed(const std::string &name, const std::vector<uint8_t> &stream,
                       const std::vector<uint8_t> &plain) {
    member m;
    m.name = name;
    m.payload = stream;
    m.unp_size = uint32_t(plain.size());
    m.file_crc = crc_of(plain);
    m.method = 0x33;
    return m;
  }
};

inline std::vector<uint8_t> header_bytes(const member &m) {
  std::vector<uint8_t> h;
  put16(h, 0); // CRC, filled in below
  h.push_back(m.head_type);
  put16(h, m.flags);
  put16(h, uint32_t(32 + m.name.size() + m.extra.size()));
  put32(h, uint32_t(m.payload.size()));
  put32(h, m.unp_size);
  h.push_back(2); // host OS
  put32(h, m.file_crc);
  put32(h, 0x3C5A1234); // DOS time
  h.push_back(m.unp_ver);
  h.push_back(m.method);
  put16(h, uint32_t(m.name.size()));
  put32(h, 0x20);
  h.insert(h.end(), m.name.begin(), m.name.end());
  uint32_t crc = rar_crc32(h.data() + 2, h.size() - 2);
  if (m.break_header_crc)
    crc ^= 0x5555;
  h[0] = uint8_t(crc);
  h[1] = uint8_t(crc >> 8);
  h.insert(h.end(), m.extra.begin(), m.extra.end());
  return h;
}

// A whole archive: marker, main header (with main_flags), then the members.
inline std::vector<uint8_t> archive(const std::vector<member> &members, uint16_t main_flags = 0,
                                    bool own_marker = false) {
  static const uint8_t rar_marker[7] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
  std::vector<uint8_t> a(rar_marker, rar_marker + 7);
  if (own_marker)
    a.assign({'D', 'a', 'r', 'v', 'i', 'x', '!'});
  std::vector<uint8_t> main;
  put16(main, 0);
  main.push_back(0x73);
  put16(main, main_flags);
  put16(main, 13);
  put16(main, 0);
  put32(main, 0);
  uint32_t crc = rar_crc32(main.data() + 2, main.size() - 2);
  main[0] = uint8_t(crc);
  main[1] = uint8_t(crc >> 8);
  a.insert(a.end(), main.begin(), main.end());
  for (const member &m : members) {
    std::vector<uint8_t> h = header_bytes(m);
    a.insert(a.end(), h.begin(), h.end());
    a.insert(a.end(), m.payload.begin(), m.payload.end());
  }
  return a;
}

// A block of another type (e.g. 0x78, 0x7A) with a data area, or a 0x77 sub-block.
inline member other_block(uint8_t type, size_t data_size) {
  member m;
  m.head_type = type;
  m.payload.assign(data_size, 0xAB);
  return m;
}

class bit_writer {
public:
  void put(uint32_t count, uint32_t value) {
    for (uint32_t i = count; i-- > 0;) {
      acc_ = (acc_ << 1) | ((value >> i) & 1);
      if (++bits_ == 8) {
        bytes_.push_back(uint8_t(acc_));
        acc_ = 0;
        bits_ = 0;
      }
    }
  }
  std::vector<uint8_t> finish() {
    std::vector<uint8_t> out = bytes_;
    if (bits_)
      out.push_back(uint8_t(acc_ << (8 - bits_)));
    return out;
  }

private:
  std::vector<uint8_t> bytes_;
  uint32_t acc_ = 0;
  uint32_t bits_ = 0;
};

// Canonical codes from lengths: shorter first, within a length in symbol order.
inline std::vector<uint32_t> canonical_codes(const std::vector<uint8_t> &lengths) {
  std::vector<uint32_t> codes(lengths.size(), 0);
  uint32_t code = 0;
  for (int len = 1; len <= 15; ++len) {
    for (size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s] == len)
        codes[s] = code++;
    code <<= 1;
  }
  return codes;
}

// Figures of the RAR 2.0 format (bases and extra bits).
inline const uint32_t *length_base() {
  static const uint32_t t[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                 24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
  return t;
}
inline uint32_t length_bits(int i) { return i < 8 ? 0 : uint32_t((i - 4) / 4); }
inline uint32_t dist_base(int i) {
  if (i < 4)
    return uint32_t(i);
  if (i >= 36)
    return 262144 + 65536 * uint32_t(i - 36);
  return (2u + (i & 1)) << ((i / 2) - 1);
}
inline uint32_t dist_bits(int i) { return i < 4 ? 0 : i >= 34 ? 16 : uint32_t(i / 2 - 1); }

// Writes a RAR 2.0 packed stream symbol by symbol. Tables are sent with a flat bit-length
// code (every delta 0..15 four bits long), which any length set can use.
class stream_writer {
public:
  static constexpr int main_symbols = 298, dist_symbols = 48, rep_symbols = 28;

  // LZ tables: 374 lengths (main, distance, repeat length).
  void lz_tables(const std::vector<uint8_t> &lengths, bool keep_old = false) {
    w_.put(1, 0);
    w_.put(1, keep_old ? 1 : 0);
    write_lengths(lengths, keep_old);
    audio_ = false;
    main_ = canonical_codes(slice(lengths, 0, main_symbols));
    main_len_ = slice(lengths, 0, main_symbols);
    dist_ = canonical_codes(slice(lengths, main_symbols, dist_symbols));
    dist_len_ = slice(lengths, main_symbols, dist_symbols);
    rep_ = canonical_codes(slice(lengths, main_symbols + dist_symbols, rep_symbols));
    rep_len_ = slice(lengths, main_symbols + dist_symbols, rep_symbols);
  }
  // Continues with LZ tables the stream already carries (a solid member's successor):
  // sets the codes and writes nothing.
  void use_lz_tables(const std::vector<uint8_t> &lengths) {
    std::copy(lengths.begin(), lengths.end(), old_);
    audio_ = false;
    main_len_ = slice(lengths, 0, main_symbols);
    dist_len_ = slice(lengths, main_symbols, dist_symbols);
    rep_len_ = slice(lengths, main_symbols + dist_symbols, rep_symbols);
    main_ = canonical_codes(main_len_);
    dist_ = canonical_codes(dist_len_);
    rep_ = canonical_codes(rep_len_);
  }
  // Every symbol of every LZ table present: 9-bit literals and 7-bit others.
  static std::vector<uint8_t> default_lz_lengths() {
    std::vector<uint8_t> l(main_symbols + dist_symbols + rep_symbols, 0);
    for (int i = 0; i < main_symbols; ++i)
      l[i] = i < 256 ? 9 : 7;
    for (int i = 0; i < dist_symbols; ++i)
      l[main_symbols + i] = 6;
    for (int i = 0; i < rep_symbols; ++i)
      l[main_symbols + dist_symbols + i] = 5;
    return l;
  }

  // Multimedia tables: 257 lengths per channel.
  void audio_tables(int channels, const std::vector<uint8_t> &lengths, bool keep_old = false) {
    w_.put(1, 1);
    w_.put(1, keep_old ? 1 : 0);
    w_.put(2, uint32_t(channels - 1));
    write_lengths(lengths, keep_old);
    audio_ = true;
    audio_codes_.clear();
    audio_len_.clear();
    for (int c = 0; c < channels; ++c) {
      audio_len_.push_back(slice(lengths, size_t(c) * 257, 257));
      audio_codes_.push_back(canonical_codes(audio_len_.back()));
    }
  }

  void literal(uint8_t b) { main_symbol(b); }
  void last_match() { main_symbol(256); }
  void new_tables() { main_symbol(269); }
  // A long match (lengths 3 and up, adjusted by the distance as the format does).
  void match(uint32_t length, uint32_t distance) {
    uint32_t adjusted = length - (distance >= 0x2000) - (distance >= 0x40000);
    put_length(270, adjusted - 3, main_, main_len_, true);
    int di = 47;
    while (dist_base(di) + 1 > distance)
      --di;
    put_code(dist_, dist_len_, di);
    w_.put(dist_bits(di), distance - 1 - dist_base(di));
  }
  // Repeat the distance k places back in the ring (0 = newest).
  void repeat(int k, uint32_t length, uint32_t distance) {
    uint32_t adjusted = length - (distance >= 0x101) - (distance >= 0x2000) - (distance >= 0x40000);
    main_symbol(257 + k);
    put_length(0, adjusted - 2, rep_, rep_len_, false);
  }
  // Length-2 match at a distance of 1..256.
  void short_match(uint32_t distance) {
    static const uint32_t base[8] = {0, 4, 8, 16, 32, 64, 128, 192};
    static const uint32_t bits[8] = {2, 2, 3, 4, 5, 6, 6, 6};
    int i = 7;
    while (base[i] + 1 > distance)
      --i;
    main_symbol(261 + i);
    w_.put(bits[i], distance - 1 - base[i]);
  }
  void audio_delta(int channel, uint32_t delta) {
    put_code(audio_codes_[channel], audio_len_[channel], int(delta));
  }
  void audio_new_tables(int channel) { put_code(audio_codes_[channel], audio_len_[channel], 256); }
  void raw_bits(uint32_t count, uint32_t value) { w_.put(count, value); }

  std::vector<uint8_t> finish() { return w_.finish(); }

private:
  static std::vector<uint8_t> slice(const std::vector<uint8_t> &v, size_t at, size_t n) {
    return std::vector<uint8_t>(v.begin() + long(at), v.begin() + long(at + n));
  }
  void write_lengths(const std::vector<uint8_t> &lengths, bool keep_old) {
    if (!keep_old)
      std::fill(std::begin(old_), std::end(old_), 0);
    for (int i = 0; i < 19; ++i)
      w_.put(4, i < 16 ? 4 : 0);
    for (size_t i = 0; i < lengths.size(); ++i) {
      w_.put(4, (lengths[i] - old_[i]) & 15);
      old_[i] = lengths[i];
    }
  }
  void put_code(const std::vector<uint32_t> &codes, const std::vector<uint8_t> &lens, int s) {
    w_.put(lens[size_t(s)], codes[size_t(s)]);
  }
  void main_symbol(int s) { put_code(main_, main_len_, s); }
  void put_length(int first, uint32_t value, const std::vector<uint32_t> &codes,
                  const std::vector<uint8_t> &lens, bool in_main) {
    int li = 27;
    while (length_base()[li] > value)
      --li;
    if (in_main)
      put_code(main_, main_len_, first + li);
    else
      put_code(codes, lens, li);
    w_.put(length_bits(li), value - length_base()[li]);
  }

  bit_writer w_;
  uint8_t old_[1028] = {};
  bool audio_ = false;
  std::vector<uint32_t> main_, dist_, rep_;
  std::vector<uint8_t> main_len_, dist_len_, rep_len_;
  std::vector<std::vector<uint32_t>> audio_codes_;
  std::vector<std::vector<uint8_t>> audio_len_;
};

inline std::vector<uint8_t> bytes_of(const std::string &s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

} // namespace rar_test
