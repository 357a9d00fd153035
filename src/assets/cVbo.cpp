// One GL vertex buffer object and the ways a mesh binds it. The buffer name
// is generated on construction, so a GL context must exist by then; nothing
// here checks or fails.
#include "assets/cVbo.h"

cVbo::cVbo(uint32_t value_components) : components(value_components) { glGenBuffersARB(1, &name); }

cVbo::~cVbo() { release(); }

void cVbo::release() {
  if (name != 0) {
    glDeleteBuffersARB(1, &name);
    name = 0;
  }
}

void cVbo::ensure_name() {
  if (name == 0)
    glGenBuffersARB(1, &name);
}

void cVbo::bind_as_vertices() {
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, name);
  glVertexPointer(static_cast<GLint>(components), GL_FLOAT, 0, nullptr);
  glEnableClientState(GL_VERTEX_ARRAY);
}

void cVbo::bind_as_normals() {
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, name);
  glNormalPointer(GL_FLOAT, 0, nullptr);
  glEnableClientState(GL_NORMAL_ARRAY);
}

void cVbo::bind_as_texcoords(GLenum texture_unit) {
  glClientActiveTextureARB(texture_unit);
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, name);
  glTexCoordPointer(static_cast<GLint>(components), GL_FLOAT, 0, nullptr);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glClientActiveTextureARB(GL_TEXTURE0_ARB);
}

void cVbo::bind_as_indices() { glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, name); }

void cVbo::bind_as_attribute(GLuint attribute_index) {
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, name);
  glVertexAttribPointerARB(attribute_index, static_cast<GLint>(components), GL_FLOAT, GL_FALSE, 0,
                           nullptr);
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}
