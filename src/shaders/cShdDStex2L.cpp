// Diffuse-specular shading of textured meshes under lights 0 and 1.
// Construction compiles its two sources; a missing or broken file is fatal.
#include "shaders/cShdDStex2L.h"

cShdDStex2L::cShdDStex2L(cShaderContainer_CG *container, const CGprofile &vertex_profile,
                         const CGprofile &fragment_profile)
    : cShader_CG(container, vertex_profile, fragment_profile) {
  load_from_files("../src/cg_DStex_2L_vert.cg", "../src/cg_DStex_2L_frag.cg");
}
