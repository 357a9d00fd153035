// Scene 10: the greetings gear under the radial blur, the black end and the
// program's exit. leave() gives the blur, the picture's texture and the
// gear's buffers back; enter() makes them again, so a second entry draws
// like the first. Loading failures are fatal in the mesh and texture code.
#include "platform/gl_extensions.h"

#include "scenes/cScene10.h"

#include <cstdlib>

#include "effects/cPostRadialblur.h"
#include "platform/picture_area.h"
#include "scenes/cSearchDirScope.h"
#include "scenes/fixed_function.h"
#include "scenes/fullscreen_texture.h"
#include "scenes/scene_random.h"
#include "scenes/texture_units.h"
#include "shaders/cShaderContainer_CG.h"

#ifndef GL_COLOR_SUM_ARB
#define GL_COLOR_SUM_ARB 0x8458
#endif

const char *const kGearFile = "greetings-gear.bobj";
const char *const kGreetingsFile = "greetings2.jpg";

namespace {

const int32_t kBlurMode = 1;
const float kBlurSpread = 4.0f;
const float kOrange[4] = {1.0f, 0.5803922f, 0.0235294f, 1.0f};
const float kSteelSpecular[4] = {0.65882355f, 0.8156863f, 1.1058824f, 1.0f};
const float kSteel[4] = {0.32941177f, 0.40784314f, 0.5529412f, 1.0f};
const float kFaint[4] = {0.1f, 0.1f, 0.1f, 1.0f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kBlackOpaque[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kNone[4] = {0.0f, 0.0f, 0.0f, 0.0f};

void plain_light(GLenum light, const float ambient[4], const float diffuse[4],
                 const float specular[4]) {
  set_light_colours(light, ambient, diffuse, specular);
  glLightf(light, GL_CONSTANT_ATTENUATION, 1.0f);
  glLightf(light, GL_LINEAR_ATTENUATION, 0.0f);
  glLightf(light, GL_QUADRATIC_ATTENUATION, 0.0f);
  glLightf(light, GL_SPOT_CUTOFF, 180.0f);
  glEnable(light);
}

} // namespace

bool greetings_drawn(int32_t t) { return t <= kGreetingsLastDrawnMs; }

bool show_over(int32_t t) { return t > kShowLastMs; }

blur_flicker draw_blur_flicker() {
  blur_flicker out;
  out.intensity = random_span(0.5f);
  out.zoom = 0.3f + random_span(0.3f);
  return out;
}

cScene10::cScene10(demo_clock *clock) : cScene(clock) {}

cScene10::~cScene10() {
  if (entered)
    leave();
  delete blur;
}

void cScene10::load() {
  {
    cSearchDirScope data("../data");
    cSearchDirScope models("../data/models/");
    gear.load(kGearFile);
    gear.drop_materials();
    greetings.load(kGreetingsFile);
  }
  blur = new cPostRadialblur(picture_area().width, picture_area().height, kBlurMode, kBlurSpread);
  greetings.upload(true, GL_REPEAT);
}

void cScene10::enter() {
  entered = true;
  gear.prepare();
  // leave() gave these back; the decoded picture is still here.
  if (!blur)
    blur = new cPostRadialblur(picture_area().width, picture_area().height, kBlurMode, kBlurSpread);
  if (greetings.gl_name == 0)
    greetings.upload(true, GL_REPEAT);

  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glShadeModel(GL_SMOOTH);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_BLEND);
  glColor4fv(kWhite);
  reset_texture_units();
  glBindTexture(GL_TEXTURE_2D, greetings.gl_name);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glEnable(GL_LIGHTING);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
  glEnable(GL_COLOR_SUM_ARB);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_NORMALIZE);
  glDisable(GL_ALPHA_TEST);
  // Fog an earlier scene left on would reach the gear's far teeth.
  glDisable(GL_FOG);

  camera.look({90.0f, 0.0f, 0.0f}, {0.0f, 20.0f, -50.0f}, {0.0f, 1.0f, 0.0f});
  camera.lens(130.0f, 1.0f, 250.0f);

  plain_light(GL_LIGHT0, kFaint, kWhite, kWhite);
  plain_light(GL_LIGHT1, kFaint, kSteel, kSteel);
  glDisable(GL_COLOR_MATERIAL);
  g_shader_container->unbind();
  blur->prepare();
  blur->centre_x = 0.45f;
  blur->centre_y = 0.5f;
  blur->zoom = 0.5f;
}

void cScene10::leave() {
  entered = false;
  gear.release_buffers();
  greetings.delete_gl_texture();
  delete blur;
  blur = nullptr;
  glEnable(GL_ALPHA_TEST);
}

void cScene10::update() {
  if (show_over(clock->demo_time()))
    std::exit(0);
}

void cScene10::on_event(const demo_event *) {}

void cScene10::render() {
  const int32_t t = clock->demo_time();
  if (!greetings_drawn(t))
    return;
  blur->target->begin();
  draw_fullscreen_texture(greetings.gl_name, kBlackOpaque, GL_REPLACE);

  camera.eye[0] = 49.0f;
  camera.eye[1] = -36.0f;
  camera.eye[2] = 74.0f;
  camera.centre[0] = 59.0f;
  camera.centre[1] = -22.0f;
  camera.centre[2] = 2.0f;
  camera.apply();
  set_light_position(GL_LIGHT0, 0.0f, 500.0f, -50.0f, 1.0f);
  set_light_position(GL_LIGHT1, 0.0f, -150.0f, 50.0f, 1.0f);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  set_material(kOrange, kSteelSpecular, kNone, 65.0f);
  glRotatef(static_cast<float>(t) * 0.01f, 0.0f, 0.0f, 1.0f);
  gear.draw();
  g_shader_container->unbind();
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHT1);
  blur->target->end();

  const blur_flicker flicker = draw_blur_flicker();
  blur->intensity = flicker.intensity;
  blur->zoom = flicker.zoom;
  blur->render();
}
