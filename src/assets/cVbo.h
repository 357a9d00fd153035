// One GL vertex buffer object and the ways a mesh binds it. The buffer name
// is generated on construction, so a GL context must exist by then; nothing
// here checks or fails.
#pragma once

#include "platform/gl_extensions.h"

#include <cstdint>

class cVbo {
public:
  explicit cVbo(uint32_t value_components);
  ~cVbo();
  cVbo(const cVbo &) = delete;
  cVbo &operator=(const cVbo &) = delete;

  void release();
  // Generates a new name after release, so the buffer can be filled again.
  void ensure_name();
  void bind_as_vertices();
  void bind_as_normals();
  void bind_as_texcoords(GLenum texture_unit);
  void bind_as_indices();
  void bind_as_attribute(GLuint attribute_index);

  uint32_t components;
  uint32_t name = 0;
  GLenum usage = GL_STATIC_DRAW_ARB;
  GLenum target = GL_ARRAY_BUFFER_ARB;
};
