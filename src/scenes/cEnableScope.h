// Saves the GL enable bits (and any further attribute groups asked for, in
// the same push) and gives them back when it ends. Lights 0 and 1 are put
// back by hand: some drivers leave the light switches out of the pop.
#pragma once

#include <GL/gl.h>

class cEnableScope {
public:
  explicit cEnableScope(GLbitfield more_groups = 0);
  ~cEnableScope();
  cEnableScope(const cEnableScope &) = delete;
  cEnableScope &operator=(const cEnableScope &) = delete;

private:
  GLboolean light0;
  GLboolean light1;
};
