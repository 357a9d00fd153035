// Scene classes of the show; slots without a class get an empty scene.
#include "runtime/cSceneEmpty.h"
#include "runtime/show_scenes.h"
#include "scenes/cScene00.h"
#include "scenes/cScene01.h"
#include "scenes/cScene02.h"
#include "scenes/cScene04.h"
#include "scenes/cScene06.h"
#include "scenes/cScene07.h"
#include "scenes/cScene08.h"
#include "scenes/cScene09.h"
#include "scenes/cScene10.h"

cScene *create_show_scene(int index, demo_clock *clock) {
  switch (index) {
  case 0:
    return new cScene00(clock);
  case 1:
    return new cScene01(clock);
  case 2:
    return new cScene02(clock);
  case 4:
    return new cScene04(clock);
  case 6:
    return new cScene06(clock);
  case 7:
    return new cScene07(clock);
  case 8:
    return new cScene08(clock);
  case 9:
    return new cScene09(clock);
  case 10:
    return new cScene10(clock);
  default:
    return new cSceneEmpty(clock);
  }
}
