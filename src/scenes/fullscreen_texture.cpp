// A texture over the whole window; see fullscreen_texture.h.
#include "platform/gl_extensions.h"

#include "scenes/fullscreen_texture.h"

#include "scenes/cEnableScope.h"
#include "scenes/fixed_function.h"
#include "shaders/cShaderContainer_CG.h"

void draw_fullscreen_texture(GLuint texture, const float colour[4], GLint env_mode,
                             const float window[4]) {
  static const float kWhole[4] = {0.0f, 0.0f, 1.0f, 1.0f};
  const float *w = window ? window : kWhole;
  cEnableScope scope(GL_TEXTURE_BIT);
  if (g_shader_container)
    g_shader_container->unbind();
  set_black_material();
  glDisable(GL_LIGHTING);
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHT1);
  glDisable(GL_DEPTH_TEST);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_1D);
  glDisable(GL_TEXTURE_2D);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_1D);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, env_mode);

  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  glColor4fv(colour);
  // Screen and texture share the unit square, so each corner is its own
  // texture coordinate.
  const float corners[4][2] = {{w[0], w[1]}, {w[2], w[1]}, {w[2], w[3]}, {w[0], w[3]}};
  glBegin(GL_QUADS);
  for (const float *c : corners) {
    glTexCoord2f(c[0], c[1]);
    glVertex3f(c[0], c[1], 0.0f);
  }
  glEnd();

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}
