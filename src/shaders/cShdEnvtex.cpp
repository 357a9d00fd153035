// The environment shader: lit material plus a sphere-mapped reflection.
// Construction compiles its two sources; a missing or broken file is fatal.
#include "shaders/cShdEnvtex.h"

cShdEnvtex::cShdEnvtex(cShaderContainer_CG *container, const CGprofile &vertex_profile,
                       const CGprofile &fragment_profile)
    : cShader_CG(container, vertex_profile, fragment_profile) {
  load_from_files("../src/cg_Envtex_vert.cg", "../src/cg_Envtex_frag.cg");
}
