// Feeds arbitrary bytes to the .bobj decoder. A refused file must leave the mesh empty;
// an accepted one must hand back arrays that fit together: full vertex streams, indices
// below the vertex count and group starts that stay inside the index list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/cMeshBObj.h"

namespace {

void require(bool condition) {
  if (!condition)
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  cMeshBObj mesh;
  std::string error;
  if (!mesh.decode(data, size, error)) {
    require(!error.empty());
    require(mesh.positions.empty() && mesh.normals.empty() && mesh.texcoords.empty());
    require(mesh.indices.empty() && mesh.group_starts.empty() && mesh.materials.empty());
    return 0;
  }
  require(size >= 13 && mesh.flags == data[0]);
  const size_t vertices = mesh.positions.size() / 3;
  require(mesh.positions.size() == 3 * vertices);
  require(mesh.normals.size() == 3 * vertices && mesh.texcoords.size() == 2 * vertices);
  require(mesh.indices.size() % 3 == 0);
  require(mesh.arrays_consistent());
  require(mesh.group_starts.size() >= 2 && mesh.group_starts.front() == 0 &&
          mesh.group_starts.back() == mesh.indices.size());
  for (size_t k = 1; k + 1 < mesh.group_starts.size(); ++k)
    require(mesh.group_starts[k] % 3 == 0 && mesh.group_starts[k] > mesh.group_starts[k - 1]);
  for (const cMeshMaterial &m : mesh.materials)
    require(m.name.size() <= 127 && m.map_Kd.size() <= 127 && m.bump.size() <= 127);
  return 0;
}
