// Checked mesh files and encoded pictures (see asset_files.h).
#include "asset_files.h"

#include "image_files.h"
#include "mesh_export.h"
#include "rar_packing.h"

#include <stdexcept>

namespace asset_files {

void require(const cMesh &mesh, const sMeshNeeds &needs) {
  const std::vector<std::string> found = problems(inspect(mesh), mesh, needs);
  if (found.empty())
    return;
  std::string message = "mesh unfit for its scene:";
  for (const std::string &p : found)
    message += "\n    " + p;
  throw std::runtime_error(message);
}

std::vector<uint8_t> obj(const cMesh &mesh, const sMeshNeeds &needs) {
  require(mesh, needs);
  const std::string text = mesh_export::obj_text(mesh);
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> bobj(const cMesh &mesh, const sMeshNeeds &needs) {
  require(mesh, needs);
  return mesh_export::bobj_bytes(mesh);
}

std::vector<uint8_t> bobj_in_rar(const std::string &member, const cMesh &mesh,
                                 const sMeshNeeds &needs) {
  return pack_rar({{member, bobj(mesh, needs)}});
}

std::vector<uint8_t> png(const cImage &image, int channels) {
  return image_files::png_bytes(image, channels);
}

std::vector<uint8_t> jpeg(const cImage &image, int quality) {
  return image_files::jpeg_bytes(image, quality);
}

} // namespace asset_files
