// Screen-space helpers: the pixel-exact orthographic projection and three
// full-window overlays with the blend-factor save and restore they share.
// Nothing here fails; the overlays restore the enable bits they change.
#pragma once

#include <cstdint>

// Blend factors kept by save_blend(); 0 until the first save.
extern int32_t saved_blend_src;
extern int32_t saved_blend_dst;

// One unit per pixel, origin at the lower left, depth -1..1; leaves the
// modelview matrix selected and loaded with the identity.
void begin_ortho();
void save_blend();
void restore_blend();
// Frame becomes f * (1 - frame): f = 1 inverts, f = 0 blacks out.
void overlay_invert(float f);
// 250 translucent white strips at random heights; uses 500 rand() values.
void overlay_noise();
// Moves the frame toward white by f with the blend function in force.
void overlay_flash(float f);
