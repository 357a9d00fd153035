// Default GL state, error reports (print only) and small shared helpers.
#include "platform/gl_defaults.h"

#include "platform/gl_extensions.h"
#include "platform/picture_area.h"

#include <GL/glu.h>
#include <IL/il.h>
#include <IL/ilu.h>
#include <cmath>
#include <cstdio>

#ifndef GL_COLOR_SUM
#define GL_COLOR_SUM 0x8458
#endif

void set_gl_defaults() {
  load_gl_extensions();
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);

  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glAlphaFunc(GL_GREATER, 0.1f);
  glEnable(GL_ALPHA_TEST);
  glEnable(GL_BLEND);

  glDepthFunc(GL_LESS);
  glEnable(GL_DEPTH_TEST);

  glFrontFace(GL_CCW);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);

  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glShadeModel(GL_SMOOTH);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

  if (glActiveTextureARB)
    glActiveTextureARB(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);

  glEnable(GL_LIGHTING);
  const GLfloat ambient[4] = {0.1f, 0.1f, 0.1f, 0.1f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
  glEnable(GL_COLOR_SUM);
  glDisable(GL_COLOR_MATERIAL);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  apply_picture_viewport();
}

void check_gl_error(int32_t tag) {
  GLenum error = glGetError();
  if (error == GL_NO_ERROR)
    return;
  std::fprintf(stderr, "## ERROR: OpenGL ");
  if (tag != 0)
    std::fprintf(stderr, " %d", tag);
  const GLubyte *text = gluErrorString(error);
  std::fprintf(stderr, ": %s\n", text ? reinterpret_cast<const char *>(text) : "");
}

bool check_image_errors() {
  bool any = false;
  for (ILenum error = ilGetError(); error != IL_NO_ERROR; error = ilGetError()) {
    const char *text = iluErrorString(error);
    std::fprintf(stderr, "## ERROR: OpenIL Error %u: %s\n", static_cast<unsigned>(error),
                 text ? text : "");
    any = true;
  }
  return any;
}

bool file_exists(const char *path) {
  FILE *file = path ? std::fopen(path, "r") : nullptr;
  if (!file)
    return false;
  std::fclose(file);
  return true;
}

double wrap_float(const float *a, const float *b) {
  double value = *a;
  double period = *b;
  if (value >= period || value < 0.0)
    return value - std::floor(value / period) * period;
  return value;
}

uint32_t next_power_of_two_above(const int32_t *n) {
  if (*n < 0)
    return 1;
  uint32_t value = static_cast<uint32_t>(*n);
  if ((value & (value - 1)) == 0)
    return 2 * value;
  int top = 31;
  while (!(value & (1u << top)))
    --top;
  return 1u << (top + 1);
}
