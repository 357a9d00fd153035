// A mesh drawn from vertex buffer objects, one indexed draw per material
// group. Loading failures are those of the OBJ, MTL and texture readers; an
// unknown buffer index is fatal. Arrays that do not fit together are not
// drawn at all, so the GL never reads outside its buffers.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/cIndexedMesh.h"
#include "assets/cMeshBase.h"
#include "assets/cMeshMaterial.h"
#include "assets/cVbo.h"

class cObjLoader;

class cMeshObj : public cMeshBase, public cIndexedMeshOf<cMeshMaterial> {
public:
  cMeshObj();
  ~cMeshObj() override;

  void load(const char *file_name) override;
  void draw() override;
  void prepare() override;

  // Position (0), normal (1), texcoord (2) or index (3) buffer.
  cVbo &buffer(int index);
  void drop_materials();

  // Takes the arrays and materials from a loader that has parsed a file.
  void take_from_loader(cObjLoader &loader);
  // Replaces the arrays and materials by those of mesh (textures not loaded).
  void take_mesh(cIndexedMesh &&mesh);

  cVbo position_buffer{3};
  cVbo normal_buffer{3};
  cVbo texcoord_buffer{2};
  cVbo index_buffer{1};

protected:
  void empty_arrays();

private:
  // Replacing the arrays goes through take_mesh and empty_arrays, which also
  // forget the upload.
  using cIndexedMeshOf<cMeshMaterial>::clear;
  using cIndexedMeshOf<cMeshMaterial>::take;

  // Set by prepare when the buffers hold arrays that fit together; any new
  // load clears it, so draw never uses buffers filled from other arrays.
  bool drawable_ = false;
};
