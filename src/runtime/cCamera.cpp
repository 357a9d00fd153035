// Camera: perspective projection and look-at view.
#include "runtime/cCamera.h"

#include <GL/gl.h>
#include <GL/glu.h>

void cCamera::apply() const {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovy, aspect, near_plane, far_plane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], up[0], up[1], up[2]);
}
