// The toolkit's meshes as the engine's indexed-mesh value, and from it the
// engine's file formats: Wavefront OBJ and MTL text, and .bobj through the
// engine's own writer. This is the one place that knows both the toolkit's
// mesh and the engine's types. A mesh that does not fit a format throws
// std::runtime_error.
#pragma once

#include "cMesh.h"

#include "assets/cIndexedMesh.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mesh_export {

// Normals and texture coordinates when the mesh has them; triangles in
// material order with one group per material (flag 0x10 only when the mesh
// has materials).
cIndexedMesh indexed(const cMesh &mesh);

// OBJ text; names mtllib_name when it is not empty and the mesh has materials,
// with one "usemtl" per group.
std::string obj_text(const cIndexedMesh &mesh, const std::string &mtllib_name = std::string());
std::string mtl_text(const cIndexedMesh &mesh);
std::vector<uint8_t> bobj_bytes(const cIndexedMesh &mesh);

} // namespace mesh_export
