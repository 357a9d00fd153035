// Extension checks and entry-point resolution through SDL. Missing vertex
// buffer objects exit(-1), missing vertex/fragment programs exit(0).
#include "platform/gl_extensions.h"

#include <GL/glu.h>
#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define DEMO_GL_ENTRY(type, name) gl_entry<type> ext_##name;
#include "platform/gl_entry_list.h"
#undef DEMO_GL_ENTRY

namespace {
template <typename Entry> void resolve(Entry &entry, const char *name) {
  entry = SDL_GL_GetProcAddress(name);
  if (!entry)
    std::fprintf(stderr, "#funcname() not initialized\n");
}

void require_or_warn(const char *name, const char *warning) {
  if (!has_gl_extension(name))
    std::fprintf(stderr, "# WARNING: %s not supported\n", warning);
}
} // namespace

#define RESOLVE(name) resolve(ext_##name, #name)

bool extension_list_has(const char *list, const char *name) {
  if (!list || !name)
    return false;
  size_t name_len = std::strlen(name);
  const char *pos = list;
  const char *end = list + std::strlen(list);
  while (pos < end) {
    size_t token_len = std::strcspn(pos, " ");
    if (token_len == name_len && std::strncmp(pos, name, name_len) == 0)
      return true;
    pos += token_len + 1;
  }
  return false;
}

bool has_gl_extension(const char *name) {
  return extension_list_has(reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS)), name);
}

void load_gl_extensions() {
  RESOLVE(wglGetExtensionsStringARB);

  if (!has_gl_extension("GL_ARB_vertex_buffer_object")) {
    std::fprintf(stderr, "# WARNING: GL_ARB_vertex_buffer_object not supported\n");
    std::exit(-1);
  }
  RESOLVE(glBindBufferARB);
  RESOLVE(glBufferDataARB);
  RESOLVE(glGenBuffersARB);
  RESOLVE(glDeleteBuffersARB);
  RESOLVE(glMapBufferARB);
  RESOLVE(glUnmapBufferARB);
  RESOLVE(glVertexAttribPointerARB);
  RESOLVE(glGetVertexAttribPointervARB);

  if (!has_gl_extension("GL_ARB_multitexture")) {
    std::fprintf(stderr, "# WARNING: GL_ARB_multitexture not supported\n");
  } else {
    RESOLVE(glActiveTextureARB);
    RESOLVE(glClientActiveTextureARB);
#define MULTITEX(n)                                                                                \
  RESOLVE(glMultiTexCoord##n##dARB);                                                               \
  RESOLVE(glMultiTexCoord##n##dvARB);                                                              \
  RESOLVE(glMultiTexCoord##n##fARB);                                                               \
  RESOLVE(glMultiTexCoord##n##fvARB);                                                              \
  RESOLVE(glMultiTexCoord##n##iARB);                                                               \
  RESOLVE(glMultiTexCoord##n##ivARB);                                                              \
  RESOLVE(glMultiTexCoord##n##sARB);                                                               \
  RESOLVE(glMultiTexCoord##n##svARB)
    MULTITEX(1);
    MULTITEX(2);
    MULTITEX(3);
    MULTITEX(4);
#undef MULTITEX
  }

  require_or_warn("GL_ARB_texture_compression", "GL_ARB_texture_compression");
  RESOLVE(glCompressedTexImage3D);
  RESOLVE(glCompressedTexImage2D);
  RESOLVE(glCompressedTexImage1D);
  RESOLVE(glCompressedTexSubImage3D);
  RESOLVE(glCompressedTexSubImage2D);
  RESOLVE(glCompressedTexSubImage1D);
  RESOLVE(glGetCompressedTexImage);

  if (!has_gl_extension("GL_ARB_fragment_program")) {
    std::fprintf(stderr, "# WARNING: GL_ARB_fragment_program not supported\n");
    std::exit(0);
  }
  if (!has_gl_extension("GL_ARB_vertex_program"))
    std::exit(0);

  require_or_warn("GL_SGIS_texture_lod", "GL_SGIS_texture_lod");
  require_or_warn("GL_SGIS_generate_mipmap", "GL_SGIS_generate_mipmap");
  require_or_warn("GL_ARB_texture_env_add", "GL_ARB_texture_env_add");
  require_or_warn("GL_EXT_texture_lod_bias", "EXT_texture_lod_bias");
  RESOLVE(glDrawRangeElements);
}

void print_gl_extensions() {
  const char *gl = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
  const char *glu = reinterpret_cast<const char *>(gluGetString(GLU_EXTENSIONS));
  const char *wgl = wglGetExtensionsStringARB ? wglGetExtensionsStringARB(nullptr) : nullptr;
  if (gl)
    std::fprintf(stderr, "gl extensions: %s\n", gl);
  else
    std::fprintf(stderr, "no gl extensions\n");
  if (glu)
    std::fprintf(stderr, "glu extensions: %s\n", glu);
  else
    std::fprintf(stderr, "no glu extensions\n");
  if (wgl)
    std::fprintf(stderr, "wgl extensions: %s\n", wgl);
  else
    std::fprintf(stderr, "no wgl extensions\n");
}
