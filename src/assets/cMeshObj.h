// A mesh drawn from vertex buffer objects, one indexed draw per material
// group. Loading failures are those of the OBJ, MTL and texture readers; an
// unknown buffer index is fatal. Arrays that do not fit together are not
// drawn at all, so the GL never reads outside its buffers.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/cMeshBase.h"
#include "assets/cMeshMaterial.h"
#include "assets/cVbo.h"
#include "assets/mesh_flags.h"

class cObjLoader;

class cMeshObj : public cMeshBase {
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
  // True when every index names a vertex that all enabled streams hold.
  bool arrays_consistent() const;

  uint8_t flags = 0;
  std::vector<float> positions;
  std::vector<float> normals;
  std::vector<float> texcoords;
  std::vector<uint32_t> indices;
  std::vector<uint32_t> group_starts;
  std::vector<cMeshMaterial> materials;
  cVbo position_buffer{3};
  cVbo normal_buffer{3};
  cVbo texcoord_buffer{2};
  cVbo index_buffer{1};

protected:
  void empty_arrays();

private:
  // Set by prepare when the buffers hold arrays that fit together; any new
  // load clears it, so draw never uses buffers filled from other arrays.
  bool drawable_ = false;
};
