// The bend shader: twists a mesh between an inner and an outer rotation and
// adds a sphere-mapped reflection. A missing parameter prints an error line
// and leaves a zero handle; nothing here is fatal.
#pragma once

#include "shaders/cShader_CG.h"

#include <cstdint>

class cShdBend : public cShader_CG {
public:
  cShdBend(cShaderContainer_CG *container, const CGprofile &vertex_profile,
           const CGprofile &fragment_profile);

  void init_parameters() override;
  using cShader_CG::set_parameters;
  // a: GL name of the reflection texture; b, c, d are ignored.
  void set_parameters(int32_t a, int32_t b, int32_t c, int32_t d) override;
  void set_matrix_parameters(const float *m1, const float *m2) override;
  void enable_parameters() override;
  void disable_parameters() override;

  float inner_matrix[16];
  float outer_matrix[16];
  uint32_t texture;
  CGparameter inner_rotmat;
  CGparameter outer_rotmat;
  CGparameter spheremap;
};
