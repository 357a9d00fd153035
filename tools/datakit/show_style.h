// What every picture and mesh of the show shares: its title, its palette and
// its typeface. Changing the title here changes the box grid, the credits and
// every later picture that names the show.
#pragma once

#include "rgba.h"

#include <string>

namespace show_style {

inline const std::string kTitle = "SLATE";

// The warm orange of the boxes, the object and the gear, and the dark slate
// blue of the letterbox and the fog.
constexpr rgba kOrange(1.0f, 0.5803922f, 0.0235294f);
constexpr rgba kSlate(0.11764706f, 0.2f, 0.27450982f);
constexpr rgba kWhite(1, 1, 1);

// One family from a Debian font package (fonts-dejavu-core).
inline std::string font_path(bool bold) {
  return std::string(DATAKIT_FONT_DIR) + (bold ? "/DejaVuSans-Bold.ttf" : "/DejaVuSans.ttf");
}

} // namespace show_style
