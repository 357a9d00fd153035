// One parsed material: the MTL values and texture file names. Pure data; it
// cannot fail.
#include "assets/cMaterial.h"

#include <cstring>

cMaterial::cMaterial(std::string material_name) : name(std::move(material_name)) {}

void cMaterial::copy_values(const cMaterial &other) {
  if (this == &other)
    return;
  map_Ka = other.map_Ka;
  map_Kd = other.map_Kd;
  map_Ks = other.map_Ks;
  bump = other.bump;
  map_d = other.map_d;
  std::memcpy(Ka, other.Ka, sizeof(Ka));
  std::memcpy(Kd, other.Kd, sizeof(Kd));
  std::memcpy(Ks, other.Ks, sizeof(Ks));
  Ns = other.Ns;
  illum = other.illum;
  d = other.d;
  Ni = other.Ni;
}

size_t find_material_index(const material_list &list, const std::string &name) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].name == name)
      return i;
  return list.size();
}

const cMaterial *find_material(const material_list &list, const std::string &name) {
  const size_t i = find_material_index(list, name);
  return i < list.size() ? &list[i] : nullptr;
}
