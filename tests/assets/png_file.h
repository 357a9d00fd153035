// A minimal PNG writer for the texture tests' images: 8-bit RGB or RGBA,
// rows top to bottom, stored (uncompressed) deflate blocks. Written here so
// that the tests do not trust the image library they check.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace png_file {

inline uint32_t crc32(const uint8_t *p, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline void put32(std::vector<uint8_t> &out, uint32_t v) {
  out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

inline void chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
  put32(out, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  put32(out, crc32(body.data(), body.size()));
}

// pixels: height rows of width * channels bytes, the top row first.
inline bool write(const std::string &path, int width, int height, int channels,
                  const std::vector<uint8_t> &pixels) {
  std::vector<uint8_t> raw;
  const size_t row = size_t(width) * channels;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0); // no filter
    raw.insert(raw.end(), pixels.begin() + y * row, pixels.begin() + (y + 1) * row);
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    z.insert(z.end(), {uint8_t(pos + n == raw.size() ? 1 : 0), uint8_t(n), uint8_t(n >> 8),
                       uint8_t(~n), uint8_t(~n >> 8)});
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  put32(z, (b << 16) | a);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  put32(header, uint32_t(width));
  put32(header, uint32_t(height));
  header.insert(header.end(), {8, uint8_t(channels == 4 ? 6 : 2), 0, 0, 0}); // no interlace
  chunk(out, "IHDR", header);
  chunk(out, "IDAT", z);
  chunk(out, "IEND", {});
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char *>(out.data()), std::streamsize(out.size()));
  return bool(f);
}

} // namespace png_file
