// Diffuse-specular shading of textured meshes under light 0.
// Construction compiles its two sources; a missing or broken file is fatal.
#include "shaders/cShdDStex.h"

cShdDStex::cShdDStex(cShaderContainer_CG *container, const CGprofile &vertex_profile,
                     const CGprofile &fragment_profile)
    : cShader_CG(container, vertex_profile, fragment_profile) {
  load_from_files("../src/cg_DStex_vert.cg", "../src/cg_DStex_frag.cg");
}
