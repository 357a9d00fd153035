// Enable-bits push and pop with the light switches restored by hand.
#include "scenes/cEnableScope.h"

namespace {
void set_switch(GLenum cap, GLboolean on) {
  if (on)
    glEnable(cap);
  else
    glDisable(cap);
}
} // namespace

cEnableScope::cEnableScope(GLbitfield more_groups)
    : light0(glIsEnabled(GL_LIGHT0)), light1(glIsEnabled(GL_LIGHT1)) {
  // One push for every group: a nested pair of pushes loses the outer group
  // on some drivers.
  glPushAttrib(GL_ENABLE_BIT | more_groups);
}

cEnableScope::~cEnableScope() {
  glPopAttrib();
  set_switch(GL_LIGHT0, light0);
  set_switch(GL_LIGHT1, light1);
}
