// Program start-up, the frame loop, keyboard input and the exit handler.
// Start-up failures end the process in the step that detects them.
#pragma once

#include <cstdint>

#include "runtime/cDemoDirector.h"
#include "runtime/cDemoOptions.h"

class cShaderContainer_CG;

extern int32_t keys[256];
extern cDemoDirector *g_director;
extern cShaderContainer_CG *g_shader_container;

void init_image_library();
void poll_input();
// Whether q or Escape is held: the show should end.
bool quit_requested();
// Size in pixels of the window the frames are drawn into.
void frame_size(int32_t *width, int32_t *height);
// Creates the search path, the shader container and the director, and loads.
void setup_demo(scene_factory factory, tick_source ticks = nullptr);
void shutdown_demo();
// The window start_demo opens: windowed or full screen, its size (0 x 0:
// the show's own), or the desktop's. Without a call: the show's full screen.
void configure_window(bool windowed, int32_t width, int32_t height, bool desktop);
// Start-up steps 1 to 8: window, defaults, image library, setup, handler.
void start_demo(scene_factory factory, tick_source ticks = nullptr);
// Clears and draws the director's current frame into the back buffer.
void draw_frame();
// Swaps the drawn frame in and reports GL and image-library errors.
void present_frame();
// One frame after the director's update: draw, present, read the keyboard.
void show_frame();
// Runs frames until q or Escape; returns normally.
void run_frame_loop();
[[noreturn]] void run_demo(scene_factory factory, const cDemoOptions &options = cDemoOptions());
// The program's main: parses the options (usage and status 2 when refused),
// finds ../data and plays the show.
int demo_main(int argc, char **argv, scene_factory factory);
