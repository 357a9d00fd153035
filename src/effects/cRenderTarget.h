// Captures what was just drawn in the back buffer into a mipmapped square
// texture. Nothing is checked: the captured area must fit in the window.
#pragma once

#include <GL/gl.h>
#include <cstdint>

class cRenderTarget {
public:
  cRenderTarget();
  virtual ~cRenderTarget();

  // Shrinks the viewport to the target's size.
  virtual void begin();
  // Copies the frame into the texture, restores the viewport, clears.
  virtual void end();
  // Makes the texture if it does not exist yet.
  virtual void create();
  // Texture coordinates of the captured area's far corner.
  virtual void get_tex_extent(float *s, float *t);
  virtual void set_size(uint32_t w, uint32_t h);
  virtual GLuint *texture_id();

  // Number of mipmap levels create() allocates for an edge of texture_size.
  static int allocated_levels(int32_t texture_size, bool ati);
  // Square texture edge for a captured area: a power of two.
  static int32_t edge_for(uint32_t w, uint32_t h);

  uint32_t width;
  uint32_t height;
  int32_t texture_size;
  GLuint texture;
  int32_t saved_viewport[4];
  bool is_ati;
};
