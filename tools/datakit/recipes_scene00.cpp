// Scene 0, the title in boxes: the chamfered box and the picture whose pixels
// become boxes. Red marks an orange box, blue a flat white plate.
#include "recipes.h"

#include "asset_files.h"
#include "cFontRasterizer.h"
#include "mesh_primitives.h"
#include "show_style.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

// 1.0 x 1.0 x 0.5 world units at the scene's scale of 0.025, so the grid
// pitch is 1.1 and 36 rows fill the letterbox.
cMesh chamfer_box() { return primitives::chamfered_box(vec3(40, 40, 20), 5); }

sMeshNeeds chamfer_box_needs() {
  sMeshNeeds needs;
  needs.closed = true;
  needs.outward = true;
  needs.min_size = vec3(39, 39, 19);
  needs.max_size = vec3(41, 41, 21);
  needs.origin_tolerance = 0.01f; // the white plates scale about it
  needs.max_triangles = 64;       // one box per lit pixel: thousands per frame
  return needs;
}

// The show's title, one pixel per box, in capitals 26 rows tall between a
// dashed white rail above and below. Rows of the file run top to bottom; the
// engine reads them bottom-up and lays rows toward -y, which the camera shows
// as upward, so the title reads upright.
cImage title_picture() {
  constexpr int kRows = 36, kCap = 26, kBaseline = 31, kTracking = 3, kMargin = 3;
  constexpr int kTopRail = 1, kBottomRail = 34;
  const rgba letter(1, 0.5f, 0), plate(0, 0.8f, 1), empty(0, 0, 0);
  int size = kCap;
  while (cFontRasterizer(show_style::font_path(true), size).cap_height() < kCap)
    ++size;
  const cFontRasterizer font(show_style::font_path(true), size);
  cImage canvas(font.measure(show_style::kTitle, kTracking) + 64, kRows, empty);
  font.draw(canvas, show_style::kTitle, 32, kBaseline, letter, kTracking, true);
  int first = canvas.width(), last = -1;
  for (int x = 0; x < canvas.width(); ++x)
    for (int y = 0; y < kRows; ++y)
      if (canvas.at(x, y).r > 0) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  if (last < 0)
    throw std::runtime_error("the title drew no pixels");
  cImage out(last - first + 1 + 2 * kMargin, kRows, empty);
  for (int x = first; x <= last; ++x)
    for (int y = 0; y < kRows; ++y)
      out.set(x - first + kMargin, y, canvas.at(x, y));
  for (int x = 0; x < out.width(); ++x)
    if (x % 8 < 6) {
      out.set(x, kTopRail, plate);
      out.set(x, kBottomRail, plate);
    }
  // The slide shows columns 0 to about 160 while the scene lasts; narrower than
  // about 120 and the picture leaves the screen before the scene ends.
  if (out.width() < 120 || out.width() > 160)
    throw std::runtime_error("the title picture is " + std::to_string(out.width()) +
                             " pixels wide, outside 120..160");
  return out;
}

} // namespace

void add_scene00_recipes(cRecipeBook &book) {
  book.add("models/chamferbox2.obj",
           [] { return asset_files::obj(chamfer_box(), chamfer_box_needs()); });
  book.add("textures/orvalt_col.png", [] { return asset_files::png(title_picture(), 3); });
}
