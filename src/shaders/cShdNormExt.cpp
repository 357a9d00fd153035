// Normal-extrusion shader parameters: the extrusion and the two rotation
// matrices, stored here and sent when the shader is bound.
// A missing parameter prints an error line and keeps its zero handle.
#include "shaders/cShdNormExt.h"

#include <cstring>

cShdNormExt::cShdNormExt(cShaderContainer_CG *container, const CGprofile &vertex_profile,
                         const CGprofile &fragment_profile)
    : cShader_CG(container, vertex_profile, fragment_profile), t_parm(nullptr),
      inner_rotmat(nullptr), outer_rotmat(nullptr), t(0.0f), inner_matrix(), outer_matrix() {
  load_from_files("../src/cg_normext_vert.cg", "../src/cg_normext_frag.cg");
}

void cShdNormExt::init_parameters() {
  t_parm = lookup(vertex_program, "t_parm", "cShdNormExt", 44);
  inner_rotmat = lookup(vertex_program, "inner_rotmat", "cShdNormExt", 45);
  outer_rotmat = lookup(vertex_program, "outer_rotmat", "cShdNormExt", 46);
}

void cShdNormExt::set_parameters(float a, float, float, float) { t = a; }

void cShdNormExt::set_matrix_parameters(const float *m1, const float *m2) {
  std::memcpy(inner_matrix, m1, sizeof inner_matrix);
  std::memcpy(outer_matrix, m2, sizeof outer_matrix);
}

void cShdNormExt::enable_parameters() {
  cgGLSetParameter1f(t_parm, t);
  cgGLSetMatrixParameterfc(inner_rotmat, inner_matrix);
  cgGLSetMatrixParameterfc(outer_rotmat, outer_matrix);
}

void cShdNormExt::disable_parameters() {}
