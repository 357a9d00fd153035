// A mesh drawn from vertex buffer objects, one indexed draw per material
// group. Loading failures are those of the OBJ, MTL and texture readers; an
// unknown buffer index is fatal. Arrays that do not fit together are not
// drawn at all, so the GL never reads outside its buffers.
#include "platform/gl_extensions.h"

#include "assets/cMeshObj.h"

#include <cstdlib>
#include <iostream>
#include <utility>

#include "assets/cObjLoader.h"

namespace {

const char *const kUnit = "cMeshObj";

template <typename T>
void upload(cVbo &vbo, GLenum target, const std::vector<T> &data, size_t per_vertex) {
  const size_t bytes = (data.size() / per_vertex) * per_vertex * sizeof(T);
  glBindBufferARB(target, vbo.name);
  glBufferDataARB(target, static_cast<GLsizeiptrARB>(bytes), bytes ? data.data() : nullptr,
                  GL_STATIC_DRAW_ARB);
  glBindBufferARB(target, 0);
}

} // namespace

cMeshObj::cMeshObj() = default;

cMeshObj::~cMeshObj() {
  index_buffer.release();
  texcoord_buffer.release();
  normal_buffer.release();
  position_buffer.release();
}

void cMeshObj::empty_arrays() {
  drawable_ = false;
  clear();
}

void cMeshObj::load(const char *file_name) {
  cObjLoader loader;
  loader.load_file(file_name ? file_name : "");
  take_from_loader(loader);
}

void cMeshObj::take_from_loader(cObjLoader &loader) {
  empty_arrays();
  loader.triangulate();
  cIndexedMesh mesh;
  loader.build_indexed_arrays(mesh);
  take_mesh(std::move(mesh));
  for (cMeshMaterial &m : materials)
    m.load_textures();
}

void cMeshObj::take_mesh(cIndexedMesh &&mesh) {
  empty_arrays();
  take(std::move(mesh));
}

void cMeshObj::prepare() {
  drawable_ = arrays_consistent();
  if (!drawable_)
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__
              << ": mesh arrays do not fit together, the mesh is not drawn" << std::endl;
  // Buffers released when a scene was left get fresh names on re-entry.
  position_buffer.ensure_name();
  normal_buffer.ensure_name();
  texcoord_buffer.ensure_name();
  index_buffer.ensure_name();
  upload(position_buffer, GL_ARRAY_BUFFER_ARB, positions, 3);
  upload(normal_buffer, GL_ARRAY_BUFFER_ARB, normals, 3);
  upload(texcoord_buffer, GL_ARRAY_BUFFER_ARB, texcoords, 2);
  upload(index_buffer, GL_ELEMENT_ARRAY_BUFFER_ARB, indices, 1);
  for (cMeshMaterial &m : materials)
    m.upload_textures();
}

void cMeshObj::draw() {
  // Without a filled position buffer the pointers below would be client
  // addresses near 0.
  if (!drawable_ || position_buffer.name == 0 || index_buffer.name == 0)
    return;
  position_buffer.bind_as_vertices();
  if (flags & MESH_HAS_NORMALS)
    normal_buffer.bind_as_normals();
  if (flags & MESH_HAS_TEXCOORDS)
    texcoord_buffer.bind_as_texcoords(GL_TEXTURE0_ARB);
  index_buffer.bind_as_indices();

  if (flags & MESH_USE_MATERIALS) {
    for (size_t k = 0; k + 1 < group_starts.size(); ++k) {
      const uint32_t start = group_starts[k];
      const uint32_t end = group_starts[k + 1];
      if (end <= start)
        continue;
      // A group without a material of its own (an unknown material name in
      // the file) is drawn with whatever material state is current.
      if (k < materials.size())
        materials[k].apply();
      glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(end - start), GL_UNSIGNED_INT,
                     reinterpret_cast<const void *>(size_t(start) * sizeof(uint32_t)));
    }
    unbind_material_textures();
  } else {
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, nullptr);
  }

  glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
  glDisableClientState(GL_VERTEX_ARRAY);
  if (flags & MESH_HAS_TEXCOORDS) {
    glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  if (flags & MESH_HAS_NORMALS)
    glDisableClientState(GL_NORMAL_ARRAY);
  glClientActiveTextureARB(GL_TEXTURE0_ARB);
}

cVbo &cMeshObj::buffer(int index) {
  switch (index) {
  case 0:
    return position_buffer;
  case 1:
    return normal_buffer;
  case 2:
    return texcoord_buffer;
  case 3:
    return index_buffer;
  default:
    std::cerr << "# ERROR in " << kUnit << " line " << __LINE__ << ": Unknown vbo. Exiting..."
              << std::endl;
    std::exit(-1);
  }
}

void cMeshObj::drop_materials() {
  flags &= static_cast<uint8_t>(~MESH_USE_MATERIALS);
  materials.clear();
}
