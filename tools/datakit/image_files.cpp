// PNG and JPEG encoding into memory (see image_files.h).
#include "image_files.h"

#include <png.h>

#include <cstdio>
#include <jpeglib.h>

#include <cstdlib>
#include <stdexcept>

namespace {

void png_append(png_structp png, png_bytep data, png_size_t size) {
  auto *out = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void png_no_flush(png_structp) {}

} // namespace

namespace image_files {

std::vector<uint8_t> png_bytes(const cImage &image, int channels) {
  const int type = channels == 1   ? PNG_COLOR_TYPE_GRAY
                   : channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA
                                   : PNG_COLOR_TYPE_RGB;
  if (channels != 1 && channels != 3 && channels != 4)
    throw std::runtime_error("PNG pictures have 1, 3 or 4 channels");
  const std::vector<uint8_t> pixels = image.bytes(channels);
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("libpng could not start");
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng failed to encode a picture");
  }
  png_set_write_fn(png, &out, png_append, png_no_flush);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8, type,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const size_t stride = size_t(image.width()) * size_t(channels);
  for (int y = 0; y < image.height(); ++y)
    png_write_row(png, pixels.data() + size_t(y) * stride);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<uint8_t> jpeg_bytes(const cImage &image, int quality) {
  const std::vector<uint8_t> pixels = image.bytes(3);
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  // The default error handler ends the process; these pictures are made in
  // memory from valid sizes, where libjpeg has nothing to refuse.
  jpeg_create_compress(&cinfo);
  unsigned char *buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(image.width());
  cinfo.image_height = JDIMENSION(image.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  for (int c = 0; c < cinfo.num_components; ++c)
    cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = size_t(image.width()) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + size_t(cinfo.next_scanline) * stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

} // namespace image_files
