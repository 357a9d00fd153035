// Loading bar. The fill's right edge is progress * 0.895, so at the first two
// steps the quad winds clockwise and back-face culling hides it.
#include "runtime/cLoadingBar.h"

#include "platform/picture_area.h"

#include <GL/gl.h>

void loading_bar_fill(float progress, float corners[8]) {
  const float right = progress * 0.895f;
  const float quad[8] = {0.105f, 0.455f, right, 0.455f, right, 0.545f, 0.105f, 0.545f};
  for (int i = 0; i < 8; ++i)
    corners[i] = quad[i];
}

cLoadingBar::cLoadingBar() {
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  apply_picture_viewport();
  glLineWidth(picture_scale());
  glClearColor(0.03529412f, 0.0627451f, 0.09803922f, 1.0f);
}

void cLoadingBar::draw(float progress) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 1, 0, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  float fill[8];
  loading_bar_fill(progress, fill);
  glColor4ub(255, 255, 255, 255);
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; ++i)
    glVertex3f(fill[2 * i], fill[2 * i + 1], 0.0f);
  glEnd();

  glColor4ub(255, 210, 0, 255);
  glBegin(GL_LINE_LOOP);
  glVertex2f(0.1f, 0.45f);
  glVertex2f(0.9f, 0.45f);
  glVertex2f(0.9f, 0.55f);
  glVertex2f(0.1f, 0.55f);
  glEnd();
  swap_picture();
}

cLoadingBar::~cLoadingBar() {
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glLineWidth(1.0f);
  glPopAttrib();
}
