// The interface scenes draw meshes through: load reads the data, prepare
// moves it to the GL, draw renders it. Failures are the implementation's.
#pragma once

class cMeshBase {
public:
  virtual ~cMeshBase() = default;
  virtual void load(const char *file_name) = 0;
  virtual void draw() = 0;
  virtual void prepare() = 0;
};
