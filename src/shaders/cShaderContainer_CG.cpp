// Profile choice, the shader table and bind/unbind tracking.
// Fatal (-1): no usable vertex or fragment profile, any toolkit error.
#include "shaders/cShaderContainer_CG.h"

#include <cstdio>
#include <cstdlib>

const std::string null_shader_name = "null_shader";

cShaderContainer_CG *g_shader_container = nullptr;

namespace {
const char kRule[] = "---------------------------------------------------";
}

void shader_error_handler() {
  CGerror error = cgGetError();
  if (error == CG_NO_ERROR)
    return;
  const char *listing =
      g_shader_container ? cgGetLastListing(g_shader_container->context) : nullptr;
  std::fprintf(stderr, "\n%s\n", kRule);
  std::fprintf(stderr, "%s\n\n", cgGetErrorString(error));
  if (listing)
    std::fprintf(stderr, "%s\n", listing);
  std::fprintf(stderr, "%s\n", kRule);
  std::fprintf(stderr, "Cg error, exiting...\n");
  std::exit(-1);
}

cShaderContainer_CG::cShaderContainer_CG()
    : context(nullptr), vertex_profile(CG_PROFILE_UNKNOWN), fragment_profile(CG_PROFILE_UNKNOWN),
      current_shader(null_shader_name) {}

void cShaderContainer_CG::init() {
  if (cgGLIsProfileSupported(CG_PROFILE_ARBVP1)) {
    vertex_profile = CG_PROFILE_ARBVP1;
    std::printf("Chose cg_profile:\tCG_PROFILE_ARBVP1\n");
  } else if (cgGLIsProfileSupported(CG_PROFILE_VP20)) {
    vertex_profile = CG_PROFILE_VP20;
    std::printf("Chose cg_profile:\tCG_PROFILE_VP20\n");
  } else {
    std::printf("## ERROR: No vertex-programming capabilities detected - exiting\n");
    std::exit(-1);
  }
  cgGLSetOptimalOptions(vertex_profile);

  if (cgGLIsProfileSupported(CG_PROFILE_ARBFP1)) {
    fragment_profile = CG_PROFILE_ARBFP1;
    std::printf("Chose fragment_profile: CG_PROFILE_ARBFP1\n");
  } else if (cgGLIsProfileSupported(CG_PROFILE_FP30)) {
    fragment_profile = CG_PROFILE_FP30;
    std::printf("Chose fragment_profile: CG_PROFILE_FP30\n");
  } else if (cgGLIsProfileSupported(CG_PROFILE_FP20)) {
    fragment_profile = CG_PROFILE_FP20;
    std::printf("Chose fragment_profile: CG_PROFILE_FP20\n");
  } else {
    std::printf("ERROR: no fragment programming capabilities detected - exiting!\n");
    std::exit(-1);
  }
  cgGLSetOptimalOptions(fragment_profile);

  cgSetErrorCallback(shader_error_handler);
  context = cgCreateContext();
  unbind();
}

void cShaderContainer_CG::bind(const std::string &name) {
  if (current_shader != null_shader_name) {
    auto bound = shaders.find(current_shader);
    if (bound != shaders.end())
      bound->second->disable_parameters();
    cgGLDisableProfile(vertex_profile);
    cgGLDisableProfile(fragment_profile);
  }
  cgGLEnableProfile(vertex_profile);
  cgGLEnableProfile(fragment_profile);
  auto it = shaders.find(name);
  if (it == shaders.end()) {
    std::fprintf(stderr, "#WARNING in cShaderContainer_CG line 118: trying to bind unknown "
                         "shader!\n");
    return;
  }
  it->second->bind();
  current_shader = name;
}

void cShaderContainer_CG::unbind() {
  if (!context) {
    std::fprintf(stderr,
                 "## ERROR in cShaderContainer_CG line 78: no current CG-context available!\n");
    return;
  }
  if (current_shader == null_shader_name)
    return;
  auto bound = shaders.find(current_shader);
  if (bound != shaders.end())
    bound->second->disable_parameters();
  current_shader = null_shader_name;
  cgGLDisableProfile(vertex_profile);
  cgGLDisableProfile(fragment_profile);
}

cShader_CG *cShaderContainer_CG::find(const std::string &name, int line) {
  auto it = shaders.find(name);
  if (it != shaders.end())
    return it->second;
  std::fprintf(stderr, "#WARNING in cShaderContainer_CG line %d: unknown shader \"%s\"!\n", line,
               name.c_str());
  return nullptr;
}

void cShaderContainer_CG::set_parameters(const std::string &name, int32_t a, int32_t b, int32_t c,
                                         int32_t d) {
  if (cShader_CG *s = find(name, __LINE__))
    s->set_parameters(a, b, c, d);
}

void cShaderContainer_CG::set_parameters(const std::string &name, float a, float b, float c,
                                         float d) {
  if (cShader_CG *s = find(name, __LINE__))
    s->set_parameters(a, b, c, d);
}

void cShaderContainer_CG::set_parameters(const std::string &name, float a) {
  set_parameters(name, a, 0.0f, 0.0f, 0.0f);
}

void cShaderContainer_CG::set_matrix_parameters(const std::string &name, const float *m1,
                                                const float *m2) {
  if (cShader_CG *s = find(name, __LINE__))
    s->set_matrix_parameters(m1, m2);
}

cShaderContainer_CG::~cShaderContainer_CG() {
  // The context releases every program; the shaders must not do it again.
  if (context)
    cgDestroyContext(context);
  context = nullptr;
  for (auto &entry : shaders) {
    entry.second->forget_programs();
    delete entry.second;
  }
  shaders.clear();
  current_shader.clear();
  current_shader.shrink_to_fit();
}
