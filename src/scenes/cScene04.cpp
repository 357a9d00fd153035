// Scene 4: the orchid grid under the radial blur. What leave() gives back
// (the blur, the background texture, the mesh buffers) enter() makes again;
// loading failures are fatal in the mesh, texture and shader code.
#include "platform/gl_extensions.h"

#include "scenes/cScene04.h"

#include <algorithm>
#include <cstdio>

#include "platform/picture_area.h"
#include "scenes/cSearchDirScope.h"
#include "scenes/fixed_function.h"
#include "scenes/fullscreen_texture.h"
#include "scenes/scene_random.h"
#include "shaders/cShaderContainer_CG.h"
#include "shaders/cShdDStex.h"

const char *const kOrchidMember = "orchid.bobj";
const char *const kOrchidArchive = "orchid.rar";
const char *const kBackgroundFile = "flower-bg.jpg";
const char *const kOrchidDir = "../data/models/orchid_models_obj";

namespace {

const float kPumpFall = 0.002f;
const float kCellSpacing = 25.0f;
const float kGridTurnPerMs = 0.01f;
const float kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kNone[4] = {0.0f, 0.0f, 0.0f, 0.0f};
const float kLightAmbient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
const float kLightFull[4] = {1.0f, 1.0f, 1.0f, 1.0f};

const camera_shot kShots[] = {
    {0, {4.0f, 75.0f, 0.0f}, {0.0f, 60.0f, 0.0f}},
    {10, {-10.0f, 85.0f, 5.0f}, {0.0f, 60.0f, 0.0f}},
    {18, {10.0f, 65.0f, 0.0f}, {0.0f, 65.0f, 0.0f}},
    {26, {-3.0f, 45.0f, 10.0f}, {0.0f, 60.0f, 0.0f}},
    {34, {20.0f, 75.0f, 20.0f}, {0.0f, 35.0f, 0.0f}},
    {42, {3.0f, 85.0f, 7.0f}, {0.0f, 40.0f, 0.0f}},
    {66, {14.0f, 75.0f, 3.0f}, {0.0f, 40.0f, 0.0f}},
};

cShaderContainer_CG &shaders() { return *g_shader_container; }

void make_blur(cPostRadialblur *&blur) {
  if (!blur)
    blur = new cPostRadialblur(picture_area().width, picture_area().height, 0, 4.0f);
}

} // namespace

float relax_pump(float pump, float dt_ms) { return std::max(pump - dt_ms * kPumpFall, kPumpFloor); }

const camera_shot &orchid_shot(int32_t count) {
  return shot_for_count(kShots, sizeof kShots / sizeof kShots[0], count);
}

void draw_cell_turns(float turn[kOrchidCells]) {
  for (int i = 0; i < kOrchidCells; ++i)
    turn[i] = random_span(360.0f);
}

cScene04::cScene04(demo_clock *clock) : cScene(clock) { draw_cell_turns(turn); }

cScene04::~cScene04() { leave(); }

void cScene04::load() {
  {
    cSearchDirScope dir(kOrchidDir);
    orchid.load_from_rar(kOrchidMember, kOrchidArchive);
    background.load(kBackgroundFile);
    make_blur(blur);
  }
  shaders().add_shader<cShdDStex>("sc04_dstex");
  background.upload(true, GL_REPEAT);
}

void cScene04::enter() {
  enter_ms = static_cast<uint32_t>(clock->demo_time());
  orchid.prepare();
  // leave() gave the blur and the background back; the decoded picture stays.
  make_blur(blur);
  if (background.gl_name == 0)
    background.upload(true, GL_REPEAT);
  blur->prepare();
  blur->centre_x = 0.5f;
  blur->centre_y = 0.25f;
  blur->zoom = 0.75f;

  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  if (!entered)
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, saved_ambient);
  entered = true;
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kNone);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glShadeModel(GL_SMOOTH);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_BLEND);
  // The petals' and leaves' cut-outs; set as the show leaves it, so the
  // scene looks the same whatever came before.
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.1f);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
  glEnable(GL_COLOR_SUM_ARB);
  glEnable(GL_RESCALE_NORMAL);
  glDisable(GL_COLOR_MATERIAL);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDisable(GL_FOG);

  camera.look({14.0f, 75.0f, 0.0f}, {0.0f, 60.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
  camera.lens(90.0f, 1.0f, 500.0f);

  set_light_colours(GL_LIGHT0, kLightAmbient, kLightFull, kLightFull);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHTING);
}

void cScene04::leave() {
  orchid.release_buffers();
  background.delete_gl_texture();
  delete blur;
  blur = nullptr;
  // Only an entry saved the ambient: a scene never entered (or already left)
  // has nothing to give back.
  if (entered)
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, saved_ambient);
  entered = false;
}

void cScene04::update() {
  pump = relax_pump(pump, static_cast<float>(clock->now_ms - clock->prev_ms));
}

void cScene04::on_event(const demo_event *event) {
  switch (event->kind) {
  case EV_BD:
    pump = kPumpKick;
    ++bass_drums;
    break;
  default:
    std::fprintf(stderr, "ef05: %d %d\n", event->kind, event->time);
    break;
  }
}

void cScene04::draw_grid(uint32_t t) {
  glRotatef(static_cast<float>(t) * kGridTurnPerMs, 0.0f, 1.0f, 0.0f);
  glTranslatef(-2.0f * kCellSpacing, 0.0f, -2.0f * kCellSpacing);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      glPushMatrix();
      glTranslatef(kCellSpacing * static_cast<float>(r), 0.0f,
                   kCellSpacing * static_cast<float>(c));
      glRotatef(turn[4 * r + c], 0.0f, 1.0f, 0.0f);
      orchid.draw();
      glPopMatrix();
    }
}

void cScene04::render() {
  if (!blur)
    return; // not entered: nothing to draw into
  const uint32_t t = static_cast<uint32_t>(clock->demo_time());
  blur->target->begin();
  set_light_colours(GL_LIGHT0, kLightAmbient, kLightFull, kLightFull);

  // One push of the enable and texture groups inside: a nested pair loses
  // the outer group's restore on some drivers, and the orchids would then
  // draw without the depth test.
  draw_fullscreen_texture(background.gl_name, kBlack, GL_REPLACE);

  aim_camera(camera, orchid_shot(bass_drums));
  camera.apply();
  shaders().bind("sc04_dstex");
  set_light_position(GL_LIGHT0, 25.0f, 70.0f, 0.0f, 1.0f);
  draw_grid(t);

  shaders().unbind();
  set_light_colours(GL_LIGHT0, kNone, kNone, kNone);
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHTING);
  blur->target->end();

  set_black_material();
  glColor4fv(kBlack);
  blur->intensity = pump;
  blur->render();
}
