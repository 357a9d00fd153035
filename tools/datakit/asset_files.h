// The file bytes a recipe returns: meshes checked against what their scene
// needs before they are written, and pictures encoded. A mesh with problems
// throws std::runtime_error listing them.
#pragma once

#include "cImage.h"
#include "cMesh.h"
#include "mesh_checks.h"

#include <cstdint>
#include <string>
#include <vector>

namespace asset_files {

void require(const cMesh &mesh, const sMeshNeeds &needs);

std::vector<uint8_t> obj(const cMesh &mesh, const sMeshNeeds &needs);
std::vector<uint8_t> bobj(const cMesh &mesh, const sMeshNeeds &needs);
// The mesh as the one .bobj member `member` of a RAR archive.
std::vector<uint8_t> bobj_in_rar(const std::string &member, const cMesh &mesh,
                                 const sMeshNeeds &needs);

std::vector<uint8_t> png(const cImage &image, int channels);
std::vector<uint8_t> jpeg(const cImage &image, int quality);

} // namespace asset_files
