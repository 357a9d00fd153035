// The demo program: takes no options, runs the show from ../data and ../src.
#include "runtime/demo_main.h"
#include "runtime/show_scenes.h"

int main(int, char **) { run_demo(create_show_scene); }
