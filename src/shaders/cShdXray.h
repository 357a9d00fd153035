// The x-ray shader: view-angle rim shading through a 1D colour scale, in fog.
// It has no parameters of its own; loading ends the process on a missing or
// broken source file.
#pragma once

#include "shaders/cShader_CG.h"

class cShdXray : public cShader_CG {
public:
  cShdXray(cShaderContainer_CG *container, const CGprofile &vertex_profile,
           const CGprofile &fragment_profile);

  void init_parameters() override {}
  void enable_parameters() override {}
  void disable_parameters() override {}
};
