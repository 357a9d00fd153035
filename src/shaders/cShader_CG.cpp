// Loading, binding and releasing a vertex/fragment program pair.
// Fatal for missing source files (-1) and for compiles without a program (0).
#include "shaders/cShader_CG.h"

#include "shaders/cShaderContainer_CG.h"

#include <cstdio>
#include <cstdlib>

namespace {
void require_readable(const std::string &path, int line) {
  FILE *f = std::fopen(path.c_str(), "r");
  if (!f) {
    std::fprintf(stderr, "# ERROR in cShader_CG line %d file not found: %s\n", line, path.c_str());
    std::exit(-1);
  }
  std::fclose(f);
}
} // namespace

cShader_CG::cShader_CG(cShaderContainer_CG *container, const CGprofile &vertex_profile,
                       const CGprofile &fragment_profile)
    : container(container), vertex_profile(vertex_profile), fragment_profile(fragment_profile),
      vertex_program(nullptr), fragment_program(nullptr) {}

bool cShader_CG::load_from_files(const std::string &vertex_file, const std::string &fragment_file) {
  require_readable(vertex_file, 47);
  require_readable(fragment_file, 51);
  // Both are compiled before either is tested.
  vertex_program = cgCreateProgramFromFile(container->context, CG_SOURCE, vertex_file.c_str(),
                                           vertex_profile, nullptr, nullptr);
  fragment_program = cgCreateProgramFromFile(container->context, CG_SOURCE, fragment_file.c_str(),
                                             fragment_profile, nullptr, nullptr);
  if (!vertex_program) {
    std::fprintf(stderr, "## ERROR: cShader_CG::load_from_files() failed on %s\n",
                 vertex_file.c_str());
    std::exit(0);
  }
  if (!fragment_program) {
    std::fprintf(stderr, "## ERROR: cShader_CG::load_from_files() failed on %s\n",
                 fragment_file.c_str());
    std::exit(0);
  }
  cgGLLoadProgram(vertex_program);
  cgGLLoadProgram(fragment_program);
  init_parameters();
  return true;
}

void cShader_CG::bind() {
  if (vertex_program) {
    cgGLBindProgram(vertex_program);
    if (fragment_program)
      cgGLBindProgram(fragment_program);
  }
  enable_parameters();
}

cShader_CG::~cShader_CG() {
  if (vertex_program)
    cgDestroyProgram(vertex_program);
  if (fragment_program)
    cgDestroyProgram(fragment_program);
}

CGparameter cShader_CG::lookup(CGprogram program, const char *name, const char *source, int line) {
  CGparameter p = cgGetNamedParameter(program, name);
  if (!p)
    std::fprintf(stderr, "## ERROR: unable to get shader-parameters in %s, line %d\n", source,
                 line);
  return p;
}
