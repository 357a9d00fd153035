// Reads a Wavefront OBJ file into indexed arrays and reshapes them for the
// meshes: triangulation, smooth normals, unified or de-indexed vertices. A
// missing file, a face corner without the slashes its file demands and a
// face too small for a normal are fatal; everything else warns and goes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "assets/cIndexedMesh.h"
#include "assets/cMeshData.h"
#include "assets/cMeshLoader.h"

class cObjLoader : public cMeshLoader, public cMeshData {
public:
  // What a fatal error does: end the process (the program's way), or only
  // mark the loader as failed so that callers that must survive any input
  // can stop by themselves.
  enum class fatal_policy { exit_process, mark_failed };

  void load_file(std::string file_name) override;
  void triangulate() override;
  void unify_by_position() override;
  void generate_normals() override;

  // The vertex-buffer mesh's export: de-indexed vertices sorted by (position,
  // normal, texcoord) index, three indices per triangle, the index offsets at
  // which each material group starts, closed by the total index count, and a
  // copy of the materials.
  void build_indexed_arrays(cIndexedMesh &out);
  void get_materials(material_list &out) const;

  // Parses OBJ text in memory; directory prefixes the names of "mtllib" files.
  // Returns false if a fatal error stopped it (only under mark_failed).
  bool parse(const char *data, size_t size, const std::string &directory);

  void set_fatal_policy(fatal_policy policy) { policy_ = policy; }
  bool failed() const { return failed_; }
  // Reads one "mtllib" file into a material list; by default from disk with
  // the MTL loader. Replaceable so that parsing needs no file system.
  std::function<void(const std::string &path, material_list &out)> mtl_reader;

private:
  void fail();
  void drop_faces_with_bad_indices(const std::vector<uint32_t> &face_lines,
                                   const std::vector<uint8_t> &face_bad);

  fatal_policy policy_ = fatal_policy::exit_process;
  bool failed_ = false;
};
