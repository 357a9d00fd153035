// Where the show's 4:3 picture lies in the window: the largest centred 4:3
// area, black bars around it. Every viewport, render target and full-screen
// copy uses it; with a window of the show's own size it is the whole window.
#pragma once

#include <cstdint>

struct picture_rect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 800;
  int32_t height = 600;
};

// The largest centred area of the window with sides in the ratio 4:3.
picture_rect picture_area_for(int32_t window_width, int32_t window_height);

// The picture of the window that init_sdl opened (800 x 600 at 0, 0 before).
const picture_rect &picture_area();
void set_picture_area(const picture_rect &area, int32_t window_width, int32_t window_height);
// True when the picture leaves bars: drawing is then held inside it.
bool picture_has_bars();
// Picture pixels per unit of the show's 800 x 600 coordinates (line widths).
float picture_scale();

// Sets the viewport to the picture and, where there are bars, the scissor box.
void apply_picture_viewport();
// Paints the bars black; the picture and the GL state are left as they were.
void clear_picture_bars();
// Paints the bars, then shows the back buffer.
void swap_picture();
