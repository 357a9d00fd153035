// A picture the toolkit made, decoded by the image library the program uses
// (bottom row first, as the engine reads it), for tests of the show's data.
#pragma once

#include <IL/il.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct decoded_picture {
  int width = 0, height = 0, channels = 0;
  std::vector<uint8_t> pixels;
  const uint8_t *at(int x, int y) const {
    return &pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels)];
  }
};

// The pixels of the bound image if it loaded; empty (width 0) if not.
inline decoded_picture take_bound_picture(bool loaded) {
  decoded_picture out;
  if (loaded) {
    out.width = ilGetInteger(IL_IMAGE_WIDTH);
    out.height = ilGetInteger(IL_IMAGE_HEIGHT);
    out.channels = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    const uint8_t *data = ilGetData();
    out.pixels.assign(data, data + size_t(out.width) * out.height * out.channels);
  }
  return out;
}

// Empty (width 0) when the bytes are not a picture of that type.
inline decoded_picture decode_picture(const std::vector<uint8_t> &bytes, ILenum type) {
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  decoded_picture out = take_bound_picture(ilLoadL(type, bytes.data(), ILuint(bytes.size())));
  ilDeleteImages(1, &image);
  return out;
}

// The same for a file, its type from its extension.
inline decoded_picture read_picture(const std::string &path) {
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  decoded_picture out = take_bound_picture(ilLoadImage(path.c_str()));
  ilDeleteImages(1, &image);
  return out;
}
