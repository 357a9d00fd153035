// Morph shader parameter: the blend weight, stored here and sent on bind.
// A missing entry prints an error line and keeps its zero handle.
#include "shaders/cShdMorphDS.h"

cShdMorphDS::cShdMorphDS(cShaderContainer_CG *container, const CGprofile &vertex_profile,
                         const CGprofile &fragment_profile)
    : cShader_CG(container, vertex_profile, fragment_profile), cur_t(nullptr), t(0.0f) {
  // The weight starts at 0 (the unmorphed mesh) until the scene sets one.
  load_from_files("../src/cg_morphDS_vert.cg", "../src/cg_morphDS_frag.cg");
}

void cShdMorphDS::init_parameters() { cur_t = lookup(vertex_program, "cur_t", "cShdMorphDS", 15); }

void cShdMorphDS::set_parameters(float a, float, float, float) { t = a; }

void cShdMorphDS::enable_parameters() { cgGLSetParameter1f(cur_t, t); }

void cShdMorphDS::disable_parameters() {}
