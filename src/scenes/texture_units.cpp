// Texture-unit reset; see texture_units.h.
#include "platform/gl_extensions.h"

#include "scenes/texture_units.h"

void reset_texture_units(int count) {
  for (int unit = count - 1; unit >= 0; --unit) {
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_1D, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
}
