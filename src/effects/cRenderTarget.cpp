// Render-to-texture by copying from the back buffer at the picture's corner.
// Never fails; sizes larger than the picture copy undefined pixels.
#include "platform/gl_extensions.h"

#include "effects/cRenderTarget.h"

#include "platform/gl_defaults.h"
#include "platform/picture_area.h"

#include <cstring>

namespace {
// Drivers of that vendor mishandle the level-of-detail clamps, so they get
// a full mipmap chain instead.
constexpr int kClampedLevelLimit = 3;
constexpr int kFullLevelLimit = 1000;
} // namespace

cRenderTarget::cRenderTarget()
    : width(0), height(0), texture_size(0), texture(0), saved_viewport{0, 0, 0, 0}, is_ati(false) {
  const char *vendor = reinterpret_cast<const char *>(glGetString(GL_VENDOR));
  is_ati = vendor && std::strstr(vendor, "ATI") != nullptr;
}

cRenderTarget::~cRenderTarget() {
  if (texture)
    glDeleteTextures(1, &texture);
}

int32_t cRenderTarget::edge_for(uint32_t w, uint32_t h) {
  int32_t edge = static_cast<int32_t>(w > h ? w : h);
  if (edge > 0 && (edge & (edge - 1)) != 0)
    edge = static_cast<int32_t>(next_power_of_two_above(&edge));
  return edge;
}

int cRenderTarget::allocated_levels(int32_t size, bool ati) {
  const int limit = ati ? kFullLevelLimit : kClampedLevelLimit;
  int level = 1;
  while (level < limit && level < 31 && (int64_t(1) << level) <= size)
    ++level;
  return level;
}

void cRenderTarget::create() {
  if (texture)
    return;
  texture_size = edge_for(width, height);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameterf(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1.0f);
  if (!is_ati) {
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_LOD, 0.0f);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_LOD, 3.0f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 3);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  const int levels = allocated_levels(texture_size, is_ati);
  for (int level = 0; level < levels; ++level) {
    const GLsizei edge = texture_size >> level;
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, edge, edge, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  }
}

void cRenderTarget::begin() {
  glGetIntegerv(GL_VIEWPORT, saved_viewport);
  // Drawn and copied at the picture's corner, clear of any bars.
  const picture_rect &picture = picture_area();
  glViewport(picture.x, picture.y, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
}

void cRenderTarget::end() {
  glPushAttrib(GL_TEXTURE_BIT);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glEnable(GL_TEXTURE_2D);
  glReadBuffer(GL_BACK);
  glBindTexture(GL_TEXTURE_2D, texture);
  // Mipmap generation fills the smaller levels from this copy.
  const picture_rect &picture = picture_area();
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, picture.x, picture.y, static_cast<GLsizei>(width),
                      static_cast<GLsizei>(height));
  glViewport(saved_viewport[0], saved_viewport[1], saved_viewport[2], saved_viewport[3]);
  glPopAttrib();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void cRenderTarget::get_tex_extent(float *s, float *t) {
  // Before create() the edge is the one create() will choose, so the
  // extent never divides by zero.
  const int32_t edge = texture_size > 0 ? texture_size : edge_for(width, height);
  if (edge <= 0) {
    *s = *t = 0.0f;
    return;
  }
  *s = static_cast<float>(width) / static_cast<float>(edge);
  *t = static_cast<float>(height) / static_cast<float>(edge);
}

void cRenderTarget::set_size(uint32_t w, uint32_t h) {
  width = w;
  height = h;
}

GLuint *cRenderTarget::texture_id() { return &texture; }
