// The meshes on a real GL context: one draw per material group with the
// material of that group, unlit illum 0, the state a draw leaves behind, and
// the display-list mesh drawing the same picture as the buffer mesh.
#include "assets/cMeshDisplayList.h"
#include "assets/cMeshObj.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "asset_test_files.h"
#include "png_file.h"
#include "support/gl_window.h"

// Every glDrawElements of the engine passes through here on its way to the
// GL, so the tests can see how many draws a mesh issues and in what state.
struct draw_call {
  GLsizei count;
  size_t offset;
  float emission[4];
  // Per texture unit 0 to 2: the bound 2D texture and whether 2D texturing
  // is on.
  GLint texture[3];
  bool textured[3];
};
static std::vector<draw_call> g_draws;

extern "C" void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void *indices) {
  using fn = void (*)(GLenum, GLsizei, GLenum, const void *);
  static const fn real = reinterpret_cast<fn>(dlsym(RTLD_NEXT, "glDrawElements"));
  draw_call call{count, reinterpret_cast<size_t>(indices), {0, 0, 0, 0}, {0, 0, 0}, {}};
  glGetMaterialfv(GL_FRONT, GL_EMISSION, call.emission);
  GLint active = GL_TEXTURE0_ARB;
  glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  for (int unit = 0; unit < 3; ++unit) {
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &call.texture[unit]);
    call.textured[unit] = glIsEnabled(GL_TEXTURE_2D);
  }
  glActiveTextureARB(active);
  g_draws.push_back(call);
  real(mode, count, type, indices);
}

namespace {

using gl_test::expect_pixels;

// Three quads side by side, written in the order blue, red, green.
const char *const kThreeQuads = "mtllib three.mtl\n"
                                "v -0.9 -0.5 0\nv -0.3 -0.5 0\nv -0.3 0.5 0\nv -0.9 0.5 0\n"
                                "v 0.3 -0.5 0\nv 0.3 0.5 0\nv 0.9 -0.5 0\nv 0.9 0.5 0\n"
                                "usemtl blue\nf 5 7 8 6\n"
                                "usemtl red\nf 1 2 3 4\n"
                                "usemtl green\nf 2 5 6 3\n";
const char *const kThreeMaterials = "newmtl red\nillum 0\nKd 1 0 0\n"
                                    "newmtl green\nillum 1\nKd 0 1 0\n"
                                    "newmtl blue\nillum 0\nKd 0 0 1\n";

class MeshGl : public testing::Test {
protected:
  void SetUp() override {
    asset_test::clear_search_path();
    add_search_dir(dir_.path());
    dir_.write("three.obj", kThreeQuads);
    dir_.write("three.mtl", kThreeMaterials);
    gl_test::reset_matrices();
    glEnable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    g_draws.clear();
  }
  void TearDown() override { asset_test::clear_search_path(); }

  asset_test::scratch_dir dir_{"mesh_gl"};
};

void light_from_viewer() {
  const GLfloat white[4] = {1, 1, 1, 1};
  const GLfloat towards_viewer[4] = {0, 0, 1, 0};
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_POSITION, towards_viewer);
  glEnable(GL_LIGHT0);
}

TEST_F(MeshGl, ThreeMaterialsDrawThreeGroupsInMaterialOrder) {
  cMeshObj mesh;
  mesh.load("three.obj");
  ASSERT_EQ(mesh.materials.size(), 3u);
  EXPECT_EQ(mesh.group_starts, (std::vector<uint32_t>{0, 6, 12, 18}));
  mesh.prepare();
  // Unlit, illum 0 shows its colour; the lit green of illum 1 gets only the
  // dim global ambient term times its black Ka.
  mesh.draw();
  expect_pixels({{160, 300, 255, 0, 0}, {640, 300, 0, 0, 255}}, 4);
  expect_pixels({{400, 300, 0, 0, 0}}, 8);

  g_draws.clear();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  light_from_viewer();
  mesh.draw();
  glDisable(GL_LIGHT0);
  ASSERT_EQ(g_draws.size(), 3u);
  for (size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(g_draws[k].count, 6);
    EXPECT_EQ(g_draws[k].offset, k * 6 * sizeof(uint32_t));
  }
  // Materials 0, 1, 2 in this order: red (illum 0), green (illum 1), blue.
  EXPECT_EQ(g_draws[0].emission[0], 1.0f);
  EXPECT_EQ(g_draws[1].emission[0], 0.0f);
  EXPECT_EQ(g_draws[1].emission[1], 0.0f);
  EXPECT_EQ(g_draws[2].emission[2], 1.0f);
  expect_pixels({{160, 300, 255, 0, 0}, {640, 300, 0, 0, 255}, {400, 100, 0, 0, 0}});
  expect_pixels({{400, 300, 0, 255, 0}}, 10);
}

using floats = std::vector<float>;

// The front material: ambient, diffuse, specular and emission, then shininess.
floats front_material() {
  floats m(17);
  const GLenum parts[5] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION, GL_SHININESS};
  for (int i = 0; i < 5; ++i)
    glGetMaterialfv(GL_FRONT, parts[i], &m[size_t(4 * i)]);
  return m;
}

TEST_F(MeshGl, ApplySetsTheColoursOfItsIlluminationModel) {
  const floats black = {0, 0, 0, 1}, none = {0, 0, 0, 0.5f}, ka = {0.1f, 0.2f, 0.3f, 0.5f},
               kd = {0.4f, 0.5f, 0.6f, 0.5f}, ks = {0.7f, 0.8f, 0.9f, 0.5f};
  auto state = [](std::initializer_list<floats> colours, float shininess) {
    floats v;
    for (const floats &c : colours)
      v.insert(v.end(), c.begin(), c.end());
    v.push_back(shininess);
    return v;
  };
  // In sequence, each from the state the one before left. The GL takes
  // exponents up to 128 only: higher ones are clamped rather than refused
  // with an error that would keep the previous exponent.
  const struct {
    int illum;
    float ns;
    floats after;
  } steps[] = {
      {2, 33, state({ka, kd, ks, none}, 33)},
      {0, 10, state({black, black, black, kd}, 33)}, // unlit, self-coloured
      {1, 10, state({ka, kd, black, none}, 33)},
      {4, 40, state({ka, kd, ks, none}, 40)},
      {1, 10, state({ka, kd, black, none}, 40)},
      {2, 500, state({ka, kd, ks, none}, 128)},
      {3, 7, state({ka, kd, ks, none}, 128)}, // other models set nothing
      {-1, 7, state({ka, kd, ks, none}, 128)},
  };
  for (const auto &step : steps) {
    cMaterial m("m");
    std::copy(ka.begin(), ka.begin() + 3, m.Ka);
    std::copy(kd.begin(), kd.begin() + 3, m.Kd);
    std::copy(ks.begin(), ks.begin() + 3, m.Ks);
    m.Ns = step.ns;
    m.illum = step.illum;
    m.d = 0.5f;
    cMeshMaterial material(m);
    material.load_textures(); // no maps: only the alphas
    material.apply();
    EXPECT_EQ(front_material(), step.after) << "illum " << step.illum;
  }
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MeshGl, DrawLeavesNoBufferBoundAndClientUnitZero) {
  dir_.write("textured.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\n"
                             "vn 0 0 1\nf 1/1/1 2/2/1 3/3/1\n");
  cMeshObj mesh;
  mesh.load("textured.obj");
  EXPECT_EQ(mesh.flags, MESH_HAS_TEXCOORDS | MESH_HAS_NORMALS);
  mesh.prepare();
  glClientActiveTextureARB(GL_TEXTURE1_ARB);
  mesh.draw();
  ASSERT_EQ(g_draws.size(), 1u);
  EXPECT_EQ(g_draws[0].count, 3);
  const std::pair<GLenum, GLint> left[] = {{GL_ARRAY_BUFFER_BINDING_ARB, 0},
                                           {GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB, 0},
                                           {GL_CLIENT_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB},
                                           {GL_VERTEX_ARRAY, 0},
                                           {GL_NORMAL_ARRAY, 0},
                                           {GL_TEXTURE_COORD_ARRAY, 0}};
  for (auto [what, value] : left) {
    GLint got = -1;
    glGetIntegerv(what, &got);
    EXPECT_EQ(got, value) << std::hex << what;
  }
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MeshGl, DropMaterialsDrawsEverythingInOneCall) {
  cMeshObj mesh;
  mesh.load("three.obj");
  mesh.drop_materials();
  EXPECT_TRUE(mesh.materials.empty());
  EXPECT_FALSE(mesh.flags & MESH_USE_MATERIALS);
  mesh.prepare();
  const GLfloat yellow[4] = {1, 1, 0, 1};
  const GLfloat black[4] = {0, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, yellow);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, black);
  mesh.draw();
  ASSERT_EQ(g_draws.size(), 1u);
  EXPECT_EQ(g_draws[0].count, 18);
  EXPECT_EQ(g_draws[0].offset, 0u);
  expect_pixels({{160, 300, 255, 255, 0}, {640, 300, 255, 255, 0}});
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
}

TEST_F(MeshGl, GroupOfAnUnknownMaterialIsDrawnWithoutReadingAMaterial) {
  dir_.write("unknown.obj", "mtllib three.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                            "usemtl red\nf 1 2 3\nusemtl nosuch\nf 1 3 4\n");
  cMeshObj mesh;
  testing::internal::CaptureStderr();
  mesh.load("unknown.obj");
  testing::internal::GetCapturedStderr();
  // Groups 1 and 2 (green, blue) are empty; group 3 has no material.
  EXPECT_EQ(mesh.group_starts, (std::vector<uint32_t>{0, 3, 3, 3, 6}));
  ASSERT_EQ(mesh.materials.size(), 3u);
  mesh.prepare();
  mesh.draw();
  ASSERT_EQ(g_draws.size(), 2u);
  EXPECT_EQ(g_draws[1].offset, 3 * sizeof(uint32_t));
  // The second group keeps the state the first one set.
  EXPECT_EQ(g_draws[1].emission[0], 1.0f);
}

TEST_F(MeshGl, DiffuseTextureBindsOnUnitZeroOnly) {
  png_file::write(dir_.path() + "/checker.png", 2, 2, 3,
                  {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0});
  dir_.write("tex.mtl", "newmtl tex\nillum 0\nKd 1 1 1\nmap_Kd checker.png\n");
  dir_.write("tex.obj", "mtllib tex.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                        "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl tex\nf 1/1 2/2 3/3 4/4\n");
  cMeshObj mesh;
  mesh.load("tex.obj");
  ASSERT_EQ(mesh.materials.size(), 1u);
  EXPECT_NE(mesh.materials[0].diffuse_texture.il_image, 0u);
  mesh.prepare();
  EXPECT_NE(mesh.materials[0].diffuse_texture.gl_name, 0u);
  mesh.draw();
  ASSERT_EQ(g_draws.size(), 1u);
  EXPECT_EQ(GLuint(g_draws[0].texture[0]), mesh.materials[0].diffuse_texture.gl_name);
  EXPECT_TRUE(g_draws[0].textured[0]);
  // Units 1 and 2 are left as they were: off and unbound.
  for (int unit = 1; unit < 3; ++unit) {
    EXPECT_EQ(g_draws[0].texture[unit], 0) << unit;
    EXPECT_FALSE(g_draws[0].textured[unit]) << unit;
  }
  expect_pixels({{200, 450, 255, 0, 0},
                 {600, 450, 0, 255, 0},
                 {200, 150, 0, 0, 255},
                 {600, 150, 255, 255, 0}});
  // Afterwards texturing is off on units 0 to 2 and unit 0 is active.
  for (GLenum unit : {GL_TEXTURE2_ARB, GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
    glActiveTextureARB(unit);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  }
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  EXPECT_EQ(active, GL_TEXTURE0_ARB);
}

// A lumpy sphere without normals, so both meshes generate the same ones.
// A lumpy sphere of triangles without normals, so both meshes generate the
// same ones from the same faces.
std::string sphere_obj() {
  std::ostringstream text;
  const int rings = 12, segments = 16;
  for (int r = 0; r <= rings; ++r)
    for (int s = 0; s < segments; ++s) {
      const double theta = M_PI * r / rings, phi = 2 * M_PI * s / segments;
      const double radius = 0.7 + 0.08 * std::sin(3 * phi) * std::sin(theta);
      text << "v " << radius * std::sin(theta) * std::cos(phi) << " " << radius * std::cos(theta)
           << " " << radius * std::sin(theta) * std::sin(phi) << "\n";
    }
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      const int a = r * segments + s + 1, b = r * segments + (s + 1) % segments + 1;
      text << "f " << a << " " << b << " " << b + segments << "\nf " << a << " " << b + segments
           << " " << a + segments << "\n";
    }
  return text.str();
}

TEST_F(MeshGl, DisplayListMeshDrawsTheSamePictureAsTheBufferMesh) {
  dir_.write("sphere.obj", sphere_obj());
  const GLfloat white[4] = {1, 1, 1, 1}, orange[4] = {1, 0.6f, 0.1f, 1}, black[4] = {0, 0, 0, 1};
  const GLfloat position[4] = {-1, 1, 1, 0};
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glEnable(GL_LIGHT0);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, orange);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 30);
  glRotatef(20, 1, 0, 0);
  cMeshObj buffered;
  buffered.load("sphere.obj");
  buffered.prepare();
  buffered.draw();
  const gl_test::frame first = gl_test::read_frame();

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  cMeshDisplayList listed;
  listed.load("sphere.obj");
  EXPECT_NE(listed.list_name, 0u);
  listed.prepare();
  listed.draw();
  const gl_test::frame second = gl_test::read_frame();
  glDisable(GL_LIGHT0);

  size_t lit = 0, differing = 0;
  for (size_t i = 0; i < first.size(); i += 4) {
    lit += first[i] > 40;
    differing += std::abs(first[i] - second[i]) > 2 || std::abs(first[i + 1] - second[i + 1]) > 2 ||
                 std::abs(first[i + 2] - second[i + 2]) > 2;
  }
  EXPECT_GT(lit, 50000u); // the sphere covers a good part of the window
  EXPECT_LT(differing, lit / 200) << differing << " of " << lit;
}

TEST_F(MeshGl, DisplayListLifecycleAndBoundingBox) {
  dir_.write("left.obj", "v -5 -1 -2\nv -3 2 0\nv -4 0 3\nf 1 2 3\n");
  cMeshDisplayList mesh;
  float lo[3], hi[3];
  mesh.bounding_box(lo, hi);
  EXPECT_EQ(lo[0], 3.4028235e38f);
  EXPECT_EQ(hi[2], -3.4028235e38f);
  mesh.load("left.obj");
  mesh.prepare();
  mesh.bounding_box(lo, hi);
  EXPECT_EQ(lo[0], -5.0f);
  EXPECT_EQ(hi[0], -3.0f); // all at negative x: the maximum is negative too
  EXPECT_EQ(lo[1], -1.0f);
  EXPECT_EQ(hi[1], 2.0f);
  EXPECT_EQ(hi[2], 3.0f);
  const GLuint list = mesh.list_name;
  EXPECT_TRUE(glIsList(list));
  mesh.delete_list();
  EXPECT_EQ(mesh.list_name, 0u);
  EXPECT_FALSE(glIsList(list));
  mesh.load("left.obj");
  EXPECT_NE(mesh.list_name, 0u);
}

TEST_F(MeshGl, UnknownBufferIndexIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  cMeshObj mesh;
  EXPECT_EXIT(mesh.buffer(4), testing::ExitedWithCode(255),
              "# ERROR in cMeshObj line [0-9]+: Unknown vbo. Exiting...");
}

} // namespace
