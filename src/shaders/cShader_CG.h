// One vertex and one fragment program compiled from two source files. A
// missing file ends the process with -1, a compile that yields no program
// with 0 (compile errors normally end it earlier through the error handler).
#pragma once

#include "shaders/cShader.h"
#include "shaders/cg_runtime.h"

#include <string>

class cShaderContainer_CG;

class cShader_CG : public cShader {
public:
  cShader_CG(cShaderContainer_CG *container, const CGprofile &vertex_profile,
             const CGprofile &fragment_profile);

  bool load_from_files(const std::string &vertex_file, const std::string &fragment_file) override;
  void bind() override;
  virtual ~cShader_CG();

  // Zeroes the program handles without destroying the programs: for when
  // the context that owned them is gone already.
  void forget_programs() {
    vertex_program = nullptr;
    fragment_program = nullptr;
  }

  cShaderContainer_CG *container;
  CGprofile vertex_profile;
  CGprofile fragment_profile;
  CGprogram vertex_program;
  CGprogram fragment_program;

protected:
  // Looks a parameter up; a missing one prints the class's error line and
  // gives a zero handle.
  static CGparameter lookup(CGprogram program, const char *name, const char *source, int line);
};
