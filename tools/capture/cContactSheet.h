// The contact sheet: quarter-size frames in a grid, each labelled with its
// demo time and scene index, composed by ImageMagick's montage at the end.
// Failures print a line; finish() reports them by its return value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cRgbImage.h"

class cContactSheet {
public:
  cContactSheet(std::string path, int32_t columns);
  ~cContactSheet();

  // Label under a tile: "<seconds> s · scene <index>" ("scene none" when no
  // scene is current); seconds without trailing zeros.
  static std::string label(int32_t demo_ms, int32_t scene);
  // Keeps a quarter-size copy of a full frame (top row first).
  bool add(const cRgbImage &frame, int32_t demo_ms, int32_t scene);
  // Writes the sheet (once; later calls return the first result).
  bool finish();
  size_t tiles() const { return labels.size(); }

private:
  std::string path;
  int32_t columns;
  std::string work_dir;
  std::vector<std::string> labels;
  bool finished = false;
  bool result = false;
};
