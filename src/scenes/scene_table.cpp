// Scene classes of the show; slots without a class get an empty scene.
#include "runtime/cSceneEmpty.h"
#include "runtime/show_scenes.h"

cScene *create_show_scene(int, demo_clock *clock) { return new cSceneEmpty(clock); }
