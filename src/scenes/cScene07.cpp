// Scene 7: the speaker field; see cScene07.h. Buffers and textures given
// back by leave() are filled again by enter().
#include "platform/gl_extensions.h"

#include "scenes/cScene07.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "scenes/cEnableScope.h"
#include "scenes/cSearchDirScope.h"
#include "scenes/camera_shots.h"
#include "scenes/fixed_function.h"
#include "scenes/pulses.h"
#include "scenes/scene_random.h"
#include "scenes/texture_units.h"
#include "shaders/cShaderContainer_CG.h"
#include "shaders/cShdDStex.h"
#include "shaders/cShdDStex2L.h"
#include "shaders/cShdMorphDS.h"

const char *const kMegawattDir = "../data/models/megawatt";
const char *const kBaseMember = "megawatt_base.bobj";
const char *const kBaseArchive = "megawatt_base.rar";
const char *const kWiresMember = "megawatt_wires.bobj";
const char *const kWiresArchive = "megawatt_wires.rar";
const char *const kMushroomMember = "megawatt_xtramush.bobj";
const char *const kMushroomArchive = "megawatt_xtramush.rar";
const char *const kShellMember = "hex_sphere.bobj";
const char *const kShellArchive = "hex_sphere.rar";
const char *const kGroundFile = "megawatt_ground.bobj";
const char *const kSpeakerMembers[kSpeakerMeshes] = {
    "megawatt_bass_s6.bobj",  "megawatt_bass_m6.bobj", "megawatt_medium_s.bobj",
    "megawatt_medium_m.bobj", "megawatt_small_s.bobj", "megawatt_small_m.bobj",
    "megawatt_tiny_s.bobj",   "megawatt_tiny_m.bobj"};
const char *const kSpeakerArchives[kSpeakerMeshes] = {
    "megawatt_bass_s6.rar",  "megawatt_bass_m6.rar", "megawatt_medium_s.rar",
    "megawatt_medium_m.rar", "megawatt_small_s.rar", "megawatt_small_m.rar",
    "megawatt_tiny_s.rar",   "megawatt_tiny_m.rar"};
const char *const kSpeakerTextureFile = "speakertex.png";
const char *const kSpeakerSpecularFile = "speakertex_specular_map.png";
const char *const kSpeakerReflectionFile = "speaker_reflectionmap.jpg";
const char *const kGroundTextureFile = "mushroom_ground3_color.jpg";
const char *const kGroundAlphaFile = "mushroom_ground3_alpha.jpg"; // named, never loaded

namespace {

const char *const kUnit = "cScene07";
const char *const kMorphShader = "s07_morph_shader";
const char *const kDStexShader = "s07_dstex_shader";
const char *const kDStex2LShader = "s07_dstex_2L_shader";

const float kTinyWeight = 0.0f;
const float kFlutter = 0.25f;
const int32_t kShotCounts[] = {0, 9, 17, 25, 33, 37, 41, 45};

const float kBlackOpaque[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kNone[4] = {0.0f, 0.0f, 0.0f, 0.0f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kDimAmbient[4] = {0.05f, 0.05f, 0.05f, 1.0f};
const float kBrightDiffuse[4] = {1.75f, 1.75f, 1.75f, 1.0f};
const float kBrightSpecular[4] = {1.2f, 1.2f, 1.2f, 1.0f};
const float kBlueDiffuse[4] = {0.15f, 0.35f, 0.65f, 1.0f};
const float kBlueSpecular[4] = {0.15f, 0.35f, 0.5f, 1.0f};
const float kWireDiffuse[4] = {0.1f, 0.1f, 0.1f, 1.0f};
const float kGroundDiffuse[4] = {0.65f, 0.65f, 0.65f, 1.0f};
const float kGroundSpecular[4] = {0.1f, 0.1f, 0.1f, 1.0f};

cShaderContainer_CG &shaders() { return *g_shader_container; }

float elapsed(int32_t t, int32_t since) { return static_cast<float>(t - since); }

} // namespace

void speaker_bass_drum(speaker_beat &beat, uint32_t t) {
  ++beat.count;
  beat.last_ms = t;
}

void speaker_update(speaker_beat &beat, uint32_t t, float (*random)()) {
  const int32_t d = static_cast<int32_t>(t - beat.last_ms);
  if (d < kSpeakerPumpMs)
    beat.pump = pulse_rise_fall(static_cast<float>(d), static_cast<float>(kSpeakerPumpMs));
  else if (static_cast<int32_t>(t) > kSpeakerStillAfterMs && beat.count < 1) {
    beat.pump = 0.0f;
    return;
  } else
    beat.pump = random() * kFlutter;
  beat.swing = d < kShellSwingMs
                   ? pulse_fall(static_cast<float>(d), static_cast<float>(kShellSwingMs))
                   : 0.0f;
}

speaker_shot speaker_shot_at(int32_t count, int32_t t) {
  const float c = std::cos(static_cast<float>(t) * 0.001f);
  const float s = std::sin(static_cast<float>(t) * 0.00125f);
  speaker_shot shot;
  shot.index = static_cast<int>(shot_index(kShotCounts, 8, count));
  auto aim = [&shot](float ex, float ey, float ez, float cx, float cy, float cz) {
    shot.eye[0] = ex, shot.eye[1] = ey, shot.eye[2] = ez;
    shot.centre[0] = cx, shot.centre[1] = cy, shot.centre[2] = cz;
  };
  switch (shot.index) {
  case 0:
    aim(-1.0f - 0.1f * c, 101.0f, 0.1f * s - 2.0f, 0.0f, 65.0f, 0.0f);
    break;
  case 1:
    aim(-3.0f - c, 120.0f, s - 7.0f, 0.0f, 75.0f + elapsed(t, 73423) * 0.0016666667f, 0.0f);
    shot.turn = elapsed(t, 73423) * 0.004f;
    shot.bright = true;
    break;
  case 2:
    aim(-38.0f, 91.0f + 0.5f * c, -97.0f, -2.0f, 15.0f, 7.0f);
    shot.turn = elapsed(t, 92828) * 0.01f + elapsed(t, 73423) * 0.005f;
    break;
  case 3:
    aim(0.5f * c - 94.0f, 14.0f, -36.0f - 0.75f * s, -11.0f, 25.0f, 2.0f);
    shot.turn = elapsed(t, 73423) * 0.005f;
    break;
  case 4:
    aim(-111.0f, 12.0f, 53.0f, -11.0f, 25.0f, 2.0f);
    shot.turn = elapsed(70828, t) * 0.005f;
    break;
  case 5:
    aim(-181.0f, 3.0f, 137.0f, 2.0f, 57.0f, -5.0f);
    shot.turn = elapsed(73423, t) * 0.005f;
    break;
  case 6:
    aim(181.0f, 75.0f, 137.0f, 2.0f, 37.0f, -5.0f);
    shot.turn = elapsed(t, 70000) * 0.005f;
    break;
  default:
    aim(10.0f * c - 50.0f, 120.0f, -30.0f - 12.0f * s, 0.0f, 37.0f, 0.0f);
    shot.bright = true;
    break;
  }
  return shot;
}

std::string morph_partner_problem(const cIndexedMeshOf<cMeshMaterial> &s,
                                  const cIndexedMeshOf<cMeshMaterial> &m) {
  if (s.vertex_count() != m.vertex_count())
    return std::to_string(m.vertex_count()) + " vertices for " + std::to_string(s.vertex_count());
  if (!(s.flags & MESH_HAS_NORMALS) || !(m.flags & MESH_HAS_NORMALS) ||
      s.normals.size() != s.positions.size() || m.normals.size() != m.positions.size())
    return "normals missing";
  if (s.indices != m.indices)
    return "different triangles";
  if (s.texcoords != m.texcoords)
    return "texture coordinates differ, so the vertices come in another order";
  return std::string();
}

cScene07::cScene07(demo_clock *clock) : cScene(clock) {}

cScene07::~cScene07() { leave(); }

void cScene07::load() {
  {
    cSearchDirScope dir(kMegawattDir);
    base.load_from_rar(kBaseMember, kBaseArchive);
    wires.load_from_rar(kWiresMember, kWiresArchive);
    ground.load(kGroundFile);
    mushrooms.load_from_rar(kMushroomMember, kMushroomArchive);
    shell.load_from_rar(kShellMember, kShellArchive);
    ground.drop_materials();
    wires.drop_materials();
    for (int k = 0; k < kSpeakerMeshes; ++k)
      speakers[k].load_from_rar(kSpeakerMembers[k], kSpeakerArchives[k]);
    speaker_colour.load(kSpeakerTextureFile);
    speaker_gloss.load(kSpeakerSpecularFile);
    reflection.load(kSpeakerReflectionFile);
    ground_colour.load(kGroundTextureFile);
  }
  // An "m" mesh feeds the morph program beside its "s" partner, vertex for
  // vertex: one that does not match would be read past its end.
  for (int k = 0; k < kSpeakerMeshes; k += 2) {
    const std::string problem = morph_partner_problem(speakers[k], speakers[k + 1]);
    if (!problem.empty()) {
      std::fprintf(stderr, "## ERROR in %s line %d: %s does not fit %s: %s. Exiting...\n", kUnit,
                   __LINE__, kSpeakerMembers[k + 1], kSpeakerMembers[k], problem.c_str());
      std::exit(-1);
    }
  }
  (void)kGroundAlphaFile;
}

void cScene07::enter() {
  shaders().add_shader<cShdMorphDS>(kMorphShader);
  shaders().add_shader<cShdDStex>(kDStexShader);
  shaders().add_shader<cShdDStex2L>(kDStex2LShader);

  // leave() gave buffers and textures back; the decoded data are still here.
  for (cTexture *texture : {&speaker_colour, &speaker_gloss, &reflection, &ground_colour})
    if (texture->gl_name == 0)
      texture->upload(true, GL_REPEAT);
  for (cMeshBObj *mesh : {&base, &wires, &ground, &mushrooms, &shell})
    mesh->prepare();
  for (cMeshBObj &speaker : speakers)
    speaker.prepare();

  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_BLEND);
  glEnable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_RESCALE_NORMAL);
  glDisable(GL_ALPHA_TEST);
  // The field has no fog; an earlier scene's would grey its far ground.
  glDisable(GL_FOG);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

  camera.look({-5.0f, 120.0f, -7.0f}, {0.0f, 70.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
  camera.lens(70.0f, 5.0f, 2000.0f);

  set_light_colours(GL_LIGHT0, kDimAmbient, kWhite, kWhite);
  glEnable(GL_LIGHT0);
  set_light_colours(GL_LIGHT1, kDimAmbient, kBlueDiffuse, kBlueSpecular);
  glEnable(GL_LIGHT1);
  glClearColor(0.25f, 0.3f, 0.4f, 1.0f);
}

void cScene07::leave() {
  for (cMeshBObj *mesh : {&base, &wires, &ground, &mushrooms, &shell})
    mesh->release_buffers();
  for (cMeshBObj &speaker : speakers)
    speaker.release_buffers();
  // The destructor comes here too, possibly after the container is gone.
  if (g_shader_container)
    g_shader_container->unbind();
  for (cTexture *texture : {&speaker_colour, &speaker_gloss, &reflection, &ground_colour})
    texture->delete_gl_texture();
  reset_texture_units();
  // The ground leaves unit 0 in decal mode, which would take the colour out
  // of whatever the next scene draws textured.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_ALPHA_TEST);
}

void cScene07::update() {
  speaker_update(beat, static_cast<uint32_t>(clock->demo_time()), random_unit);
}

void cScene07::on_event(const demo_event *event) {
  switch (event->kind) {
  case EV_BD:
    speaker_bass_drum(beat, static_cast<uint32_t>(clock->demo_time()));
    break;
  case EV_CLAP:
    break;
  default:
    std::fprintf(stderr, "ef07: %d %d\n", event->kind, event->time);
    break;
  }
}

void cScene07::draw_shells() {
  cEnableScope scope;
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_FALSE);
  reset_texture_units();
  glColor4f(0.7f, 0.7f, 0.7f, 0.05f);
  for (int i = 0; i < 5; ++i) {
    const float scale = 15.0f - 2.0f * static_cast<float>(i) * beat.swing;
    glPushMatrix();
    glScalef(scale, scale, scale);
    shell.draw();
    glPopMatrix();
  }
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glDepthMask(GL_TRUE);
}

void cScene07::bind_speaker_textures() {
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  speaker_colour.bind();
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glEnable(GL_TEXTURE_2D);
  speaker_gloss.bind();
  glActiveTextureARB(GL_TEXTURE2_ARB);
  glEnable(GL_TEXTURE_2D);
  reflection.bind();
  glActiveTextureARB(GL_TEXTURE0_ARB);
}

void cScene07::draw_speakers() {
  for (int k = 0; k < kSpeakerMeshes; k += 2) {
    if (k == 6) {
      shaders().set_parameters(kMorphShader, kTinyWeight);
      shaders().bind(kMorphShader);
    }
    // Drawing a mesh with material groups leaves units 0 to 2 empty.
    bind_speaker_textures();
    speakers[k + 1].buffer(0).bind_as_texcoords(GL_TEXTURE3_ARB);
    speakers[k + 1].buffer(1).bind_as_texcoords(GL_TEXTURE4_ARB);
    speakers[k].draw();
  }
  for (GLenum unit : {GL_TEXTURE3_ARB, GL_TEXTURE4_ARB}) {
    glClientActiveTextureARB(unit);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  glClientActiveTextureARB(GL_TEXTURE0_ARB);
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

void cScene07::render() {
  const int32_t t = clock->demo_time();
  const speaker_shot shot = speaker_shot_at(beat.count, t);
  for (int k = 0; k < 3; ++k) {
    camera.eye[k] = shot.eye[k];
    camera.centre[k] = shot.centre[k];
  }
  camera.apply();
  if (shot.turn != 0.0f)
    glRotatef(shot.turn, 0.0f, 1.0f, 0.0f);
  if (shot.bright)
    set_light_colours(GL_LIGHT0, kDimAmbient, kBrightDiffuse, kBrightSpecular);
  set_light_position(GL_LIGHT0, -80.0f, 200.0f, -140.0f, 1.0f);
  set_light_position(GL_LIGHT1, 80.0f, 200.0f, 140.0f, 1.0f);

  shaders().unbind();
  draw_shells();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  reset_texture_units();
  glEnable(GL_LIGHTING);
  set_material_split(kBlackOpaque, kWireDiffuse, kWhite, kNone, 35.0f);
  wires.draw();

  set_material_split(kBlackOpaque, kGroundDiffuse, kGroundSpecular, kNone, 1.0f);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glDisable(GL_LIGHTING);
  ground_colour.bind();
  ground.draw();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);

  shaders().bind(kDStex2LShader);
  mushrooms.draw();
  base.draw();

  shaders().set_parameters(kMorphShader, beat.pump);
  shaders().bind(kMorphShader);
  draw_speakers();
}
