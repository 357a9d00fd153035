// The show's scene classes by table index. Declared here, defined by the
// scenes above the runtime, so the runtime knows them only as cScene.
#pragma once

#include "runtime/cScene.h"

// Creates the scene class for a table index (0, 1, 2, 4, 6, 7, 8, 9, 10).
cScene *create_show_scene(int index, demo_clock *clock);
