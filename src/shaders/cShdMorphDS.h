// The morph shader: blends a mesh toward the positions and normals fed on
// texture-coordinate sets 3 and 4 by cur_t. A missing parameter prints an
// error line and leaves a zero handle; nothing here is fatal.
#pragma once

#include "shaders/cShader_CG.h"

class cShdMorphDS : public cShader_CG {
public:
  cShdMorphDS(cShaderContainer_CG *container, const CGprofile &vertex_profile,
              const CGprofile &fragment_profile);

  void init_parameters() override;
  using cShader_CG::set_parameters;
  // a: the morph weight; b, c, d are ignored.
  void set_parameters(float a, float b, float c, float d) override;
  void enable_parameters() override;
  void disable_parameters() override;

  CGparameter cur_t;
  float t;
};
