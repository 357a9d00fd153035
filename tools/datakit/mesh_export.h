// The toolkit's meshes in the engine's file formats: Wavefront OBJ and MTL
// text, and the binary .bobj through the engine-side writer. This is the one
// place that knows both the toolkit's mesh and the engine's mesh types.
// A mesh that does not fit a format throws std::runtime_error.
#pragma once

#include "cMesh.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mesh_export {

// OBJ text; names mtllib_name when it is not empty and the mesh has materials.
// Faces come in material order, one "usemtl" per group.
std::string obj_text(const cMesh &mesh, const std::string &mtllib_name = std::string());
std::string mtl_text(const cMesh &mesh);
// .bobj bytes: normals and texture coordinates when present, one group per
// material used (flag 0x10 only when the mesh has materials).
std::vector<uint8_t> bobj_bytes(const cMesh &mesh);

} // namespace mesh_export
