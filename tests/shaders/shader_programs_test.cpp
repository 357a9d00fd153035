// Each show shader drawn on test meshes under the GL state its scene sets:
// the picture must show the effect, checked on read-back pixels.
#include "shaders/cShaderContainer_CG.h"

#include "show_shaders.h"
#include "support/gl_window.h"

#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

using namespace gl_test;
using Rgba = gl_test::rgba;
using vec3 = std::array<float, 3>;
using vec4 = std::array<float, 4>;

namespace {

const auto *const shaders = testing::AddGlobalTestEnvironment(new harness::ShowShaders);

cShaderContainer_CG &box() { return *g_shader_container; }

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

int differing(const frame &a, const frame &b, int tol = 24) {
  int n = 0;
  for (size_t i = 0; i < a.size(); i += 4)
    n +=
        std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) > tol;
  return n;
}

int brightest(const frame &f) {
  int best = 0;
  for (size_t i = 0; i < f.size(); i += 4)
    best = std::max(best, f[i] + f[i + 1] + f[i + 2]);
  return best;
}

// Mean colour over the pixels that differ from the background.
void mean_colour(const frame &f, Rgba bg, double out[3]) {
  double sum[3] = {0, 0, 0};
  int n = 0;
  for (size_t i = 0; i < f.size(); i += 4)
    if (std::abs(f[i] - bg.r) + std::abs(f[i + 1] - bg.g) + std::abs(f[i + 2] - bg.b) > 12) {
      for (int c = 0; c < 3; ++c)
        sum[c] += f[i + c];
      ++n;
    }
  for (int c = 0; c < 3; ++c)
    out[c] = n ? sum[c] / n : 0.0;
}

// Pixels the last drawing reached, from the depth buffer (cleared to 1).
int depth_covered() {
  std::vector<float> depth(size_t(kWidth) * kHeight);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  return int(std::count_if(depth.begin(), depth.end(), [](float d) { return d < 1.0f; }));
}

struct Mesh {
  std::vector<float> positions, normals, texcoords;
  std::vector<uint32_t> indices;
};

// A grid of (slices + 1) x (stacks + 1) vertices over u, v in [0, 1], shaped
// by f(u, v) -> position; normals from finite differences, flipped on request.
Mesh parametric(int slices, int stacks, const std::function<void(float, float, float *)> &f,
                bool flip = false) {
  Mesh m;
  for (int j = 0; j <= stacks; ++j)
    for (int i = 0; i <= slices; ++i) {
      const float u = float(i) / slices, v = float(j) / stacks;
      // Differences step inward at the far edges.
      const float du = i == slices ? -1e-3f : 1e-3f, dv = j == stacks ? -1e-3f : 1e-3f;
      float p[3], pu[3], pv[3], a[3], b[3];
      f(u, v, p);
      f(u + du, v, pu);
      f(u, v + dv, pv);
      for (int c = 0; c < 3; ++c) {
        a[c] = (pu[c] - p[c]) * (du > 0 ? 1 : -1);
        b[c] = (pv[c] - p[c]) * (dv > 0 ? 1 : -1);
      }
      float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                    a[0] * b[1] - a[1] * b[0]};
      float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
      if (len < 1e-12f) { // pole: point away from the centre
        len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        std::copy(p, p + 3, n);
      }
      for (int c = 0; c < 3; ++c) {
        m.positions.push_back(p[c]);
        m.normals.push_back(n[c] * (flip ? -1.0f : 1.0f) / (len > 0 ? len : 1.0f));
      }
      m.texcoords.insert(m.texcoords.end(), {u, v});
    }
  for (int j = 0; j < stacks; ++j)
    for (int i = 0; i < slices; ++i) {
      const uint32_t a = j * (slices + 1) + i, b = a + 1, c = a + slices + 1, d = c + 1;
      if (flip)
        m.indices.insert(m.indices.end(), {a, c, b, b, c, d});
      else
        m.indices.insert(m.indices.end(), {a, b, c, b, d, c});
    }
  return m;
}

// Sphere of radius r, poles on the y axis, whose surface is pushed out by bump(theta, phi) * r.
Mesh sphere(float r, int slices = 96, int stacks = 64,
            std::function<float(float, float)> bump = nullptr) {
  return parametric(slices, stacks, [=](float u, float v, float *p) {
    const float phi = u * 2.0f * float(M_PI), theta = v * float(M_PI);
    const float k = r * (1.0f + (bump ? bump(theta, phi) : 0.0f));
    p[0] = k * std::sin(theta) * std::cos(phi);
    p[1] = -k * std::cos(theta);
    p[2] = -k * std::sin(theta) * std::sin(phi);
  });
}

// Draws with client arrays: positions, normals, texcoords on set 0.
void draw(const Mesh &m) {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glClientActiveTextureARB(GL_TEXTURE0_ARB);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, m.positions.data());
  glNormalPointer(GL_FLOAT, 0, m.normals.data());
  glTexCoordPointer(2, GL_FLOAT, 0, m.texcoords.data());
  glDrawElements(GL_TRIANGLES, GLsizei(m.indices.size()), GL_UNSIGNED_INT, m.indices.data());
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

// Binds a program, draws the mesh and falls back to fixed function.
void draw_with(const char *shader, const Mesh &m) {
  box().bind(shader);
  draw(m);
  box().unbind();
}

// A texture of w x h texels (h = 0: a 1D texture) made by f(s, t, rgba).
GLuint make_texture(int w, int h, const std::function<void(float, float, float *)> &f) {
  const GLenum target = h ? GL_TEXTURE_2D : GL_TEXTURE_1D;
  const int rows = std::max(h, 1);
  std::vector<uint8_t> px(size_t(w) * rows * 4);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < w; ++x) {
      float c[4] = {0, 0, 0, 1};
      f((x + 0.5f) / w, (y + 0.5f) / rows, c);
      for (int k = 0; k < 4; ++k)
        px[(size_t(y) * w + x) * 4 + k] = uint8_t(std::clamp(c[k], 0.0f, 1.0f) * 255.0f + 0.5f);
    }
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(target, tex);
  glTexParameteri(target, GL_TEXTURE_WRAP_S, h ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  if (h)
    glTexImage2D(target, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  else
    glTexImage1D(target, 0, GL_RGBA, w, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  glBindTexture(target, 0);
  return tex;
}

GLuint make_texture_1d(int w, const std::function<void(float, float *)> &f) {
  return make_texture(w, 0, [&](float s, float, float *c) { f(s, c); });
}

GLuint flat_texture(float r, float g, float b) {
  return make_texture(8, 8, [=](float, float, float *c) { c[0] = r, c[1] = g, c[2] = b; });
}

// A camera at eye looking at the origin.
void look_at(float fovy, float near_plane, float far_plane, vec3 eye, vec3 up = {0, 1, 0}) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovy, float(kWidth) / kHeight, near_plane, far_plane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye[0], eye[1], eye[2], 0, 0, 0, up[0], up[1], up[2]);
}

void material(vec4 ambient_diffuse, vec4 specular, float shininess) {
  static const float none[4] = {0, 0, 0, 0};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, ambient_diffuse.data());
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular.data());
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
}

// A light with a grey ambient term; the position is taken in the current modelview.
void light(GLenum which, vec4 position, vec4 diffuse, vec4 specular, float ambient = 0.0f) {
  const float grey[4] = {ambient, ambient, ambient, 1};
  glLightfv(which, GL_POSITION, position.data());
  glLightfv(which, GL_AMBIENT, grey);
  glLightfv(which, GL_DIFFUSE, diffuse.data());
  glLightfv(which, GL_SPECULAR, specular.data());
  glEnable(which);
}

// Depth-tested, culled, lit, unblended, unfogged, seen from eye.
void lit_view(float fovy, vec3 eye) {
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glDisable(GL_FOG);
  glEnable(GL_LIGHTING);
  glEnable(GL_RESCALE_NORMAL);
  look_at(fovy, 1, 500, eye);
}

// Every test starts from the program's defaults and leaves them behind.
struct Programs : testing::Test {
  void SetUp() override {
    box().unbind();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(0, 0, kWidth, kHeight);
  }
  void TearDown() override {
    box().unbind();
    glPopAttrib();
    for (GLenum unit : {GL_TEXTURE2_ARB, GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
      glActiveTextureARB(unit);
      glBindTexture(GL_TEXTURE_1D, 0);
      glBindTexture(GL_TEXTURE_2D, 0);
    }
    glDeleteTextures(GLsizei(textures.size()), textures.data());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  }
  GLuint keep(GLuint t) {
    textures.push_back(t);
    return t;
  }
  // A flat texture, bound on the active unit with 2D texturing on.
  void bind_flat(float r, float g, float b) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, keep(flat_texture(r, g, b)));
  }
  std::vector<GLuint> textures;
};

// --- scene 1: the bend object and its shells ---

// An elongated, flattened blob with lumps: twists show on it.
Mesh organic_blob() {
  return parametric(160, 96, [](float u, float v, float *p) {
    const float phi = u * 2.0f * float(M_PI), theta = v * float(M_PI);
    const float lump = 1.0f + 0.12f * std::sin(5 * phi) * std::sin(4 * theta);
    p[0] = 70.0f * lump * std::sin(theta) * std::cos(phi);
    p[1] = 38.0f * lump * std::sin(theta) * std::sin(phi);
    p[2] = -160.0f * lump * std::cos(theta);
  });
}

// Fog-coloured clear, exponential fog, light 0 at the eye, textures on.
void scene1_state() {
  const float fog[4] = {0.11764706f, 0.2f, 0.27450982f, 1};
  glClearColor(fog[0], fog[1], fog[2], fog[3]);
  glFogfv(GL_FOG_COLOR, fog);
  glFogi(GL_FOG_MODE, GL_EXP);
  glFogf(GL_FOG_DENSITY, 0.02f);
  glEnable(GL_FOG);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_RESCALE_NORMAL);
  glDisable(GL_ALPHA_TEST);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  light(GL_LIGHT0, {0, 0, 0, 1}, {1.25f, 1.25f, 1.25f, 1}, {1, 1, 1, 1}, 0.1f);
  const float l = std::sqrt(0.2f * 0.2f * 2 + 1);
  look_at(90, 1, 300, {20, 20, 20}, {0.2f / l, 0.2f / l, 1 / l});
}

void draw_bend_object(const Mesh &mesh, GLuint sphere_tex, const float *inner, const float *outer) {
  material({1.0f, 0.5803922f, 0.0235294f, 1.0f}, {0, 0, 0, 1}, 75);
  box().set_parameters("bend_shader", int32_t(sphere_tex), 0, 0, 0);
  box().set_matrix_parameters("bend_shader", inner, outer);
  glPushMatrix();
  glScalef(0.1f, 0.1f, 0.1f);
  draw_with("bend_shader", mesh);
  glPopMatrix();
}

// A shell as the scene draws one: depth first, then added on top.
void draw_shell(const Mesh &mesh, float extrusion, const float *inner, const float *outer) {
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glDepthFunc(GL_LEQUAL);
  box().set_matrix_parameters("normext_shader", inner, outer);
  box().set_parameters("normext_shader", extrusion);
  glColor4f(1, 1, 1, 1);
  glPushMatrix();
  glScalef(0.1f, 0.1f, 0.1f);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  draw_with("normext_shader", mesh);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  draw_with("normext_shader", mesh);
  glPopMatrix();
  glPopAttrib();
}

// --- scene 2: x-ray spheres ---

Mesh organic_sphere() {
  return sphere(5.0f, 96, 64, [](float theta, float phi) {
    return 0.06f * std::sin(6 * phi) * std::sin(5 * theta) + 0.03f * std::cos(11 * theta);
  });
}

GLuint xray_scale() {
  return make_texture_1d(64, [](float s, float *c) {
    c[0] = 0.05f + 0.95f * s * s;
    c[1] = 0.15f + 0.85f * s;
    c[2] = 0.45f + 0.55f * std::sqrt(s);
  });
}

void scene2_state(GLuint scale, const float clear[4], float fog_end) {
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_1D);
  glBindTexture(GL_TEXTURE_1D, scale);
  glEnable(GL_RESCALE_NORMAL);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_COLOR_MATERIAL);
  glColor4f(1, 1, 1, 1);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  glFogfv(GL_FOG_COLOR, clear);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, 10);
  glFogf(GL_FOG_END, fog_end);
  glEnable(GL_FOG);
  const float l = std::sqrt(0.2f * 0.2f * 2 + 1);
  look_at(90, 1, 250, {34, 34, 34}, {0.2f / l, 0.2f / l, 1 / l});
  material({0.46666667f, 0.8784314f, 1, 1}, {0, 0, 0, 1}, 75); // it tints the x-ray
}

// --- scene 7: morphing speakers ---

// A speaker cone facing +z, at rest and with its centre pushed out, on the
// same grid so the two meshes pair vertex for vertex.
Mesh speaker(float push) {
  return parametric(
      96, 48,
      [=](float u, float v, float *p) {
        const float a = u * 2.0f * float(M_PI), r = 10.0f * v * (1.0f + 0.12f * push * (1 - v));
        p[0] = r * std::cos(a);
        p[1] = r * std::sin(a);
        p[2] = -4.0f * v * v + (v > 0.9f ? (v - 0.9f) * 25.0f : 0.0f) +
               push * 6.0f * std::exp(-v * v * 5.0f);
      },
      true);
}

// The partner's positions and normals go on texture-coordinate sets 3 and 4.
void draw_morph(const Mesh &own, const Mesh &partner) {
  const float *partner_sets[2] = {partner.positions.data(), partner.normals.data()};
  for (int k = 0; k < 2; ++k) {
    glClientActiveTextureARB(GL_TEXTURE3_ARB + k);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(3, GL_FLOAT, 0, partner_sets[k]);
  }
  draw_with("s07_morph_shader", own);
  for (GLenum unit : {GL_TEXTURE3_ARB, GL_TEXTURE4_ARB}) {
    glClientActiveTextureARB(unit);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  glClientActiveTextureARB(GL_TEXTURE0_ARB);
}

} // namespace

TEST_F(Programs, BendTwistsBetweenItsTwoTurnsAndReflectsTheSphereMap) {
  const Mesh blob = organic_blob();
  const GLuint bluish = keep(flat_texture(0.3f, 0.6f, 1.0f)), black = keep(flat_texture(0, 0, 0));
  float twist[16];
  rotation(100.0f, 1, 0, 0, twist);
  scene1_state();
  auto frame = [&](const float *inner, const float *outer, GLuint tex) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_bend_object(blob, tex, inner, outer);
    return read_frame();
  };
  const auto rest = frame(kIdentity, kIdentity, bluish);
  const auto bent = frame(kIdentity, twist, bluish);
  const auto rigid = frame(twist, twist, bluish);
  const Rgba bg = at(rest, 2, 2);
  EXPECT_GT(covered(rest, bg), 20000) << "the object is in view";
  EXPECT_GT(differing(rest, bent), 8000) << "the outer turn moves the far parts";
  EXPECT_GT(differing(rigid, bent), 8000) << "the inner turn holds the middle back";
  double shiny[3], plain[3];
  mean_colour(bent, bg, shiny);
  mean_colour(frame(kIdentity, twist, black), bg, plain);
  EXPECT_GT(shiny[2] - plain[2], 15.0) << "the reflection adds the map's colour";
}

TEST_F(Programs, NormalExtrusionGrowsWithTParmAndFades) {
  const Mesh blob = organic_blob();
  float inner[16], outer[16];
  rotation(25.0f, 0.2f, 0.3f, 1.0f, inner);
  rotation(-120.0f, 1.0f, 0.1f, 0.0f, outer);
  scene1_state();
  auto shell = [&](float t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_shell(blob, t, inner, outer);
    return read_frame();
  };
  const auto young = shell(4.0f), grown = shell(40.0f), old = shell(60.0f);
  const Rgba bg = at(young, 2, 2);
  EXPECT_GT(covered(grown, bg, 6), covered(young, bg, 6) * 5 / 4) << "the shell swells";
  EXPECT_GT(brightest(young), brightest(old) + 60) << "the shell fades as it grows";
  EXPECT_GE(brightest(young), bg.sum() + 150) << "a young shell glows";
}

TEST_F(Programs, XrayBrightensAtTheSilhouetteThroughTheColourScale) {
  const Mesh ball = sphere(5.0f);
  const GLuint scale = keep(xray_scale());
  const float dark[4] = {0.15686275f, 0.21568628f, 0.27450982f, 1};
  const auto draw_ball = [&] {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    box().bind("xray_shader");
    glPushMatrix();
    glScalef(3, 3, 3);
    draw(ball);
    glPopMatrix();
    box().unbind();
    return read_frame();
  };
  scene2_state(scale, dark, 1000.0f);
  const auto f = draw_ball();
  const Rgba bg = at(f, 2, 2);
  int left = 0, right = kWidth - 1; // the middle may be see-through
  while (left < kWidth - 1 && std::abs(at(f, left, 300).sum() - bg.sum()) <= 6)
    ++left;
  while (right > 0 && std::abs(at(f, right, 300).sum() - bg.sum()) <= 6)
    --right;
  ASSERT_GT(right - left, 100) << "the sphere is in view";
  const int rim_x = right - (right - left) / 30;
  EXPECT_GT(mean_sum(f, rim_x, 300, 1), mean_sum(f, 400, 300, 3) + 150)
      << "brighter where the surface turns away";
  EXPECT_LT(std::abs(mean_sum(f, 400, 300, 3) - bg.sum()), 60)
      << "nearly transparent where it faces the viewer";
  // Near the rim the scale is pale, so the material's colour shows.
  const Rgba cyan_rim = at(f, rim_x, 300);
  EXPECT_GT(cyan_rim.b, cyan_rim.r + 40) << "the cyan material tints it";
  glColor4f(1, 0.2f, 0.2f, 1);
  EXPECT_LT(differing(draw_ball(), f), 20) << "the current colour leaves it alone";
  material({1.0f, 0.5803922f, 0.0235294f, 1.0f}, {0, 0, 0, 1}, 75);
  const Rgba orange_rim = at(draw_ball(), rim_x, 300);
  EXPECT_GT(orange_rim.r, orange_rim.b + 40) << "an orange material turns it orange";

  // The scene's look: nested shells in white fog.
  const Mesh shell = organic_sphere();
  const float white[4] = {1, 1, 1, 1};
  scene2_state(scale, white, 85.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  box().bind("xray_shader");
  const float scales[] = {0.5f, 1.2f, 2.1f, 3.3f, 4.6f, 6.2f, 8.0f};
  for (int i = 0; i < 7; ++i) {
    glPushMatrix();
    glRotatef(37.0f * i + 10, 0.1f, 0.1f, 1);
    glScalef(scales[i], scales[i], scales[i]);
    draw(shell);
    glPopMatrix();
  }
  box().unbind();
  const auto foggy = read_frame();
  EXPECT_GT(covered(foggy, Rgba{255, 255, 255, 255}), 20000);
}

TEST_F(Programs, DiffuseSpecularTexturedIsLitFromLightZeroWithAHighlightOnTop) {
  const Mesh ball = sphere(10.0f);
  const GLuint checker = keep(make_texture(64, 64, [](float s, float t, float *c) {
    c[0] = c[1] = c[2] = (int(s * 16) + int(t * 8)) % 2 ? 1.0f : 0.2f;
  }));
  const GLuint white_tex = keep(flat_texture(1, 1, 1)), pink = keep(flat_texture(0.8f, 0.5f, 0.6f));
  glClearColor(0, 0, 0, 0);
  const float no_ambient[4] = {0, 0, 0, 0};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, no_ambient);
  lit_view(45, {0, 0, 40});
  light(GL_LIGHT0, {-30, 25, 30, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, 0.1f);
  glEnable(GL_TEXTURE_2D);
  auto frame = [&](GLuint texture, vec4 specular) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    material({1, 1, 1, 1}, specular, 40);
    draw_with("sc04_dstex", ball);
    return read_frame();
  };
  const auto plain = frame(white_tex, {0, 0, 0, 1}), checked = frame(checker, {0, 0, 0, 1});
  // Checked over plain is the texel's value wherever the light reaches:
  // the squares alternate along a row whatever the shading does.
  int changes = 0, last = 0;
  for (int x = 200; x < 600; ++x) {
    const int lit = at(plain, x, 330).sum();
    if (lit < 90)
      continue;
    const double ratio = double(at(checked, x, 330).sum()) / lit;
    const int now = ratio > 0.75 ? 1 : ratio < 0.35 ? -1 : 0;
    if (now != 0 && now != last) {
      changes += last != 0;
      last = now;
    }
  }
  EXPECT_GE(changes, 3) << "the checker on unit 0 colours the lit surface";
  const auto matte = frame(pink, {0, 0, 0, 1}), glossy = frame(pink, {1, 1, 1, 1});
  EXPECT_GT(mean_sum(matte, 330, 370, 20), mean_sum(matte, 470, 230, 20) + 120)
      << "the side toward the light is brighter";
  EXPECT_LT(brightest(matte), 680) << "the texture alone never reaches white";
  EXPECT_GT(brightest(glossy), 740) << "the highlight is added over the texture";
}

TEST_F(Programs, DiffuseSpecularTwoLightsMixesBothLights) {
  glClearColor(0.25f, 0.3f, 0.4f, 1);
  lit_view(45, {0, 0, 40});
  const vec4 warm = {1.0f, 0.45f, 0.2f, 1}, cool = {0.15f, 0.35f, 1.0f, 1};
  light(GL_LIGHT0, {-60, 10, 20, 1}, warm, warm, 0.05f);
  light(GL_LIGHT1, {60, -10, 20, 1}, cool, cool, 0.05f);
  material({1, 1, 1, 1}, {0.6f, 0.6f, 0.6f, 1}, 25);
  bind_flat(0.9f, 0.9f, 0.9f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw_with("s07_dstex_2L_shader", sphere(10.0f));
  const Rgba l = pixel(320, 300), r = pixel(480, 300);
  EXPECT_GT(l.r, l.b + 60) << "light 0 warms the left";
  EXPECT_GT(r.b, r.r + 60) << "light 1 cools the right";
}

TEST_F(Programs, BackNormalsShadeBothSidesAndTintTheFarSide) {
  // A flat ring around the z axis, as the scene's logo rings, drawn as the
  // scene draws them: added up, unculled, unlit, without depth writes.
  const Mesh ring = parametric(160, 6, [](float u, float v, float *p) {
    p[0] = (6.0f + 4.0f * v) * std::cos(-u * 2.0f * float(M_PI));
    p[1] = (6.0f + 4.0f * v) * std::sin(-u * 2.0f * float(M_PI));
    p[2] = 0.0f;
  });
  glClearColor(0.1f, 0.1f, 0.1f, 1);
  look_at(45, 1, 500, {0, 0, 40});
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  material({1, 1, 1, 1}, {0, 0, 0, 1}, 0);
  bind_flat(1.0f, 0.7f, 0.4f);
  glColor4f(0.65f, 0.65f, 0.65f, 1);
  auto frame = [&](float turn) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);
    glPushMatrix();
    glRotatef(turn, 0, 1, 0);
    draw_with("scn06_backshader", ring);
    glPopMatrix();
    glDepthMask(GL_TRUE);
    return read_frame();
  };
  const auto front = frame(20.0f), back = frame(160.0f);
  const Rgba bg = at(front, 2, 2);
  double f[3], b[3];
  mean_colour(front, bg, f);
  mean_colour(back, bg, b);
  EXPECT_GT(covered(back, bg), 3000) << "the back side is drawn too";
  EXPECT_GT(f[0], f[2] + 20) << "front faces keep the texture's warm colour";
  EXPECT_GT(b[2], b[0] + 5) << "back faces turn cooler";
}

TEST_F(Programs, MorphMovesVerticesTowardThePartnerByCurT) {
  const Mesh rest = speaker(0.0f), pushed = speaker(1.0f);
  glClearColor(0.25f, 0.3f, 0.4f, 1);
  lit_view(50, {6, 14, 34});
  glDisable(GL_CULL_FACE);
  light(GL_LIGHT0, {-80, 200, -140, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, 0.05f);
  light(GL_LIGHT1, {80, 200, 140, 1}, {0.15f, 0.35f, 0.65f, 1}, {0.15f, 0.35f, 0.5f, 1}, 0.05f);
  material({0.8f, 0.8f, 0.8f, 1}, {1, 1, 1, 1}, 40);
  // Colour, gloss and environment maps on units 2 to 0.
  const vec3 maps[3] = {{0.4f, 0.38f, 0.4f}, {0.8f, 0.8f, 0.8f}, {0.6f, 0.7f, 1.0f}};
  for (int i = 2; i >= 0; --i) {
    glActiveTextureARB(GL_TEXTURE0_ARB + i);
    bind_flat(maps[i][0], maps[i][1], maps[i][2]);
  }
  auto frame = [&](float t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    box().set_parameters("s07_morph_shader", t);
    draw_morph(rest, pushed);
    return std::make_pair(read_frame(), depth_covered());
  };
  const auto t0 = frame(0.0f), t_half = frame(0.5f), t1 = frame(1.0f);
  EXPECT_GT(differing(t0.first, t1.first), 5000) << "the weight moves the cone";
  EXPECT_GT(differing(t0.first, t_half.first), 1500);
  EXPECT_GT(differing(t_half.first, t1.first), 1500);
  EXPECT_GT(t_half.second, t0.second) << "the pushed cone covers more";
  EXPECT_GT(t1.second, t_half.second);
  // Weight 0 is the mesh itself, where fixed function puts it.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw(rest);
  EXPECT_LT(std::abs(depth_covered() - t0.second), t0.second / 100);
}

TEST_F(Programs, LightMapDarkensWhereTheMapIsDarkAndFogTakesTheScaleColour) {
  // The scene's state: light 0 far down the corridor, linear fog, white on
  // unit 0, a light map dark on its left half on unit 1, the fog scale on 2.
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  glClearColor(1, 1, 1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  light(GL_LIGHT0, {0, 0, -2500, 1}, {0.55f, 0.55f, 0.85f, 1}, {0, 0, 2.5f, 1});
  glEnable(GL_LIGHTING);
  const float fog[4] = {0.40784314f, 0.65882355f, 0.7372549f, 1};
  glFogfv(GL_FOG_COLOR, fog);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, 100);
  glFogf(GL_FOG_END, 1800);
  glEnable(GL_FOG);
  glActiveTextureARB(GL_TEXTURE2_ARB);
  glEnable(GL_TEXTURE_1D);
  glBindTexture(GL_TEXTURE_1D, keep(make_texture_1d(64, [](float s, float *c) {
                  c[0] = 0.41f + 0.5f * s;
                  c[1] = 0.66f + 0.3f * s;
                  c[2] = 0.74f + 0.24f * s;
                })));
  glActiveTextureARB(GL_TEXTURE0_ARB);
  bind_flat(1, 1, 1);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, keep(make_texture(64, 64, [](float s, float, float *c) {
                  c[0] = c[1] = c[2] = s < 0.5f ? 0.1f : 0.9f;
                })));
  const Mesh wall = parametric(48, 8, [](float u, float v, float *p) {
    p[0] = (u - 0.5f) * 300, p[1] = (v - 0.5f) * 300, p[2] = 0;
  });
  auto frame = [&](float distance, float fovy) {
    look_at(fovy, 10, 4000, {0, 0, distance});
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_with("sc08_lm_shader", wall);
    return read_frame();
  };
  const auto near = frame(200, 90);
  const double dark = mean_sum(near, 300, 300, 10), bright = mean_sum(near, 500, 300, 10);
  EXPECT_LT(dark, bright * 0.35) << "the dark half of the map darkens the wall";
  EXPECT_GT(bright, 450.0);

  // Beyond the fog's end the wall shows the far end of the fog scale.
  const auto far = frame(2500, 10);
  const Rgba fogged = at(far, 300, 300), fogged2 = at(far, 500, 300);
  EXPECT_NEAR(fogged.r, 0.91 * 255, 6);
  EXPECT_NEAR(fogged.b, 0.98 * 255, 6);
  EXPECT_LT(std::abs(fogged.sum() - fogged2.sum()), 8) << "fog hides the map";
}

TEST_F(Programs, EnvironmentTextureReflectsTheMapOnUnitZero) {
  const Mesh ball = sphere(13.0f);
  // The scene's purple metal, lit by two lights at the eye.
  glClearColor(0, 0, 0, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  light(GL_LIGHT0, {0, 0, 0, 1}, {0.5f, 0.5f, 0.75f, 1}, {1, 1, 1, 1});
  light(GL_LIGHT1, {0, 0, 0, 1}, {1.5f, 1.5f, 1.5f, 1}, {1, 1, 1, 1});
  lit_view(85, {75, 0, 0});
  material({0.5764706f, 0.44705883f, 1, 1}, {1, 1, 1, 1}, 30);
  auto mean_of = [&](float r, float g, float b, double out[3]) {
    bind_flat(r, g, b);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_with("sc09_etex", ball);
    mean_colour(read_frame(), Rgba{0, 0, 0, 255}, out);
  };
  double red[3], green[3];
  mean_of(1.0f, 0.1f, 0.1f, red);
  mean_of(0.1f, 1.0f, 0.1f, green);
  EXPECT_GT(red[0] - green[0], 20.0) << "a red world makes the metal redder";
  EXPECT_GT(green[1] - red[1], 20.0) << "a green world makes it greener";
}
