// A texture drawn over the whole window, behind whatever is drawn next:
// no shader, no lighting, no depth test, only texture unit 0. The GL state
// and both matrices are as before afterwards. Nothing fails.
#pragma once

#include <GL/gl.h>

// Draws texture with the colour under the texture environment env_mode
// (GL_MODULATE or GL_REPLACE), blended as blending stands. A window
// {left, bottom, right, top} of the unit square limits the quad to that
// part of the screen and of the texture, drawing the same pixels there:
// where the rest of the picture is transparent, the frame is the same.
void draw_fullscreen_texture(GLuint texture, const float colour[4], GLint env_mode,
                             const float window[4] = nullptr);
