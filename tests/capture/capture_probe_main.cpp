// capture-probe: demo-capture with probe scenes in every scene-class slot.
// Each clears to the colour of its demo time and index (probe_colour.h);
// scene 10 ends the process at kProbeEndMs as the show's last scene does.
#include "cCaptureSession.h"
#include "probe_colour.h"

#include <GL/gl.h>

#include <cstdlib>

namespace {
class cProbeScene : public cScene {
public:
  cProbeScene(int index, demo_clock *clock) : cScene(clock), index(index) {}
  void load() override {}
  void enter() override {}
  void leave() override {}
  void on_event(const demo_event *) override {}
  void update() override {
    if (index == 10 && clock->demo_time() >= kProbeEndMs)
      std::exit(0);
  }
  void render() override {
    probe_colour c = probe_colour::of(clock->demo_time(), index);
    glClearColor(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // The empty scenes draw nothing: they must show black, not this colour.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  }

private:
  int index;
};

cScene *make_probe_scene(int index, demo_clock *clock) { return new cProbeScene(index, clock); }
} // namespace

int main(int argc, char **argv) { return run_capture(argc, argv, make_probe_scene); }
