// What a mesh is (closed, wound one way, outward, its size and normals) and
// whether it is what a scene needs. The recipes refuse a mesh with problems,
// so a change that breaks a scene's assumptions fails the data build.
#pragma once

#include "cMesh.h"

#include <limits>
#include <string>
#include <vector>

struct sMeshFacts {
  size_t vertices = 0;
  size_t triangles = 0;
  uint32_t max_index = 0;
  vec3 lo, hi;          // bounding box
  vec3 centre;          // area-weighted centre of the surface
  float max_radius = 0; // farthest vertex from the origin
  float min_radius = 0; // nearest vertex to the origin
  // Edges, with vertices at one position counted as one: used by one
  // triangle only, by more than two, or twice in the same direction.
  size_t open_edges = 0;
  size_t overused_edges = 0;
  size_t misoriented_edges = 0;
  size_t degenerate_triangles = 0;
  double signed_volume = 0;     // positive when closed and facing out
  float worst_normal_error = 0; // largest | |n| - 1 |
  bool normals_shared = true;   // vertices at one position carry one normal
};

sMeshFacts inspect(const cMesh &mesh);

struct sMeshNeeds {
  static constexpr float kAny = std::numeric_limits<float>::max();
  size_t max_vertices = 65536; // 16-bit indices
  size_t max_triangles = 200000;
  bool closed = false;  // no open, overused or misoriented edges
  bool outward = false; // counter-clockwise seen from outside
  bool normals = false; // unit normals present
  bool normals_shared = false;
  bool uvs = false;
  bool no_materials = false;
  vec3 min_size{0, 0, 0}; // bounding-box extents
  vec3 max_size{kAny, kAny, kAny};
  float min_radius = 0; // farthest vertex from the origin
  float max_radius = kAny;
  float origin_tolerance = kAny; // surface centre's distance from the origin
};

// Empty when the mesh is fit; otherwise one line per problem.
std::vector<std::string> problems(const sMeshFacts &facts, const cMesh &mesh,
                                  const sMeshNeeds &needs);
