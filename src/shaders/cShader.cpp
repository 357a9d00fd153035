// Warning defaults of the shader interface: a shader without a setter says so
// on standard error and keeps its state.
#include "shaders/cShader.h"

#include <cstdio>

namespace {
void warn(int line, const char *operation) {
  std::fprintf(stderr, "# WARNING in cShader line %d, %s() not implemented for this shader!\n",
               line, operation);
}
} // namespace

void cShader::set_parameters(float, float, float, float) { warn(45, "set_parameters"); }

void cShader::set_parameters(int32_t, int32_t, int32_t, int32_t) { warn(49, "set_parameters"); }

void cShader::set_matrix_parameters(const float *, const float *) {
  warn(53, "set_matrix_parameters");
}
