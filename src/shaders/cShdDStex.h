// Diffuse-specular shading of textured meshes under light 0.
// It has no parameters of its own; loading ends the process on a missing or
// broken source file.
#pragma once

#include "shaders/cShader_CG.h"

class cShdDStex : public cShader_CG {
public:
  cShdDStex(cShaderContainer_CG *container, const CGprofile &vertex_profile,
            const CGprofile &fragment_profile);

  void init_parameters() override {}
  void enable_parameters() override {}
  void disable_parameters() override {}
};
