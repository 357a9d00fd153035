// Feeds arbitrary bytes to the OBJ reader and both mesh pipelines, then
// checks that every exported index names an exported vertex. The same bytes
// serve as the MTL file that any "mtllib" line names, so that material
// selection is exercised too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assets/cMtlLoader.h"
#include "assets/cObjLoader.h"

namespace {

void require(bool condition) {
  if (!condition)
    std::abort();
}

void setup(cObjLoader &loader, const char *text, size_t size) {
  loader.set_fatal_policy(cObjLoader::fatal_policy::mark_failed);
  loader.mtl_reader = [text, size](const std::string &path, material_list &out) {
    cMtlLoader mtl;
    mtl.parse(text, size, path);
    out = mtl.materials;
  };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char *text = reinterpret_cast<const char *>(data);

  // The vertex-buffer pipeline.
  cObjLoader loader;
  setup(loader, text, size);
  if (!loader.parse(text, size, "fuzz/"))
    return 0;
  cObjLoader copy = loader;
  loader.triangulate();
  cIndexedMesh mesh;
  loader.build_indexed_arrays(mesh);
  if (!loader.failed()) {
    const size_t vertices = mesh.vertex_count();
    require(mesh.positions.size() == vertices * 3 && mesh.normals.size() == vertices * 3);
    require(!(mesh.flags & MESH_HAS_TEXCOORDS) || mesh.texcoords.size() == vertices * 2);
    require(mesh.indices.size() % 3 == 0);
    for (uint32_t i : mesh.indices)
      require(i < vertices);
    const std::vector<uint32_t> &groups = mesh.group_starts;
    require(!groups.empty() && groups.back() == mesh.indices.size());
    for (size_t k = 1; k < groups.size(); ++k)
      require(groups[k - 1] <= groups[k]);
    // Group k belongs to material k; only the one past the end may lack it.
    require(groups.size() <= mesh.materials.size() + 2);
  }

  // The display-list pipeline.
  copy.unify_by_position();
  if (copy.failed())
    return 0;
  copy.triangulate();
  const size_t unified = copy.positions.size() / 4;
  require(copy.normals.size() == unified * 3);
  require(!(copy.flags & MESH_HAS_TEXCOORDS) || copy.texcoords.size() == unified * 2);
  for (const obj_face &f : copy.faces)
    for (uint16_t p : f.positions)
      require(p < unified);
  return 0;
}
