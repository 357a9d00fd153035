// Each show shader drawn on test meshes under the GL state its scene sets:
// the picture must show the effect (checked on read-back pixels), and one
// PNG per program lands in tests/shaders/pictures of the build tree.
#include "shaders/cShaderContainer_CG.h"

#include "shaders/cShdBacknorm.h"
#include "shaders/cShdBend.h"
#include "shaders/cShdDStex.h"
#include "shaders/cShdDStex2L.h"
#include "shaders/cShdEnvtex.h"
#include "shaders/cShdLightmap.h"
#include "shaders/cShdMorphDS.h"
#include "shaders/cShdNormExt.h"
#include "shaders/cShdXray.h"

#include "gl_harness.h"
#include "show_shaders.h"

#include <unistd.h>

#include <algorithm>

using namespace harness;

namespace {

const auto *const window = testing::AddGlobalTestEnvironment(new GlWindow);
const auto *const shaders = testing::AddGlobalTestEnvironment(new ShowShaders);

cShaderContainer_CG &box() { return *g_shader_container; }

const std::string &pictures() {
  static const std::string dir = picture_dir("shaders");
  return dir;
}

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

int differing(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b, int tol = 24) {
  int n = 0;
  for (size_t i = 0; i < a.size(); i += 4)
    if (std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) > tol)
      ++n;
  return n;
}

int brightest(const std::vector<uint8_t> &f) {
  int best = 0;
  for (size_t i = 0; i < f.size(); i += 4)
    best = std::max(best, f[i] + f[i + 1] + f[i + 2]);
  return best;
}

// Mean colour over the pixels that differ from the background.
void mean_colour(const std::vector<uint8_t> &f, Rgba bg, double out[3], int x0 = 0,
                 int x1 = kWidth) {
  double sum[3] = {0, 0, 0};
  int n = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = x0; x < x1; ++x) {
      Rgba p = at(f, x, y);
      if (std::abs(p.r - bg.r) + std::abs(p.g - bg.g) + std::abs(p.b - bg.b) <= 12)
        continue;
      sum[0] += p.r, sum[1] += p.g, sum[2] += p.b;
      ++n;
    }
  for (int c = 0; c < 3; ++c)
    out[c] = n ? sum[c] / n : 0.0;
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
    for (GLuint t : textures)
      glDeleteTextures(1, &t);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  }
  GLuint keep(GLuint t) {
    textures.push_back(t);
    return t;
  }
  std::vector<GLuint> textures;
};

// --- meshes and textures standing in for the show's assets ---

// A lumpy, flattened, elongated blob: twists show on it.
Mesh organic_blob() {
  return parametric(160, 96, [](float u, float v, float *p) {
    const float phi = u * 2.0f * float(M_PI), theta = v * float(M_PI);
    const float lump = 1.0f + 0.12f * std::sin(5 * phi) * std::sin(4 * theta) +
                       0.06f * std::cos(9 * phi + 3 * theta);
    p[0] = 70.0f * lump * std::sin(theta) * std::cos(phi);
    p[1] = 38.0f * lump * std::sin(theta) * std::sin(phi);
    p[2] = -160.0f * lump * std::cos(theta);
  });
}

GLuint soap_bubble_texture() {
  return make_texture_2d(256, 256, [](float s, float t, float *c) {
    const float dx = s - 0.5f, dy = t - 0.5f, d = std::sqrt(dx * dx + dy * dy) * 2.0f;
    const float swirl = 7.0f * d + 1.5f * std::sin(9.0f * std::atan2(dy, dx)) * d;
    c[0] = 0.55f + 0.45f * std::cos(swirl);
    c[1] = 0.55f + 0.45f * std::cos(swirl + 2.1f);
    c[2] = 0.6f + 0.4f * std::cos(swirl + 4.2f);
    const float glint = std::exp(-((s - 0.35f) * (s - 0.35f) + (t - 0.68f) * (t - 0.68f)) * 90);
    for (int k = 0; k < 3; ++k)
      c[k] = c[k] * (0.35f + 0.65f * d * d) + glint;
  });
}

GLuint flat_texture(float r, float g, float b) {
  return make_texture_2d(8, 8,
                         [=](float, float, float *c) { c[0] = r, c[1] = g, c[2] = b, c[3] = 1; });
}

// --- scene 1: the bend object and its shells ---

void scene1_state() {
  const float fog[4] = {0.11764706f, 0.2f, 0.27450982f, 1};
  glClearColor(fog[0], fog[1], fog[2], fog[3]);
  glFogfv(GL_FOG_COLOR, fog);
  glFogi(GL_FOG_MODE, GL_EXP);
  glFogf(GL_FOG_DENSITY, 0.02f);
  glEnable(GL_FOG);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_RESCALE_NORMAL);
  glDisable(GL_ALPHA_TEST);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const float at_eye[4] = {0, 0, 0, 1}, amb[4] = {0.1f, 0.1f, 0.1f, 1},
              dif[4] = {1.25f, 1.25f, 1.25f, 1}, shine[4] = {1, 1, 1, 1};
  set_light(GL_LIGHT0, at_eye, amb, dif, shine);
  const float eye[3] = {20, 20, 20}, centre[3] = {0, 0, 0};
  const float l = std::sqrt(0.2f * 0.2f * 2 + 1);
  const float up[3] = {0.2f / l, 0.2f / l, 1 / l};
  perspective_camera(90, 1, 300, eye, centre, up);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthFunc(GL_LESS);
}

void draw_bend_object(const Mesh &mesh, GLuint sphere_tex, const float *inner, const float *outer) {
  const float orange[4] = {1.0f, 0.5803922f, 0.0235294f, 1.0f}, shine[4] = {0, 0, 0, 1};
  set_material(orange, shine, 75);
  box().set_parameters("bend_shader", int32_t(sphere_tex), 0, 0, 0);
  box().set_matrix_parameters("bend_shader", inner, outer);
  box().bind("bend_shader");
  glPushMatrix();
  glScalef(0.1f, 0.1f, 0.1f);
  draw(mesh);
  glPopMatrix();
  box().unbind();
}

void draw_shell(const Mesh &mesh, float extrusion, const float *inner, const float *outer) {
  glPushAttrib(GL_ENABLE_BIT);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glDepthFunc(GL_LEQUAL);
  box().set_matrix_parameters("normext_shader", inner, outer);
  box().set_parameters("normext_shader", extrusion);
  glColor4f(1, 1, 1, 1);
  box().bind("normext_shader");
  glPushMatrix();
  glScalef(0.1f, 0.1f, 0.1f);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  draw(mesh);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  draw(mesh);
  glPopMatrix();
  glClear(GL_DEPTH_BUFFER_BIT);
  glPopAttrib();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthFunc(GL_LESS);
  box().unbind();
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
  const float eye[3] = {34, 34, 34}, centre[3] = {0, 0, 0};
  const float l = std::sqrt(0.2f * 0.2f * 2 + 1);
  const float up[3] = {0.2f / l, 0.2f / l, 1 / l};
  perspective_camera(90, 1, 250, eye, centre, up);
  // The scene's material every frame: it tints the x-ray.
  const float cyan[4] = {0.46666667f, 0.8784314f, 1, 1}, black[4] = {0, 0, 0, 1};
  set_material(cyan, black, 75);
}

// --- scenes 4 and 7: textured, lit meshes ---

GLuint petal_texture() {
  return make_texture_2d(256, 256, [](float s, float t, float *c) {
    const float vein = 0.5f + 0.5f * std::cos(s * 2 * float(M_PI) * 12);
    const float band = 0.5f + 0.5f * std::sin(t * float(M_PI) * 6);
    c[0] = 0.75f + 0.25f * band;
    c[1] = 0.25f + 0.35f * vein * band;
    c[2] = 0.55f + 0.35f * (1 - band);
  });
}

void lit_sphere_view() {
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glDisable(GL_FOG);
  glEnable(GL_LIGHTING);
  glEnable(GL_RESCALE_NORMAL);
  const float eye[3] = {0, 0, 40}, centre[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  perspective_camera(45, 1, 500, eye, centre, up);
}

// --- scene 6: additive logo rings ---

Mesh ring(float inner, float outer) {
  return parametric(160, 6, [=](float u, float v, float *p) {
    const float a = -u * 2.0f * float(M_PI), r = inner + (outer - inner) * v;
    p[0] = r * std::cos(a);
    p[1] = r * std::sin(a);
    p[2] = 0.0f;
  });
}

GLuint logo_texture() {
  return make_texture_2d(512, 64, [](float s, float t, float *c) {
    const float seg = std::fmod(s * 12.0f, 1.0f);
    const float on = seg > 0.08f && seg < 0.72f ? 1.0f : 0.0f;
    const float edge = std::min(t, 1.0f - t) * 8.0f;
    const float stripe = 0.6f + 0.4f * std::cos(t * float(M_PI) * 4);
    c[0] = 1.0f;
    c[1] = 0.55f + 0.35f * stripe;
    c[2] = 0.25f + 0.3f * stripe;
    c[3] = on * std::min(edge, 1.0f) * 0.9f + 0.1f;
  });
}

void scene6_rings_state(GLuint logo) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDepthMask(GL_FALSE);
  const float white[4] = {1, 1, 1, 1}, ambient[4] = {0, 0, 0, 1}, black[4] = {0, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_2D);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, logo);
  glColor4f(0.65f, 0.65f, 0.65f, 1);
}

// --- scene 7: morphing speakers ---

void draw_morph(const Mesh &own, const Mesh &partner) {
  glClientActiveTextureARB(GL_TEXTURE3_ARB);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(3, GL_FLOAT, 0, partner.positions.data());
  glClientActiveTextureARB(GL_TEXTURE4_ARB);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(3, GL_FLOAT, 0, partner.normals.data());
  glClientActiveTextureARB(GL_TEXTURE0_ARB);
  draw(own);
  for (GLenum unit : {GL_TEXTURE3_ARB, GL_TEXTURE4_ARB}) {
    glClientActiveTextureARB(unit);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  glClientActiveTextureARB(GL_TEXTURE0_ARB);
}

// A speaker cone facing +z, at rest and with its centre pushed out, on the
// same grid so the two meshes pair vertex for vertex.
Mesh speaker(float push) {
  return parametric(
      96, 48,
      [=](float u, float v, float *p) {
        const float a = u * 2.0f * float(M_PI);
        const float bulge = 1.0f + 0.12f * push * (1.0f - v);
        const float r = 10.0f * v * bulge;
        const float rim = v > 0.9f ? (v - 0.9f) * 25.0f : 0.0f;
        p[0] = r * std::cos(a);
        p[1] = r * std::sin(a);
        p[2] = -4.0f * v * v + rim + push * 6.0f * std::exp(-v * v * 5.0f) +
               0.35f * std::sin(v * 38.0f) * v;
      },
      true);
}

GLuint speaker_texture() {
  return make_texture_2d(256, 256, [](float s, float t, float *c) {
    const float rings = 0.5f + 0.5f * std::cos(t * 60.0f);
    const float cap = t < 0.2f ? 0.25f : 0.0f;
    c[0] = 0.3f + 0.12f * rings + cap;
    c[1] = 0.28f + 0.1f * rings + cap * 0.8f;
    c[2] = 0.3f + 0.12f * rings + 0.05f * std::sin(s * 40) + cap * 0.5f;
  });
}

void scene7_lights() {
  glMatrixMode(GL_MODELVIEW);
  const float p0[4] = {-80, 200, -140, 1}, p1[4] = {80, 200, 140, 1};
  const float a[4] = {0.05f, 0.05f, 0.05f, 1}, d0[4] = {1, 1, 1, 1}, s0[4] = {1, 1, 1, 1};
  const float d1[4] = {0.15f, 0.35f, 0.65f, 1}, s1[4] = {0.15f, 0.35f, 0.5f, 1};
  set_light(GL_LIGHT0, p0, a, d0, s0);
  set_light(GL_LIGHT1, p1, a, d1, s1);
  glEnable(GL_LIGHTING);
}

// --- scene 8: the light-mapped corridor ---

GLuint wall_colour_texture() {
  return make_texture_2d(256, 256, [](float s, float t, float *c) {
    const float row = std::floor(t * 8.0f);
    const float bx = std::fmod(s * 4.0f + (std::fmod(row, 2.0f) ? 0.5f : 0.0f), 1.0f);
    const float by = std::fmod(t * 8.0f, 1.0f);
    const float mortar = (bx < 0.04f || by < 0.08f) ? 0.55f : 1.0f;
    const float grain = 0.9f + 0.1f * std::sin(s * 97.0f + t * 31.0f);
    c[0] = (0.78f + 0.1f * std::sin(row * 1.7f)) * mortar * grain;
    c[1] = 0.74f * mortar * grain;
    c[2] = 0.68f * mortar * grain;
  });
}

// Pools of light along the corridor with shadowed gaps between them.
GLuint light_map_texture() {
  return make_texture_2d(256, 256, [](float s, float t, float *c) {
    const float along = 0.5f + 0.5f * std::cos(s * 2 * float(M_PI) * 2);
    const float across = 0.6f + 0.4f * std::sin(t * float(M_PI));
    const float v = 0.08f + 0.92f * along * along * across;
    c[0] = v * 1.0f;
    c[1] = v * 0.93f;
    c[2] = v * 0.8f;
  });
}

GLuint fog_scale() {
  return make_texture_1d(64, [](float s, float *c) {
    c[0] = 0.41f + 0.5f * s;
    c[1] = 0.66f + 0.3f * s;
    c[2] = 0.74f + 0.24f * s;
  });
}

void scene8_state(GLuint colour, GLuint fogscale) {
  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glClearColor(1, 1, 1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const float p[4] = {0, 0, -2500, 1}, a[4] = {0, 0, 0, 1}, d[4] = {0.55f, 0.55f, 0.85f, 1},
              s[4] = {0, 0, 2.5f, 1};
  set_light(GL_LIGHT0, p, a, d, s);
  glEnable(GL_LIGHTING);
  const float fog[4] = {0.40784314f, 0.65882355f, 0.7372549f, 1};
  glFogfv(GL_FOG_COLOR, fog);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, 100);
  glFogf(GL_FOG_END, 1800);
  glEnable(GL_FOG);
  glActiveTextureARB(GL_TEXTURE2_ARB);
  glEnable(GL_TEXTURE_1D);
  glBindTexture(GL_TEXTURE_1D, fogscale);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, colour);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glEnable(GL_TEXTURE_2D);
}

// A wall panel from (x0, y0) to (x1, y1) in the plane z = 0 after `place`,
// with tiling texture coordinates.
Mesh panel(float w, float h) {
  return parametric(48, 8, [=](float u, float v, float *p) {
    p[0] = (u - 0.5f) * w;
    p[1] = (v - 0.5f) * h;
    p[2] = 0.0f;
  });
}

void retile(Mesh &m, float su, float sv) {
  for (size_t i = 0; i < m.texcoords.size(); i += 2) {
    m.texcoords[i] *= su;
    m.texcoords[i + 1] *= sv;
  }
}

// --- scene 9: the environment-mapped gyroscope ---

GLuint reflection_map(float r, float g, float b) {
  return make_texture_2d(256, 256, [=](float s, float t, float *c) {
    const float dx = s - 0.5f, dy = t - 0.5f, d = std::sqrt(dx * dx + dy * dy) * 2.0f;
    const float sky = std::max(0.0f, dy) * 2.0f;
    const float windows =
        (std::fmod(std::atan2(dy, dx) * 3.0f + 10.0f, 1.0f) < 0.3f && d > 0.35f && d < 0.75f)
            ? 1.0f
            : 0.0f;
    c[0] = r * (0.25f + 0.5f * sky) + windows;
    c[1] = g * (0.25f + 0.5f * sky) + windows;
    c[2] = b * (0.25f + 0.5f * sky) + windows * 0.9f;
  });
}

void scene9_state() {
  glEnable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_RESCALE_NORMAL);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_BLEND);
  glDisable(GL_FOG);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
  glClearColor(0, 0, 0, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const float at_eye[4] = {0, 0, 0, 1}, a[4] = {0, 0, 0, 1}, d0[4] = {0.5f, 0.5f, 0.75f, 1},
              s[4] = {1, 1, 1, 1};
  set_light(GL_LIGHT0, at_eye, a, d0, s);
  const float eye[3] = {75, 0, 0}, centre[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  perspective_camera(85, 1, 250, eye, centre, up);
  const float d1[4] = {1.5f, 1.5f, 1.5f, 1};
  set_light(GL_LIGHT1, at_eye, a, d1, s);
  const float purple[4] = {0.5764706f, 0.44705883f, 1, 1};
  set_material(purple, s, 30);
}

void draw_gyroscope(GLuint env, const Mesh &ball, const Mesh &inner, const Mesh &outer) {
  box().bind("sc09_etex");
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, env);
  glPushMatrix();
  glScalef(1.2f, 1.2f, 1.2f);
  glPushMatrix();
  glRotatef(30, 1, 1, 0);
  draw(ball);
  glPopMatrix();
  glPushMatrix();
  glRotatef(70, 0.3f, 1, 0.2f);
  draw(inner);
  glPopMatrix();
  glPushMatrix();
  glRotatef(-35, 1, 0.2f, 0.5f);
  glRotatef(90, 0, 0, 1);
  draw(outer);
  glPopMatrix();
  glPopMatrix();
  glDisable(GL_TEXTURE_2D);
  box().unbind();
}

} // namespace

TEST_F(Programs, BendTwistsBetweenItsTwoTurnsAndReflectsTheSphereMap) {
  const Mesh blob = organic_blob();
  const GLuint soap = keep(soap_bubble_texture());
  const GLuint black = keep(flat_texture(0, 0, 0));
  float twist[16];
  rotation(100.0f, 1, 0, 0, twist);
  scene1_state();
  auto frame = [&](const float *inner, const float *outer, GLuint tex) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_bend_object(blob, tex, inner, outer);
    return read_frame();
  };
  const auto rest = frame(kIdentity, kIdentity, soap);
  const auto bent = frame(kIdentity, twist, soap);
  const auto rigid = frame(twist, twist, soap);
  const Rgba bg = at(rest, 2, 2);
  EXPECT_GT(covered(rest, bg), 20000) << "the object is in view";
  EXPECT_GT(differing(rest, bent), 8000) << "the outer turn moves the far parts";
  EXPECT_GT(differing(rigid, bent), 8000) << "the inner turn holds the middle back";
  const auto dull = frame(kIdentity, twist, black);
  double shiny[3], plain[3];
  mean_colour(bent, bg, shiny);
  mean_colour(dull, bg, plain);
  EXPECT_GT(shiny[2] - plain[2], 15.0) << "the reflection adds the bubble's colours";

  float inner[16], outer[16];
  rotation(25.0f, 0.2f, 0.3f, 1.0f, inner);
  rotation(-120.0f, 1.0f, 0.1f, 0.0f, outer);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw_bend_object(blob, soap, inner, outer);
  EXPECT_TRUE(save_png(pictures(), "bend"));
}

TEST_F(Programs, NormalExtrusionGrowsWithTParmAndFades) {
  const Mesh blob = organic_blob();
  const GLuint soap = keep(soap_bubble_texture());
  float inner[16], outer[16];
  rotation(25.0f, 0.2f, 0.3f, 1.0f, inner);
  rotation(-120.0f, 1.0f, 0.1f, 0.0f, outer);
  scene1_state();
  auto shell = [&](float t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_shell(blob, t, inner, outer);
    return read_frame();
  };
  const auto young = shell(4.0f);
  const auto grown = shell(40.0f);
  const auto old = shell(60.0f);
  const Rgba bg = at(young, 2, 2);
  EXPECT_GT(covered(grown, bg, 6), covered(young, bg, 6) * 5 / 4) << "the shell swells";
  EXPECT_GT(brightest(young), brightest(old) + 60) << "the shell fades as it grows";
  EXPECT_GE(brightest(young), bg.sum() + 150) << "a young shell glows";

  // The scene's order: shells oldest first, then the object over them.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  for (float t : {48.0f, 30.0f, 14.0f})
    draw_shell(blob, t, inner, outer);
  draw_bend_object(blob, soap, inner, outer);
  EXPECT_TRUE(save_png(pictures(), "normext"));
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
  const float orange[4] = {1.0f, 0.5803922f, 0.0235294f, 1.0f}, black[4] = {0, 0, 0, 1};
  set_material(orange, black, 75);
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
  EXPECT_TRUE(save_png(pictures(), "xray"));
}

TEST_F(Programs, DiffuseSpecularTexturedIsLitFromLightZeroWithAHighlightOnTop) {
  const Mesh ball = sphere(10.0f);
  const GLuint petal = keep(petal_texture());
  const GLuint checker = keep(make_texture_2d(64, 64, [](float s, float t, float *c) {
    const bool odd = (int(s * 16) + int(t * 8)) % 2;
    c[0] = c[1] = c[2] = odd ? 1.0f : 0.2f;
  }));
  glClearColor(0, 0, 0, 0);
  const float no_ambient[4] = {0, 0, 0, 0};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, no_ambient);
  lit_sphere_view();
  const float p[4] = {-30, 25, 30, 1}, a[4] = {0.1f, 0.1f, 0.1f, 1}, d[4] = {1, 1, 1, 1};
  const float white[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 1};
  set_light(GL_LIGHT0, p, a, d, d);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, petal);
  auto frame = [&](const float *specular) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    set_material(white, specular, 40);
    box().bind("sc04_dstex");
    draw(ball);
    box().unbind();
    return read_frame();
  };
  const GLuint blank = keep(flat_texture(1, 1, 1));
  glBindTexture(GL_TEXTURE_2D, blank);
  const auto plain = frame(none);
  glBindTexture(GL_TEXTURE_2D, checker);
  const auto checked = frame(none);
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
  glBindTexture(GL_TEXTURE_2D, petal);
  const auto matte = frame(none);
  const auto glossy = frame(white);
  EXPECT_GT(mean_sum(matte, 330, 370, 20), mean_sum(matte, 470, 230, 20) + 120)
      << "the side toward the light is brighter";
  EXPECT_LT(brightest(matte), 680) << "the texture alone never reaches white";
  EXPECT_GT(brightest(glossy), 740) << "the highlight is added over the texture";
  EXPECT_TRUE(save_png(pictures(), "dstex"));
}

TEST_F(Programs, DiffuseSpecularTwoLightsMixesBothLights) {
  const Mesh ball = sphere(10.0f);
  const GLuint petal = keep(flat_texture(0.9f, 0.9f, 0.9f));
  glClearColor(0.25f, 0.3f, 0.4f, 1);
  lit_sphere_view();
  const float a[4] = {0.05f, 0.05f, 0.05f, 1};
  const float warm[4] = {1.0f, 0.45f, 0.2f, 1}, cool[4] = {0.15f, 0.35f, 1.0f, 1};
  const float left[4] = {-60, 10, 20, 1}, right[4] = {60, -10, 20, 1};
  set_light(GL_LIGHT0, left, a, warm, warm);
  set_light(GL_LIGHT1, right, a, cool, cool);
  const float white[4] = {1, 1, 1, 1}, shine[4] = {0.6f, 0.6f, 0.6f, 1};
  set_material(white, shine, 25);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, petal);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  box().bind("s07_dstex_2L_shader");
  draw(ball);
  box().unbind();
  const auto f = read_frame();
  const Rgba l = at(f, 320, 300), r = at(f, 480, 300);
  EXPECT_GT(l.r, l.b + 60) << "light 0 warms the left";
  EXPECT_GT(r.b, r.r + 60) << "light 1 cools the right";

  const GLuint petals = keep(petal_texture());
  glBindTexture(GL_TEXTURE_2D, petals);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  box().bind("s07_dstex_2L_shader");
  draw(ball);
  box().unbind();
  EXPECT_TRUE(save_png(pictures(), "dstex_2l"));
}

TEST_F(Programs, BackNormalsShadeBothSidesAndTintTheFarSide) {
  const Mesh disc = ring(6.0f, 10.0f);
  const GLuint logo = keep(logo_texture());
  glClearColor(0.1f, 0.1f, 0.1f, 1);
  const float eye[3] = {0, 0, 40}, centre[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  perspective_camera(45, 1, 500, eye, centre, up);
  scene6_rings_state(logo);
  auto frame = [&](float turn) {
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);
    box().bind("scn06_backshader");
    glPushMatrix();
    glRotatef(turn, 0, 1, 0);
    draw(disc);
    glPopMatrix();
    box().unbind();
    return read_frame();
  };
  const auto front = frame(20.0f);
  const auto back = frame(160.0f);
  const Rgba bg = at(front, 2, 2);
  double f[3], b[3];
  mean_colour(front, bg, f);
  mean_colour(back, bg, b);
  EXPECT_GT(covered(back, bg), 3000) << "the back side is drawn too";
  EXPECT_GT(f[0], f[2] + 20) << "front faces keep the logo's warm colour";
  EXPECT_GT(b[2], b[0] + 5) << "back faces turn cooler";

  // The scene's look: six rings on fixed axes, added up.
  glClearColor(0.25f, 0.25f, 0.25f, 1);
  glDepthMask(GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDepthMask(GL_FALSE);
  const Mesh big = ring(20.0f, 26.0f);
  const float eye6[3] = {70, 0, 0}, up6[3] = {0, 1, 0};
  perspective_camera(75, 1, 250, eye6, centre, up6);
  box().bind("scn06_backshader");
  std::srand(81);
  for (int k = 0; k < 6; ++k) {
    float axis[3];
    for (float &c : axis)
      c = std::rand() / 32767.0f;
    glPushMatrix();
    glRotatef(std::rand() * 0.010986663f, axis[0], axis[1], axis[2]);
    glRotatef(40.0f * k, 0, 1, 0);
    draw(big);
    glPopMatrix();
  }
  box().unbind();
  EXPECT_TRUE(save_png(pictures(), "backnorm"));
}

TEST_F(Programs, MorphMovesVerticesTowardThePartnerByCurT) {
  const Mesh rest = speaker(0.0f), pushed = speaker(1.0f);
  const GLuint cone = keep(speaker_texture());
  const GLuint gloss = keep(flat_texture(0.8f, 0.8f, 0.8f));
  const GLuint env = keep(reflection_map(0.6f, 0.7f, 1.0f));
  glClearColor(0.25f, 0.3f, 0.4f, 1);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glEnable(GL_RESCALE_NORMAL);
  const float eye[3] = {6, 14, 34}, centre[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  perspective_camera(50, 1, 500, eye, centre, up);
  scene7_lights();
  const float grey[4] = {0.8f, 0.8f, 0.8f, 1}, shine[4] = {1, 1, 1, 1};
  set_material(grey, shine, 40);
  const GLenum units[3] = {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB, GL_TEXTURE2_ARB};
  const GLuint tex[3] = {cone, gloss, env};
  auto morphed = [&](float t, float x) {
    box().set_parameters("s07_morph_shader", t);
    box().bind("s07_morph_shader");
    for (int i = 0; i < 3; ++i) {
      glActiveTextureARB(units[i]);
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, tex[i]);
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glPushMatrix();
    glTranslatef(x, 0, 0);
    draw_morph(rest, pushed);
    glPopMatrix();
    box().unbind();
    for (int i = 2; i >= 0; --i) {
      glActiveTextureARB(units[i]);
      glDisable(GL_TEXTURE_2D);
    }
  };
  auto frame = [&](float t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    morphed(t, 0.0f);
    return std::make_pair(read_frame(), depth_covered());
  };
  const auto t0 = frame(0.0f);
  const auto t_half = frame(0.5f);
  const auto t1 = frame(1.0f);
  EXPECT_GT(differing(t0.first, t1.first), 5000) << "the weight moves the cone";
  EXPECT_GT(differing(t0.first, t_half.first), 1500);
  EXPECT_GT(differing(t_half.first, t1.first), 1500);
  EXPECT_GT(t_half.second, t0.second) << "the pushed cone covers more";
  EXPECT_GT(t1.second, t_half.second);
  // Weight 0 is the mesh itself, where fixed function puts it.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw(rest);
  EXPECT_LT(std::abs(depth_covered() - t0.second), t0.second / 100);

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  morphed(0.0f, -11.0f);
  morphed(0.9f, 11.0f);
  EXPECT_TRUE(save_png(pictures(), "morph"));
}

TEST_F(Programs, LightMapDarkensWhereTheMapIsDarkAndFogTakesTheScaleColour) {
  const GLuint white = keep(flat_texture(1, 1, 1));
  const GLuint half = keep(make_texture_2d(64, 64, [](float s, float, float *c) {
    const float v = s < 0.5f ? 0.1f : 0.9f;
    c[0] = c[1] = c[2] = v;
  }));
  const GLuint fogscale = keep(fog_scale());
  scene8_state(white, fogscale);
  const float eye[3] = {0, 0, 200}, centre[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  perspective_camera(90, 10, 4000, eye, centre, up);
  Mesh wall = panel(300, 300);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  box().bind("sc08_lm_shader");
  glBindTexture(GL_TEXTURE_2D, half);
  draw(wall);
  box().unbind();
  const auto near = read_frame();
  const double dark = mean_sum(near, 300, 300, 10), bright = mean_sum(near, 500, 300, 10);
  EXPECT_LT(dark, bright * 0.35) << "the dark half of the map darkens the wall";
  EXPECT_GT(bright, 450.0);

  // Beyond the fog's end the wall shows the far end of the fog scale.
  const float far_eye[3] = {0, 0, 2500};
  perspective_camera(10, 10, 4000, far_eye, centre, up);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  box().bind("sc08_lm_shader");
  glBindTexture(GL_TEXTURE_2D, half);
  draw(wall);
  box().unbind();
  const auto far = read_frame();
  const Rgba fogged = at(far, 300, 300), fogged2 = at(far, 500, 300);
  EXPECT_NEAR(fogged.r, 0.91 * 255, 6);
  EXPECT_NEAR(fogged.b, 0.98 * 255, 6);
  EXPECT_LT(std::abs(fogged.sum() - fogged2.sum()), 8) << "fog hides the map";

  // The scene's look: a corridor of panels down the x axis, mirrored.
  const GLuint bricks = keep(wall_colour_texture());
  const GLuint pools = keep(light_map_texture());
  scene8_state(bricks, fogscale);
  const float ceye[3] = {500, 100, 0}, ccentre[3] = {0, 0, 0};
  perspective_camera(90, 10, 4000, ceye, ccentre, up);
  Mesh side = panel(1360, 400), floor = panel(1360, 400);
  retile(side, 10, 3);
  retile(floor, 10, 3);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  box().bind("sc08_lm_shader");
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glBindTexture(GL_TEXTURE_2D, pools);
  for (int pass = 0; pass < 2; ++pass) {
    for (int seg = 0; seg < 3; ++seg) {
      glPushMatrix();
      glTranslatef(-seg * 1360.0f + 300, 0, 0);
      glPushMatrix(); // side wall facing +z
      glTranslatef(0, 100, -200);
      draw(side);
      glPopMatrix();
      glPushMatrix(); // floor facing up
      glTranslatef(0, -100, 0);
      glRotatef(-90, 1, 0, 0);
      if (pass == 0)
        draw(floor);
      glPopMatrix();
      glPushMatrix(); // ceiling facing down
      glTranslatef(0, 300, 0);
      glRotatef(90, 1, 0, 0);
      if (pass == 0)
        draw(floor);
      glPopMatrix();
      glPopMatrix();
    }
    glFrontFace(GL_CW);
    glScalef(1, 1, -1);
  }
  glFrontFace(GL_CCW);
  box().unbind();
  EXPECT_TRUE(save_png(pictures(), "lightmap"));
}

TEST_F(Programs, EnvironmentTextureReflectsTheMapOnUnitZero) {
  const Mesh ball = sphere(13.0f), inner = torus(22.0f, 3.2f), outer = torus(31.0f, 3.2f);
  const GLuint red = keep(reflection_map(1.0f, 0.1f, 0.1f));
  const GLuint green = keep(reflection_map(0.1f, 1.0f, 0.1f));
  scene9_state();
  auto frame = [&](GLuint env) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_gyroscope(env, ball, inner, outer);
    return read_frame();
  };
  const auto r = frame(red), g = frame(green);
  const Rgba bg = at(r, 2, 2);
  double rc[3], gc[3];
  mean_colour(r, bg, rc);
  mean_colour(g, bg, gc);
  EXPECT_GT(rc[0] - gc[0], 20.0) << "a red world makes the metal redder";
  EXPECT_GT(gc[1] - rc[1], 20.0) << "a green world makes it greener";

  const GLuint sky = keep(reflection_map(0.55f, 0.7f, 1.0f));
  frame(sky);
  EXPECT_TRUE(save_png(pictures(), "envtex"));
}
