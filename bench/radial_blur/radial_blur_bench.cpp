// Milliseconds per frame of the radial blur alone, in the program's window
// and GL state: each frame clears, captures the frame into the blur's render
// target (800 x 600 in a 1024 texture, mipmapped), draws it back through the
// blur's copies and waits for the GL (glFinish), as the capture tool's frame
// times do. Run under a display (scripts/with-display.sh); prints the median
// and the 95th percentile for the default blur length (50 copies) and for
// the orchid scene's (zoom 0.75: 38 copies), and the capture alone, with the
// median CPU time of the process (the GL's threads included), which a busy
// machine changes far less than the wall-clock time. Usage:
// bench_radial_blur [FRAMES] (default 60).
#include "platform/gl_extensions.h"

#include "effects/cPostRadialblur.h"
#include "platform/gl_defaults.h"
#include "support/require_display.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double now_ms() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double cpu_ms() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}

struct timing {
  double median, p95, cpu_median;
};

double median(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

timing summarise(std::vector<double> ms, const std::vector<double> &cpu) {
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], median(cpu)};
}

// Something to capture: a few coloured bands, so the copies sample a picture
// and not a cleared frame.
void draw_picture() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 1, 0, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glBegin(GL_QUADS);
  for (int band = 0; band < 8; ++band) {
    const float x0 = float(band) / 8, x1 = float(band + 1) / 8;
    glColor3f(0.2f + 0.1f * float(band % 3), 0.3f, 0.1f * float(band));
    glVertex2f(x0, 0);
    glVertex2f(x1, 0);
    glVertex2f(x1, 1);
    glVertex2f(x0, 1);
  }
  glEnd();
}

// frames timed frames after a few untimed ones; blur null: the capture only.
timing run(cPostRadialblur &blur, float zoom, bool with_blur, int frames) {
  blur.zoom = zoom;
  blur.intensity = 1.0f;
  std::vector<double> ms, cpu;
  for (int f = -5; f < frames; ++f) {
    const double start = now_ms(), cpu_start = cpu_ms();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    blur.target->begin();
    draw_picture();
    blur.target->end();
    if (with_blur)
      blur.render();
    glFinish();
    if (f >= 0) {
      ms.push_back(now_ms() - start);
      cpu.push_back(cpu_ms() - cpu_start);
    }
    SDL_GL_SwapBuffers();
  }
  return summarise(ms, cpu);
}

} // namespace

int main(int argc, char **argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  require_x_display();
  video_settings.mode_flags = SDL_OPENGL;
  init_sdl(video_settings);
  set_gl_defaults();

  cPostRadialblur blur(800, 600, 0, 4.0f);
  blur.prepare();
  blur.centre_x = 0.5f;
  blur.centre_y = 0.25f;

  const GLubyte *renderer = glGetString(GL_RENDERER);
  std::printf("radial blur, 800 x 600 target, %d frames each, renderer %s\n", frames,
              renderer ? reinterpret_cast<const char *>(renderer) : "?");
  struct {
    const char *name;
    float zoom;
    bool blur;
  } cases[] = {{"capture only", 1.0f, false},
               {"zoom 1.00, 50 copies", 1.0f, true},
               {"zoom 0.75, 38 copies", 0.75f, true}};
  for (const auto &c : cases) {
    const timing t = run(blur, c.zoom, c.blur, frames);
    std::printf("  %-22s median %7.2f ms   p95 %7.2f ms   cpu median %7.2f ms\n", c.name, t.median,
                t.p95, t.cpu_median);
  }
  SDL_Quit();
  return 0;
}
