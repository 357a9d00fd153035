// Scene 2: the x-ray zoom. Nothing given back by leave() needs restoring;
// loading failures are fatal in the mesh, texture and shader code.
#include "platform/gl_extensions.h"

#include "scenes/cScene02.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "platform/gl_defaults.h"
#include "scenes/fixed_function.h"
#include "scenes/scene_random.h"
#include "scenes/texture_units.h"
#include "shaders/cShaderContainer_CG.h"
#include "shaders/cShdXray.h"

const char *const kSphereMember = "organic_sphere.bobj";
const char *const kSphereArchive = "../data/models/organic_sphere.rar";

namespace {

const float kCopySpacing = 0.6666667f;
const float kSurgeKick = 0.00015f;
const float kSurgeFloor = 1.1920929e-05f;
const float kSurgeDecay = 5e-08f;
const float kFlashDecay = 0.001f;
const float kDusk[4] = {0.15686275f, 0.21568628f, 0.27450982f, 1.0f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kCyan[4] = {0.46666667f, 0.8784314f, 1.0f, 1.0f};
const float kBlackOpaque[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kNone[4] = {0.0f, 0.0f, 0.0f, 0.0f};

} // namespace

float zoom_wrap(float v) {
  const float period = std::sqrt(10.0f);
  return v < period ? v : static_cast<float>(wrap_float(&v, &period));
}

void start_zoom(zoom_state &zoom) {
  for (int i = 0; i < kZoomCopies; ++i)
    zoom.base[i] = static_cast<float>(i) * kCopySpacing;
  zoom.surge_speed = 0.0f;
  zoom.surge_phase = 0.0f;
}

void advance_zoom(zoom_state &zoom, int32_t elapsed_ms, float dt) {
  const float growth = (static_cast<float>(elapsed_ms) * 0.001f + 1.0f) * 0.1f;
  for (int i = 0; i < kZoomCopies; ++i) {
    const float linear = zoom_wrap(growth + zoom.base[i]);
    if (zoom.surge_speed < kSurgeFloor)
      zoom.surge_speed = 0.0f;
    else
      zoom.surge_speed = std::max(zoom.surge_speed - dt * kSurgeDecay, 0.0f);
    zoom.surge_phase += dt * zoom.surge_speed;
    const float wrapped = zoom_wrap(linear + zoom.surge_phase);
    zoom.scale[i] = wrapped * wrapped;
  }
  zoom.flash = std::max(zoom.flash - dt * kFlashDecay, 0.0f);
}

float zoom_fog_end(float flash) { return 85.0f - 65.0f * flash; }

std::vector<int> zoom_draw_order(const float scale[kZoomCopies]) {
  std::map<float, int> by_scale;
  for (int i = 0; i < kZoomCopies; ++i)
    by_scale[scale[i]] = i;
  std::vector<int> order;
  for (const auto &entry : by_scale)
    order.push_back(entry.second);
  return order;
}

cScene02::cScene02(demo_clock *clock) : cScene(clock) {}

cScene02::~cScene02() { leave(); }

void cScene02::load() {
  sphere.load_from_rar(kSphereMember, kSphereArchive);
  sphere.drop_materials();
  colour_scale.load("xray_colscale01.png");
  g_shader_container->add_shader<cShdXray>("xray_shader");
  colour_scale.upload(false, GL_CLAMP);
}

void cScene02::enter() {
  enter_ms = clock->demo_time();
  reset_texture_units();
  glEnable(GL_TEXTURE_1D);
  sphere.prepare();
  start_zoom(zoom);
  for (float &angle : turn)
    angle = random_span(360.0f);

  glShadeModel(GL_SMOOTH);
  glEnable(GL_RESCALE_NORMAL);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  // The program's alpha never falls below the test's cut; set as the show
  // leaves it so the scene looks the same whatever came before.
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.1f);
  glDisable(GL_COLOR_MATERIAL);
  glColor4fv(kWhite);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDisable(GL_LIGHTING);
  glClearColor(kDusk[0], kDusk[1], kDusk[2], kDusk[3]);
  glFogfv(GL_FOG_COLOR, kDusk);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, 10.0f);
  glFogf(GL_FOG_END, 75.0f);
  glEnable(GL_FOG);

  const float up_length = std::sqrt(0.2f * 0.2f + 0.2f * 0.2f + 1.0f);
  camera.look({34.0f, 34.0f, 34.0f}, {0.0f, 0.0f, 0.0f},
              {0.2f / up_length, 0.2f / up_length, 1.0f / up_length});
  camera.lens(90.0f, 1.0f, 250.0f);
}

void cScene02::leave() {
  glDisable(GL_FOG);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_1D);
  glBindTexture(GL_TEXTURE_1D, 0);
  // The destructor comes here too, possibly after the container is gone.
  if (g_shader_container)
    g_shader_container->unbind();
}

void cScene02::update() {
  const int32_t elapsed = clock->demo_time() - enter_ms;
  const float dt = static_cast<float>(clock->now_ms - clock->prev_ms);
  advance_zoom(zoom, elapsed, dt);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glFogfv(GL_FOG_COLOR, kWhite);
  glFogf(GL_FOG_END, zoom_fog_end(zoom.flash));
}

void cScene02::on_event(const demo_event *event) {
  switch (event->kind) {
  case EV_BD:
  case EV_SBD:
    zoom.surge_speed = kSurgeKick;
    break;
  case EV_CLAP:
  case EV_SNARE:
  case EV_SCLAP:
    zoom.flash = 1.0f;
    break;
  default:
    std::fprintf(stderr, "ef04: %d %d\n", event->kind, event->time);
    break;
  }
}

void cScene02::render() {
  const float t = static_cast<float>(clock->demo_time());
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_1D);
  colour_scale.bind();
  camera.apply();
  set_material(kCyan, kBlackOpaque, kNone, 75.0f);
  g_shader_container->bind("xray_shader");
  for (int i : zoom_draw_order(zoom.scale)) {
    glPushMatrix();
    glRotatef(t * 0.02f + turn[i], 0.1f, 0.1f, 1.0f);
    glScalef(zoom.scale[i], zoom.scale[i], zoom.scale[i]);
    sphere.draw();
    glPopMatrix();
  }
}
