// Bend shader parameters: two rotation matrices and the reflection texture,
// stored here and sent when the shader is bound.
// A missing parameter prints an error line and keeps its zero handle.
#include "shaders/cShdBend.h"

#include <cstring>

namespace {
const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

cShdBend::cShdBend(cShaderContainer_CG *container, const CGprofile &vertex_profile,
                   const CGprofile &fragment_profile)
    : cShader_CG(container, vertex_profile, fragment_profile), texture(0), inner_rotmat(nullptr),
      outer_rotmat(nullptr), spheremap(nullptr) {
  // Identity until the scene sends its turns, so an early bind draws the
  // mesh untwisted.
  std::memcpy(inner_matrix, kIdentity, sizeof inner_matrix);
  std::memcpy(outer_matrix, kIdentity, sizeof outer_matrix);
  load_from_files("../src/cg_bend_vert.cg", "../src/cg_bend_frag.cg");
}

void cShdBend::init_parameters() {
  inner_rotmat = lookup(vertex_program, "inner_rotmat", "cShdBend", 21);
  outer_rotmat = lookup(vertex_program, "outer_rotmat", "cShdBend", 22);
  spheremap = lookup(fragment_program, "spheremap", "cShdBend", 24);
}

void cShdBend::set_parameters(int32_t a, int32_t, int32_t, int32_t) {
  texture = static_cast<uint32_t>(a);
}

void cShdBend::set_matrix_parameters(const float *m1, const float *m2) {
  std::memcpy(inner_matrix, m1, sizeof inner_matrix);
  std::memcpy(outer_matrix, m2, sizeof outer_matrix);
}

void cShdBend::enable_parameters() {
  cgGLSetMatrixParameterfc(inner_rotmat, inner_matrix);
  cgGLSetMatrixParameterfc(outer_rotmat, outer_matrix);
  cgGLSetTextureParameter(spheremap, texture);
  cgGLEnableTextureParameter(spheremap);
}

void cShdBend::disable_parameters() { cgGLDisableTextureParameter(spheremap); }
