// One image file as a GL texture: load decodes it through the image library,
// upload sends it to the GL. A file missing from the search path ends the
// process; decoding and GL errors are only reported.
#pragma once

#include <GL/gl.h>
#include <cstdint>
#include <string>

class cTexture {
public:
  cTexture() = default;
  ~cTexture();
  // Owns a GL texture and a decoded image: not copyable. Moving hands both
  // names over, so textures can live in growing containers.
  cTexture(const cTexture &) = delete;
  cTexture &operator=(const cTexture &) = delete;
  cTexture(cTexture &&other) noexcept;
  cTexture &operator=(cTexture &&other) noexcept;

  void load(std::string file_name);
  void upload(bool mipmaps, GLenum wrap);
  void bind();
  void delete_gl_texture();
  void release();

  uint32_t gl_name = 0;
  uint32_t il_image = 0;
  GLenum target = GL_TEXTURE_2D;
};
