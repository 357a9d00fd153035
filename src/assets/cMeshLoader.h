// The interface of mesh file loaders: parse a file, then reshape the result
// for the mesh that asked. Failures are the implementation's to report.
#pragma once

#include <string>

class cMeshLoader {
public:
  virtual ~cMeshLoader() = default;
  virtual void load_file(std::string file_name) = 0;
  virtual void triangulate() = 0;
  virtual void unify_by_position() = 0;
  virtual void generate_normals() = 0;
};
