// Text set in one font at one pixel size through FreeType, drawn into
// pictures: anti-aliased, or one bit per pixel for pictures whose pixels are
// cells (the box grid). A font that does not open throws std::runtime_error;
// characters the font lacks draw as its missing-glyph box.
#pragma once

#include "cImage.h"

#include <string>

class cFontRasterizer {
public:
  cFontRasterizer(const std::string &font_path, int pixel_size);
  ~cFontRasterizer();
  cFontRasterizer(const cFontRasterizer &) = delete;
  cFontRasterizer &operator=(const cFontRasterizer &) = delete;

  // Height of a capital letter above the baseline, in pixels (of "H").
  int cap_height() const;
  // Advance of the UTF-8 text in pixels, with tracking extra pixels after
  // every character but the last.
  int measure(const std::string &text, int tracking = 0) const;
  // Draws text with its baseline at row `baseline` and its first pen position
  // at column x; each pixel is blended over with colour at its coverage.
  void draw(cImage &image, const std::string &text, int x, int baseline, const rgba &colour,
            int tracking = 0, bool one_bit = false) const;

private:
  struct sFreeType;
  sFreeType *ft_;
};
