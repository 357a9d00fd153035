// One image file as a GL texture: load decodes it through the image library,
// upload sends it to the GL. A file missing from the search path ends the
// process; decoding and GL errors are only reported.
#include "platform/gl_extensions.h"

#include "assets/cTexture.h"

#include <GL/glu.h>
#include <IL/il.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "assets/search_path.h"
#include "platform/gl_defaults.h"

namespace {

const char *const kUnit = "cTexture";

// Bytes per pixel that the GL reads for an unsigned-byte image of format.
int64_t gl_bytes_per_pixel(GLenum format) {
  switch (format) {
  case GL_RGBA:
  case GL_BGRA:
    return 4;
  case GL_RGB:
  case GL_BGR:
    return 3;
  case GL_LUMINANCE_ALPHA:
    return 2;
  default:
    return 1;
  }
}

} // namespace

cTexture::~cTexture() { release(); }

cTexture::cTexture(cTexture &&other) noexcept
    : gl_name(other.gl_name), il_image(other.il_image), target(other.target) {
  other.gl_name = 0;
  other.il_image = 0;
}

cTexture &cTexture::operator=(cTexture &&other) noexcept {
  if (this != &other) {
    release();
    gl_name = other.gl_name;
    il_image = other.il_image;
    target = other.target;
    other.gl_name = 0;
    other.il_image = 0;
  }
  return *this;
}

void cTexture::load(std::string file_name) {
  const std::string path = find_in_search_path(file_name);
  if (path.empty()) {
    std::cerr << "## ERROR: in " << kUnit << " line " << __LINE__
              << ": file was not found in path: " << file_name << std::endl;
    std::exit(-1);
  }
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) {
    std::cerr << "## ERROR: in " << kUnit << " line " << __LINE__ << ": unable to open file "
              << path << std::endl;
    std::exit(-1);
  }
  std::fclose(f);

  release();
  ilGenImages(1, &il_image);
  ilBindImage(il_image);
  ilLoadImage(path.c_str());
  // Decided afresh for every image: a texture reloaded with a taller image
  // must not keep the 1D target of an earlier one-row image.
  target = ilGetInteger(IL_IMAGE_HEIGHT) == 1 ? GL_TEXTURE_1D : GL_TEXTURE_2D;
}

void cTexture::upload(bool mipmaps, GLenum wrap) {
  ilBindImage(il_image);
  const int64_t data_size = ilGetInteger(IL_IMAGE_SIZE_OF_DATA);
  ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
  const GLenum format = static_cast<GLenum>(ilGetInteger(IL_IMAGE_FORMAT));
  const GLsizei height = ilGetInteger(IL_IMAGE_HEIGHT);
  const GLsizei width = ilGetInteger(IL_IMAGE_WIDTH);
  const void *pixels = ilGetData();

  if (gl_name == 0)
    glGenTextures(1, &gl_name);

  glPushAttrib(GL_ENABLE_BIT);
  // Image rows are tightly packed; the GL's default 4-byte row alignment
  // would read past the end of rows whose length is not a multiple of 4.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glEnable(target);
  glBindTexture(target, gl_name);
  glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
  glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

  // Never let the GL read more bytes than the image holds, whatever the
  // image library reports for a file it could not decode.
  const bool usable =
      pixels && width > 0 && height > 0 &&
      static_cast<int64_t>(width) * height * gl_bytes_per_pixel(format) <= data_size;
  if (!usable) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__
              << ": no usable image data, texture left empty" << std::endl;
  }
  if (mipmaps) {
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    if (usable) {
      // A one-row image has a 1D target, which only the 1D builder accepts.
      if (target == GL_TEXTURE_1D)
        gluBuild1DMipmaps(GL_TEXTURE_1D, GL_RGBA, width, format, GL_UNSIGNED_BYTE, pixels);
      else
        gluBuild2DMipmaps(target, GL_RGBA, width, height, format, GL_UNSIGNED_BYTE, pixels);
    }
  } else {
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    if (usable) {
      if (height == 1)
        glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB, width, 0, format, GL_UNSIGNED_BYTE, pixels);
      else
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    }
  }

  check_image_errors();
  check_gl_error(13);
  glPopClientAttrib();
  glPopAttrib();
}

void cTexture::bind() { glBindTexture(target, gl_name); }

void cTexture::delete_gl_texture() {
  if (gl_name != 0) {
    glDeleteTextures(1, &gl_name);
    gl_name = 0;
  }
}

void cTexture::release() {
  delete_gl_texture();
  if (il_image != 0) {
    ilDeleteImages(1, &il_image);
    il_image = 0;
  }
}
