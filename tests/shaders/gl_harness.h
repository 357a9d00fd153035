// Test harness for GL tests of the shaders and effects: a window with the
// program's GL defaults, procedural meshes and textures, pixel read-back and
// PNG output into the build tree. Failures surface as test failures.
#pragma once

#include "platform/gl_defaults.h"
#include "platform/gl_extensions.h"
#include "platform/video_settings.h"
#include "support/require_display.h"

#include <GL/glu.h>
#include <IL/il.h>
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace harness {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct GlWindow : testing::Environment {
  void SetUp() override {
    open_test_window();
    set_gl_defaults();
    ilInit();
  }
  void TearDown() override { SDL_Quit(); }
};

struct Rgba {
  int r, g, b, a;
  int sum() const { return r + g + b; }
};

inline std::vector<uint8_t> read_frame() {
  std::vector<uint8_t> px(kWidth * kHeight * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  return px;
}

inline Rgba at(const std::vector<uint8_t> &f, int x, int y) {
  const uint8_t *p = &f[(y * kWidth + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

// Mean brightness (r + g + b) over a square of half-size r around (x, y).
inline double mean_sum(const std::vector<uint8_t> &f, int x, int y, int r) {
  double total = 0;
  int count = 0;
  for (int j = y - r; j <= y + r; ++j)
    for (int i = x - r; i <= x + r; ++i) {
      if (i < 0 || j < 0 || i >= kWidth || j >= kHeight)
        continue;
      total += at(f, i, j).sum();
      ++count;
    }
  return count ? total / count : 0.0;
}

// Number of pixels that differ from the background colour bg by more than tol.
inline int covered(const std::vector<uint8_t> &f, Rgba bg, int tol = 12) {
  int n = 0;
  for (int i = 0; i < kWidth * kHeight; ++i) {
    const uint8_t *p = &f[i * 4];
    if (std::abs(p[0] - bg.r) + std::abs(p[1] - bg.g) + std::abs(p[2] - bg.b) > tol)
      ++n;
  }
  return n;
}

inline std::string picture_dir(const std::string &suite) {
  std::string dir = std::string(DEMO_BINARY_DIR) + "/tests/" + suite + "/pictures";
  std::filesystem::create_directories(dir);
  return dir;
}

// Saves the back buffer as <dir>/<name>.png. The image library takes rows
// bottom-up, as GL reads them, and writes the file top-down.
inline bool save_png(const std::string &dir, const std::string &name) {
  std::vector<uint8_t> f = read_frame();
  std::vector<uint8_t> rgb(kWidth * kHeight * 3);
  for (int i = 0; i < kWidth * kHeight; ++i)
    for (int c = 0; c < 3; ++c)
      rgb[i * 3 + c] = f[i * 4 + c];
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  ilTexImage(kWidth, kHeight, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, rgb.data());
  ilEnable(IL_FILE_OVERWRITE);
  const std::string path = dir + "/" + name + ".png";
  const bool ok = ilSave(IL_PNG, path.c_str()) == IL_TRUE;
  ilDeleteImages(1, &image);
  return ok;
}

// Pixels the last drawing reached, from the depth buffer (cleared to 1).
inline int depth_covered() {
  std::vector<float> depth(kWidth * kHeight);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  int n = 0;
  for (float d : depth)
    n += d < 1.0f;
  return n;
}

struct Mesh {
  std::vector<float> positions, normals, texcoords;
  std::vector<uint32_t> indices;
};

// A grid of (slices + 1) x (stacks + 1) vertices over u, v in [0, 1], shaped
// by f(u, v) -> position; normals from finite differences.
inline Mesh parametric(int slices, int stacks, const std::function<void(float, float, float *)> &f,
                       bool flip = false) {
  Mesh m;
  for (int j = 0; j <= stacks; ++j)
    for (int i = 0; i <= slices; ++i) {
      const float u = float(i) / slices, v = float(j) / stacks;
      float p[3], pu[3], pv[3];
      f(u, v, p);
      const float e = 1e-3f;
      f(u + e, v, pu);
      f(u, v + e, pv);
      float a[3] = {pu[0] - p[0], pu[1] - p[1], pu[2] - p[2]};
      float b[3] = {pv[0] - p[0], pv[1] - p[1], pv[2] - p[2]};
      if (j == stacks) // top edge: difference backward
      {
        f(u, v - e, pv);
        b[0] = p[0] - pv[0], b[1] = p[1] - pv[1], b[2] = p[2] - pv[2];
      }
      if (i == slices) {
        f(u - e, v, pu);
        a[0] = p[0] - pu[0], a[1] = p[1] - pu[1], a[2] = p[2] - pu[2];
      }
      float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                    a[0] * b[1] - a[1] * b[0]};
      float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
      if (len < 1e-12f) { // pole: point away from the centre
        len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        n[0] = p[0], n[1] = p[1], n[2] = p[2];
      }
      const float s = (flip ? -1.0f : 1.0f) / (len > 0 ? len : 1.0f);
      for (int c = 0; c < 3; ++c) {
        m.positions.push_back(p[c]);
        m.normals.push_back(n[c] * s);
      }
      m.texcoords.push_back(u);
      m.texcoords.push_back(v);
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
inline Mesh sphere(float r, int slices = 96, int stacks = 64,
                   std::function<float(float, float)> bump = nullptr) {
  return parametric(slices, stacks, [=](float u, float v, float *p) {
    const float phi = u * 2.0f * float(M_PI), theta = v * float(M_PI);
    const float k = r * (1.0f + (bump ? bump(theta, phi) : 0.0f));
    p[0] = k * std::sin(theta) * std::cos(phi);
    p[1] = -k * std::cos(theta);
    p[2] = -k * std::sin(theta) * std::sin(phi);
  });
}

inline Mesh torus(float major, float minor, int slices = 128, int stacks = 48) {
  return parametric(slices, stacks, [=](float u, float v, float *p) {
    const float a = u * 2.0f * float(M_PI), b = v * 2.0f * float(M_PI);
    const float ring = major + minor * std::cos(b);
    p[0] = ring * std::cos(a);
    p[1] = ring * std::sin(a);
    p[2] = minor * std::sin(b);
  });
}

// A flat quad grid in the x-y plane facing +z, from -h to h.
inline Mesh plane(float h, int cells = 32) {
  return parametric(cells, cells, [=](float u, float v, float *p) {
    p[0] = (u * 2 - 1) * h;
    p[1] = (v * 2 - 1) * h;
    p[2] = 0.0f;
  });
}

// Draws with client arrays: positions, normals, texcoords on set 0.
inline void draw(const Mesh &m) {
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

// A texel from colour components in [0, 1] (clamped), rounded to bytes.
inline void store_rgba(const float c[4], uint8_t *texel) {
  for (int k = 0; k < 4; ++k)
    texel[k] = uint8_t(std::fmin(std::fmax(c[k], 0.0f), 1.0f) * 255.0f + 0.5f);
}

// Uploads an RGBA texture made by f(s, t, rgba) (s, t in [0, 1]).
inline GLuint make_texture_2d(int w, int h, const std::function<void(float, float, float *)> &f,
                              bool mipmaps = true) {
  std::vector<uint8_t> px(w * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float c[4] = {0, 0, 0, 1};
      f((x + 0.5f) / w, (y + 0.5f) / h, c);
      store_rgba(c, &px[(y * w + x) * 4]);
    }
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  if (mipmaps) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  } else {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  return tex;
}

inline GLuint make_texture_1d(int w, const std::function<void(float, float *)> &f) {
  std::vector<uint8_t> px(w * 4);
  for (int x = 0; x < w; ++x) {
    float c[4] = {0, 0, 0, 1};
    f((x + 0.5f) / w, c);
    store_rgba(c, &px[x * 4]);
  }
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_1D, tex);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA, w, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  glBindTexture(GL_TEXTURE_1D, 0);
  return tex;
}

// The matrix of a rotation by degrees about (x, y, z), column-major as GL keeps it.
inline void rotation(float degrees, float x, float y, float z, float *out) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glRotatef(degrees, x, y, z);
  glGetFloatv(GL_MODELVIEW_MATRIX, out);
  glPopMatrix();
}

inline void perspective_camera(float fovy, float near_plane, float far_plane, const float eye[3],
                               const float centre[3], const float up[3]) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovy, float(kWidth) / kHeight, near_plane, far_plane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], up[0], up[1], up[2]);
}

inline void set_material(const float ambient_diffuse[4], const float specular[4], float shininess,
                         const float emission[4] = nullptr) {
  static const float none[4] = {0, 0, 0, 0};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, ambient_diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission ? emission : none);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
}

inline void set_light(GLenum light, const float position[4], const float ambient[4],
                      const float diffuse[4], const float specular[4]) {
  glLightfv(light, GL_POSITION, position);
  glLightfv(light, GL_AMBIENT, ambient);
  glLightfv(light, GL_DIFFUSE, diffuse);
  glLightfv(light, GL_SPECULAR, specular);
  glEnable(light);
}

} // namespace harness
