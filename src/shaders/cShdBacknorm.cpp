// The back-face shader: two-sided rim shading for additive, textured rings.
// Construction compiles its two sources; a missing or broken file is fatal.
#include "shaders/cShdBacknorm.h"

cShdBacknorm::cShdBacknorm(cShaderContainer_CG *container, const CGprofile &vertex_profile,
                           const CGprofile &fragment_profile)
    : cShader_CG(container, vertex_profile, fragment_profile) {
  load_from_files("../src/cg_backnorm_vert.cg", "../src/cg_backnorm_frag.cg");
}
