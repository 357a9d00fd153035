// The light-map shader: colour texture times baked light map, with 1D-scale fog.
// It has no parameters of its own; loading ends the process on a missing or
// broken source file.
#pragma once

#include "shaders/cShader_CG.h"

class cShdLightmap : public cShader_CG {
public:
  cShdLightmap(cShaderContainer_CG *container, const CGprofile &vertex_profile,
               const CGprofile &fragment_profile);

  void init_parameters() override {}
  void enable_parameters() override {}
  void disable_parameters() override {}
};
