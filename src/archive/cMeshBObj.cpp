// A vertex-buffer mesh read from the binary .bobj format, from a plain file
// or from a member of a RAR archive. Missing files, failed extraction and
// files that are truncated or inconsistent end the process (exit code -1).
#include "archive/cMeshBObj.h"

#include <cstdlib>
#include <iostream>
#include <utility>
#include <vector>

#include "archive/cBObjReader.h"
#include "assets/cRarFileBuffer.h"
#include "assets/file_bytes.h"
#include "assets/search_path.h"

namespace {

const char *const kUnit = "cMeshBObj";

} // namespace

bool cMeshBObj::decode(const uint8_t *data, size_t size, std::string &error) {
  empty_arrays();
  cIndexedMesh mesh;
  if (!cBObjReader::decode(data, size, mesh, error))
    return false;
  take_mesh(std::move(mesh));
  if ((flags & MESH_USE_MATERIALS) && group_count() > materials.size())
    std::cerr << "# WARNING in " << kUnit << " line " << __LINE__ << ": " << group_count()
              << " groups but " << materials.size()
              << " materials; the groups without one keep the current material" << std::endl;
  return true;
}

void cMeshBObj::decode_or_exit(const uint8_t *data, size_t size, const std::string &source) {
  std::string error;
  if (!decode(data, size, error)) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__ << ": bobj-file \"" << source
              << "\" is " << error << ". Exiting..." << std::endl;
    std::exit(-1);
  }
  for (cMeshMaterial &m : materials)
    m.load_textures();
}

void cMeshBObj::load(const char *file_name) {
  empty_arrays();
  const std::string name = file_name ? file_name : "";
  const std::string path = find_in_search_path(name);
  if (path.empty()) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__
              << ": file was not found in path: " << name << std::endl;
    std::exit(-1);
  }
  std::vector<char> bytes;
  if (!read_file_bytes(path, bytes)) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__ << ": couldn't open file " << path
              << std::endl;
    std::exit(-1);
  }
  std::cout << "\nreading  bobj-file \"" << path << "\"..." << std::endl;
  decode_or_exit(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), path);
}

void cMeshBObj::load_from_rar(const char *member_name, const char *archive_name) {
  empty_arrays();
  const std::string member = member_name ? member_name : "";
  const std::string archive = archive_name ? archive_name : "";
  const std::string path = find_in_search_path(archive);
  if (path.empty()) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__
              << ": rar-file was not found in path: " << archive << std::endl;
    std::exit(-1);
  }
  cRarFileBuffer buffer;
  if (buffer.extract_from_archive(member, path) != 0) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__ << ": unable to extract file \""
              << member << "\" from archive \"" << path << "\"!\nExiting!" << std::endl;
    std::exit(-1);
  }
  std::cerr << "\nreading rared bobj-file from rarfile \"" << member << "\"..." << std::endl;
  decode_or_exit(buffer.get_data(), buffer.get_size(), member);
  // The bytes are parsed into the arrays: nothing needs them any more.
  buffer.release();
}

void cMeshBObj::release_buffers() {
  position_buffer.release();
  normal_buffer.release();
  texcoord_buffer.release();
  index_buffer.release();
}
