// Scene 0: the title in boxes. The picture is read once at load into two
// cell lists; the grid list is compiled from them at load and again on an
// entry after a leave gave it back. Unreadable data ends the process (-1).
#include "platform/gl_extensions.h"

#include "scenes/cScene00.h"

#include <IL/il.h>
#include <cstdio>
#include <cstdlib>

#include "effects/overlays.h"
#include "platform/picture_area.h"
#include "scenes/fixed_function.h"
#include "scenes/texture_units.h"
#include "shaders/cShaderContainer_CG.h"

const char *const kBoxMeshFile = "../data/models/chamferbox2.obj";
const char *const kTitlePictureFile = "../data/textures/orvalt_col.png";

namespace {

const char *const kUnit = "cScene00";

const float kOrange[4] = {1.0f, 0.5803922f, 0.0235294f, 1.0f};
const float kOrangeSpecular[4] = {1.0f, 0.6352941f, 0.1f, 1.0f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kBlackOpaque[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kNone[4] = {0.0f, 0.0f, 0.0f, 0.0f};
const float kSlate[4] = {0.11764706f, 0.2f, 0.27450982f, 1.0f};

// Gap factor between neighbouring boxes, and the flatter white plate.
const float kPitch = 1.1f;
const float kPlateScale[3] = {1.25f, 1.25f, 0.65f};

[[noreturn]] void fail(int line, const char *what, const char *file) {
  std::fprintf(stderr, "## ERROR in %s line %d: %s %s. Exiting...\n", kUnit, line, what, file);
  std::exit(-1);
}

// Compiles one pass of boxes into the open list.
void draw_cells(cMeshDisplayList &box, const std::vector<grid_cell> &cells, float step_x,
                float step_y, const float *scale) {
  for (const grid_cell &cell : cells) {
    glPushMatrix();
    glTranslatef(step_x * static_cast<float>(cell.column), step_y * static_cast<float>(cell.row),
                 0.0f);
    if (scale)
      glScalef(scale[0], scale[1], scale[2]);
    box.draw();
    glPopMatrix();
  }
}

} // namespace

std::vector<grid_cell> mask_cells(const uint8_t *rgb, int32_t width, int32_t height,
                                  int32_t channel) {
  std::vector<grid_cell> cells;
  for (int32_t row = 0; row < height; ++row)
    for (int32_t column = 0; column < width; ++column)
      if (rgb[(size_t(row) * width + column) * 3 + channel] > 0)
        cells.push_back({column, row});
  return cells;
}

float slide_x(int32_t elapsed_ms) { return static_cast<float>(elapsed_ms) * 0.0121951215f - 55.0f; }

cScene00::cScene00(demo_clock *clock) : cScene(clock) {}

cScene00::~cScene00() {
  if (grid_list != 0)
    glDeleteLists(grid_list, 1);
  if (frame_list != 0)
    glDeleteLists(frame_list, 1);
}

void cScene00::load() {
  box.load(kBoxMeshFile);
  if (box.positions.empty())
    fail(__LINE__, "no vertices in the box mesh", kBoxMeshFile);
  box.prepare();
  float low[3], high[3];
  box.bounding_box(low, high);
  step_x = kPitch * (low[0] - high[0]);
  step_y = kPitch * (low[1] - high[1]);

  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  // Any picture the library reads becomes 8-bit RGB, so the red and blue
  // bytes of every pixel are where the cells are read from.
  if (!ilLoadImage(kTitlePictureFile))
    fail(__LINE__, "cannot read the picture", kTitlePictureFile);
  if (!ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE))
    fail(__LINE__, "cannot convert to RGB the picture", kTitlePictureFile);
  const int32_t width = ilGetInteger(IL_IMAGE_WIDTH);
  const int32_t height = ilGetInteger(IL_IMAGE_HEIGHT);
  const uint8_t *rgb = ilGetData();
  orange_cells = mask_cells(rgb, width, height, 0);
  white_cells = mask_cells(rgb, width, height, 2);
  ilDeleteImages(1, &image);
  build_grid();
}

void cScene00::build_grid() {
  grid_list = glGenLists(1);
  glNewList(grid_list, GL_COMPILE);
  set_material(kOrange, kOrangeSpecular, kNone, 45.0f);
  draw_cells(box, orange_cells, step_x, step_y, nullptr);
  set_material(kWhite, kNone, kWhite, 0.0f);
  draw_cells(box, white_cells, step_x, step_y, kPlateScale);
  glEndList();
}

void cScene00::build_frame() {
  frame_list = glGenLists(1);
  glNewList(frame_list, GL_COMPILE);
  glDisable(GL_DEPTH_TEST);
  begin_ortho();
  glColor4fv(kSlate);
  set_material_split(kNone, kBlackOpaque, kBlackOpaque, kSlate, 0.0f);
  glBegin(GL_QUADS);
  glVertex3f(0.0f, -100.0f, 0.0f);
  glVertex3f(1024.0f, -100.0f, 0.0f);
  glVertex3f(1024.0f, 100.0f, 0.0f);
  glVertex3f(0.0f, 100.0f, 0.0f);
  glVertex3f(0.0f, 500.0f, 0.0f);
  glVertex3f(1024.0f, 500.0f, 0.0f);
  glVertex3f(1024.0f, 900.0f, 0.0f);
  glVertex3f(0.0f, 900.0f, 0.0f);
  glEnd();
  glColor4fv(kWhite);
  set_material(kWhite, kNone, kWhite, 0.0f);
  glBegin(GL_LINES);
  glVertex3f(0.0f, 100.0f, 0.0f);
  glVertex3f(1024.0f, 100.0f, 0.0f);
  glVertex3f(0.0f, 500.0f, 0.0f);
  glVertex3f(1024.0f, 500.0f, 0.0f);
  glEnd();
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  camera.apply();
  set_light_position(GL_LIGHT0, -10.0f, -10.0f, 10.0f, 1.0f);
  glEndList();
}

void cScene00::enter() {
  enter_ms = static_cast<uint32_t>(clock->demo_time());
  // leave() gave both lists back; the grid calls the box list by name, so
  // the box comes first.
  if (box.list_name == 0)
    box.prepare();
  if (grid_list == 0)
    build_grid();

  if (g_shader_container)
    g_shader_container->unbind();
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  reset_texture_units();
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_RESCALE_NORMAL);
  glDisable(GL_FOG);
  glShadeModel(GL_SMOOTH);
  glLineWidth(2.0f * picture_scale());

  camera.look({-7.0f, -4.0f, 15.0f}, {-10.0f, -10.0f, 0.0f}, {0.0f, 0.0f, 1.0f});
  camera.lens(90.0f, 0.1f, 500.0f);

  const float ambient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
  const float diffuse[4] = {1.25f, 1.25f, 1.25f, 1.0f};
  const float specular[4] = {2.0f, 2.0f, 2.0f, 1.0f};
  set_light_colours(GL_LIGHT0, ambient, diffuse, specular);
  glEnable(GL_LIGHT0);
  glDisable(GL_LIGHT1);
  glEnable(GL_LIGHTING);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glDisable(GL_COLOR_MATERIAL);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void cScene00::leave() {
  if (grid_list != 0)
    glDeleteLists(grid_list, 1);
  grid_list = 0;
  box.delete_list();
}

void cScene00::render() {
  if (frame_list == 0)
    build_frame();
  glCallList(frame_list);
  const int32_t elapsed =
      static_cast<int32_t>(static_cast<uint32_t>(clock->demo_time()) - enter_ms);
  glPushMatrix();
  glTranslatef(slide_x(elapsed), 0.0f, 0.0f);
  glScalef(0.025f, 0.025f, 0.025f);
  glCallList(grid_list);
  glPopMatrix();
}

void cScene00::on_event(const demo_event *event) {
  std::fprintf(stderr, "ef01: %d %d\n", event->kind, event->time);
}

void cScene00::update() {}
