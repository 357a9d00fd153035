// The shader container and the shader classes on a real GL: profile choice,
// the table, bind/unbind tracking, warnings and fatal errors with their
// messages, parameters reaching the programs, and shut-down.
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

#include "show_shaders.h"
#include "support/gl_window.h"
#include "uniform_readback.h"

#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

using testing::HasSubstr;

namespace {

const std::string kRule = "---------------------------------------------------";

const auto *const shaders = testing::AddGlobalTestEnvironment(new harness::ShowShaders);

cShaderContainer_CG &box() { return *g_shader_container; }

// A pair from any two files, without parameters.
struct FromFiles : cShader_CG {
  FromFiles(cShaderContainer_CG *c, const std::string &v, const std::string &f)
      : cShader_CG(c, c->vertex_profile, c->fragment_profile) {
    load_from_files(v, f);
  }
  void init_parameters() override {}
  void enable_parameters() override {}
  void disable_parameters() override {}
};

// Records when the container switches its parameters.
struct SpyShader : cShdXray {
  using cShdXray::cShdXray;
  void enable_parameters() override { ++enabled; }
  void disable_parameters() override {
    ++disabled;
    program_at_disable = cg_layer_current_gl_program();
  }
  int enabled = 0, disabled = 0;
  GLuint program_at_disable = 0;
};

std::string scratch(const std::string &sub) {
  std::string dir = std::string(DEMO_BINARY_DIR) + "/tests/shaders/" + sub;
  std::filesystem::create_directories(dir);
  return dir;
}

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

GLint bound_2d_on(GLenum unit) {
  GLint active = 0, bound = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  glActiveTextureARB(unit);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glActiveTextureARB(GLenum(active));
  return bound;
}

using gl_test::rotation;
using harness::uniform_values;

struct Container : testing::Test {
  void SetUp() override { box().unbind(); }
  void TearDown() override { box().unbind(); }
};

} // namespace

TEST(ContainerInit, ChoosesTheArbProfilesAndSaysSoAndUnbindNeedsAContext) {
  cShaderContainer_CG fresh;
  EXPECT_EQ(fresh.current_shader, "null_shader");
  EXPECT_EQ(fresh.context, nullptr);
  testing::internal::CaptureStdout();
  fresh.init();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Chose cg_profile:\tCG_PROFILE_ARBVP1\nChose fragment_profile: CG_PROFILE_ARBFP1\n");
  EXPECT_EQ(fresh.vertex_profile, CG_PROFILE_ARBVP1);
  EXPECT_EQ(fresh.fragment_profile, CG_PROFILE_ARBFP1);
  EXPECT_NE(fresh.context, nullptr);
  EXPECT_EQ(cgGetErrorCallback(), &shader_error_handler);

  testing::internal::CaptureStderr();
  fresh.unbind();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "unbind after init does nothing";
  EXPECT_EQ(fresh.current_shader, "null_shader");

  cShaderContainer_CG without_context;
  testing::internal::CaptureStderr();
  without_context.unbind();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "## ERROR in cShaderContainer_CG line 78: no current CG-context available!\n");
  EXPECT_EQ(without_context.current_shader, "null_shader");
}

TEST_F(Container, EveryShowShaderCompilesWithoutWarningsAndBinds) {
  const char *names[] = {"bend_shader",      "normext_shader",      "xray_shader",
                         "sc04_dstex",       "scn06_backshader",    "s07_morph_shader",
                         "s07_dstex_shader", "s07_dstex_2L_shader", "sc08_lm_shader",
                         "sc09_etex"};
  ASSERT_EQ(box().shaders.size(), 10u);
  for (const char *name : names) {
    SCOPED_TRACE(name);
    ASSERT_EQ(box().shaders.count(name), 1u);
    cShader_CG *s = box().shaders[name];
    EXPECT_NE(s->vertex_program, nullptr);
    EXPECT_NE(s->fragment_program, nullptr);
    box().bind(name);
    EXPECT_EQ(box().current_shader, name);
    EXPECT_NE(cg_layer_current_gl_program(), 0u) << "the pair linked";
    EXPECT_EQ(cgGetLastListing(box().context), nullptr) << cgGetLastListing(box().context);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  }
  EXPECT_NE(box().shaders["sc04_dstex"], box().shaders["s07_dstex_shader"])
      << "one class, two objects";

  // Every source compiles without a single remark from the compiler.
  for (const auto &entry : std::filesystem::directory_iterator(DEMO_SOURCE_DIR "/src")) {
    const std::string file = entry.path().filename().string();
    if (file.rfind("cg_", 0) != 0 || entry.path().extension() != ".cg")
      continue;
    SCOPED_TRACE(file);
    const bool vertex = file.find("_vert.cg") != std::string::npos;
    CGprogram p =
        cgCreateProgramFromFile(box().context, CG_SOURCE, entry.path().c_str(),
                                vertex ? CG_PROFILE_ARBVP1 : CG_PROFILE_ARBFP1, nullptr, nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(cgGetLastListing(box().context), nullptr) << cgGetLastListing(box().context);
    cgDestroyProgram(p);
  }
}

// Scenes bind, switch and unbind in every order; each pair is linked the first time it
// is bound and never a half or mixed pair on the way.
TEST(ContainerLinks, EachShowPairIsLinkedOnceAndNothingElse) {
  cShaderContainer_CG fresh;
  testing::internal::CaptureStdout();
  fresh.init();
  testing::internal::GetCapturedStdout();
  harness::add_show_shaders(fresh);
  std::vector<std::string> names;
  for (const auto &entry : fresh.shaders)
    names.push_back(entry.first);
  int bound = 0;
  for (const std::string &name : names) { // switching straight from one to the next
    fresh.bind(name);
    EXPECT_NE(cg_layer_current_gl_program(), 0u) << name;
    EXPECT_EQ(cg_layer_linked_pair_count(fresh.context), ++bound) << name;
  }
  for (auto it = names.rbegin(); it != names.rend(); ++it) { // with unbinds between
    fresh.unbind();
    EXPECT_EQ(cg_layer_current_gl_program(), 0u);
    fresh.bind(*it);
    EXPECT_NE(cg_layer_current_gl_program(), 0u) << *it;
  }
  for (size_t i = 0; i < names.size(); ++i) // back and forth
    fresh.bind(names[i % 2 ? 0 : names.size() - 1]);
  fresh.unbind();
  EXPECT_EQ(cg_layer_linked_pair_count(fresh.context), int(names.size()));
  EXPECT_EQ(cgGetError(), CG_NO_ERROR);
}

TEST_F(Container, UnknownNamesWarnWithTheirLineAndKeepTheCurrentShader) {
  box().bind("xray_shader");
  const GLuint xray = cg_layer_current_gl_program();
  testing::internal::CaptureStderr();
  box().bind("null_shader");
  box().bind("no_such_shader");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "#WARNING in cShaderContainer_CG line 118: trying to bind unknown shader!\n"
            "#WARNING in cShaderContainer_CG line 118: trying to bind unknown shader!\n");
  EXPECT_EQ(box().current_shader, "xray_shader");
  EXPECT_EQ(cg_layer_current_gl_program(), xray) << "profiles stay enabled";
}

TEST_F(Container, BindingAnotherShaderFirstDisablesTheBoundOnesParameters) {
  SpyShader *spy = new SpyShader(&box(), box().vertex_profile, box().fragment_profile);
  box().shaders["spy"] = spy;
  box().bind("spy");
  EXPECT_EQ(spy->enabled, 1);
  const GLuint spy_program = cg_layer_current_gl_program();
  box().bind("xray_shader");
  EXPECT_EQ(spy->disabled, 1);
  EXPECT_EQ(spy->program_at_disable, spy_program) << "parameters go before the profiles";
  EXPECT_EQ(box().current_shader, "xray_shader");
  box().unbind();
  EXPECT_EQ(spy->disabled, 1) << "only the bound shader is disabled";
  box().shaders.erase("spy");
  delete spy;

  // The bend shader's reflection texture leaves its unit when another binds.
  GLuint tex = 0;
  glGenTextures(1, &tex);
  box().set_parameters("bend_shader", int32_t(tex), 0, 0, 0);
  box().bind("bend_shader");
  auto *bend = static_cast<cShdBend *>(box().shaders["bend_shader"]);
  const GLenum unit = GL_TEXTURE0 + cg_layer_parameter_unit(bend->spheremap);
  EXPECT_EQ(GLuint(bound_2d_on(unit)), tex);
  box().bind("normext_shader");
  EXPECT_EQ(bound_2d_on(unit), 0);
  box().bind("bend_shader");
  box().unbind();
  EXPECT_EQ(bound_2d_on(unit), 0);
  EXPECT_EQ(cg_layer_current_gl_program(), 0u) << "unbind returns to fixed function";
  glDeleteTextures(1, &tex);
}

TEST_F(Container, RegisteringANameTwiceKeepsTheFirst) {
  box().add_shader<cShdXray>("twice");
  cShader_CG *first = box().shaders["twice"];
  box().add_shader<cShdDStex>("twice");
  EXPECT_EQ(box().shaders["twice"], first);
  EXPECT_NE(dynamic_cast<cShdXray *>(box().shaders["twice"]), nullptr);
  EXPECT_EQ(cgGetError(), CG_NO_ERROR) << "the newcomer was released cleanly";
  delete first;
  box().shaders.erase("twice");
}

TEST_F(Container, SettersAShaderLacksWarnAndChangeNothing) {
  auto *bend = static_cast<cShdBend *>(box().shaders["bend_shader"]);
  auto *normext = static_cast<cShdNormExt *>(box().shaders["normext_shader"]);
  const uint32_t texture = bend->texture;
  const float t = normext->t;
  const float m[16] = {};
  testing::internal::CaptureStderr();
  box().set_parameters("bend_shader", 3.0f);
  box().set_parameters("normext_shader", int32_t(7), 0, 0, 0);
  box().set_matrix_parameters("xray_shader", m, m);
  box().set_parameters("s07_morph_shader", int32_t(1), 2, 3, 4);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "# WARNING in cShader line 45, set_parameters() not implemented for this shader!\n"
            "# WARNING in cShader line 49, set_parameters() not implemented for this shader!\n"
            "# WARNING in cShader line 53, set_matrix_parameters() not implemented for this "
            "shader!\n"
            "# WARNING in cShader line 49, set_parameters() not implemented for this shader!\n");
  EXPECT_EQ(bend->texture, texture);
  EXPECT_EQ(normext->t, t);
}

TEST_F(Container, StoredValuesReachTheProgramsOnBind) {
  float inner[16], outer[16];
  rotation(30.0f, 0, 0, 1, inner);
  rotation(-75.0f, 1, 0, 0, outer);
  box().set_matrix_parameters("normext_shader", inner, outer);
  box().set_parameters("normext_shader", 2.0f);
  EXPECT_EQ(cg_layer_current_gl_program(), 0u) << "setters only store";
  box().bind("normext_shader");
  EXPECT_THAT(uniform_values("t_parm", 1), testing::ElementsAre(2.0f));
  EXPECT_THAT(uniform_values("inner_rotmat", 16), testing::Pointwise(testing::FloatEq(), inner));
  EXPECT_THAT(uniform_values("outer_rotmat", 16), testing::Pointwise(testing::FloatEq(), outer));

  box().set_parameters("s07_morph_shader", 0.345f, 9.0f, 9.0f, 9.0f);
  box().bind("s07_morph_shader");
  EXPECT_THAT(uniform_values("cur_t", 1), testing::ElementsAre(0.345f));

  box().set_matrix_parameters("bend_shader", outer, inner);
  box().bind("bend_shader");
  EXPECT_THAT(uniform_values("inner_rotmat", 16), testing::Pointwise(testing::FloatEq(), outer));
  EXPECT_THAT(uniform_values("outer_rotmat", 16), testing::Pointwise(testing::FloatEq(), inner));
}

TEST_F(Container, AMissingParameterPrintsItsLineAndTheOthersStillArrive) {
  // A source tree whose bend vertex program lacks outer_rotmat.
  const std::string root = scratch("missing_parameter");
  std::filesystem::create_directories(root + "/src");
  std::filesystem::create_directories(root + "/run");
  std::string vert = slurp(DEMO_SOURCE_DIR "/src/cg_bend_vert.cg");
  const std::string declaration = "uniform mat4 outer_rotmat;";
  ASSERT_NE(vert.find(declaration), std::string::npos);
  vert.replace(vert.find(declaration), declaration.size(), "const mat4 outer_rotmat = mat4(1.0);");
  std::ofstream(root + "/src/cg_bend_vert.cg") << vert;
  std::filesystem::copy_file(DEMO_SOURCE_DIR "/src/cg_bend_frag.cg", root + "/src/cg_bend_frag.cg",
                             std::filesystem::copy_options::overwrite_existing);
  ASSERT_EQ(chdir((root + "/run").c_str()), 0);
  testing::internal::CaptureStderr();
  box().add_shader<cShdBend>("bend_without_outer");
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_EQ(chdir(DEMO_SOURCE_DIR "/src"), 0);
  EXPECT_EQ(err, "## ERROR: unable to get shader-parameters in cShdBend, line 22\n");
  auto *bend = static_cast<cShdBend *>(box().shaders["bend_without_outer"]);
  EXPECT_NE(bend->inner_rotmat, nullptr);
  EXPECT_EQ(bend->outer_rotmat, nullptr);
  EXPECT_NE(bend->spheremap, nullptr);

  float inner[16], outer[16];
  rotation(45.0f, 0, 1, 0, inner);
  rotation(10.0f, 1, 0, 0, outer);
  box().set_matrix_parameters("bend_without_outer", inner, outer);
  box().bind("bend_without_outer");
  EXPECT_EQ(cgGetError(), CG_NO_ERROR);
  EXPECT_THAT(uniform_values("inner_rotmat", 16), testing::Pointwise(testing::FloatEq(), inner));
  box().unbind();
  box().shaders.erase("bend_without_outer");
  delete bend;
}

TEST(ContainerDeath, ACompileErrorEndsTheProcessWithTheListing) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string bad = scratch("death") + "/bad_vert.cg";
  std::ofstream(bad) << "#version 120\nvoid main() { gl_Position = no_such_value; }\n";
  EXPECT_EXIT(FromFiles(g_shader_container, bad, "../src/cg_xray_frag.cg"),
              testing::ExitedWithCode(255),
              testing::AllOf(HasSubstr("\n" + kRule + "\nthe program source did not compile\n\n"),
                             HasSubstr("bad_vert.cg"), HasSubstr("no_such_value"),
                             HasSubstr("\n" + kRule + "\nCg error, exiting...\n")));
}

TEST(ContainerDeath, MissingSourcesEndTheProcessNamingThePath) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(FromFiles(g_shader_container, "../src/no_vert.cg", "../src/cg_xray_frag.cg"),
              testing::ExitedWithCode(255),
              HasSubstr("# ERROR in cShader_CG line 47 file not found: ../src/no_vert.cg\n"));
  EXPECT_EXIT(FromFiles(g_shader_container, "../src/cg_xray_vert.cg", "../src/no_frag.cg"),
              testing::ExitedWithCode(255),
              HasSubstr("# ERROR in cShader_CG line 51 file not found: ../src/no_frag.cg\n"));
}

TEST(ContainerDeath, AProgramlessCompileWithoutAnErrorEndsWithStatusZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string bad = scratch("death") + "/bad_frag.cg";
  std::ofstream(bad) << "#version 120\nvoid main() { gl_FragColor = missing; }\n";
  EXPECT_EXIT(
      {
        cgSetErrorCallback(nullptr); // a toolkit that reports nothing
        FromFiles(g_shader_container, "../src/cg_xray_vert.cg", bad);
      },
      testing::ExitedWithCode(0),
      HasSubstr("## ERROR: cShader_CG::load_from_files() failed on " + bad + "\n"));
}

TEST(ContainerShutdown, TheContextGoesFirstAndNoProgramIsReleasedTwice) {
  std::vector<CGerror> errors;
  static std::vector<CGerror> *sink = nullptr;
  sink = &errors;
  auto *second = new cShaderContainer_CG();
  testing::internal::CaptureStdout();
  second->init();
  testing::internal::GetCapturedStdout();
  cgSetErrorCallback([] { sink->push_back(cgGetError()); });
  second->add_shader<cShdBend>("bend_shader");
  second->add_shader<cShdMorphDS>("morph");
  second->bind("bend_shader");
  CGprogram old = second->shaders["morph"]->vertex_program;
  delete second;
  EXPECT_TRUE(errors.empty()) << "no program was destroyed twice";
  EXPECT_EQ(cg_layer_current_gl_program(), 0u);
  cgGLBindProgram(old);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], CG_INVALID_PROGRAM_HANDLE_ERROR) << "the context released it";
  cgSetErrorCallback(shader_error_handler);
  g_shader_container->unbind();
}
