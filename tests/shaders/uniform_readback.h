// Reads back what the program layer sent: the values of a uniform in the GL
// program object in use now.
#pragma once

#include "platform/gl_extensions.h"
#include "shaders/cg_runtime.h"

#include <SDL/SDL.h>

#include <string>
#include <vector>

namespace harness {

template <typename Fn> Fn resolve(const char *name) {
  return reinterpret_cast<Fn>(SDL_GL_GetProcAddress(name));
}

// count values of the named uniform; empty when the program has none of that
// name. A sampler named "texunitN_..." gives its unit number.
inline std::vector<float> uniform_values(const char *name, int count) {
  auto get_location = resolve<PFNGLGETUNIFORMLOCATIONPROC>("glGetUniformLocation");
  auto get_values = resolve<PFNGLGETUNIFORMFVPROC>("glGetUniformfv");
  auto get_int = resolve<PFNGLGETUNIFORMIVPROC>("glGetUniformiv");
  std::vector<float> out(count, -999.0f);
  const GLuint program = cg_layer_current_gl_program();
  const GLint location = get_location(program, name);
  if (location < 0)
    return {};
  if (count == 1 && std::string(name).find("texunit") != std::string::npos) {
    GLint unit = -1;
    get_int(program, location, &unit);
    out[0] = float(unit);
  } else {
    get_values(program, location, out.data());
  }
  return out;
}

} // namespace harness
