// RGB pictures and their PNG files, through libpng's simplified interface.
// Failures print the library's message and return false.
#include "cRgbImage.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

cRgbImage::cRgbImage(int32_t width, int32_t height)
    : width(width), height(height), rgb(static_cast<size_t>(width) * height * 3, 0) {}

void cRgbImage::flip_rows() {
  const size_t stride = static_cast<size_t>(width) * 3;
  for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(rgb.begin() + top * stride, rgb.begin() + (top + 1) * stride,
                     rgb.begin() + bottom * stride);
}

cRgbImage cRgbImage::shrunk(int32_t factor) const {
  if (factor < 2)
    return *this;
  cRgbImage out(width / factor, height / factor);
  const uint32_t area = static_cast<uint32_t>(factor * factor);
  for (int32_t y = 0; y < out.height; ++y)
    for (int32_t x = 0; x < out.width; ++x)
      for (int c = 0; c < 3; ++c) {
        uint32_t sum = 0;
        for (int32_t dy = 0; dy < factor; ++dy)
          for (int32_t dx = 0; dx < factor; ++dx)
            sum += pixel(x * factor + dx, y * factor + dy)[c];
        out.pixel(x, y)[c] = static_cast<uint8_t>((sum + area / 2) / area);
      }
  return out;
}

bool cRgbImage::save_png(const std::string &path) const {
  if (width <= 0 || height <= 0) {
    std::fprintf(stderr, "## ERROR: empty picture, not writing \"%s\"\n", path.c_str());
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr)) {
    std::fprintf(stderr, "## ERROR: cannot write \"%s\": %s\n", path.c_str(), image.message);
    return false;
  }
  return true;
}

bool cRgbImage::load_png(const std::string &path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    std::fprintf(stderr, "## ERROR: cannot read \"%s\": %s\n", path.c_str(), image.message);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  // Transparent pixels are laid over black, as they are shown on screen.
  png_color black = {0, 0, 0};
  if (!png_image_finish_read(&image, &black, pixels.data(), 0, nullptr)) {
    std::fprintf(stderr, "## ERROR: cannot decode \"%s\": %s\n", path.c_str(), image.message);
    png_image_free(&image);
    return false;
  }
  width = static_cast<int32_t>(image.width);
  height = static_cast<int32_t>(image.height);
  rgb = std::move(pixels);
  return true;
}
