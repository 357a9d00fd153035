// A mesh compiled once into a GL display list, with one shared index per
// position. Loading failures are those of the OBJ reader; faces that are not
// triangles of known vertices are left out of the list.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/cMeshBase.h"

class cMeshDisplayList : public cMeshBase {
public:
  ~cMeshDisplayList() override;

  void load(const char *file_name) override;
  void draw() override;
  void prepare() override;

  void delete_list();
  void bounding_box(float min_corner[3], float max_corner[3]) const;

  uint8_t flags = 0;
  std::vector<std::vector<uint16_t>> faces;
  std::vector<float> positions; // x, y, z, w per vertex
  std::vector<float> normals;
  std::vector<float> texcoords;
  uint32_t list_name = 0;
};
