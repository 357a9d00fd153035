// The back-face shader: two-sided rim shading for additive, textured rings.
// It has no parameters of its own; loading ends the process on a missing or
// broken source file.
#pragma once

#include "shaders/cShader_CG.h"

class cShdBacknorm : public cShader_CG {
public:
  cShdBacknorm(cShaderContainer_CG *container, const CGprofile &vertex_profile,
               const CGprofile &fragment_profile);

  void init_parameters() override {}
  void enable_parameters() override {}
  void disable_parameters() override {}
};
