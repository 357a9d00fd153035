// A mesh compiled once into a GL display list, with one shared index per
// position. Loading failures are those of the OBJ reader; faces that are not
// triangles of known vertices are left out of the list.
#include "platform/gl_extensions.h"

#include "assets/cMeshDisplayList.h"

#include <limits>

#include "assets/cObjLoader.h"
#include "assets/mesh_flags.h"

cMeshDisplayList::~cMeshDisplayList() { delete_list(); }

void cMeshDisplayList::load(const char *file_name) {
  cObjLoader loader;
  loader.load_file(file_name ? file_name : "");
  loader.unify_by_position();
  loader.triangulate();
  flags = loader.flags;
  faces.clear();
  faces.reserve(loader.faces.size());
  for (const obj_face &f : loader.faces)
    faces.emplace_back(f.positions.begin(), f.positions.end());
  positions = loader.positions;
  texcoords.clear();
  normals.clear();
  if (flags & MESH_HAS_TEXCOORDS)
    texcoords = loader.texcoords;
  if (flags & MESH_HAS_NORMALS)
    normals = loader.normals;
  if (list_name == 0)
    list_name = glGenLists(1);
}

void cMeshDisplayList::prepare() {
  const size_t vertices = positions.size() / 4;
  const bool with_normals = (flags & MESH_HAS_NORMALS) && normals.size() / 3 >= vertices;
  const bool with_texcoords = (flags & MESH_HAS_TEXCOORDS) && texcoords.size() / 2 >= vertices;
  std::vector<uint16_t> corners;
  corners.reserve(faces.size() * 3);
  for (const std::vector<uint16_t> &f : faces) {
    if (f.size() != 3 || f[0] >= vertices || f[1] >= vertices || f[2] >= vertices)
      continue;
    corners.insert(corners.end(), f.begin(), f.end());
  }
  // A list given up by delete_list comes back here rather than compiling
  // into name 0, which the GL refuses.
  if (list_name == 0)
    list_name = glGenLists(1);
  glNewList(list_name, GL_COMPILE);
  glBegin(GL_TRIANGLES);
  for (uint16_t i : corners) {
    if (with_normals)
      glNormal3fv(&normals[3 * size_t(i)]);
    if (with_texcoords)
      glTexCoord2fv(&texcoords[2 * size_t(i)]);
    glVertex3fv(&positions[4 * size_t(i)]);
  }
  glEnd();
  glEndList();
}

void cMeshDisplayList::draw() { glCallList(list_name); }

void cMeshDisplayList::delete_list() {
  if (list_name != 0) {
    glDeleteLists(list_name, 1);
    list_name = 0;
  }
}

void cMeshDisplayList::bounding_box(float min_corner[3], float max_corner[3]) const {
  for (int k = 0; k < 3; ++k) {
    min_corner[k] = std::numeric_limits<float>::max();
    max_corner[k] = std::numeric_limits<float>::lowest();
  }
  for (size_t i = 0; i + 4 <= positions.size(); i += 4) {
    for (int k = 0; k < 3; ++k) {
      const float v = positions[i + k];
      if (v < min_corner[k])
        min_corner[k] = v;
      if (v > max_corner[k])
        max_corner[k] = v;
    }
  }
}
