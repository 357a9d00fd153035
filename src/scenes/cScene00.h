// Scene 0: the show's title as a relief of small boxes, one per marked pixel
// of a picture, sliding past a fixed camera between letterbox bands. A
// picture that cannot be read or a box mesh without vertices ends the
// process (-1).
#pragma once

#include <cstdint>
#include <vector>

#include "assets/cMeshDisplayList.h"
#include "runtime/cScene.h"

// One box of the grid: its column and its row in the picture, row 0 at the
// bottom.
struct grid_cell {
  int32_t column;
  int32_t row;
};

// Cells of the pixels whose byte at channel (0: red, 2: blue) is not 0, row
// by row from the bottom. rgb holds width x height RGB triples, bottom row
// first.
std::vector<grid_cell> mask_cells(const uint8_t *rgb, int32_t width, int32_t height,
                                  int32_t channel);
// Offset of the picture along x, elapsed_ms after the scene was entered.
float slide_x(int32_t elapsed_ms);

class cScene00 : public cScene {
public:
  explicit cScene00(demo_clock *clock);
  ~cScene00() override;

  void load() override;
  void enter() override;
  void leave() override;
  void render() override;
  void on_event(const demo_event *event) override;
  void update() override;

private:
  void build_grid();
  void build_frame();

  cMeshDisplayList box;
  uint32_t enter_ms = 0;
  uint32_t grid_list = 0;
  uint32_t frame_list = 0;
  // Grid steps between neighbouring boxes (negative: toward -x and -y).
  float step_x = 0.0f;
  float step_y = 0.0f;
  std::vector<grid_cell> orange_cells;
  std::vector<grid_cell> white_cells;
};
