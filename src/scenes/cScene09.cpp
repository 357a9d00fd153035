// Scene 9: the gyroscope over the wave of tori. Its turns and the tori's
// spin start afresh at every entry, so a second entry draws like the first;
// loading failures are fatal in the mesh, texture and shader code.
#include "platform/gl_extensions.h"

#include "scenes/cScene09.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "scenes/cEnableScope.h"
#include "scenes/cSearchDirScope.h"
#include "scenes/fixed_function.h"
#include "scenes/scene_maths.h"
#include "scenes/scene_random.h"
#include "scenes/texture_units.h"
#include "shaders/cShaderContainer_CG.h"
#include "shaders/cShdEnvtex.h"

const char *const kSpikeyDir = "../data/models/spikey";
const char *const kBallMember = "centerball.bobj";
const char *const kBallArchive = "centerball.rar";
const char *const kInnerRingMember = "innerring.bobj";
const char *const kInnerRingArchive = "innerring.rar";
const char *const kInnerSpikesMember = "innerring_sph.bobj";
const char *const kInnerSpikesArchive = "innerring_sph.rar";
const char *const kOuterRingMember = "outerring.bobj";
const char *const kOuterRingArchive = "outerring.rar";
const char *const kOuterSpikesMember = "outerring_sph.bobj";
const char *const kOuterSpikesArchive = "outerring_sph.rar";
const char *const kTorusMember = "torus.bobj";
const char *const kTorusArchive = "torus.rar";
const char *const kReflectionFile = "models/megawatt/speaker_reflectionmap.jpg";

const float kGyroKicks[kGyroPieces] = {1.5f, 2.5f, 2.3f};

namespace {

const float kClapSpin = 10.0f;
const float kSpinFallPerMs = 0.01f;
const float kWaveScale = 50.0f;
const float kViolet[4] = {0.5764706f, 0.44705883f, 1.0f, 1.0f};
const float kToriBlue[4] = {0.078431375f, 0.1254902f, 0.54901963f, 0.85f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kNone[4] = {0.0f, 0.0f, 0.0f, 0.0f};

cShaderContainer_CG &shaders() { return *g_shader_container; }

// Light colours as the show reaches this scene, set here so that no earlier
// scene decides them.
void settle_light(GLenum light, const float ambient[4], const float specular[4]) {
  const float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  set_light_colours(light, ambient, diffuse, specular);
  glLightf(light, GL_CONSTANT_ATTENUATION, 1.0f);
  glLightf(light, GL_LINEAR_ATTENUATION, 0.0f);
  glLightf(light, GL_QUADRATIC_ATTENUATION, 0.0f);
  glLightf(light, GL_SPOT_CUTOFF, 180.0f);
}

} // namespace

void kick_gyroscope(cKickRotation spins[kGyroPieces], const float axes[kGyroPieces][3],
                    uint32_t t) {
  for (int k = 0; k < kGyroPieces; ++k) {
    spins[k].reset();
    spins[k].set_axis(axes[k]);
    spins[k].trigger(&kGyroKicks[k]);
    spins[k].set_start(t);
  }
}

void draw_gyro_axes(const cKickRotation spins[kGyroPieces], float axes[kGyroPieces][3]) {
  for (int k = 0; k < kGyroPieces; ++k) {
    std::copy(spins[k].axis, spins[k].axis + 3, axes[k]);
    random_unit_axis(axes[k]);
  }
}

float tori_flicker() { return (random_unit() - 0.5f) * 1.5f + 0.5f; }

void clap_tori(torus_spin &spin) { spin.speed = kClapSpin; }

void advance_tori(torus_spin &spin, float dt) {
  spin.speed = std::max(spin.speed - dt * kSpinFallPerMs, 0.0f);
  spin.angle += spin.speed;
}

void torus_wave_position(int row, int column, int32_t t, float out[3]) {
  // Scale 50 of: up 0.85, a quarter turn about z, down 2, back one per row,
  // then along the row by a quarter per torus and up and down the wave.
  const float phase =
      static_cast<float>(t) * 0.002f + 50.0f * static_cast<float>(column) + 5.0f * float(row);
  const float along = 0.25f * static_cast<float>(column) - static_cast<float>(row);
  const float up = 0.75f * std::sin(phase) - 2.0f;
  out[0] = -up * kWaveScale;
  out[1] = (along + 0.85f) * kWaveScale;
  out[2] = 0.0f;
}

cScene09::cScene09(demo_clock *clock) : cScene(clock) {
  for (int k = 0; k < kGyroPieces; ++k) {
    spins[k].reset();
    mat4_identity(current[k]);
    mat4_identity(previous[k]);
  }
}

cScene09::~cScene09() = default;

void cScene09::load() {
  {
    cSearchDirScope dir(kSpikeyDir);
    ball.load_from_rar(kBallMember, kBallArchive);
    inner_ring.load_from_rar(kInnerRingMember, kInnerRingArchive);
    inner_spikes.load_from_rar(kInnerSpikesMember, kInnerSpikesArchive);
    outer_ring.load_from_rar(kOuterRingMember, kOuterRingArchive);
    outer_spikes.load_from_rar(kOuterSpikesMember, kOuterSpikesArchive);
    torus.load_from_rar(kTorusMember, kTorusArchive);
    torus.drop_materials();
    reflection.load(kReflectionFile);
    shaders().add_shader<cShdEnvtex>("sc09_etex");
  }
  reflection.upload(true, GL_REPEAT);
}

void cScene09::enter() {
  for (cMeshBObj *mesh : {&ball, &inner_ring, &inner_spikes, &outer_ring, &outer_spikes, &torus})
    mesh->prepare();
  // Each entry starts from the pieces at rest and the tori still.
  for (int k = 0; k < kGyroPieces; ++k) {
    spins[k].reset();
    mat4_identity(current[k]);
    mat4_identity(previous[k]);
  }
  tori = torus_spin();

  reset_texture_units();
  shaders().unbind();
  glEnable(GL_LIGHTING);
  glColor4fv(kWhite);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_RESCALE_NORMAL);
  glDisable(GL_NORMALIZE); // rescaling is enough, and the two round apart
  glDisable(GL_COLOR_MATERIAL);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  // The rest of what the pictures depend on, as the scenes before leave it.
  glShadeModel(GL_SMOOTH);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
  const float scene_ambient[4] = {0.1f, 0.1f, 0.1f, 0.1f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, scene_ambient);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.1f);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_FOG);
  const float dark[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  const float faint[4] = {0.05f, 0.05f, 0.05f, 1.0f};
  const float steel[4] = {0.15f, 0.35f, 0.5f, 1.0f};
  settle_light(GL_LIGHT0, dark, kWhite);
  settle_light(GL_LIGHT1, faint, steel);

  camera.look({75.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
  camera.lens(85.0f, 1.0f, 250.0f);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void cScene09::leave() { glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE); }

void cScene09::update() {
  uint32_t t = static_cast<uint32_t>(clock->demo_time());
  for (int k = 0; k < kGyroPieces; ++k) {
    float turn[16];
    spins[k].update(&t);
    spins[k].rotation4x4(turn);
    mat4_product(previous[k], turn, current[k]);
  }
  advance_tori(tori, static_cast<float>(clock->now_ms - clock->prev_ms));
}

void cScene09::on_event(const demo_event *event) {
  switch (event->kind) {
  case EV_BD: {
    float axes[kGyroPieces][3];
    draw_gyro_axes(spins, axes);
    for (int k = 0; k < kGyroPieces; ++k)
      std::copy(current[k], current[k] + 16, previous[k]);
    kick_gyroscope(spins, axes, static_cast<uint32_t>(clock->demo_time()));
    break;
  }
  case EV_CLAP:
    clap_tori(tori);
    break;
  default:
    std::fprintf(stderr, "ef09: %d %d\n", event->kind, event->time);
    break;
  }
}

void cScene09::draw_tori(int32_t t) {
  // The light switches come back by hand: the pop may leave light 0 off.
  cEnableScope scope;
  glEnable(GL_LIGHTING);
  glDisable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  float saved[4];
  glGetLightfv(GL_LIGHT1, GL_DIFFUSE, saved);
  const float r = tori_flicker();
  const float flicker[4] = {r, r, r, 1.0f};
  glLightfv(GL_LIGHT1, GL_DIFFUSE, flicker);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  set_material(kToriBlue, kNone, kNone, 0.0f);
  for (int row = 0; row < kWaveRows; ++row)
    for (int column = 0; column < kWaveColumns; ++column) {
      float at[3];
      torus_wave_position(row, column, t, at);
      glPushMatrix();
      glTranslatef(at[0], at[1], at[2]);
      // The wave's quarter turn and the spin, both about z.
      glRotatef(90.0f + tori.angle, 0.0f, 0.0f, 1.0f);
      glScalef(kWaveScale, kWaveScale, kWaveScale);
      torus.draw();
      glPopMatrix();
    }
  glLightfv(GL_LIGHT1, GL_DIFFUSE, saved);
}

void cScene09::draw_gyroscope() {
  cMeshBObj *const pieces[kGyroPieces] = {&ball, &inner_ring, &outer_ring};
  shaders().bind("sc09_etex");
  for (int k = 0; k < kGyroPieces; ++k) {
    // Drawing a mesh with materials leaves unit 0 unbound: bind every time.
    glEnable(GL_TEXTURE_2D);
    reflection.bind();
    glPushMatrix();
    glMultMatrixf(current[k]);
    if (k == 2)
      glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    pieces[k]->draw();
    glPopMatrix();
  }
  glDisable(GL_TEXTURE_2D);
  shaders().unbind();
  glPushMatrix();
  glMultMatrixf(current[1]);
  inner_spikes.draw();
  glPopMatrix();
  glPushMatrix();
  glMultMatrixf(current[2]);
  glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
  outer_spikes.draw();
  glPopMatrix();
  shaders().unbind();
  glDisable(GL_TEXTURE_2D);
}

void cScene09::render() {
  const int32_t t = clock->demo_time();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const float eye_light[4] = {0.5f, 0.5f, 0.75f, 1.0f};
  glLightfv(GL_LIGHT0, GL_DIFFUSE, eye_light);
  glLightfv(GL_LIGHT0, GL_SPECULAR, kWhite);
  set_light_position(GL_LIGHT0, 0.0f, 0.0f, 0.0f, 1.0f);
  glEnable(GL_LIGHT0);
  camera.apply();
  const float origin_light[4] = {1.5f, 1.5f, 1.5f, 1.0f};
  set_light_position(GL_LIGHT1, 0.0f, 0.0f, 0.0f, 1.0f);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, origin_light);
  glEnable(GL_LIGHT1);

  glPushMatrix();
  draw_tori(t);
  glPopMatrix();
  // The gyroscope always stands in front of the wave.
  glClear(GL_DEPTH_BUFFER_BIT);

  set_material(kViolet, kWhite, kNone, 30.0f);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glScalef(1.2f, 1.2f, 1.2f);
  draw_gyroscope();
}
