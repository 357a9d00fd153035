// GL extension checks and the process-wide entry points resolved through SDL.
// Missing vertex buffer objects end the process with -1, missing vertex or
// fragment programs with 0; everything else only warns.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>
#include <cstddef>

#include "platform/gl_entry.h"

// The window-system extension-string query has no Linux counterpart; its
// pointer exists so the same resolution sequence runs everywhere.
typedef const char *(*wgl_get_extensions_string_fn)(void *device_context);

// The pointers live under ext_<name>; the macros let code call them by the GL
// name. GL headers must be included before this file (it does so itself).
#define DEMO_GL_ENTRY(type, name) extern gl_entry<type> ext_##name;
#include "platform/gl_entry_list.h"
#undef DEMO_GL_ENTRY

// True if name is a whole token of the space-separated list.
bool extension_list_has(const char *list, const char *name);
// True if name is a whole token of the current context's GL extension string.
bool has_gl_extension(const char *name);
void load_gl_extensions();
// Diagnostic listing of the GL, GLU and window-system extension strings.
void print_gl_extensions();

#define wglGetExtensionsStringARB ext_wglGetExtensionsStringARB
#define glBindBufferARB ext_glBindBufferARB
#define glBufferDataARB ext_glBufferDataARB
#define glGenBuffersARB ext_glGenBuffersARB
#define glDeleteBuffersARB ext_glDeleteBuffersARB
#define glMapBufferARB ext_glMapBufferARB
#define glUnmapBufferARB ext_glUnmapBufferARB
#define glVertexAttribPointerARB ext_glVertexAttribPointerARB
#define glGetVertexAttribPointervARB ext_glGetVertexAttribPointervARB
#define glActiveTextureARB ext_glActiveTextureARB
#define glClientActiveTextureARB ext_glClientActiveTextureARB
#define glMultiTexCoord1dARB ext_glMultiTexCoord1dARB
#define glMultiTexCoord1dvARB ext_glMultiTexCoord1dvARB
#define glMultiTexCoord1fARB ext_glMultiTexCoord1fARB
#define glMultiTexCoord1fvARB ext_glMultiTexCoord1fvARB
#define glMultiTexCoord1iARB ext_glMultiTexCoord1iARB
#define glMultiTexCoord1ivARB ext_glMultiTexCoord1ivARB
#define glMultiTexCoord1sARB ext_glMultiTexCoord1sARB
#define glMultiTexCoord1svARB ext_glMultiTexCoord1svARB
#define glMultiTexCoord2dARB ext_glMultiTexCoord2dARB
#define glMultiTexCoord2dvARB ext_glMultiTexCoord2dvARB
#define glMultiTexCoord2fARB ext_glMultiTexCoord2fARB
#define glMultiTexCoord2fvARB ext_glMultiTexCoord2fvARB
#define glMultiTexCoord2iARB ext_glMultiTexCoord2iARB
#define glMultiTexCoord2ivARB ext_glMultiTexCoord2ivARB
#define glMultiTexCoord2sARB ext_glMultiTexCoord2sARB
#define glMultiTexCoord2svARB ext_glMultiTexCoord2svARB
#define glMultiTexCoord3dARB ext_glMultiTexCoord3dARB
#define glMultiTexCoord3dvARB ext_glMultiTexCoord3dvARB
#define glMultiTexCoord3fARB ext_glMultiTexCoord3fARB
#define glMultiTexCoord3fvARB ext_glMultiTexCoord3fvARB
#define glMultiTexCoord3iARB ext_glMultiTexCoord3iARB
#define glMultiTexCoord3ivARB ext_glMultiTexCoord3ivARB
#define glMultiTexCoord3sARB ext_glMultiTexCoord3sARB
#define glMultiTexCoord3svARB ext_glMultiTexCoord3svARB
#define glMultiTexCoord4dARB ext_glMultiTexCoord4dARB
#define glMultiTexCoord4dvARB ext_glMultiTexCoord4dvARB
#define glMultiTexCoord4fARB ext_glMultiTexCoord4fARB
#define glMultiTexCoord4fvARB ext_glMultiTexCoord4fvARB
#define glMultiTexCoord4iARB ext_glMultiTexCoord4iARB
#define glMultiTexCoord4ivARB ext_glMultiTexCoord4ivARB
#define glMultiTexCoord4sARB ext_glMultiTexCoord4sARB
#define glMultiTexCoord4svARB ext_glMultiTexCoord4svARB
#define glCompressedTexImage3D ext_glCompressedTexImage3D
#define glCompressedTexImage2D ext_glCompressedTexImage2D
#define glCompressedTexImage1D ext_glCompressedTexImage1D
#define glCompressedTexSubImage3D ext_glCompressedTexSubImage3D
#define glCompressedTexSubImage2D ext_glCompressedTexSubImage2D
#define glCompressedTexSubImage1D ext_glCompressedTexSubImage1D
#define glGetCompressedTexImage ext_glGetCompressedTexImage
#define glDrawRangeElements ext_glDrawRangeElements
