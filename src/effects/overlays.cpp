// 2D overlays: orthographic set-up, invert, noise strips and flash.
// Nothing fails; each overlay pushes and pops the GL enable bits.
#include "platform/gl_extensions.h"

#include "effects/overlays.h"

#include "platform/video_settings.h"

#include <GL/glu.h>
#include <cstdlib>

int32_t saved_blend_src = 0;
int32_t saved_blend_dst = 0;

namespace {

// True once a save stored real factors; before that the flash keeps the
// factors it found instead of setting (0, 0), which would black out drawing.
bool blend_saved = false;

void full_window_quad(float z) {
  const float w = static_cast<float>(video_settings.width);
  const float h = static_cast<float>(video_settings.height);
  glBegin(GL_QUADS);
  glVertex3f(0.0f, 0.0f, z);
  glVertex3f(w, 0.0f, z);
  glVertex3f(w, h, z);
  glVertex3f(0.0f, h, z);
  glEnd();
}

// Pushes the enable bits and sets up blending over the whole window, with
// depth, culling, texturing and lighting off; glPopAttrib undoes the switches.
void begin_full_window_blend() {
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  begin_ortho();
}

} // namespace

void begin_ortho() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0.0, video_settings.width, 0.0, video_settings.height);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void save_blend() {
  glGetIntegerv(GL_BLEND_SRC, &saved_blend_src);
  glGetIntegerv(GL_BLEND_DST, &saved_blend_dst);
  blend_saved = true;
}

void restore_blend() {
  glBlendFunc(static_cast<GLenum>(saved_blend_src), static_cast<GLenum>(saved_blend_dst));
}

void overlay_invert(float f) {
  save_blend();
  begin_full_window_blend();
  glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ZERO);
  glColor4f(f, f, f, 1.0f);
  full_window_quad(0.0f);
  restore_blend();
  glPopAttrib();
}

void overlay_noise() {
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  begin_ortho();
  save_blend();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  const float w = static_cast<float>(video_settings.width);
  const float h = static_cast<float>(video_settings.height);
  glColor4f(1.0f, 1.0f, 1.0f, 0.2f);
  for (int i = 0; i < 250; ++i) {
    const int r1 = std::rand();
    const int r2 = std::rand();
    // Scaled by the library's own range, so the strips span the window
    // whether rand() stops at 32767 or goes on to 2^31 - 1.
    const float y = static_cast<float>(r1) * h / static_cast<float>(RAND_MAX);
    const float strip = static_cast<float>(r2) * (h * 0.1f) / static_cast<float>(RAND_MAX);
    // Strips past z = 1 are clipped; they are still issued so the random
    // sequence advances by the same amount every time.
    const float z = 0.5f + 0.04f * i;
    glBegin(GL_QUADS);
    glVertex3f(0.0f, y, z);
    glVertex3f(w, y, z);
    glVertex3f(w, y + strip, z);
    glVertex3f(0.0f, y + strip, z);
    glEnd();
  }
  restore_blend();
  glPopAttrib();
}

void overlay_flash(float f) {
  GLint found_src = GL_SRC_ALPHA, found_dst = GL_ONE_MINUS_SRC_ALPHA;
  glGetIntegerv(GL_BLEND_SRC, &found_src);
  glGetIntegerv(GL_BLEND_DST, &found_dst);
  begin_full_window_blend();
  glColor4f(f, f, f, f);
  full_window_quad(0.0f);
  if (blend_saved)
    restore_blend();
  else
    glBlendFunc(static_cast<GLenum>(found_src), static_cast<GLenum>(found_dst));
  glPopAttrib();
}
