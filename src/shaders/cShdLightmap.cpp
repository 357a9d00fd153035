// The light-map shader: colour texture times baked light map, with 1D-scale fog.
// Construction compiles its two sources; a missing or broken file is fatal.
#include "shaders/cShdLightmap.h"

cShdLightmap::cShdLightmap(cShaderContainer_CG *container, const CGprofile &vertex_profile,
                           const CGprofile &fragment_profile)
    : cShader_CG(container, vertex_profile, fragment_profile) {
  load_from_files("../src/cg_lightmap_vert.cg", "../src/cg_lightmap_frag.cg");
}
