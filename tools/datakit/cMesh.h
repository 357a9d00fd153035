// The toolkit's triangle mesh: shared vertices with optional normals and
// texture coordinates, triangles with a material group each, and the
// materials those groups name. Plain data with a few helpers; nothing fails.
#pragma once

#include "vec2.h"
#include "vec3.h"

#include <cstdint>
#include <string>
#include <vector>

// A material as a recipe states it: the MTL values that the engine reads.
struct sMeshMaterial {
  std::string name;
  vec3 ambient{0.2f, 0.2f, 0.2f};
  vec3 diffuse{0.8f, 0.8f, 0.8f};
  vec3 specular{0, 0, 0};
  float shininess = 0;
  int illum = 2;
  float opacity = 1;
  std::string ambient_map;
  std::string diffuse_map;
  std::string specular_map;
  std::string bump_map;
};

struct sTriangle {
  uint32_t v[3] = {0, 0, 0};
  uint32_t material = 0; // index into materials; ignored when there are none
};

class cMesh {
public:
  std::vector<vec3> positions;
  std::vector<vec3> normals; // empty, or one per vertex
  std::vector<vec2> uvs;     // empty, or one per vertex
  std::vector<sTriangle> triangles;
  std::vector<sMeshMaterial> materials;

  size_t vertex_count() const { return positions.size(); }
  size_t triangle_count() const { return triangles.size(); }
  bool has_normals() const { return !normals.empty() && normals.size() == positions.size(); }
  bool has_uvs() const { return !uvs.empty() && uvs.size() == positions.size(); }

  uint32_t add_vertex(const vec3 &p);
  uint32_t add_vertex(const vec3 &p, const vec3 &n);
  uint32_t add_vertex(const vec3 &p, const vec3 &n, const vec2 &uv);
  void add_triangle(uint32_t a, uint32_t b, uint32_t c, uint32_t material = 0);
  // Two triangles (a, b, c) and (a, c, d): counter-clockwise in, counter-clockwise out.
  void add_quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t material = 0);

  // Appends other's vertices and triangles. Materials are matched by name, so
  // merging two pieces that share a material keeps one group for it. A stream
  // present on one side only is filled with zeros on the other.
  void append(const cMesh &other);

  // Index of the material called name, appending it when new.
  uint32_t material_index(const sMeshMaterial &material);

  void bounds(vec3 &lo, vec3 &hi) const;
  void flip_winding();
  vec3 face_normal(const sTriangle &t) const; // unnormalised, twice the area
};
