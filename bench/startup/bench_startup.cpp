// Start-up of the show as the program does it, from process start to the
// first frame of scene 0 on the screen, then where the time went: each step
// of start-up and each scene's load, timed again in the warm process. Needs
// a display and the data target; run it with SDL_AUDIODRIVER=dummy.
#include "runtime/cScene.h"
#include "runtime/demo_main.h"
#include "runtime/show_scenes.h"

#include "platform/gl_extensions.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace {

double now_s() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Seconds since boot when the kernel started this process (10 ms steps).
double process_start_s() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  size_t at = text.rfind(')');
  // Fields after the command name start at field 3; start time is field 22.
  for (int field = 2; field < 22 && at != std::string::npos; ++field)
    at = text.find(' ', at + 1);
  return double(std::stoull(text.substr(at + 1))) / double(sysconf(_SC_CLK_TCK));
}

double elapsed_ms(double since) { return (now_s() - since) * 1000.0; }

} // namespace

int main() {
  const double started = process_start_s();
  const double at_main = now_s();
  if (chdir(DEMO_SOURCE_DIR "/src") != 0) {
    std::perror("chdir");
    return 1;
  }
  configure_window(true, 0, 0, false);
  start_demo(create_show_scene);
  const double loaded = now_s();
  g_director->update();
  draw_frame();
  glFinish();
  present_frame();
  const double first_frame = now_s();

  // The scenes print as they load: the figures come after, together.
  std::string reloads;
  for (int index = 0; index <= 10; ++index) {
    if (index == 3 || index == 5)
      continue;
    const double t = now_s();
    cScene *scene = create_show_scene(index, &g_director->clock);
    scene->load();
    reloads += " " + std::to_string(index) + ":" + std::to_string(int(elapsed_ms(t)));
    delete scene;
  }
  std::fflush(stdout);
  std::printf("start-up: %.0f ms (process start to main %.0f, start-up and loading %.0f, "
              "first frame %.0f)\n",
              (first_frame - started) * 1000.0, (at_main - started) * 1000.0,
              (loaded - at_main) * 1000.0, (first_frame - loaded) * 1000.0);
  std::printf("warm reload per scene, ms:%s\n", reloads.c_str());
  return 0;
}
