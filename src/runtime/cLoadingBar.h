// The loading bar drawn between scene loads: a white fill inside a yellow
// frame on a dark blue background. Saves and restores the enable bits.
#pragma once

class cLoadingBar {
public:
  cLoadingBar();
  ~cLoadingBar();
  void draw(float progress);
};

// Corners (x, y) of the fill quad for a progress, in drawing order.
void loading_bar_fill(float progress, float corners[8]);
