// One parsed material: the MTL values and texture file names. Pure data; it
// cannot fail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class cMaterial {
public:
  explicit cMaterial(std::string material_name = std::string());
  virtual ~cMaterial() = default;
  cMaterial(const cMaterial &) = default;
  cMaterial &operator=(const cMaterial &) = default;

  // Takes every value of other except its name.
  virtual void copy_values(const cMaterial &other);

  std::string name;
  std::string map_Ka;
  std::string map_Kd;
  std::string map_Ks;
  std::string bump;
  std::string map_d;
  float Ka[4] = {0, 0, 0, 0};
  float Kd[4] = {0, 0, 0, 0};
  float Ks[4] = {0, 0, 0, 0};
  float Ns = 0;
  int32_t illum = 0;
  float d = 1.0f;
  float Ni = 1.0f;
};

using material_list = std::vector<cMaterial>;

// First material called name, or nullptr.
const cMaterial *find_material(const material_list &list, const std::string &name);
// Index of the first material called name, or list.size() when there is none.
size_t find_material_index(const material_list &list, const std::string &name);
