// The interface through which the shader container drives every shader.
// Setters a shader does not implement print a warning and change nothing.
#pragma once

#include <cstdint>
#include <string>

class cShader {
public:
  virtual bool load_from_files(const std::string &vertex_file,
                               const std::string &fragment_file) = 0;
  virtual void bind() = 0;
  // Fetches the programs' parameter handles.
  virtual void init_parameters() = 0;
  virtual void set_parameters(float a, float b, float c, float d);
  // a is a GL texture object name where a texture is meant.
  virtual void set_parameters(int32_t a, int32_t b, int32_t c, int32_t d);
  virtual void set_matrix_parameters(const float *m1, const float *m2);
  // Sends the stored values to the programs.
  virtual void enable_parameters() = 0;
  // Undoes what enable_parameters switched on.
  virtual void disable_parameters() = 0;

protected:
  ~cShader() = default;
};
