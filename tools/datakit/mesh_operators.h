// Operators that reshape toolkit meshes in recipes. They work on vertex
// indices, so a mesh with duplicated positions (seams) should be welded first
// where an operator needs the surface to hang together (subdivision, pieces).
// None of them fails; degenerate input gives degenerate but valid output.
#pragma once

#include "cMesh.h"
#include "cNoise.h"
#include "cTransform.h"

#include <functional>
#include <vector>

namespace operators {

// Each triangle into four through its edge midpoints; the surface keeps its
// shape. Normals and texture coordinates are interpolated.
cMesh subdivide_midpoint(const cMesh &mesh);
// Loop's smoothing subdivision: four triangles each and every vertex moved
// toward its neighbours (boundaries stay on their curves). Texture coordinates
// are interpolated linearly; normals are dropped.
cMesh subdivide_loop(const cMesh &mesh);

// Moves every vertex along its normal by offset(position, normal). Computes
// shared smooth normals first when the mesh has none; normals are stale after.
void displace(cMesh &mesh, const std::function<float(const vec3 &, const vec3 &)> &offset);
// displace by amplitude times fractal noise at frequency times the position.
void displace_by_noise(cMesh &mesh, const cNoise &noise, float frequency, float amplitude,
                       int octaves);

// Removes the triangles whose centroid the predicate picks, then the vertices
// no longer used. Leaves holes: the result is open.
void perforate(cMesh &mesh, const std::function<bool(const vec3 &)> &remove);

// A copy reflected through the plane where coordinate `axis` is 0, with its
// winding reversed so it still faces out.
cMesh mirrored(const cMesh &mesh, int axis);
// All pieces in one mesh (materials matched by name).
cMesh merged(const std::vector<cMesh> &pieces);
// Moves positions and normals; a mirroring transform also reverses the winding.
void transform(cMesh &mesh, const cTransform &xf);

// Texture coordinates (dot(p, u_axis), dot(p, v_axis)) + offset.
void project_uv_planar(cMesh &mesh, const vec3 &u_axis, const vec3 &v_axis,
                       const vec2 &offset = vec2());
// Longitude and latitude about the z axis, both in [0, 1].
void project_uv_spherical(cMesh &mesh);
// Angle about the z axis in [0, 1], and z divided by height.
void project_uv_cylindrical(cMesh &mesh, float height);
// Every connected piece projected onto its own mean plane and laid out, all at
// one scale, side by side in [0, 1] x [0, 1] with `margin` between them.
void unwrap_pieces(cMesh &mesh, float margin);

// Merges vertices closer than epsilon (the lowest index wins and keeps its
// normal and texture coordinate), then drops triangles that collapsed.
void weld(cMesh &mesh, float epsilon);
// Removes vertices that no triangle uses.
void compact(cMesh &mesh);

// Area-weighted smooth normals, one per position: vertices that share a
// position (seams) get the same normal, so nothing tears along them.
void smooth_normals(cMesh &mesh);
// Area-weighted normals per vertex index: duplicated positions keep their
// own normals, so hard edges built from split vertices stay hard.
void vertex_normals(cMesh &mesh);

// Connected pieces (triangles joined by shared vertex indices): the piece of
// each triangle, numbered from 0 in order of first triangle.
std::vector<uint32_t> piece_of_triangles(const cMesh &mesh, uint32_t &piece_count);

} // namespace operators
