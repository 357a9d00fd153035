// Camera: perspective projection and look-at view.
#include "runtime/cCamera.h"

#include <GL/gl.h>
#include <GL/glu.h>

void cCamera::look(const float (&from)[3], const float (&at)[3], const float (&upward)[3]) {
  for (int k = 0; k < 3; ++k) {
    eye[k] = from[k];
    centre[k] = at[k];
    up[k] = upward[k];
  }
}

void cCamera::lens(float fovy_degrees, float near_distance, float far_distance,
                   float width_over_height) {
  fovy = fovy_degrees;
  near_plane = near_distance;
  far_plane = far_distance;
  aspect = width_over_height;
}

void cCamera::apply() const {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovy, aspect, near_plane, far_plane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], up[0], up[1], up[2]);
}
