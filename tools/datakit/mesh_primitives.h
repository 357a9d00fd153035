// Mesh primitives for recipes. Each returns a closed mesh with counter-
// clockwise outward faces unless it says otherwise, without normals (run
// smooth_normals or give them by hand) and without texture coordinates unless
// it says so. Sizes are full extents; everything is centred on the origin.
// Bad counts (too few segments) are raised to the smallest that works.
#pragma once

#include "cMesh.h"

#include <functional>
#include <vector>

namespace primitives {

// Box of the given extents whose twelve edges are cut by flat bevels of
// width chamfer (measured along each face): 24 vertices, 44 triangles.
cMesh chamfered_box(const vec3 &size, float chamfer);

// Latitude-longitude sphere with one vertex at each pole (z axis).
cMesh uv_sphere(float radius, int rings, int segments);

// Icosahedron split level times (each split quarters the triangles) and
// pushed onto the sphere: 20 * 4^level triangles.
cMesh icosphere(float radius, int level);

// Ring about the z axis: major radius to the tube's centre, minor radius of
// the tube.
cMesh torus(float major_radius, float minor_radius, int segments, int sides);

// Tube of varying radius along curve(t), t in [0, 1]. A closed loop joins its
// ends (curve(0) == curve(1)) with a frame carried along the curve and its
// twist spread evenly; an open tube gets flat caps. Normals are included:
// the direction from the curve out to each vertex.
cMesh tube(const std::function<vec3(float)> &curve, const std::function<float(float)> &radius,
           int segments, int sides, bool closed_loop);

// Surface of revolution about the z axis of profile points (r, z), listed
// from bottom to top. A point with r == 0 becomes one pole vertex. The ends
// are closed by poles when the profile starts or ends on the axis; otherwise
// the mesh is open there.
cMesh lathe(const std::vector<vec2> &profile, int segments);

// Prism of a simple polygon (counter-clockwise in the xy plane) from
// z = -depth / 2 to z = +depth / 2, caps triangulated by ear clipping.
cMesh extrusion(const std::vector<vec2> &outline, float depth);

// Flat rectangle in the xy plane facing +z, texture coordinates 0..1 across
// it, normals +z: an open mesh.
cMesh plane(float width, float height);
// The same, cut into columns x rows cells.
cMesh grid(float width, float height, int columns, int rows);

} // namespace primitives
