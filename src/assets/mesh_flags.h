// The one-byte mesh flags shared by the OBJ loader, the meshes and the binary
// mesh format: which vertex streams exist and how a mesh is drawn.
#pragma once

#include <cstdint>

constexpr uint8_t MESH_HAS_TEXCOORDS = 0x01;
constexpr uint8_t MESH_HAS_NORMALS = 0x02;
constexpr uint8_t MESH_USE_MATERIALS = 0x10;
// Set while a face with more than three corners waits for triangulation.
constexpr uint8_t MESH_HAS_POLYGONS = 0x80;
