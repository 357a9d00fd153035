// Scene classes of the show; slots without a class get an empty scene.
#include "scenes/scene_table.h"

#include "runtime/cSceneEmpty.h"

cScene *create_show_scene(int, demo_clock *clock) { return new cSceneEmpty(clock); }
