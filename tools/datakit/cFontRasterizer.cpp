// FreeType text rendering (see cFontRasterizer.h).
#include "cFontRasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdexcept>
#include <vector>

struct cFontRasterizer::sFreeType {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

namespace {

// Code points of UTF-8 text; a malformed byte stands for itself.
std::vector<uint32_t> code_points(const std::string &text) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size();) {
    const uint8_t c = uint8_t(text[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t cp = extra == 3 ? c & 0x07u : extra == 2 ? c & 0x0Fu : extra == 1 ? c & 0x1Fu : c;
    if (extra && i + size_t(extra) >= text.size()) {
      extra = 0;
      cp = c;
    }
    for (int k = 1; k <= extra; ++k)
      cp = (cp << 6) | (uint8_t(text[i + size_t(k)]) & 0x3Fu);
    out.push_back(cp);
    i += size_t(extra) + 1;
  }
  return out;
}

} // namespace

cFontRasterizer::cFontRasterizer(const std::string &font_path, int pixel_size)
    : ft_(new sFreeType) {
  if (FT_Init_FreeType(&ft_->library) != 0 ||
      FT_New_Face(ft_->library, font_path.c_str(), 0, &ft_->face) != 0 ||
      FT_Set_Pixel_Sizes(ft_->face, 0, FT_UInt(pixel_size)) != 0) {
    if (ft_->library)
      FT_Done_FreeType(ft_->library);
    delete ft_;
    throw std::runtime_error("cannot open the font \"" + font_path + "\"");
  }
}

cFontRasterizer::~cFontRasterizer() {
  FT_Done_Face(ft_->face);
  FT_Done_FreeType(ft_->library);
  delete ft_;
}

int cFontRasterizer::cap_height() const {
  if (FT_Load_Char(ft_->face, 'H', FT_LOAD_DEFAULT) != 0)
    return 0;
  return int(ft_->face->glyph->metrics.horiBearingY >> 6);
}

int cFontRasterizer::measure(const std::string &text, int tracking) const {
  const std::vector<uint32_t> cps = code_points(text);
  long pen = 0;
  for (size_t i = 0; i < cps.size(); ++i) {
    if (FT_Load_Char(ft_->face, cps[i], FT_LOAD_DEFAULT) == 0)
      pen += ft_->face->glyph->advance.x >> 6;
    if (i + 1 < cps.size())
      pen += tracking;
  }
  return int(pen);
}

void cFontRasterizer::draw(cImage &image, const std::string &text, int x, int baseline,
                           const rgba &colour, int tracking, bool one_bit) const {
  const FT_Int32 flags =
      one_bit ? FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME : FT_LOAD_RENDER;
  int pen = x;
  for (uint32_t cp : code_points(text)) {
    if (FT_Load_Char(ft_->face, cp, flags) != 0)
      continue;
    const FT_GlyphSlot g = ft_->face->glyph;
    const FT_Bitmap &bm = g->bitmap;
    for (unsigned row = 0; row < bm.rows; ++row)
      for (unsigned col = 0; col < bm.width; ++col) {
        const uint8_t *line = bm.buffer + long(row) * bm.pitch;
        float coverage;
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
          coverage = (line[col >> 3] & (0x80 >> (col & 7))) ? 1.0f : 0.0f;
        else
          coverage = float(line[col]) / 255.0f;
        image.blend(pen + g->bitmap_left + int(col), baseline - g->bitmap_top + int(row), colour,
                    coverage);
      }
    pen += int(g->advance.x >> 6) + tracking;
  }
}
