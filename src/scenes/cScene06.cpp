// Scene 6: the laser room. Textures given back by leave() are uploaded again
// by enter(); loading failures are fatal in the mesh, texture and shader
// code.
#include "platform/gl_extensions.h"

#include "scenes/cScene06.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

#include "scenes/cEnableScope.h"
#include "scenes/cSearchDirScope.h"
#include "scenes/fixed_function.h"
#include "scenes/scene_maths.h"
#include "scenes/scene_random.h"
#include "shaders/cShaderContainer_CG.h"
#include "shaders/cShdBacknorm.h"

const char *const kRingFile = "orvalt_circle.bobj";
const char *const kRoomMember = "laserrum_baked.bobj";
const char *const kRoomArchive = "laserrum_baked.rar";
const char *const kLogoFile = "orvalt_logo.png";
const char *const kLaserFile = "laser_tex.png";
const char *const kRoomDir = "../data/models/laserrum";

namespace {

const char *const kRingShader = "scn06_backshader";
const float kOrbitRadius = 76.0f;
const float kRoomTurnZ = 26.0f, kRoomTurnY = 25.0f;
const float kRingScale = 0.85f, kRingLift = 30.0f;
const float kBeamWidth = 1.0f;
const float kDegrees = 0.017453292519943295f;
const float kGrey[4] = {0.25f, 0.25f, 0.25f, 1.0f};
const float kBlackOpaque[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kNone[4] = {0.0f, 0.0f, 0.0f, 0.0f};

void cross3(const float a[3], const float b[3], float out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

float room_brightness(int32_t t) {
  const int32_t d = t - kDimStartMs;
  if (d <= 0)
    return 1.0f; // the colour clamp's value for the formula's > 1
  if (d >= kDimSpanMs)
    return 0.4f;
  const float f = static_cast<float>(d) * 0.0005f;
  return 0.4f * f + 1.0f * (1.0f - f);
}

void orbit_eye(int32_t t, float eye[3]) {
  const float phi = (static_cast<float>(t) * 0.036f + 90.0f) * kDegrees;
  eye[0] = kOrbitRadius * std::cos(phi);
  eye[1] = 0.0f;
  eye[2] = kOrbitRadius * std::sin(phi);
}

void world_to_room(const float p[3], float out[3]) {
  // Undo the turn about z, then the turn about y (the reverse order of drawing).
  const float cz = std::cos(kRoomTurnZ * kDegrees), sz = std::sin(kRoomTurnZ * kDegrees);
  const float x1 = p[0] * cz + p[1] * sz, y1 = -p[0] * sz + p[1] * cz, z1 = p[2];
  const float cy = std::cos(kRoomTurnY * kDegrees), sy = std::sin(kRoomTurnY * kDegrees);
  out[0] = x1 * cy - z1 * sy;
  out[1] = y1;
  out[2] = x1 * sy + z1 * cy;
}

std::vector<std::array<double, 3>> stratified_directions(int n) {
  std::vector<std::array<double, 3>> out;
  const int m = static_cast<int>(std::floor(std::sqrt(static_cast<double>(n < 0 ? 0 : n))));
  const double pi = 3.14159265358979323846;
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < m; ++j) {
      const double u = (static_cast<double>(random_unit()) + i) / m;
      const double theta = 2.0 * std::acos(std::sqrt(1.0 - u));
      const double phi = 2.0 * pi * (static_cast<double>(random_unit()) + j) / m;
      out.push_back(
          {std::cos(phi) * std::sin(theta), std::sin(phi) * std::sin(theta), std::cos(theta)});
    }
  return out;
}

std::vector<laser_point>
laser_path(cTriangleTree &tree, const std::vector<std::array<double, 3>> &directions, int bounces) {
  std::vector<laser_point> points;
  points.reserve(directions.size() * size_t(1 + bounces));
  for (const auto &d : directions) {
    const float raw[3] = {static_cast<float>(d[0]), static_cast<float>(d[1]),
                          static_cast<float>(d[2])};
    float origin[3] = {0.0f, 0.0f, 0.0f}, direction[3];
    bool going = normalise_axis(raw, direction);
    points.push_back({origin[0], origin[1], origin[2]});
    for (int b = 0; b < bounces; ++b) {
      float t = FLT_MAX, hit[3], reflected[3];
      if (going)
        tree.trace(origin, direction, t, hit, reflected);
      going = going && t < FLT_MAX;
      if (going) {
        for (int k = 0; k < 3; ++k) {
          origin[k] = hit[k];
          direction[k] = reflected[k];
        }
      }
      points.push_back({origin[0], origin[1], origin[2]});
    }
  }
  return points;
}

size_t beam_count(const std::vector<laser_point> &points) {
  return points.size() < 2 ? 0 : points.size() - 1;
}

bool beam_corners(const float a[3], const float b[3], const float eye[3], float w,
                  float out[4][3]) {
  float d[3], v[3], n_raw[3], n[3];
  for (int k = 0; k < 3; ++k) {
    d[k] = a[k] - b[k];
    v[k] = (a[k] + b[k]) * 0.5f - eye[k];
  }
  cross3(v, d, n_raw);
  if (!normalise_axis(n_raw, n))
    return false;
  const float h = w * 0.5f;
  for (int k = 0; k < 3; ++k) {
    out[0][k] = b[k] - n[k] * h;
    out[1][k] = b[k] + n[k] * h;
    out[2][k] = a[k] + n[k] * h;
    out[3][k] = a[k] - n[k] * h;
  }
  return true;
}

cScene06::cScene06(demo_clock *clock) : cScene(clock) {}

cScene06::~cScene06() { leave(); }

void cScene06::load() {
  {
    cSearchDirScope dir(kRoomDir);
    ring.load(kRingFile);
    room.load_from_rar(kRoomMember, kRoomArchive);
    ring.drop_materials();
    logo.load(kLogoFile);
    laser.load(kLaserFile);
    std::srand(81);
    for (int k = 0; k < 6; ++k) {
      float raw[3];
      for (float &x : raw)
        x = random_unit();
      if (!normalise_axis(raw, ring_axis[k])) { // all three zero: keep a usable axis
        ring_axis[k][0] = 0.0f;
        ring_axis[k][1] = 1.0f;
        ring_axis[k][2] = 0.0f;
      }
      ring_angle[k] = random_span(360.0f);
    }
  }
  tree = std::make_unique<cTriangleTree>();
  const size_t vertices = room.positions.size() / 3;
  for (size_t i = 0; i < vertices; ++i)
    tree->vertices.push_back(
        {room.positions[3 * i], room.positions[3 * i + 1], room.positions[3 * i + 2]});
  for (size_t i = 0; i + 2 < room.indices.size(); i += 3)
    tree->triangles.push_back({room.indices[i], room.indices[i + 1], room.indices[i + 2]});
  tree->build();
  laser.upload(true, GL_REPEAT);
}

void cScene06::enter() {
  enter_ms = clock->demo_time();
  ring.prepare();
  room.prepare();
  glEnable(GL_RESCALE_NORMAL);
  glEnable(GL_BLEND);
  // The room is unlit and unfogged; a scene before may leave fog on.
  glDisable(GL_FOG);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_1D);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_1D, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_1D);
  glEnable(GL_TEXTURE_2D);
  // An earlier scene may leave decal mode here, which would drop the room's
  // dimming and the lasers' flicker (both come in through the colour).
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  // leave() gave both pictures back; the decoded images are still here.
  if (logo.gl_name == 0)
    logo.upload(true, GL_REPEAT);
  if (laser.gl_name == 0)
    laser.upload(true, GL_REPEAT);
  glColor4fv(kWhite);

  camera.look({70.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
  camera.lens(110.0f, 1.0f, 250.0f);
  glClearColor(kGrey[0], kGrey[1], kGrey[2], kGrey[3]);
  // Compiling is the slow part: a later entry keeps the first shader.
  if (!g_shader_container->shaders.count(kRingShader))
    g_shader_container->add_shader<cShdBacknorm>(kRingShader);
}

void cScene06::leave() {
  ring.release_buffers();
  room.release_buffers();
  logo.delete_gl_texture();
  laser.delete_gl_texture();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
}

void cScene06::update() { room_brightness_now = room_brightness(clock->demo_time()); }

void cScene06::on_event(const demo_event *event) {
  if (event->kind == EV_BD) {
    if (clock->demo_time() > kLasersFromMs)
      points = laser_path(*tree, stratified_directions(kLaserDirections));
    return;
  }
  std::fprintf(stderr, "ef06: %d %d\n", event->kind, event->time);
}

void cScene06::render() {
  const int32_t t = clock->demo_time();
  orbit_eye(t, camera.eye);
  camera.apply();
  world_to_room(camera.eye, eye_room);
  glRotatef(kRoomTurnZ, 0.0f, 0.0f, 1.0f);
  glRotatef(kRoomTurnY, 0.0f, 1.0f, 0.0f);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  g_shader_container->unbind();

  {
    cEnableScope scope;
    glEnable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glColor4f(room_brightness_now, room_brightness_now, room_brightness_now, 1.0f);
    room.draw();
  }

  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDepthMask(GL_FALSE);
  g_shader_container->bind(kRingShader);
  set_material_split(kBlackOpaque, kWhite, kBlackOpaque, kNone, 0.0f);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_2D);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  logo.bind();
  glColor4f(0.65f, 0.65f, 0.65f, 1.0f);
  // The rings' scale and lift stay with the rings: the beams are drawn in
  // the room's own space, where they were traced.
  glPushMatrix();
  glScalef(kRingScale, kRingScale, kRingScale);
  glTranslatef(0.0f, kRingLift, 0.0f);
  for (int k = 0; k < 6; ++k) {
    glPushMatrix();
    glRotatef(ring_angle[k], ring_axis[k][0], ring_axis[k][1], ring_axis[k][2]);
    glRotatef(static_cast<float>(t) * 0.02f, 0.0f, 1.0f, 0.0f);
    ring.draw();
    glPopMatrix();
  }
  glPopMatrix();
  glColor4fv(kWhite);

  if (t > kLasersFromMs)
    draw_lasers();

  g_shader_container->unbind();
  glDepthMask(GL_TRUE);
}

void cScene06::draw_lasers() {
  cEnableScope scope;
  glDisable(GL_LIGHTING);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  laser.bind();
  const float r = random_unit();
  glColor4f(r, r, r, 1.0f);
  static const float kCorner[4][2] = {{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}};
  glBegin(GL_QUADS);
  for (size_t k = 0; k + 1 < points.size(); ++k) {
    float quad[4][3];
    if (!beam_corners(points[k].data(), points[k + 1].data(), eye_room, kBeamWidth, quad))
      continue;
    for (int c = 0; c < 4; ++c) {
      glTexCoord2f(kCorner[c][0], kCorner[c][1]);
      glVertex3fv(quad[c]);
    }
  }
  glEnd();
}
