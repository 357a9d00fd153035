// Diffuse-specular shading of textured meshes under lights 0 and 1.
// It has no parameters of its own; loading ends the process on a missing or
// broken source file.
#pragma once

#include "shaders/cShader_CG.h"

class cShdDStex2L : public cShader_CG {
public:
  cShdDStex2L(cShaderContainer_CG *container, const CGprofile &vertex_profile,
              const CGprofile &fragment_profile);

  void init_parameters() override {}
  void enable_parameters() override {}
  void disable_parameters() override {}
};
