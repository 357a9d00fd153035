// Fixed-function material and light setters; see fixed_function.h.
#include "scenes/fixed_function.h"

namespace {
const float kNone[4] = {0.0f, 0.0f, 0.0f, 0.0f};

void set_rest(const float specular[4], const float emission[4], float shininess) {
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
}
} // namespace

void set_material(const float ambient_diffuse[4], const float specular[4], const float emission[4],
                  float shininess) {
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, ambient_diffuse);
  set_rest(specular, emission, shininess);
}

void set_material_split(const float ambient[4], const float diffuse[4], const float specular[4],
                        const float emission[4], float shininess) {
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  set_rest(specular, emission, shininess);
}

void set_black_material() { set_material_split(kNone, kNone, kNone, kNone, 0.0f); }

void set_light_colours(GLenum light, const float ambient[4], const float diffuse[4],
                       const float specular[4]) {
  glLightfv(light, GL_AMBIENT, ambient);
  glLightfv(light, GL_DIFFUSE, diffuse);
  glLightfv(light, GL_SPECULAR, specular);
}

void set_light_position(GLenum light, float x, float y, float z, float w) {
  const float position[4] = {x, y, z, w};
  glLightfv(light, GL_POSITION, position);
}
