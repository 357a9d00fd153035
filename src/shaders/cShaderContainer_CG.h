// The one shader container: the program-toolkit context, the chosen
// profiles and the table of named shaders, at most one of them bound.
// Missing profiles and every toolkit error end the process with -1.
#pragma once

#include "shaders/cShader_CG.h"
#include "shaders/cg_runtime.h"

#include <cstdint>
#include <map>
#include <string>

// The name current_shader holds while no shader is bound; never a table key.
extern const std::string null_shader_name;

class cShaderContainer_CG {
public:
  cShaderContainer_CG();
  ~cShaderContainer_CG();

  // Chooses the profiles, installs the error handler, creates the context.
  void init();

  // Compiles a T and files it under name; an existing entry of that name is
  // kept and the newcomer released.
  template <typename T> void add_shader(const std::string &name) {
    cShader_CG *shader = new T(this, vertex_profile, fragment_profile);
    if (!shaders.emplace(name, shader).second)
      delete shader;
  }

  void bind(const std::string &name);
  void unbind();

  // Forwarders: they store values in the named shader; the values reach the
  // programs when that shader is next bound. Unknown names warn.
  void set_parameters(const std::string &name, int32_t a, int32_t b, int32_t c, int32_t d);
  void set_parameters(const std::string &name, float a, float b, float c, float d);
  void set_parameters(const std::string &name, float a);
  void set_matrix_parameters(const std::string &name, const float *m1, const float *m2);

  CGcontext context;
  CGprofile vertex_profile;
  CGprofile fragment_profile;
  std::string current_shader;
  std::map<std::string, cShader_CG *> shaders;

private:
  cShader_CG *find(const std::string &name, int line);
  // The bound shader's disable_parameters, then both profiles off.
  void disable_current();
};

// Created and destroyed by the start-up code; the error handler reaches the
// context through it.
extern cShaderContainer_CG *g_shader_container;

// The toolkit error handler: prints the error and the listing, exits -1.
void shader_error_handler();
