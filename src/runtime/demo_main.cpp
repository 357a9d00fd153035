// Start-up order, the frame loop with its 5 ms pacing, and the exit handler.
#include "runtime/demo_main.h"

#include "assets/search_path.h"
#include "platform/gl_defaults.h"
#include "platform/gl_extensions.h"
#include "platform/picture_area.h"
#include "platform/show_directory.h"
#include "platform/video_settings.h"
#include "shaders/cShaderContainer_CG.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>
#include <SDL/SDL.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>

int32_t keys[256];
cDemoDirector *g_director = nullptr;

namespace {
constexpr int kKeyQ = 'q';
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
} // namespace

void init_image_library() {
  if (ilGetInteger(IL_VERSION_NUM) < 167 || iluGetInteger(ILU_VERSION_NUM) < 167 ||
      ilutGetInteger(ILUT_VERSION_NUM) < 167) {
    std::fprintf(stderr, "ilut version different - exiting\n");
    std::exit(-1);
  }
  ilInit();
  if (!ilutRenderer(ILUT_OPENGL)) {
    std::fprintf(stderr, "openil failed to initialize a render\n");
    std::exit(-1);
  }
  ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
  ilEnable(IL_ORIGIN_SET);
}

void poll_input() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (event.key.keysym.sym < 256)
        keys[std::tolower(event.key.keysym.sym)] = event.type == SDL_KEYDOWN ? 1 : 0;
      break;
    case SDL_QUIT:
      std::exit(0);
    default:
      break;
    }
  }
}

bool quit_requested() { return keys[kKeyQ] || keys[kKeyEscape]; }

void frame_size(int32_t *width, int32_t *height) {
  const SDL_Surface *screen = video_settings.screen;
  *width = screen ? screen->w : video_settings.width;
  *height = screen ? screen->h : video_settings.height;
}

void setup_demo(scene_factory factory, tick_source ticks) {
  for (int32_t &key : keys)
    key = 0;
  add_search_dir("../data");
  add_search_dir("../data/models");
  add_search_dir("../data/textures");
  g_shader_container = new cShaderContainer_CG();
  g_shader_container->init();
  g_director = new cDemoDirector(factory, std::move(ticks));
  g_director->load();
}

void shutdown_demo() {
  if (g_director) {
    delete g_director;
    g_director = nullptr;
  }
  if (g_shader_container) {
    delete g_shader_container;
    g_shader_container = nullptr;
  }
  SDL_Quit();
  std::fprintf(stderr, "requested exit\n");
}

void configure_window(bool windowed, int32_t width, int32_t height, bool desktop) {
  if (windowed)
    video_settings.mode_flags &= ~static_cast<uint32_t>(SDL_FULLSCREEN);
  video_settings.window_width = width;
  video_settings.window_height = height;
  video_settings.desktop = desktop;
}

void start_demo(scene_factory factory, tick_source ticks) {
  init_sdl(video_settings);
  glClearColor(0.15f, 0.15f, 0.15f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  swap_picture();
  set_gl_defaults();
  init_image_library();
  setup_demo(factory, std::move(ticks));
  check_gl_error(1);
  check_image_errors();
  std::atexit(shutdown_demo);
  poll_input();
}

void draw_frame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  g_director->render();
}

void present_frame() {
  swap_picture();
  check_gl_error(2);
  check_image_errors();
}

void show_frame() {
  draw_frame();
  present_frame();
  poll_input();
}

void run_frame_loop() {
  while (!quit_requested()) {
    if (keys[kKeySpace]) {
      std::fprintf(stderr, "b0 %d\n", g_director->clock.demo_time());
      keys[kKeySpace] = 0;
    }
    g_director->update();
    if (g_director->clock.now_ms - g_director->clock.prev_ms < 10)
      SDL_Delay(5);
    show_frame();
  }
}

void run_demo(scene_factory factory, const cDemoOptions &options) {
  configure_window(options.windowed, options.width, options.height, options.desktop);
  start_demo(factory);
  run_frame_loop();
  std::exit(0);
}

int demo_main(int argc, char **argv, scene_factory factory) {
  cDemoOptions options;
  const std::string error = options.parse(argc, argv);
  if (options.help) {
    std::fputs(cDemoOptions::usage(), stdout);
    return 0;
  }
  if (!error.empty()) {
    std::fprintf(stderr, "demo: %s\n\n%s", error.c_str(), cDemoOptions::usage());
    return 2;
  }
  enter_show_directory();
  run_demo(factory, options);
}
