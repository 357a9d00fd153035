// demo-capture: the show rendered off-line with a virtual clock; see --help.
// Exit status 0, 2 for a bad command line, 255 when an output failed.
#include "cCaptureSession.h"
#include "runtime/show_scenes.h"

int main(int argc, char **argv) { return run_capture(argc, argv, create_show_scene); }
