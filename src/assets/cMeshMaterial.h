// A material as meshes keep it: the parsed values plus an emission colour and
// four textures, and the GL state it sets before a group of triangles is
// drawn. A texture missing from the search path ends the process.
#pragma once

#include "assets/cMaterial.h"
#include "assets/cTexture.h"

class cMeshMaterial : public cMaterial {
public:
  explicit cMeshMaterial(const cMaterial &source);
  cMeshMaterial(cMeshMaterial &&) = default;
  cMeshMaterial &operator=(cMeshMaterial &&) = default;

  void load_textures();
  void upload_textures();
  void apply();

  float emission[4] = {0, 0, 0, 0};
  cTexture ambient_texture;
  cTexture diffuse_texture;
  cTexture specular_texture;
  cTexture bump_texture;
};

// Disables and unbinds 2D texturing on units 2, 1 and 0; unit 0 stays active.
void unbind_material_textures();
