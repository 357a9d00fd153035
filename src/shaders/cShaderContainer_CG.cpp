// Profile choice, the shader table and bind/unbind tracking.
// Fatal (-1): no usable vertex or fragment profile, any toolkit error.
#include "shaders/cShaderContainer_CG.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

const std::string null_shader_name = "null_shader";

cShaderContainer_CG *g_shader_container = nullptr;

namespace {
const char kRule[] = "---------------------------------------------------";

struct profile_candidate {
  CGprofile profile;
  const char *announcement;
};

// The first supported candidate, announced and given its optimal options;
// with none supported the process ends with -1.
CGprofile choose_profile(std::initializer_list<profile_candidate> candidates,
                         const char *none_supported) {
  for (const profile_candidate &c : candidates)
    if (cgGLIsProfileSupported(c.profile)) {
      std::printf("%s\n", c.announcement);
      cgGLSetOptimalOptions(c.profile);
      return c.profile;
    }
  std::printf("%s\n", none_supported);
  std::exit(-1);
}
} // namespace

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
  vertex_profile =
      choose_profile({{CG_PROFILE_ARBVP1, "Chose cg_profile:\tCG_PROFILE_ARBVP1"},
                      {CG_PROFILE_VP20, "Chose cg_profile:\tCG_PROFILE_VP20"}},
                     "## ERROR: No vertex-programming capabilities detected - exiting");
  fragment_profile =
      choose_profile({{CG_PROFILE_ARBFP1, "Chose fragment_profile: CG_PROFILE_ARBFP1"},
                      {CG_PROFILE_FP30, "Chose fragment_profile: CG_PROFILE_FP30"},
                      {CG_PROFILE_FP20, "Chose fragment_profile: CG_PROFILE_FP20"}},
                     "ERROR: no fragment programming capabilities detected - exiting!");

  cgSetErrorCallback(shader_error_handler);
  context = cgCreateContext();
  unbind();
}

void cShaderContainer_CG::disable_current() {
  auto bound = shaders.find(current_shader);
  if (bound != shaders.end())
    bound->second->disable_parameters();
  cgGLDisableProfile(vertex_profile);
  cgGLDisableProfile(fragment_profile);
}

void cShaderContainer_CG::bind(const std::string &name) {
  if (current_shader != null_shader_name)
    disable_current();
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
  disable_current();
  current_shader = null_shader_name;
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
