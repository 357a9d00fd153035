// Bounding-volume tree over a static triangle mesh: first hit of a ray and its
// mirror reflection. Triangles with out-of-range indices or non-finite corners
// are left out with a warning; a miss or a parallel ray leaves the outputs alone.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class cTreeNode {
public:
  virtual ~cTreeNode() = default;
  // Lowers t to the nearest hit in front of origin; true when any triangle
  // below this node was met (even behind the origin).
  virtual bool intersect(const float origin[3], const float direction[3], float &t,
                         float hit_point[3], float reflected[3]) const = 0;
  virtual void draw() const = 0;
};

class cTreeBranch : public cTreeNode {
public:
  cTreeNode *first = nullptr;
  cTreeNode *second = nullptr;
  float box_max[3] = {0.0f, 0.0f, 0.0f};
  float box_min[3] = {0.0f, 0.0f, 0.0f};

  bool intersect(const float origin[3], const float direction[3], float &t, float hit_point[3],
                 float reflected[3]) const override;
  void draw() const override;
};

class cTreeTriangle : public cTreeNode {
public:
  double epsilon = 1e-6;
  float corner_a[3] = {0.0f, 0.0f, 0.0f};
  float corner_b[3] = {0.0f, 0.0f, 0.0f};
  float corner_c[3] = {0.0f, 0.0f, 0.0f};

  // An origin closer to the triangle's plane than this share of the largest
  // coordinate involved counts as lying on it: float bounce points stray
  // about 2^-21 of that from the plane; a wider margin would swallow real
  // bounces into a nearby corner.
  static constexpr double plane_tolerance = 1.0 / 524288.0;

  cTreeTriangle() = default;
  cTreeTriangle(const float a[3], const float b[3], const float c[3]);

  bool intersect(const float origin[3], const float direction[3], float &t, float hit_point[3],
                 float reflected[3]) const override;
  void draw() const override {}
};

class cTreeEmpty : public cTreeNode {
public:
  bool intersect(const float *, const float *, float &, float *, float *) const override {
    return false;
  }
  void draw() const override {}
};

class cTriangleTree {
public:
  std::vector<std::array<float, 3>> vertices;
  std::vector<std::array<uint32_t, 3>> triangles;
  bool built = false;
  cTreeNode *root = nullptr;

  // Below this depth branches split at the middle of their box; deeper ones
  // split by position, so nested or overlapping triangles cannot make the
  // recursion as deep as the mesh is large.
  static constexpr int max_spatial_depth = 128;

  cTriangleTree() = default;
  cTriangleTree(const cTriangleTree &) = delete;
  cTriangleTree &operator=(const cTriangleTree &) = delete;

  // (Re)builds the tree from the current vertices and triangles.
  void build();
  // Sets t to the largest float and returns the root's intersect; when t was
  // lowered, hit_point and reflected describe the nearest hit in front.
  bool trace(const float origin[3], const float direction[3], float &t, float hit_point[3],
             float reflected[3]);

  // Number of triangles build() left out (bad indices or corners).
  size_t skipped_triangles() const { return skipped; }

private:
  std::vector<std::unique_ptr<cTreeNode>> nodes;
  size_t skipped = 0;

  // Per accepted triangle: its index in `triangles`, then min and max corner.
  struct bounds {
    uint32_t index;
    float lo[3];
    float hi[3];
  };
  cTreeNode *build_node(bounds *begin, bounds *end, int depth);
};
