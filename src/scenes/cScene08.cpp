// Scene 8: the scrolling corridor. leave() gives back every texture, so
// enter() uploads them again from the decoded images; the scroll wraps
// after any frame gap, and the field of view comes back to exactly 90.
#include "platform/gl_extensions.h"

#include "scenes/cScene08.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

#include "assets/search_path.h"
#include "scenes/fixed_function.h"
#include "scenes/pulses.h"
#include "scenes/texture_units.h"
#include "shaders/cShaderContainer_CG.h"
#include "shaders/cShdLightmap.h"

const char *const kEndWallAArchive = "alien_building_EndWall_segmentA01.rar";
const char *const kEndWallAMember = "alien_building_EndWall_segmentA01.bobj";
const char *const kEndWallBArchive = "alien_building_EndWall_segmentB01.rar";
const char *const kEndWallBMember = "alien_building_EndWall_segmentB01.bobj";
const char *const kPipesArchive = "alien_building_Pipes_horiz.rar";
const char *const kPipesMember = "alien_building_Pipes_horiz.bobj";
const char *const kWiresArchive = "alien_building_Wires01.rar";
const char *const kWiresMember = "alien_building_Wires01.bobj";
const char *const kWallAArchive = "alien_building_wall_segmentA.rar";
const char *const kWallAMember = "alien_building_wall_segmentA.bobj";
const char *const kWallBArchive = "alien_building_wall_segmentB.rar";
const char *const kWallBMember = "alien_building_wall_segmentB.bobj";
const char *const kWallCArchive = "alien_building_wall_segmentC.rar";
const char *const kWallCMember = "alien_building_wall_segmentC.bobj";
const char *const kCorridorColourFile = "alien_building_color.jpg";
const char *const kCorridorFogFile = "fog_colscale01.png";
const char *const kCorridorDir = "../data/models/alien_building";
const char *const kCorridorTextureDir = "../data/models/alien_building/textures/";
const char *const kCorridorBakedDir = "../data/models/alien_building/textures_baked/";

const char *const kCorridorMapFiles[kCorridorMaps] = {
    "EndWall_segmentA01LightingMap.jpg", "EndWall_segmentB01LightingMap.jpg",
    "Pipes_horizLightingMap.jpg",        "Wires01LightingMap.jpg",
    "Wall_segmentA01LightingMap.jpg",    "Wall_segmentB01LightingMap.jpg",
    "Wall_segmentC01LightingMap.jpg",    "Wall_segmentA04LightingMap.jpg",
    "Wall_segmentB04LightingMap.jpg",    "Wall_segmentC04LightingMap.jpg",
    "Wall_segmentA06LightingMap.jpg",    "Wall_segmentB06LightingMap.jpg",
    "Wall_segmentC06LightingMap.jpg",    "Wall_segmentA08LightingMap.jpg",
    "Wall_segmentB08LightingMap.jpg",    "Wall_segmentC08LightingMap.jpg"};

namespace {

const char *const kLightmapShader = "sc08_lm_shader";
// File-scope and never reset: the accents and the roll outlive an entry.
uint32_t last_bd = 0;
uint32_t last_bd1 = 0;
uint32_t last_other = 0;
float pull = 1.0f;
float roll = 0.0f;

const float kSetPitch = 340.0f;
const float kEndStart = -1800.0f;
const float kFogStart = 100.0f, kFogFar = 1800.0f, kFogPulled = 1500.0f;
const float kFogColour[4] = {0.40784314f, 0.65882355f, 0.7372549f, 1.0f};
const float kLightPosition[4] = {0.0f, 0.0f, -2500.0f, 1.0f};
const float kLightDiffuse[4] = {0.55f, 0.55f, 0.85f, 1.0f};
const float kLightSpecular[4] = {0.0f, 0.0f, 2.5f, 1.0f};
const float kLightAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kRollPerMs = 0.12857144f; // 45 degrees over 350 ms
const int32_t kRollSpan = 350;

} // namespace

float scroll_wrap(float offset, float limit, float cycle) {
  if (!(offset > limit) || !(cycle > 0.0f))
    return offset;
  // One subtraction per frame falls behind after a long gap; take them all.
  return offset - cycle * std::ceil((offset - limit) / cycle);
}

corridor_scroll start_corridor() {
  corridor_scroll scroll;
  for (int s = 0; s < kCorridorSets; ++s)
    scroll.set[s] = -kSetPitch * static_cast<float>(s);
  scroll.end = kEndStart;
  return scroll;
}

void advance_corridor(corridor_scroll &scroll, float dt) {
  for (float &offset : scroll.set)
    offset = scroll_wrap(offset + dt * kCorridorSpeed, kSetWrapAt, kSetCycle);
  scroll.end = scroll_wrap(scroll.end + dt * kCorridorSpeed, kEndWrapAt, kEndCycle);
}

void sets_near_first(const corridor_scroll &scroll, int order[kCorridorSets]) {
  for (int s = 0; s < kCorridorSets; ++s)
    order[s] = s;
  std::stable_sort(order, order + kCorridorSets,
                   [&scroll](int a, int b) { return scroll.set[a] > scroll.set[b]; });
}

float fog_pull(int32_t since_bd) { return pulse_fall(static_cast<float>(since_bd), 250.0f); }

float corridor_fog_end(float pull_now) { return kFogFar - kFogPulled * pull_now; }

float kicked_fov(int32_t since_bd1) {
  if (since_bd1 < 0 || since_bd1 >= 600)
    return kCorridorFov;
  return kCorridorFov + 45.0f * pulse_fall(static_cast<float>(since_bd1), 600.0f);
}

float roll_step(int32_t prev_t, int32_t t, int32_t beat) {
  const int32_t from = prev_t > beat ? prev_t : beat;
  const int32_t to = t < beat + kRollSpan ? t : beat + kRollSpan;
  return to > from ? static_cast<float>(to - from) * kRollPerMs : 0.0f;
}

cScene08::cScene08(demo_clock *clock) : cScene(clock) {
  pieces[0] = &meshes[kEndWallA];
  pieces[1] = &meshes[kEndWallB];
  pieces[2] = &meshes[kPipes];
  pieces[3] = &meshes[kWires];
  for (int s = 0; s < kCorridorSets; ++s) {
    pieces[4 + 3 * s] = &meshes[kWallA];
    pieces[5 + 3 * s] = &meshes[kWallB];
    pieces[6 + 3 * s] = &meshes[kWallC];
  }
}

cScene08::~cScene08() { leave(); }

void cScene08::load() {
  add_search_dir(kCorridorDir);
  const char *const files[kMeshCount][2] = {
      {kEndWallAMember, kEndWallAArchive}, {kEndWallBMember, kEndWallBArchive},
      {kPipesMember, kPipesArchive},       {kWiresMember, kWiresArchive},
      {kWallAMember, kWallAArchive},       {kWallBMember, kWallBArchive},
      {kWallCMember, kWallCArchive}};
  for (int m = 0; m < kMeshCount; ++m)
    meshes[m].load_from_rar(files[m][0], files[m][1]);
  for (cMeshBObj &mesh : meshes)
    mesh.drop_materials();
  add_search_dir(kCorridorTextureDir);
  colour.load(kCorridorColourFile);
  fog_scale.load(kCorridorFogFile);
  add_search_dir(kCorridorBakedDir);
  for (int k = 0; k < kCorridorMaps; ++k)
    maps[k].load(kCorridorMapFiles[k]);
  pop_search_dir();
  pop_search_dir();
  pop_search_dir();
  upload_textures();
}

void cScene08::upload_textures() {
  if (colour.gl_name == 0)
    colour.upload(true, GL_REPEAT);
  // Fully fogged reads the scale's last texel; plain clamping would blend
  // half of the black border into it there and turn the far end grey.
  if (fog_scale.gl_name == 0)
    fog_scale.upload(false, GL_CLAMP_TO_EDGE);
  for (cTexture &map : maps)
    if (map.gl_name == 0)
      map.upload(true, GL_REPEAT);
}

void cScene08::enter() {
  for (cMeshBObj &mesh : meshes)
    mesh.prepare();
  // leave() gave all eighteen textures back; the decoded images are kept.
  upload_textures();
  reset_texture_units();
  glDisable(GL_BLEND);
  glDisable(GL_LIGHTING);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);

  camera.look({500.0f, 100.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
  camera.lens(kCorridorFov, 10.0f, 4000.0f);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  offsets = start_corridor();
  // Compiling is the slow part: a later entry keeps the first shader.
  if (!g_shader_container->shaders.count(kLightmapShader))
    g_shader_container->add_shader<cShdLightmap>(kLightmapShader);
}

void cScene08::leave() {
  for (cMeshBObj &mesh : meshes)
    mesh.release_buffers();
  colour.delete_gl_texture();
  fog_scale.delete_gl_texture();
  for (cTexture &map : maps)
    map.delete_gl_texture();
  reset_texture_units();
  if (g_shader_container)
    g_shader_container->unbind();
}

void cScene08::on_event(const demo_event *event) {
  const uint32_t t = static_cast<uint32_t>(clock->demo_time());
  if (event->kind == EV_BD)
    last_bd = t;
  else if (event->kind == EV_BD1)
    last_bd1 = t;
  else
    last_other = t;
}

void cScene08::update() {
  const int32_t t = clock->demo_time();
  const int32_t prev = static_cast<int32_t>(clock->prev_ms - clock->start_ms);
  const float dt = static_cast<float>(static_cast<int32_t>(clock->now_ms - clock->prev_ms));
  pull = fog_pull(t - static_cast<int32_t>(last_bd));
  roll += roll_step(prev, t, static_cast<int32_t>(last_other));
  advance_corridor(offsets, dt);
}

void cScene08::draw_piece(int k) {
  maps[k].bind();
  pieces[k]->draw();
}

void cScene08::render() {
  const int32_t t = clock->demo_time();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  set_light_position(GL_LIGHT0, kLightPosition[0], kLightPosition[1], kLightPosition[2],
                     kLightPosition[3]);
  set_light_colours(GL_LIGHT0, kLightAmbient, kLightDiffuse, kLightSpecular);
  glEnable(GL_LIGHT0);
  camera.apply();
  // Takes effect from the next frame: the camera is already applied.
  camera.fovy = kicked_fov(t - static_cast<int32_t>(last_bd1));

  glEnable(GL_LIGHTING);
  glFogfv(GL_FOG_COLOR, kFogColour);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, kFogStart);
  glFogf(GL_FOG_END, corridor_fog_end(pull));
  glEnable(GL_FOG);

  g_shader_container->bind(kLightmapShader);
  glActiveTextureARB(GL_TEXTURE2_ARB);
  glEnable(GL_TEXTURE_1D);
  fog_scale.bind();
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  colour.bind();
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glEnable(GL_TEXTURE_2D);

  glRotatef(roll, 1.0f, 0.0f, 0.0f);

  // Nearest first: on a software rasteriser the hidden walls then cost only
  // their depth test. Depth decides what shows, so the order changes nothing
  // in the picture; the end piece, mostly far off or hidden, comes last.
  int order[kCorridorSets];
  sets_near_first(offsets, order);
  // The walls model one side; the second pass mirrors them across the axis,
  // with the winding swapped so culling still keeps the faces toward us.
  for (int pass = 0; pass < 2; ++pass) {
    glPushMatrix();
    for (int s : order) {
      glPushMatrix();
      glTranslatef(offsets.set[s], 0.0f, 0.0f);
      for (int k = 4 + 3 * s; k < 7 + 3 * s; ++k)
        draw_piece(k);
      glPopMatrix();
    }
    glPopMatrix();
    glFrontFace(GL_CW);
    glScalef(1.0f, 1.0f, -1.0f);
  }
  glFrontFace(GL_CCW);
  // Undo the mirror for the end piece, which spans both sides itself.
  glScalef(1.0f, 1.0f, -1.0f);

  glPushMatrix();
  glTranslatef(offsets.end, 0.0f, 0.0f);
  for (int k = 0; k < 4; ++k)
    draw_piece(k);
  glPopMatrix();
  glFrontFace(GL_CCW);
  glActiveTextureARB(GL_TEXTURE0_ARB);
}
