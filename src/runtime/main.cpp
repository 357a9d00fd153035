// The demo program: plays the show from ../data and ../src; see --help.
#include "runtime/demo_main.h"
#include "runtime/show_scenes.h"

int main(int argc, char **argv) { return demo_main(argc, argv, create_show_scene); }
