// Scene 1: the spinning object with beat shells and the credits. Textures
// given back by leave() are uploaded again by enter(); loading failures are
// fatal in the mesh, texture and shader code.
#include "platform/gl_extensions.h"

#include "scenes/cScene01.h"

#include <IL/il.h>
#include <cmath>
#include <cstdio>
#include <vector>

#include "scenes/cEnableScope.h"
#include "scenes/fixed_function.h"
#include "scenes/fullscreen_texture.h"
#include "scenes/picture_bounds.h"
#include "scenes/scene_maths.h"
#include "scenes/scene_random.h"
#include "scenes/texture_units.h"
#include "shaders/cShaderContainer_CG.h"
#include "shaders/cShdBend.h"
#include "shaders/cShdNormExt.h"

const char *const kObjectMember = "thing2.bobj";
const char *const kObjectArchive = "../data/models/thing2.rar";
const char *const kSphereMapFile = "sphere_soapbubble01.png";
const char *const kCreditsFile = "credits.png";

namespace {

const float kShellReach = 65.0f;
// Wider than the few texels a filtered (mipmapped) edge reaches out.
const float kCreditsMargin = 1.0f / 32.0f;
const float kSpinStrength = 3.0f;
const uint32_t kOuterSpinDelayMs = 400;
const float kSlate[4] = {0.11764706f, 0.2f, 0.27450982f, 1.0f};
const float kOrange[4] = {1.0f, 0.5803922f, 0.0235294f, 1.0f};
const float kBlackOpaque[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kNone[4] = {0.0f, 0.0f, 0.0f, 0.0f};

cShaderContainer_CG &shaders() { return *g_shader_container; }

} // namespace

void credits_fx1(credits_fade &fade, uint32_t t) {
  if (!fade.fading_in) {
    fade.fading_in = true;
    fade.in_ms = t;
  } else {
    fade.fading_out = true;
    fade.out_ms = t;
  }
}

void credits_update(credits_fade &fade, uint32_t t) {
  const int32_t since_in = static_cast<int32_t>(t - fade.in_ms);
  const int32_t since_out = static_cast<int32_t>(t - fade.out_ms);
  const float span = static_cast<float>(kCreditsFadeMs);
  if (!fade.fading_in)
    fade.alpha = 0.0f;
  else if (since_in < kCreditsFadeMs)
    fade.alpha = kCreditsAlpha * static_cast<float>(since_in < 0 ? 0 : since_in) / span;
  else if (fade.fading_out && since_out < kCreditsFadeMs)
    fade.alpha = kCreditsAlpha * (1.0f - static_cast<float>(since_out < 0 ? 0 : since_out) / span);
  else if (fade.fading_out)
    fade.alpha = 0.0f;
  else
    fade.alpha = kCreditsAlpha; // the fade-in's end, whatever the frame times were
}

void expire_shells(std::deque<uint32_t> &shells, uint32_t t) {
  while (!shells.empty() && static_cast<int32_t>(t - shells.front()) > kCreditsFadeMs)
    shells.pop_front();
}

float shell_extrusion(uint32_t t, uint32_t launched_ms) {
  return static_cast<float>(static_cast<int32_t>(t - launched_ms)) * kShellReach /
         static_cast<float>(kCreditsFadeMs);
}

void kick_spins(cKickRotation &inner, cKickRotation &outer, const float axis[3], uint32_t t) {
  inner.reset();
  inner.set_axis(axis);
  inner.trigger(&kSpinStrength);
  inner.set_start(t);
  outer.reset();
  outer.set_axis(axis);
  outer.trigger(&kSpinStrength);
  outer.set_start(t + kOuterSpinDelayMs);
}

void spin_turn(cKickRotation &spin, uint32_t t, const float before[16], float out[16]) {
  float turn[16];
  spin.update(&t);
  spin.rotation4x4(turn);
  mat4_product(before, turn, out);
}

cScene01::cScene01(demo_clock *clock) : cScene(clock) {
  spin_inner.reset();
  spin_outer.reset();
  mat4_identity(inner);
  mat4_identity(outer);
  mat4_identity(previous_inner);
  mat4_identity(previous_outer);
}

cScene01::~cScene01() { leave(); }

void cScene01::load() {
  object.load_from_rar(kObjectMember, kObjectArchive);
  object.drop_materials();
  sphere.load(kSphereMapFile);
  credits.load(kCreditsFile);
  find_credits_window();
  shaders().add_shader<cShdBend>("bend_shader");
  shaders().add_shader<cShdNormExt>("normext_shader");
  sphere.upload(false, GL_REPEAT);
  credits.upload(true, GL_REPEAT);
}

void cScene01::find_credits_window() {
  ilBindImage(credits.il_image);
  const int32_t width = ilGetInteger(IL_IMAGE_WIDTH);
  const int32_t height = ilGetInteger(IL_IMAGE_HEIGHT);
  std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
  if (!rgba.empty())
    ilCopyPixels(0, 0, 0, width, height, 1, IL_RGBA, IL_UNSIGNED_BYTE, rgba.data());
  credits_shown = opaque_window(rgba.data(), width, height, kCreditsMargin, credits_window);
}

void cScene01::enter() {
  object.prepare();
  // leave() gave the textures back; the decoded pictures are still here.
  if (sphere.gl_name == 0)
    sphere.upload(false, GL_REPEAT);
  if (credits.gl_name == 0)
    credits.upload(true, GL_REPEAT);

  reset_texture_units();
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_RESCALE_NORMAL);
  glDisable(GL_ALPHA_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_COLOR_MATERIAL);
  glClearColor(kSlate[0], kSlate[1], kSlate[2], kSlate[3]);
  glFogfv(GL_FOG_COLOR, kSlate);
  glFogi(GL_FOG_MODE, GL_EXP);
  glFogf(GL_FOG_DENSITY, 0.02f);
  glEnable(GL_FOG);

  const float up_length = std::sqrt(0.2f * 0.2f + 0.2f * 0.2f + 1.0f);
  camera.look({20.0f, 20.0f, 20.0f}, {0.0f, 0.0f, 0.0f},
              {0.2f / up_length, 0.2f / up_length, 1.0f / up_length});
  camera.lens(90.0f, 1.0f, 300.0f);

  const float ambient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
  const float diffuse[4] = {1.25f, 1.25f, 1.25f, 1.0f};
  const float specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  set_light_colours(GL_LIGHT0, ambient, diffuse, specular);
  glEnable(GL_LIGHT0);
  glDisable(GL_LIGHT1);

  shaders().set_parameters("bend_shader", static_cast<int32_t>(sphere.gl_name), 0, 0, 0);
  shaders().set_parameters("normext_shader", 2.0f);
}

void cScene01::leave() {
  object.release_buffers();
  sphere.delete_gl_texture();
  credits.delete_gl_texture();
  // The destructor comes here too, possibly after the container is gone.
  if (g_shader_container)
    g_shader_container->unbind();
  glEnable(GL_ALPHA_TEST);
}

void cScene01::update() {
  const uint32_t t = static_cast<uint32_t>(clock->demo_time());
  spin_turn(spin_inner, t, previous_inner, inner);
  spin_turn(spin_outer, t, previous_outer, outer);
  shaders().set_matrix_parameters("bend_shader", inner, outer);
  shaders().set_matrix_parameters("normext_shader", inner, outer);
  expire_shells(shells, t);
  credits_update(fade, t);
}

void cScene01::on_event(const demo_event *event) {
  const uint32_t t = static_cast<uint32_t>(clock->demo_time());
  switch (event->kind) {
  case EV_FX1:
    credits_fx1(fade, t);
    break;
  case EV_SBD: {
    // Keeps the last axis in the rare case that the three values give none.
    float axis[3] = {spin_inner.axis[0], spin_inner.axis[1], spin_inner.axis[2]};
    random_unit_axis(axis);
    for (int n = 0; n < 16; ++n) {
      previous_inner[n] = inner[n];
      previous_outer[n] = outer[n];
    }
    kick_spins(spin_inner, spin_outer, axis, t);
    break;
  }
  case EV_SBIP:
  case EV_SNARE:
  case EV_SCLAP:
    shells.push_back(t);
    break;
  default:
    std::fprintf(stderr, "ef02: %d %d\n", event->kind, event->time);
    break;
  }
}

void cScene01::draw_shells(uint32_t t) {
  cEnableScope scope;
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDepthFunc(GL_LEQUAL);
  for (uint32_t launched : shells) {
    shaders().set_parameters("normext_shader", shell_extrusion(t, launched));
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    shaders().bind("normext_shader");
    // Depth first, then colour: only the nearest skin of the shell shows.
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    object.draw();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    object.draw();
    glClear(GL_DEPTH_BUFFER_BIT);
  }
}

void cScene01::render() {
  const uint32_t t = static_cast<uint32_t>(clock->demo_time());
  // At alpha 0, and where the picture is transparent, the blended quad
  // changes no pixel: its fill is spared there.
  if (fade.alpha > 0.0f && credits_shown) {
    const float colour[4] = {1.0f, 1.0f, 1.0f, fade.alpha};
    draw_fullscreen_texture(credits.gl_name, colour, GL_MODULATE, credits_window);
  }

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  set_light_position(GL_LIGHT0, 0.0f, 0.0f, 0.0f, 1.0f);
  glEnable(GL_LIGHT0);
  camera.apply();

  glPushMatrix();
  glScalef(0.1f, 0.1f, 0.1f);
  glRotatef(static_cast<float>(t) * 0.01f, 0.1f, 0.1f, 1.0f);
  draw_shells(t);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthFunc(GL_LESS);
  set_material(kOrange, kBlackOpaque, kNone, 75.0f);
  shaders().bind("bend_shader");
  object.draw();
  glPopMatrix();
}
