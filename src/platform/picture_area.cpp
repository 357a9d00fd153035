// The picture area and its black bars. Nothing here fails.
#include "platform/picture_area.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

namespace {
picture_rect g_picture;
int32_t g_window_width = 800;
int32_t g_window_height = 600;

void clear_box(GLint x, GLint y, GLsizei w, GLsizei h) {
  if (w <= 0 || h <= 0)
    return;
  glScissor(x, y, w, h);
  glClear(GL_COLOR_BUFFER_BIT);
}
} // namespace

picture_rect picture_area_for(int32_t window_width, int32_t window_height) {
  picture_rect r;
  if (int64_t(window_width) * 3 >= int64_t(window_height) * 4) {
    r.height = window_height;
    r.width = static_cast<int32_t>(int64_t(window_height) * 4 / 3);
  } else {
    r.width = window_width;
    r.height = static_cast<int32_t>(int64_t(window_width) * 3 / 4);
  }
  r.x = (window_width - r.width) / 2;
  r.y = (window_height - r.height) / 2;
  return r;
}

const picture_rect &picture_area() { return g_picture; }

void set_picture_area(const picture_rect &area, int32_t window_width, int32_t window_height) {
  g_picture = area;
  g_window_width = window_width;
  g_window_height = window_height;
}

bool picture_has_bars() {
  return g_picture.width != g_window_width || g_picture.height != g_window_height;
}

float picture_scale() { return static_cast<float>(g_picture.height) / 600.0f; }

void apply_picture_viewport() {
  glViewport(g_picture.x, g_picture.y, g_picture.width, g_picture.height);
  if (!picture_has_bars()) {
    glDisable(GL_SCISSOR_TEST);
    return;
  }
  glScissor(g_picture.x, g_picture.y, g_picture.width, g_picture.height);
  glEnable(GL_SCISSOR_TEST);
}

void clear_picture_bars() {
  if (!picture_has_bars())
    return;
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  GLboolean mask[4];
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  glPushAttrib(GL_SCISSOR_BIT);
  glEnable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  const picture_rect &p = g_picture;
  clear_box(0, 0, p.x, g_window_height);
  clear_box(p.x + p.width, 0, g_window_width - p.x - p.width, g_window_height);
  clear_box(p.x, 0, p.width, p.y);
  clear_box(p.x, p.y + p.height, p.width, g_window_height - p.y - p.height);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  glColorMask(mask[0], mask[1], mask[2], mask[3]);
  glPopAttrib();
}

void swap_picture() {
  clear_picture_bars();
  SDL_GL_SwapBuffers();
}
