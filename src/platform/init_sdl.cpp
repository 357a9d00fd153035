// Opens the full-screen GL window with the requested format, falling back to
// no multisampling. exit(0) if SDL cannot start, exit(-1) without a window.
#include "platform/video_settings.h"

#include "platform/picture_area.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>

video_settings_t video_settings;

namespace {
const SDL_GLattr kGlAttributes[kGlAttributeCount] = {
    SDL_GL_RED_SIZE,           SDL_GL_GREEN_SIZE,   SDL_GL_BLUE_SIZE,    SDL_GL_ALPHA_SIZE,
    SDL_GL_DEPTH_SIZE,         SDL_GL_DOUBLEBUFFER, SDL_GL_STENCIL_SIZE, SDL_GL_MULTISAMPLEBUFFERS,
    SDL_GL_MULTISAMPLESAMPLES, SDL_GL_STEREO};

// One "requested"/"recieved" line, from the ten attribute values in order.
void print_format(const char *label, const int32_t *v, bool blank_after_depth) {
  std::fprintf(stderr, "%s%dx%dx%dx%dx%d%s%s%s%d, stencil bits: %d\n", label, v[0], v[1], v[2],
               v[3], v[4], blank_after_depth ? " " : "",
               v[5] ? " doublebuffered " : " singlebuffered ", v[7] ? "multisample " : " ", v[8],
               v[6]);
}

void report_attribute_mismatch(video_settings_t &settings) {
  int32_t received[kGlAttributeCount];
  for (int i = 0; i < kGlAttributeCount; ++i) {
    int value = 0;
    SDL_GL_GetAttribute(kGlAttributes[i], &value);
    received[i] = value;
  }
  const int32_t *requested = settings.gl_attribute_values();
  for (int i = 0; i < kGlAttributeCount; ++i) {
    if (received[i] == requested[i])
      continue;
    std::fprintf(stderr, "# warning: init_sdl: SDL display attribute %d failed\n", i);
    print_format("requested: ", requested, true);
    print_format("recieved: ", received, false);
    std::fprintf(stderr, "---------------------\n");
    return;
  }
}
} // namespace

void init_sdl(video_settings_t &settings) {
  const SDL_version *linked = SDL_Linked_Version();
  int version = (linked->major * 10 + linked->minor) * 100 + linked->patch;
  if (version < 1207)
    std::fprintf(stderr, "# WARNING: init_sdl(): Old SDL-version detected. Get an upgrade from "
                         "http://www.libsdl.org/\n");

  if (SDL_Init(0xFFFF) < 0) {
    std::fprintf(stderr, "## ERROR: whoops, SDL failed to init: %s exiting!\n", SDL_GetError());
    std::exit(0);
  }

  const int32_t *values = settings.gl_attribute_values();
  for (int i = 0; i < kGlAttributeCount; ++i)
    SDL_GL_SetAttribute(kGlAttributes[i], values[i]);

  int32_t window_width = settings.window_width > 0 ? settings.window_width : settings.width;
  int32_t window_height = settings.window_height > 0 ? settings.window_height : settings.height;
  const SDL_VideoInfo *desktop = settings.desktop ? SDL_GetVideoInfo() : nullptr;
  if (desktop && desktop->current_w > 0 && desktop->current_h > 0) {
    window_width = desktop->current_w;
    window_height = desktop->current_h;
  }
  settings.screen =
      SDL_SetVideoMode(window_width, window_height, settings.bits_per_pixel, settings.mode_flags);
  if (!settings.screen) {
    if (settings.multisample_buffers) {
      std::fprintf(stderr, "## ERROR: Failed to get FSAA-buffer!\n");
      SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
      SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
      settings.screen = SDL_SetVideoMode(window_width, window_height, settings.bits_per_pixel,
                                         settings.mode_flags);
    }
    if (!settings.screen) {
      std::fprintf(stderr, "## ERROR: whoops, SDL didn't get screen - exiting\n");
      std::exit(-1);
    }
  }

  set_picture_area(picture_area_for(settings.screen->w, settings.screen->h), settings.screen->w,
                   settings.screen->h);
  report_attribute_mismatch(settings);
  SDL_WM_SetCaption("OpenGL", nullptr);
  SDL_ShowCursor(0);
}

void print_video_info() {
  char driver[64] = "";
  SDL_VideoDriverName(driver, sizeof driver);
  std::fprintf(stderr, "SDL using videointerface: %s\n", driver);
  const SDL_VideoInfo *info = SDL_GetVideoInfo();
  if (info)
    std::fprintf(stderr, "video mem: %u\n", info->video_mem);
  else
    std::fprintf(stderr, "# warning: couldn't get video info... whaddawecare anyway: %s\n",
                 SDL_GetError());
  SDL_Rect **modes = SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_OPENGL);
  if (!modes) {
    std::fprintf(stderr, "No modes available!\n");
  } else if (modes != reinterpret_cast<SDL_Rect **>(-1)) {
    for (int i = 0; modes[i]; ++i)
      std::fprintf(stderr, "  %d x %d\n", modes[i]->w, modes[i]->h);
  }
  auto gl_string = [](GLenum name) {
    const GLubyte *s = glGetString(name);
    return s ? reinterpret_cast<const char *>(s) : "";
  };
  std::fprintf(stderr, "Vendor:  %s\n", gl_string(GL_VENDOR));
  std::fprintf(stderr, "Renderer:%s\n", gl_string(GL_RENDERER));
  std::fprintf(stderr, "Version: %s\n", gl_string(GL_VERSION));
}
