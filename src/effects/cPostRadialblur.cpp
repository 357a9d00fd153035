// Radial blur post effect over a captured frame. Leaves blend factors,
// texture state, matrices and enable bits as it found them; never fatal.
#include "platform/gl_extensions.h"

#include "effects/cPostRadialblur.h"

#include <cstdio>

cPostRadialblur::cPostRadialblur(uint32_t width, uint32_t height, int32_t mode, float spread)
    : zoom(1.0f), intensity(1.0f), centre_x(0.5f), centre_y(0.5f), spread(spread), mode(mode) {
  target->set_size(width, height);
}

int cPostRadialblur::copy_count(float zoom) {
  const int n = static_cast<int>(zoom * 100.0f);
  return n > 0 ? (n + 1) / 2 : 0;
}

float cPostRadialblur::copy_bias(int32_t mode, int i, int n, float spread, float previous) {
  switch (mode) {
  case 0:
    return static_cast<float>(i) * spread * 1.5f / static_cast<float>(n);
  case 1:
    return static_cast<float>(n - i) * spread * 1.5f / static_cast<float>(n);
  default:
    std::fprintf(stderr, "# ERROR, unknown case in cPostRadialblur, line 129\n");
    return previous;
  }
}

void cPostRadialblur::render() {
  // Enable and texture bits in one push: some drivers skip restoring the
  // outer group of two nested pushes when only that group changed.
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
  // Some drivers leave the light switches out of the enable group's pop.
  const GLboolean light0 = glIsEnabled(GL_LIGHT0);
  const GLboolean light1 = glIsEnabled(GL_LIGHT1);

  // Texture environment mode and 2D binding of units 0 and 1 (unit 1 stays
  // active), then the blend factors.
  const GLenum units[2] = {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB};
  GLint saved_env[2] = {0, 0}, saved_binding[2] = {0, 0};
  for (int u = 0; u < 2; ++u) {
    glActiveTextureARB(units[u]);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &saved_env[u]);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &saved_binding[u]);
  }
  GLint blend_src = GL_ONE, blend_dst = GL_ZERO;
  glGetIntegerv(GL_BLEND_SRC, &blend_src);
  glGetIntegerv(GL_BLEND_DST, &blend_dst);

  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHT1);

  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  const GLuint texture = *target->texture_id();
  float s = 0.0f, t = 0.0f;
  target->get_tex_extent(&s, &t);

  glActiveTextureARB(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvf(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, -1.0f);

  const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0.0f);

  // Sharp copy: GL_ADD onto black adds the picture unchanged.
  const float corner[4][2] = {{0.0f, 0.0f}, {s, 0.0f}, {s, t}, {0.0f, t}};
  const float vertex[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
  glBegin(GL_QUADS);
  for (int k = 0; k < 4; ++k) {
    glTexCoord2f(corner[k][0], corner[k][1]);
    glVertex3f(vertex[k][0], vertex[k][1], 0.0f);
  }
  glEnd();

  const int n = static_cast<int>(zoom * 100.0f);

  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
  glBindTexture(GL_TEXTURE_2D, texture);

  float bias = 0.0f;
  const int copies = copy_count(zoom);
  for (int copy = 0; copy < copies; ++copy) {
    const int i = 2 * copy;
    bias = copy_bias(mode, i, n, spread, bias);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glTexEnvf(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, bias);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glTexEnvf(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, bias);

    const float fi = static_cast<float>(i);
    const float fn = static_cast<float>(n);
    glColor4f(0.0f, 0.0f, 0.0f, fi * intensity * (1.0f / fn) * 0.1f);
    const float k0 = 1.0f / (1.0f + zoom * (1.0f - fi / fn));
    const float k1 = 1.0f / (1.0f + zoom * (1.0f - (fi + 1.0f) / fn));

    // With GL_DECAL on an RGB texture unit 1's sample wins; unit 0 keeps
    // the copies' pairs of coordinates consistent.
    glBegin(GL_QUADS);
    for (int k = 0; k < 4; ++k) {
      const float c0[2] = {centre_x + (corner[k][0] - centre_x) * k0,
                           centre_y + (corner[k][1] - centre_y) * k0};
      const float c1[2] = {centre_x + (corner[k][0] - centre_x) * k1,
                           centre_y + (corner[k][1] - centre_y) * k1};
      glMultiTexCoord2fvARB(GL_TEXTURE0_ARB, c0);
      glMultiTexCoord2fvARB(GL_TEXTURE1_ARB, c1);
      glVertex3f(vertex[k][0], vertex[k][1], -1.0f);
    }
    glEnd();
  }

  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);

  glBlendFunc(static_cast<GLenum>(blend_src), static_cast<GLenum>(blend_dst));
  for (int u = 1; u >= 0; --u) {
    glActiveTextureARB(units[u]);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, saved_env[u]);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(saved_binding[u]));
  }

  glPopAttrib();
  if (light0)
    glEnable(GL_LIGHT0);
  if (light1)
    glEnable(GL_LIGHT1);
  glActiveTextureARB(GL_TEXTURE0_ARB);
}
