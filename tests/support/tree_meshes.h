// Closed meshes (a box room, a noisy sphere) for the triangle tree's tests and its
// benchmark. Nothing here fails.
#pragma once

#include "archive/cTriangleTree.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <random>

// Appends a box from lo to hi whose six faces are each an n x n grid of quads
// (12 n^2 triangles) to the tree's vertices and triangles.
inline void add_room(cTriangleTree &tree, const float lo[3], const float hi[3], int n) {
  for (int axis = 0; axis < 3; ++axis) {
    for (int side = 0; side < 2; ++side) {
      const int a1 = (axis + 1) % 3, a2 = (axis + 2) % 3;
      const uint32_t base = uint32_t(tree.vertices.size());
      for (int i = 0; i <= n; ++i) {
        for (int j = 0; j <= n; ++j) {
          std::array<float, 3> v;
          v[axis] = side ? hi[axis] : lo[axis];
          v[a1] = lo[a1] + (hi[a1] - lo[a1]) * float(i) / float(n);
          v[a2] = lo[a2] + (hi[a2] - lo[a2]) * float(j) / float(n);
          tree.vertices.push_back(v);
        }
      }
      const uint32_t row = uint32_t(n) + 1;
      for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
          const uint32_t v0 = base + uint32_t(i) * row + uint32_t(j);
          tree.triangles.push_back({v0, v0 + 1, v0 + row});
          tree.triangles.push_back({v0 + 1, v0 + row + 1, v0 + row});
        }
      }
    }
  }
}

// Appends a lat-long sphere of 2 * slices * (stacks - 1) triangles round the origin,
// poles on the z axis, each vertex at radius times a factor drawn from noise.
inline void add_noisy_sphere(cTriangleTree &tree, float radius, int slices, int stacks,
                             std::uniform_real_distribution<float> &noise, std::mt19937 &rng) {
  const uint32_t top = uint32_t(tree.vertices.size());
  tree.vertices.push_back({0, 0, radius * noise(rng)});
  for (int i = 1; i < stacks; ++i) {
    const double theta = M_PI * i / stacks;
    for (int j = 0; j < slices; ++j) {
      const double phi = 2 * M_PI * j / slices;
      const float r = radius * noise(rng);
      tree.vertices.push_back({float(r * std::sin(theta) * std::cos(phi)),
                               float(r * std::sin(theta) * std::sin(phi)),
                               float(r * std::cos(theta))});
    }
  }
  const uint32_t bottom = uint32_t(tree.vertices.size());
  tree.vertices.push_back({0, 0, -radius * noise(rng)});
  auto ring = [&](int i, int j) { return top + uint32_t(1 + (i - 1) * slices + (j % slices)); };
  for (int j = 0; j < slices; ++j) {
    tree.triangles.push_back({top, ring(1, j), ring(1, j + 1)});
    tree.triangles.push_back({bottom, ring(stacks - 1, j + 1), ring(stacks - 1, j)});
    for (int i = 1; i < stacks - 1; ++i) {
      tree.triangles.push_back({ring(i, j), ring(i + 1, j), ring(i + 1, j + 1)});
      tree.triangles.push_back({ring(i, j), ring(i + 1, j + 1), ring(i, j + 1)});
    }
  }
}
