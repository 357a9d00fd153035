// Meshes with materials, normals and texture coordinates leave the toolkit
// and come back through the engine's own readers: OBJ and MTL text through
// the OBJ and MTL loaders, .bobj bytes through the .bobj reader.
#include "mesh_export.h"
#include "mesh_operators.h"
#include "mesh_primitives.h"

#include "archive/cBObjReader.h"
#include "assets/cMtlLoader.h"
#include "assets/cObjLoader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Two boxes side by side, brass (textured) on the right and steel on the
// left, with normals and a per-piece unwrap; a third material is unused.
cMesh two_boxes() {
  sMeshMaterial steel, brass, unused;
  steel.name = "steel";
  steel.diffuse = vec3(0.5f, 0.5f, 0.55f);
  brass.name = "brass";
  brass.diffuse_map = "brass.png";
  brass.shininess = 40;
  unused.name = "unused";
  cMesh left = primitives::chamfered_box(vec3(1, 1, 1), 0.1f), right = left;
  operators::transform(right, cTransform::translate(vec3(2, 0, 0)));
  for (auto [mesh, material] : {std::pair{&left, steel}, std::pair{&right, brass}}) {
    mesh->material_index(unused);
    const uint32_t k = mesh->material_index(material);
    for (sTriangle &t : mesh->triangles)
      t.material = k;
  }
  // Brass first in the triangle list: the export must still group by material.
  cMesh both = operators::merged({right, left});
  operators::smooth_normals(both);
  operators::unwrap_pieces(both, 0.05f);
  return both;
}

TEST(MeshExport, IndexedMeshGroupsTrianglesByMaterial) {
  const cIndexedMesh m = mesh_export::indexed(two_boxes());
  EXPECT_EQ(m.flags, MESH_HAS_NORMALS | MESH_HAS_TEXCOORDS | MESH_USE_MATERIALS);
  ASSERT_EQ(m.materials.size(), 3u);
  EXPECT_EQ(m.materials[0].name, "unused");
  EXPECT_EQ(m.materials[1].name, "brass");
  EXPECT_EQ(m.materials[2].name, "steel");
  EXPECT_EQ(m.group_starts, (std::vector<uint32_t>{0, 0, 132, 264}));
  EXPECT_TRUE(m.arrays_consistent());
  EXPECT_TRUE(m.indices_fit_16_bits());
  // The brass group holds the right box.
  for (uint32_t i = 0; i < 132; ++i)
    EXPECT_GT(m.positions[3 * m.indices[i]], 1.0f);
}

TEST(MeshExport, ObjAndMtlReadBackThroughTheEngineLoaders) {
  const cIndexedMesh m = mesh_export::indexed(two_boxes());
  const std::string obj = mesh_export::obj_text(m, "boxes.mtl");
  const std::string mtl = mesh_export::mtl_text(m);
  cObjLoader loader;
  loader.set_fatal_policy(cObjLoader::fatal_policy::mark_failed);
  loader.mtl_reader = [&](const std::string &path, material_list &out) {
    EXPECT_EQ(path, "dir/boxes.mtl");
    cMtlLoader materials;
    materials.parse(mtl.data(), mtl.size(), path);
    out = materials.materials;
  };
  ASSERT_TRUE(loader.parse(obj.data(), obj.size(), "dir/"));
  EXPECT_EQ(loader.faces.size(), 88u);
  EXPECT_EQ(loader.positions.size() / 4, m.vertex_count());
  ASSERT_EQ(loader.materials.size(), 3u);
  EXPECT_EQ(loader.materials[1].map_Kd, "brass.png");
  EXPECT_FLOAT_EQ(loader.materials[1].Ns, 40);
  EXPECT_FLOAT_EQ(loader.materials[2].Kd[2], 0.55f);
  EXPECT_EQ(loader.faces.front().material, 1);
  EXPECT_EQ(loader.faces.back().material, 2);
  // Normals and texture coordinates come through as written.
  EXPECT_EQ(loader.normals.size(), m.normals.size());
  EXPECT_EQ(loader.texcoords.size(), m.texcoords.size());
  EXPECT_EQ(loader.flags & (MESH_HAS_NORMALS | MESH_HAS_TEXCOORDS | MESH_USE_MATERIALS),
            MESH_HAS_NORMALS | MESH_HAS_TEXCOORDS | MESH_USE_MATERIALS);
}

TEST(MeshExport, PlainObjHasNoMaterialLines) {
  const cIndexedMesh m = mesh_export::indexed(primitives::chamfered_box(vec3(1, 1, 1), 0.1f));
  const std::string obj = mesh_export::obj_text(m, "ignored.mtl");
  EXPECT_EQ(obj.find("mtllib"), std::string::npos);
  EXPECT_EQ(obj.find("usemtl"), std::string::npos);
  EXPECT_EQ(obj.find("vn"), std::string::npos);
}

TEST(MeshExport, BobjReadsBackWithItsGroupsAndWithoutTheEmptyOne) {
  const cIndexedMesh m = mesh_export::indexed(two_boxes());
  const std::vector<uint8_t> bytes = mesh_export::bobj_bytes(m);
  cIndexedMesh back;
  std::string error;
  ASSERT_TRUE(cBObjReader::decode(bytes.data(), bytes.size(), back, error)) << error;
  EXPECT_EQ(back.flags, m.flags);
  EXPECT_EQ(back.positions, m.positions);
  EXPECT_EQ(back.normals, m.normals);
  EXPECT_EQ(back.texcoords, m.texcoords);
  EXPECT_EQ(back.indices, m.indices);
  ASSERT_EQ(back.materials.size(), 2u);
  EXPECT_EQ(back.materials[0].name, "brass");
  EXPECT_EQ(back.materials[0].map_Kd, "brass.png");
  EXPECT_EQ(back.group_starts, (std::vector<uint32_t>{0, 132, 264}));
}

TEST(MeshExport, BobjRefusesAMaterialNameOverTheFormatsLimit) {
  cMesh m = primitives::chamfered_box(vec3(1, 1, 1), 0.1f);
  sMeshMaterial long_name;
  long_name.name = std::string(128, 'x');
  m.material_index(long_name);
  EXPECT_THROW(mesh_export::bobj_bytes(mesh_export::indexed(m)), std::runtime_error);
}

} // namespace
