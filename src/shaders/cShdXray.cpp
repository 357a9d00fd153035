// The x-ray shader: view-angle rim shading through a 1D colour scale, in fog.
// Construction compiles its two sources; a missing or broken file is fatal.
#include "shaders/cShdXray.h"

cShdXray::cShdXray(cShaderContainer_CG *container, const CGprofile &vertex_profile,
                   const CGprofile &fragment_profile)
    : cShader_CG(container, vertex_profile, fragment_profile) {
  load_from_files("../src/cg_xray_vert.cg", "../src/cg_xray_frag.cg");
}
