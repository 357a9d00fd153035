// Reads a Wavefront OBJ file into indexed arrays and reshapes them for the
// meshes. A missing file, a face corner without the slashes its file demands
// and a face too small for a normal are fatal; everything else warns and goes
// on. Faces that point outside the lists they index are dropped while
// reading, so no later step can read outside its data.
#include "assets/cObjLoader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "assets/cMtlLoader.h"
#include "assets/file_bytes.h"
#include "assets/search_path.h"
#include "assets/text_scan.h"

namespace {

const char *const kUnit = "cObjLoader";
constexpr size_t kMaxLine = 127;

// Corner parts, as bits of a corner's pattern.
constexpr unsigned kPartPosition = 1;
constexpr unsigned kPartTexcoord = 2;
constexpr unsigned kPartNormal = 4;

// Reads the one-based index at token[offset] if it starts with a digit.
// Indices that 16 bits cannot hold zero-based (0 and above 65536) mark the
// corner bad instead of wrapping onto some other vertex.
bool read_index(std::string_view token, size_t offset, uint16_t &index, bool &bad) {
  if (offset >= token.size() || token[offset] < '0' || token[offset] > '9')
    return false;
  uint32_t value = 0;
  for (size_t i = offset; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
    value = value * 10 + static_cast<uint32_t>(token[i] - '0');
    if (value > 70000)
      value = 70000;
  }
  if (value == 0 || value > 65536) {
    bad = true;
    index = 0;
  } else {
    index = static_cast<uint16_t>(value - 1);
  }
  return true;
}

// The faces a file holds after triangulation, one per "f" line and one more
// per corner beyond the third, counted ahead so that the face list is
// allocated once. Faces that reading drops may be counted too.
size_t face_slots(const char *data, size_t size) {
  size_t slots = 0;
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  text_scan::line_reader lines(data, size, kMaxLine);
  std::string_view line;
  while (lines.next(line)) {
    size_t i = 0;
    while (i < line.size() && blank(line[i]))
      ++i;
    if (i >= line.size() || line[i] != 'f' ||
        (i + 1 < line.size() && !blank(line[i + 1]) && line[i + 1] != '\0'))
      continue;
    size_t corners = 0;
    bool in_token = false;
    for (++i; i < line.size(); ++i) {
      corners += !blank(line[i]) && !in_token;
      in_token = !blank(line[i]);
    }
    slots += corners > 3 ? corners - 2 : 1;
  }
  return slots;
}

// count floats from v at offset, or zeros where v is too short.
void append_floats(std::vector<float> &out, const std::vector<float> &v, size_t offset,
                   size_t count) {
  if (offset + count <= v.size())
    out.insert(out.end(), v.begin() + static_cast<std::ptrdiff_t>(offset),
               v.begin() + static_cast<std::ptrdiff_t>(offset + count));
  else
    out.insert(out.end(), count, 0.0f);
}

} // namespace

void cObjLoader::fail() {
  failed_ = true;
  if (policy_ == fatal_policy::exit_process)
    std::exit(-1);
}

void cObjLoader::load_file(std::string file_name) {
  const std::string path = find_in_search_path(file_name);
  if (path.empty()) {
    std::cerr << "## ERROR in " << kUnit << " line " << __LINE__
              << ": file was not found in path: " << file_name << std::endl;
    fail();
    return;
  }
  std::cout << "-\ncObjLoader::load_file parsing " << path << " ...\n";

  std::string directory;
  size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    slash = path.rfind('\\');
  if (slash != std::string::npos)
    directory = path.substr(0, slash + 1);
  else
    std::cerr << "# WARNING in " << kUnit << ", line " << __LINE__
              << ": Can't find full path! .mtl might not load!" << std::endl;

  std::vector<char> bytes;
  if (!read_file_bytes(path, bytes)) {
    std::cout << "File not found: \"" << path << " in cObjLoader::load_file(..)" << std::endl;
    fail();
    return;
  }
  parse(bytes.data(), bytes.size(), directory);
}

bool cObjLoader::parse(const char *data, size_t size, const std::string &directory) {
  positions.clear();
  normals.clear();
  texcoords.clear();
  faces.clear();
  materials.clear();
  failed_ = false;
  faces.reserve(face_slots(data, size));

  int32_t current_material = -1;
  // Per face: its file line and whether a corner held an unusable index.
  std::vector<uint32_t> face_lines;
  std::vector<uint8_t> face_bad;
  std::vector<uint16_t> fp, ft, fn;
  std::vector<std::string_view> t;
  text_scan::statement_reader reader(data, size, kMaxLine);
  bool complete = true;

  while (reader.next(t)) {
    const uint32_t line_number = reader.line_number();
    const std::string_view key = t[0];

    if (key == "v") {
      if (t.size() > 5)
        std::cerr << "# warning, " << (t.size() - 1) << " coordinates in line " << line_number
                  << ", only four used" << std::endl;
      size_t i = 1;
      for (; i < t.size() && i <= 4; ++i)
        positions.push_back(text_scan::to_float(t[i]));
      for (; i <= 4; ++i)
        positions.push_back(1.0f);
    } else if (key == "vt") {
      flags |= MESH_HAS_TEXCOORDS;
      // Two values per line, missing ones as 0, so that every texcoord index
      // names a whole pair.
      for (size_t i = 1; i <= 2; ++i)
        texcoords.push_back(i < t.size() ? text_scan::to_float(t[i]) : 0.0f);
    } else if (key == "vn") {
      flags |= MESH_HAS_NORMALS;
      for (size_t i = 1; i < t.size(); ++i)
        normals.push_back(text_scan::to_float(t[i]));
      if (t.size() - 1 != 3)
        std::cerr << "## error, " << (t.size() - 1)
                  << " normal-coordinates in line: " << line_number << std::endl;
    } else if (key == "vp") {
      std::cerr << "# warning, \"" << key << "\" in line " << line_number
                << " not supported... skipped!\n";
    } else if (key == "p") {
      std::cerr << "TOK_P\n";
    } else if (key == "l") {
      std::cerr << "TOK_L\n";
    } else if (key == "f") {
      fp.clear();
      ft.clear();
      fn.clear();
      bool bad = false;
      bool varying = false;
      unsigned expected = 0;
      for (size_t i = 1; i < t.size(); ++i) {
        const std::string_view corner = t[i];
        const size_t first_slash = corner.find('/');
        size_t tex_at = std::string_view::npos;
        size_t normal_at = std::string_view::npos;
        bool slashes_ok = true;
        if (flags & MESH_HAS_TEXCOORDS) {
          if (first_slash == std::string_view::npos)
            slashes_ok = false;
          else
            tex_at = first_slash + 1;
        }
        if (flags & MESH_HAS_NORMALS) {
          const size_t second_slash = first_slash == std::string_view::npos
                                          ? std::string_view::npos
                                          : corner.find('/', first_slash + 1);
          if (second_slash == std::string_view::npos)
            slashes_ok = false;
          else
            normal_at = second_slash + 1;
        }
        if (!slashes_ok) {
          std::cerr << "## ERROR in " << kUnit << ", line #" << __LINE__
                    << ", missing / in line: " << line_number << std::endl;
          fail();
          return false;
        }
        unsigned pattern = 0;
        uint16_t index = 0;
        if (read_index(corner, 0, index, bad)) {
          fp.push_back(index);
          pattern |= kPartPosition;
        }
        if (tex_at != std::string_view::npos && read_index(corner, tex_at, index, bad)) {
          ft.push_back(index);
          pattern |= kPartTexcoord;
        }
        if (normal_at != std::string_view::npos && read_index(corner, normal_at, index, bad)) {
          fn.push_back(index);
          pattern |= kPartNormal;
        }
        // Every corner must carry the same parts as the first, or the three
        // lists would no longer run in parallel.
        if (i == 1)
          expected = pattern;
        else if (pattern != expected) {
          varying = true;
          break;
        }
      }
      if (varying) {
        std::cerr << "## Error in line: " << line_number
                  << " - varying number of elements in face-declaration. Skipping " << std::endl;
        complete = false;
        break;
      }
      if (fp.size() > 3)
        flags |= MESH_HAS_POLYGONS;
      obj_face face;
      face.positions.assign(fp.data(), fp.data() + fp.size());
      face.texcoords.assign(ft.data(), ft.data() + ft.size());
      face.normals.assign(fn.data(), fn.data() + fn.size());
      face.material = current_material;
      faces.push_back(std::move(face));
      face_lines.push_back(line_number);
      face_bad.push_back(bad ? 1 : 0);
    } else if (key == "curv" || key == "curv2" || key == "surf" || key == "g" || key == "s") {
      std::cerr << "# warning: \"" << key << "\" in line " << line_number
                << " not supported... skipped!\n";
    } else if (key == "mtllib") {
      for (size_t i = 1; i < t.size(); ++i) {
        const std::string path = directory + std::string(t[i]);
        material_list list;
        if (mtl_reader) {
          mtl_reader(path, list);
        } else {
          cMtlLoader mtl;
          mtl.load(path);
          list = std::move(mtl.materials);
        }
        materials.insert(materials.end(), list.begin(), list.end());
      }
    } else if (key == "usemtl") {
      if (t.size() < 2) {
        std::cerr << "# warning: \"usemtl\" without a name in line " << line_number
                  << "... skipped!" << std::endl;
        continue;
      }
      const std::string name(t[1]);
      if (materials.empty()) {
        std::cerr << "# warning: No materials defined! \"usemtl " << name << "\" illegal in line "
                  << line_number << "... skipped!" << std::endl;
        continue;
      }
      const size_t found = find_material_index(materials, name);
      if (found == materials.size())
        std::cerr << "# WARNING: unknown material \"" << name << "\" in line " << line_number
                  << std::endl;
      flags |= MESH_USE_MATERIALS;
      current_material = static_cast<int32_t>(found);
    } else {
      std::cerr << "# warning, unknown token: \"" << key << "\" in line " << line_number
                << "... skipped!" << std::endl;
    }
  }

  drop_faces_with_bad_indices(face_lines, face_bad);
  if (complete)
    std::cout << "done reading obj.\n-" << std::endl;
  return true;
}

void cObjLoader::drop_faces_with_bad_indices(const std::vector<uint32_t> &face_lines,
                                             const std::vector<uint8_t> &face_bad) {
  const size_t position_count = positions.size() / 4;
  const size_t texcoord_count = texcoords.size() / 2;
  const size_t normal_count = normals.size() / 3;
  size_t kept = 0;
  for (size_t i = 0; i < faces.size(); ++i) {
    const obj_face &f = faces[i];
    bool ok = !face_bad[i];
    for (uint16_t p : f.positions)
      ok = ok && p < position_count;
    for (uint16_t p : f.texcoords)
      ok = ok && p < texcoord_count;
    for (uint16_t p : f.normals)
      ok = ok && p < normal_count;
    if (!ok) {
      std::cerr << "# WARNING in " << kUnit << " line " << __LINE__ << ": face in line "
                << face_lines[i] << " refers to a missing vertex... skipped!" << std::endl;
      continue;
    }
    if (kept != i)
      faces[kept] = std::move(faces[i]);
    ++kept;
  }
  faces.resize(kept);
}

void cObjLoader::triangulate() {
  const size_t count = faces.size();
  // Room for every triangle to come, so that appending never moves the faces.
  size_t extra = 0;
  for (const obj_face &f : faces)
    extra += f.positions.size() > 3 ? f.positions.size() - 3 : 0;
  faces.reserve(count + extra);
  for (size_t i = 0; i < count; ++i) {
    obj_face &f = faces[i];
    const size_t n = f.positions.size();
    if (n < 3) {
      std::cerr << "Malformed face. " << n << " vertices in face. Aborting triangulation"
                << std::endl;
      return;
    }
    const bool with_texcoords = (flags & MESH_HAS_TEXCOORDS) && f.texcoords.size() == n;
    const bool with_normals = (flags & MESH_HAS_NORMALS) && f.normals.size() == n;
    // Corners 0, k-1, k for k from the last corner down to 3, then the face
    // keeps corners 0, 1, 2.
    for (size_t k = n - 1; k >= 3; --k) {
      faces.emplace_back();
      obj_face &tri = faces.back();
      tri.material = f.material;
      tri.positions = {f.positions[0], f.positions[k - 1], f.positions[k]};
      if (with_texcoords)
        tri.texcoords = {f.texcoords[0], f.texcoords[k - 1], f.texcoords[k]};
      if (with_normals)
        tri.normals = {f.normals[0], f.normals[k - 1], f.normals[k]};
    }
    f.positions.resize(3);
    if (with_texcoords)
      f.texcoords.resize(3);
    if (with_normals)
      f.normals.resize(3);
  }
  flags &= static_cast<uint8_t>(~MESH_HAS_POLYGONS);
}

void cObjLoader::generate_normals() {
  const size_t count = positions.size() / 4;
  normals.assign(3 * count, 0.0f);
  for (size_t i = 0; i < faces.size(); ++i) {
    obj_face &f = faces[i];
    if (f.positions.size() < 3) {
      std::cerr << "Malformed polygon: " << i << " exiting!" << std::endl;
      fail();
      return;
    }
    bool in_range = true;
    for (uint16_t p : f.positions)
      in_range = in_range && p < count;
    if (in_range) {
      const float *p0 = &positions[4 * size_t(f.positions[0])];
      const float *p1 = &positions[4 * size_t(f.positions[1])];
      const float *p2 = &positions[4 * size_t(f.positions[2])];
      const float u[3] = {p0[0] - p1[0], p0[1] - p1[1], p0[2] - p1[2]};
      const float v[3] = {p0[0] - p2[0], p0[1] - p2[1], p0[2] - p2[2]};
      const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                          u[0] * v[1] - u[1] * v[0]};
      for (uint16_t p : f.positions) {
        normals[3 * size_t(p)] += n[0];
        normals[3 * size_t(p) + 1] += n[1];
        normals[3 * size_t(p) + 2] += n[2];
      }
    }
    f.normals = f.positions;
  }
  for (size_t i = 0; i < count; ++i) {
    float *n = &normals[3 * i];
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    // A position no face uses keeps a zero normal rather than NaNs.
    if (length > 0.0f) {
      n[0] /= length;
      n[1] /= length;
      n[2] /= length;
    }
  }
  flags |= MESH_HAS_NORMALS;
}

void cObjLoader::unify_by_position() {
  generate_normals();
  if (failed_)
    return;
  const size_t count = positions.size() / 4;
  const bool with_texcoords = flags & MESH_HAS_TEXCOORDS;
  const bool with_normals = flags & MESH_HAS_NORMALS;
  if (with_texcoords && texcoords.size() < 2)
    texcoords.resize(2, 0.0f);
  std::vector<int32_t> new_index(count, -1);
  std::vector<float> new_positions, new_texcoords, new_normals;
  int32_t next = 0;
  for (size_t fi = 0; fi < faces.size(); ++fi) {
    obj_face &f = faces[fi];
    if (with_texcoords && f.texcoords.empty()) {
      std::cerr << "# warning: missing texcoords in face " << fi << ". Using first texcoord."
                << std::endl;
      f.texcoords.assign(f.positions.size(), 0);
    }
    for (size_t c = 0; c < f.positions.size(); ++c) {
      const uint16_t p = f.positions[c];
      if (p >= count)
        continue;
      if (new_index[p] < 0) {
        new_index[p] = next++;
        append_floats(new_positions, positions, 4 * size_t(p), 4);
        if (with_texcoords)
          append_floats(new_texcoords, texcoords,
                        c < f.texcoords.size() ? 2 * size_t(f.texcoords[c]) : 0, 2);
        if (with_normals)
          append_floats(new_normals, normals, c < f.normals.size() ? 3 * size_t(f.normals[c]) : 0,
                        3);
      }
      const uint16_t unified = static_cast<uint16_t>(new_index[p]);
      f.positions[c] = unified;
      if (c < f.texcoords.size())
        f.texcoords[c] = unified;
      if (c < f.normals.size())
        f.normals[c] = unified;
    }
  }
  positions.swap(new_positions);
  if (with_texcoords)
    texcoords.swap(new_texcoords);
  if (with_normals)
    normals.swap(new_normals);
}

void cObjLoader::build_indexed_arrays(cIndexedMesh &out) {
  out.clear();

  if (!(flags & MESH_HAS_NORMALS)) {
    generate_normals();
  } else {
    // Faces read before the first "vn" line, or written as "p//", carry no
    // normal indices; smooth normals for all are better than none for some.
    for (const obj_face &f : faces) {
      if (f.positions.size() >= 3 && f.normals.size() != f.positions.size()) {
        std::cerr << "# WARNING in " << kUnit << " line " << __LINE__
                  << ": faces without normals, generating normals" << std::endl;
        generate_normals();
        break;
      }
    }
  }
  out.flags = flags;
  if (failed_)
    return;

  const bool with_texcoords = flags & MESH_HAS_TEXCOORDS;
  auto key_of = [&](const obj_face &f, size_t c) {
    const uint64_t tex = !with_texcoords                            ? 0xFFFFFFFFull
                         : f.texcoords.size() == f.positions.size() ? f.texcoords[c]
                                                                    : 0u;
    return (uint64_t(f.positions[c]) << 48) | (uint64_t(f.normals[c]) << 32) | tex;
  };

  // The exported faces by material, then file order: the material (sign bit
  // flipped, so -1 sorts first) in the high half of a key, the face's index in
  // the low half.
  size_t not_triangles = 0;
  size_t without_texcoords = 0;
  size_t position_count = 0;
  std::vector<uint64_t> order;
  order.reserve(faces.size());
  for (size_t i = 0; i < faces.size(); ++i) {
    const obj_face &f = faces[i];
    // Only triangles can be exported; triangulation may have stopped early.
    if (f.positions.size() != 3 || f.normals.size() != 3) {
      ++not_triangles;
      continue;
    }
    if (with_texcoords && f.texcoords.size() != 3)
      ++without_texcoords;
    order.push_back((uint64_t(uint32_t(f.material) ^ 0x80000000u) << 32) | i);
    for (uint16_t p : f.positions)
      position_count = std::max(position_count, size_t(p) + 1);
  }
  if (not_triangles)
    std::cerr << "# WARNING in " << kUnit << " line " << __LINE__ << ": " << not_triangles
              << " faces that are no triangles skipped" << std::endl;
  if (without_texcoords)
    std::cerr << "# warning: missing texcoords in " << without_texcoords
              << " faces. Using first texcoord." << std::endl;
  if (with_texcoords && texcoords.size() < 2)
    texcoords.resize(2, 0.0f);

  // The distinct corner keys in ascending order. The keys of one position
  // share a bucket; buckets follow in position order, so sorting and
  // deduplicating each bucket sorts them all. Bucket p starts at bucket[p].
  std::vector<uint32_t> bucket(position_count + 1, 0);
  for (uint64_t entry : order)
    for (uint16_t p : faces[uint32_t(entry)].positions)
      ++bucket[size_t(p) + 1];
  for (size_t p = 1; p < bucket.size(); ++p)
    bucket[p] += bucket[p - 1];
  std::vector<uint64_t> keys(bucket.back());
  {
    std::vector<uint32_t> fill(bucket.begin(), bucket.end() - 1);
    for (uint64_t entry : order) {
      const obj_face &f = faces[uint32_t(entry)];
      for (size_t c = 0; c < 3; ++c)
        keys[fill[f.positions[c]]++] = key_of(f, c);
    }
  }
  size_t distinct = 0;
  for (size_t p = 0; p + 1 < bucket.size(); ++p) {
    const auto first = keys.begin() + bucket[p], last = keys.begin() + bucket[p + 1];
    bucket[p] = static_cast<uint32_t>(distinct);
    if (first == last)
      continue;
    std::sort(first, last);
    const auto unique_end = std::unique(first, last);
    for (auto it = first; it != unique_end; ++it)
      keys[distinct++] = *it;
  }
  bucket.back() = static_cast<uint32_t>(distinct);
  keys.resize(distinct);

  out.positions.reserve(keys.size() * 3);
  out.normals.reserve(keys.size() * 3);
  if (with_texcoords)
    out.texcoords.reserve(keys.size() * 2);
  for (uint64_t key : keys) {
    append_floats(out.positions, positions, 4 * size_t(key >> 48), 3);
    append_floats(out.normals, normals, 3 * size_t((key >> 32) & 0xFFFF), 3);
    if (with_texcoords)
      append_floats(out.texcoords, texcoords, 2 * size_t(key & 0xFFFFFFFF), 2);
  }

  std::sort(order.begin(), order.end());
  out.indices.reserve(order.size() * 3);
  // One group per material index up to the highest one used, empty ones
  // included, so that group k always belongs to material k.
  int64_t group = -1;
  for (uint64_t entry : order) {
    const obj_face &f = faces[uint32_t(entry)];
    while (group < f.material) {
      ++group;
      if (group >= 0)
        out.group_starts.push_back(static_cast<uint32_t>(out.indices.size()));
    }
    for (size_t c = 0; c < 3; ++c) {
      const uint16_t p = f.positions[c];
      const auto first = keys.begin() + bucket[p], last = keys.begin() + bucket[size_t(p) + 1];
      const auto it = std::lower_bound(first, last, key_of(f, c));
      out.indices.push_back(static_cast<uint32_t>(it - keys.begin()));
    }
  }
  out.group_starts.push_back(static_cast<uint32_t>(out.indices.size()));
  out.materials = materials;
}

void cObjLoader::get_materials(material_list &out) const { out = materials; }
