// A material as meshes keep it: the parsed values plus an emission colour and
// four textures, and the GL state it sets before a group of triangles is
// drawn. A texture missing from the search path ends the process.
#include "platform/gl_extensions.h"

#include "assets/cMeshMaterial.h"

namespace {

const GLfloat kBlack[4] = {0, 0, 0, 1};
const GLfloat kWhite[4] = {1, 1, 1, 1};

} // namespace

cMeshMaterial::cMeshMaterial(const cMaterial &source) : cMaterial(source) {}

void cMeshMaterial::load_textures() {
  if (!map_Ka.empty())
    ambient_texture.load(map_Ka);
  if (!map_Kd.empty())
    diffuse_texture.load(map_Kd);
  if (!map_Ks.empty())
    specular_texture.load(map_Ks);
  if (!bump.empty())
    bump_texture.load(bump);
  Ka[3] = d;
  Kd[3] = d;
  Ks[3] = d;
  emission[3] = d;
}

void cMeshMaterial::upload_textures() {
  if (!map_Ka.empty())
    ambient_texture.upload(true, GL_REPEAT);
  if (!map_Kd.empty())
    diffuse_texture.upload(true, GL_REPEAT);
  if (!map_Ks.empty())
    specular_texture.upload(true, GL_REPEAT);
  if (!bump.empty())
    bump_texture.upload(true, GL_REPEAT);
}

void cMeshMaterial::apply() {
  switch (illum) {
  case 0:
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, kBlack);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kBlack);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, Kd);
    break;
  case 1:
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, Ka);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, Kd);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kBlack);
    break;
  case 2:
  case 4:
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, Ka);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, Kd);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, Ks);
    // The GL refuses exponents outside [0, 128]; MTL files often go higher.
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, Ns < 0.0f ? 0.0f : (Ns > 128.0f ? 128.0f : Ns));
    break;
  default:
    // Other illumination models keep whatever material state is current.
    break;
  }

  if (ambient_texture.gl_name != 0) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, kWhite);
    glActiveTextureARB(GL_TEXTURE2_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, ambient_texture.gl_name);
  }
  if (diffuse_texture.gl_name != 0) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, kWhite);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, diffuse_texture.gl_name);
  }
  if (specular_texture.gl_name != 0) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kWhite);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, specular_texture.gl_name);
  }
}

void unbind_material_textures() {
  const GLenum units[3] = {GL_TEXTURE2_ARB, GL_TEXTURE1_ARB, GL_TEXTURE0_ARB};
  for (GLenum unit : units) {
    glActiveTextureARB(unit);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
}
