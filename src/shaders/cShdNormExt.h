// The normal-extrusion shader: the bent mesh pushed out along its normals by
// t_parm, drawn as a fading glow. A missing parameter prints an error line and
// leaves a zero handle; nothing here is fatal.
#pragma once

#include "shaders/cShader_CG.h"

class cShdNormExt : public cShader_CG {
public:
  cShdNormExt(cShaderContainer_CG *container, const CGprofile &vertex_profile,
              const CGprofile &fragment_profile);

  void init_parameters() override;
  using cShader_CG::set_parameters;
  // a: the extrusion; b, c, d are ignored.
  void set_parameters(float a, float b, float c, float d) override;
  void set_matrix_parameters(const float *m1, const float *m2) override;
  void enable_parameters() override;
  void disable_parameters() override;

  CGparameter t_parm;
  CGparameter inner_rotmat;
  CGparameter outer_rotmat;
  float t;
  float inner_matrix[16];
  float outer_matrix[16];
};
