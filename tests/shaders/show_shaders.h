// Test environment that registers every shader of the show, in the show's order,
// loading the programs from src/ as the program does; a load failure ends the run.
#pragma once

#include "shaders/cShaderContainer_CG.h"

#include "shaders/cShdBacknorm.h"
#include "shaders/cShdBend.h"
#include "shaders/cShdDStex.h"
#include "shaders/cShdDStex2L.h"
#include "shaders/cShdEnvtex.h"
#include "shaders/cShdLightmap.h"
#include "shaders/cShdMorphDS.h"
#include "shaders/cShdNormExt.h"
#include "shaders/cShdXray.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace harness {

// Registers the show's shaders in the show's order (the working directory is src/).
inline void add_show_shaders(cShaderContainer_CG &box) {
  box.add_shader<cShdBend>("bend_shader");
  box.add_shader<cShdNormExt>("normext_shader");
  box.add_shader<cShdXray>("xray_shader");
  box.add_shader<cShdDStex>("sc04_dstex");
  box.add_shader<cShdBacknorm>("scn06_backshader");
  box.add_shader<cShdMorphDS>("s07_morph_shader");
  box.add_shader<cShdDStex>("s07_dstex_shader");
  box.add_shader<cShdDStex2L>("s07_dstex_2L_shader");
  box.add_shader<cShdLightmap>("sc08_lm_shader");
  box.add_shader<cShdEnvtex>("sc09_etex");
}

struct ShowShaders : testing::Environment {
  void SetUp() override {
    ASSERT_EQ(chdir(DEMO_SOURCE_DIR "/src"), 0);
    g_shader_container = new cShaderContainer_CG();
    g_shader_container->init();
    add_show_shaders(*g_shader_container);
  }
  void TearDown() override {
    delete g_shader_container;
    g_shader_container = nullptr;
  }
};

} // namespace harness
