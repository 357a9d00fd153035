// A texture drawn over the whole window, behind whatever is drawn next:
// no shader, no lighting, no depth test, only texture unit 0. The GL state
// and both matrices are as before afterwards. Nothing fails.
#pragma once

#include <GL/gl.h>

// Draws texture with the colour under the texture environment env_mode
// (GL_MODULATE or GL_REPLACE), blended as blending stands.
void draw_fullscreen_texture(GLuint texture, const float colour[4], GLint env_mode);
