// The program-toolkit layer over GLSL: profiles, compiling, errors and
// listings, parameters and their units, pair linking and the values that
// reach the GL programs.
#include "shaders/cg_runtime.h"

#include "support/gl_window.h"
#include "uniform_readback.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<CGerror> g_errors;
void record_error() { g_errors.push_back(cgGetError()); }

// One directory per process: tests of this suite run side by side and
// each rewrites its sources in SetUp.
std::string temp_dir() {
  std::string dir =
      std::string(DEMO_BINARY_DIR) + "/tests/shaders/layer_sources/" + std::to_string(getpid());
  std::filesystem::create_directories(dir);
  return dir;
}

std::string write_source(const std::string &name, const std::string &text) {
  const std::string path = temp_dir() + "/" + name;
  std::ofstream(path) << text;
  return path;
}

const char kVertexA[] = R"(#version 120
uniform mat4 turn;
uniform float amount;
uniform vec4 tint;
uniform sampler2D texunit3_side;
varying vec3 shade;
void main() {
  shade = tint.rgb * amount + texture2D(texunit3_side, vec2(0.5)).rgb * 0.001;
  gl_Position = gl_ModelViewProjectionMatrix * (turn * gl_Vertex);
}
)";

const char kFragmentA[] = R"(#version 120
uniform sampler2D picture; // a texture parameter
uniform sampler1D texunit2_scale;
uniform sampler2D second;
varying vec3 shade;
void main() {
  gl_FragColor = vec4(shade, 1.0) + texture2D(picture, vec2(0.5)) * 0.001 +
                 texture1D(texunit2_scale, 0.5) * 0.001 + texture2D(second, vec2(0.5)) * 0.001;
}
)";

// Reads a varying that kVertexA does not write.
const char kFragmentOther[] = R"(#version 120
varying vec2 elsewhere;
void main() { gl_FragColor = vec4(elsewhere, 0.0, 1.0); }
)";

const char kBroken[] = R"(#version 120
void main() {
  gl_Position = undeclared_thing * 2.0;
}
)";

// Compiles, but names a function nobody defines: only linking fails.
const char kUnlinkable[] = R"(#version 120
vec4 colour_from_nowhere();
void main() { gl_FragColor = colour_from_nowhere(); }
)";

struct Layer : testing::Test {
  CGcontext context = nullptr;
  std::string vertex_a, fragment_a, fragment_other, broken, unlinkable;

  void SetUp() override {
    g_errors.clear();
    cgSetErrorCallback(record_error);
    context = cgCreateContext();
    vertex_a = write_source("a_vert.glsl", kVertexA);
    fragment_a = write_source("a_frag.glsl", kFragmentA);
    fragment_other = write_source("other_frag.glsl", kFragmentOther);
    broken = write_source("broken_vert.glsl", kBroken);
    unlinkable = write_source("unlinkable_frag.glsl", kUnlinkable);
  }
  void TearDown() override {
    off();
    cgDestroyContext(context);
    cgSetErrorCallback(nullptr);
    std::filesystem::remove_all(temp_dir());
  }

  CGprogram make(const std::string &file, CGprofile profile) {
    CGprogram p =
        cgCreateProgramFromFile(context, CG_SOURCE, file.c_str(), profile, nullptr, nullptr);
    if (p)
      cgGLLoadProgram(p);
    return p;
  }
  // Binds first, then enables the vertex and the fragment profile.
  void use(CGprogram v, CGprogram f) {
    if (v)
      cgGLBindProgram(v);
    if (f)
      cgGLBindProgram(f);
    cgGLEnableProfile(CG_PROFILE_ARBVP1);
    cgGLEnableProfile(CG_PROFILE_ARBFP1);
  }
  void off() {
    cgGLDisableProfile(CG_PROFILE_ARBVP1);
    cgGLDisableProfile(CG_PROFILE_ARBFP1);
  }
};

using harness::uniform_values;

} // namespace

TEST_F(Layer, ArbProfilesAreSupportedAndUnknownOnesRejected) {
  EXPECT_TRUE(cgGLIsProfileSupported(CG_PROFILE_ARBVP1));
  EXPECT_TRUE(cgGLIsProfileSupported(CG_PROFILE_ARBFP1));
  EXPECT_FALSE(cgGLIsProfileSupported(CG_PROFILE_UNKNOWN));
  cgGLSetOptimalOptions(CG_PROFILE_ARBVP1);
  EXPECT_TRUE(g_errors.empty());
  cgGLSetOptimalOptions(CG_PROFILE_UNKNOWN);
  ASSERT_EQ(g_errors.size(), 1u);
  EXPECT_EQ(g_errors[0], CG_INVALID_PROFILE_ERROR);
}

TEST_F(Layer, CompileErrorCallsTheHandlerWithTheCompilersListing) {
  CGprogram p = make(broken, CG_PROFILE_ARBVP1);
  EXPECT_EQ(p, nullptr);
  ASSERT_EQ(g_errors.size(), 1u);
  EXPECT_EQ(g_errors[0], CG_COMPILER_ERROR);
  EXPECT_EQ(cgGetError(), CG_NO_ERROR) << "reading the error clears it";
  const char *listing = cgGetLastListing(context);
  ASSERT_NE(listing, nullptr);
  EXPECT_NE(std::string(listing).find("undeclared_thing"), std::string::npos) << listing;
  EXPECT_NE(std::string(listing).find("broken_vert.glsl"), std::string::npos) << listing;
  EXPECT_STRNE(cgGetErrorString(CG_COMPILER_ERROR), cgGetErrorString(CG_NO_ERROR));
}

TEST_F(Layer, BadArgumentsAreReportedNotCompiled) {
  EXPECT_EQ(make(temp_dir() + "/no_such_file.glsl", CG_PROFILE_ARBVP1), nullptr);
  EXPECT_EQ(cgCreateProgramFromFile(context, CG_OBJECT, vertex_a.c_str(), CG_PROFILE_ARBVP1,
                                    nullptr, nullptr),
            nullptr);
  EXPECT_EQ(cgCreateProgramFromFile(context, CG_SOURCE, vertex_a.c_str(), CG_PROFILE_ARBVP1,
                                    "shade_it", nullptr),
            nullptr);
  EXPECT_EQ(cgCreateProgramFromFile(nullptr, CG_SOURCE, vertex_a.c_str(), CG_PROFILE_ARBVP1,
                                    nullptr, nullptr),
            nullptr);
  const std::vector<CGerror> expect = {CG_FILE_READ_ERROR, CG_INVALID_ENUMERANT_ERROR,
                                       CG_INVALID_ENTRY_ERROR, CG_INVALID_CONTEXT_HANDLE_ERROR};
  EXPECT_EQ(g_errors, expect);
  CGprogram v = cgCreateProgramFromFile(context, CG_SOURCE, vertex_a.c_str(), CG_PROFILE_ARBVP1,
                                        "main", nullptr);
  ASSERT_NE(v, nullptr);
  cgGLBindProgram(v); // not loaded yet
  EXPECT_EQ(g_errors.back(), CG_PROGRAM_NOT_LOADED_ERROR);
}

TEST_F(Layer, ParametersAreTheDeclaredUniformsWithTheirUnits) {
  CGprogram v = make(vertex_a, CG_PROFILE_ARBVP1);
  CGprogram f = make(fragment_a, CG_PROFILE_ARBFP1);
  ASSERT_TRUE(v && f);
  EXPECT_EQ(cgGetLastListing(context), nullptr) << "a clean compile leaves no listing";
  for (const char *name : {"turn", "amount", "tint", "texunit3_side"})
    EXPECT_NE(cgGetNamedParameter(v, name), nullptr) << name;
  EXPECT_EQ(cgGetNamedParameter(v, "picture"), nullptr) << "belongs to the other program";
  EXPECT_EQ(cgGetNamedParameter(v, "shade"), nullptr) << "varyings are no parameters";
  EXPECT_TRUE(g_errors.empty()) << "an unknown name is no error";

  EXPECT_EQ(cg_layer_parameter_unit(cgGetNamedParameter(v, "texunit3_side")), 3);
  EXPECT_EQ(cg_layer_parameter_unit(cgGetNamedParameter(f, "texunit2_scale")), 2);
  EXPECT_EQ(cg_layer_parameter_unit(cgGetNamedParameter(f, "picture")), 5);
  EXPECT_EQ(cg_layer_parameter_unit(cgGetNamedParameter(f, "second")), 6);
  EXPECT_EQ(cg_layer_parameter_unit(cgGetNamedParameter(v, "amount")), -1);
}

// Each step of a container's bind, unbind and switch that leaves a stage without its
// program: drawing falls back to fixed function, nothing is linked, nothing reported.
TEST_F(Layer, HalfPairsFallBackToFixedFunctionWithoutLinking) {
  CGprogram v = make(vertex_a, CG_PROFILE_ARBVP1);
  CGprogram f = make(fragment_a, CG_PROFILE_ARBFP1);
  CGprogram v2 = make(vertex_a, CG_PROFILE_ARBVP1);
  const auto expect_fixed = [&](const char *step, int pairs) {
    EXPECT_EQ(cg_layer_current_gl_program(), 0u) << step;
    EXPECT_EQ(cg_layer_linked_pair_count(context), pairs) << step;
  };
  cgGLEnableProfile(CG_PROFILE_ARBVP1);
  cgGLEnableProfile(CG_PROFILE_ARBFP1);
  expect_fixed("profiles on, nothing bound", 0);
  cgGLBindProgram(v);
  expect_fixed("vertex program without a fragment program", 0);
  cgGLBindProgram(f);
  const GLuint linked = cg_layer_current_gl_program();
  GLint in_use = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &in_use);
  EXPECT_EQ(GLuint(in_use), linked);
  EXPECT_NE(linked, 0u);
  EXPECT_EQ(cg_layer_linked_pair_count(context), 1);
  cgGLDisableProfile(CG_PROFILE_ARBVP1);
  expect_fixed("fragment profile alone", 1);
  cgGLEnableProfile(CG_PROFILE_ARBVP1);
  cgGLDisableProfile(CG_PROFILE_ARBFP1);
  expect_fixed("vertex profile alone", 1);
  cgGLEnableProfile(CG_PROFILE_ARBFP1);
  EXPECT_EQ(cg_layer_current_gl_program(), linked) << "the cached pair is used again";
  EXPECT_EQ(cg_layer_linked_pair_count(context), 1);
  cgGLBindProgram(v2);
  expect_fixed("a new vertex program still waiting for its fragment program", 1);
  cgGLBindProgram(f);
  EXPECT_NE(cg_layer_current_gl_program(), 0u);
  EXPECT_EQ(cg_layer_linked_pair_count(context), 2);
  EXPECT_TRUE(g_errors.empty());
}

TEST_F(Layer, MismatchedVaryingsAreNeverLinkedAndNoError) {
  CGprogram v = make(vertex_a, CG_PROFILE_ARBVP1);
  CGprogram f = make(fragment_other, CG_PROFILE_ARBFP1);
  use(v, f);
  EXPECT_EQ(cg_layer_current_gl_program(), 0u);
  EXPECT_EQ(cg_layer_linked_pair_count(context), 0);
  EXPECT_TRUE(g_errors.empty());
}

TEST_F(Layer, LinkFailureReportsOnceWithTheLinkersListing) {
  CGprogram v = make(vertex_a, CG_PROFILE_ARBVP1);
  CGprogram f = make(unlinkable, CG_PROFILE_ARBFP1);
  ASSERT_NE(f, nullptr);
  use(v, f);
  ASSERT_EQ(g_errors.size(), 1u);
  EXPECT_EQ(g_errors[0], CG_PROGRAM_LINK_ERROR);
  ASSERT_NE(cgGetLastListing(context), nullptr);
  EXPECT_NE(std::string(cgGetLastListing(context)).find("colour_from_nowhere"), std::string::npos);
  EXPECT_EQ(cg_layer_current_gl_program(), 0u);
  cgGLDisableProfile(CG_PROFILE_ARBFP1);
  cgGLEnableProfile(CG_PROFILE_ARBFP1);
  EXPECT_EQ(g_errors.size(), 1u) << "a failed pair is not linked again";
}

TEST_F(Layer, ValuesSetBeforeOrDuringUseReachTheLinkedProgram) {
  CGprogram v = make(vertex_a, CG_PROFILE_ARBVP1);
  CGprogram f = make(fragment_a, CG_PROFILE_ARBFP1);
  float turn[16];
  for (int i = 0; i < 16; ++i)
    turn[i] = float(i + 1);
  cgGLSetMatrixParameterfc(cgGetNamedParameter(v, "turn"), turn);
  cgGLSetParameter1f(cgGetNamedParameter(v, "amount"), 0.25f);
  use(v, f);
  std::vector<float> got = uniform_values("turn", 16);
  ASSERT_EQ(got.size(), 16u);
  for (int i = 0; i < 16; ++i)
    EXPECT_FLOAT_EQ(got[i], turn[i]) << "column order is kept: element " << i;
  EXPECT_FLOAT_EQ(uniform_values("amount", 1).at(0), 0.25f);

  cgGLSetParameter1f(cgGetNamedParameter(v, "amount"), 0.75f);
  EXPECT_FLOAT_EQ(uniform_values("amount", 1).at(0), 0.75f) << "sent at once while in use";
  EXPECT_FLOAT_EQ(uniform_values("texunit3_side", 1).at(0), 3.0f);
  EXPECT_FLOAT_EQ(uniform_values("texunit2_scale", 1).at(0), 2.0f);
  EXPECT_TRUE(g_errors.empty());
}

TEST_F(Layer, ZeroParameterHandlesAreIgnoredAndWrongTypesRejected) {
  const float m[16] = {};
  cgGLSetMatrixParameterfc(nullptr, m);
  cgGLSetParameter1f(nullptr, 1.0f);
  cgGLSetTextureParameter(nullptr, 7);
  cgGLEnableTextureParameter(nullptr);
  cgGLDisableTextureParameter(nullptr);
  EXPECT_TRUE(g_errors.empty());

  CGprogram v = make(vertex_a, CG_PROFILE_ARBVP1);
  cgGLSetMatrixParameterfc(cgGetNamedParameter(v, "amount"), m);
  cgGLSetTextureParameter(cgGetNamedParameter(v, "turn"), 3);
  const std::vector<CGerror> expect = {CG_INVALID_PARAMETER_TYPE_ERROR,
                                       CG_INVALID_PARAMETER_TYPE_ERROR};
  EXPECT_EQ(g_errors, expect);
}

TEST_F(Layer, TextureParametersBindOnTheirOwnUnitAndLeaveTheActiveUnit) {
  CGprogram f = make(fragment_a, CG_PROFILE_ARBFP1);
  CGparameter picture = cgGetNamedParameter(f, "picture");
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  cgGLSetTextureParameter(picture, tex);
  cgGLEnableTextureParameter(picture);
  GLint active = 0, bound = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE1);
  glActiveTextureARB(GL_TEXTURE5_ARB);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), tex);

  glActiveTextureARB(GL_TEXTURE0_ARB);
  cgGLDisableTextureParameter(picture);
  glActiveTextureARB(GL_TEXTURE5_ARB);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glDeleteTextures(1, &tex);
  EXPECT_TRUE(g_errors.empty());
}

TEST_F(Layer, DestroyingABoundProgramFallsBackAndStaleHandlesAreErrors) {
  CGprogram v = make(vertex_a, CG_PROFILE_ARBVP1);
  CGprogram f = make(fragment_a, CG_PROFILE_ARBFP1);
  use(v, f);
  ASSERT_NE(cg_layer_current_gl_program(), 0u);
  const int pairs = cg_layer_linked_pair_count(context);
  cgDestroyProgram(f);
  EXPECT_LT(cg_layer_linked_pair_count(context), pairs);
  EXPECT_TRUE(g_errors.empty());
  EXPECT_EQ(cg_layer_current_gl_program(), 0u) << "a half pair is fixed function";
  cgDestroyProgram(f);
  ASSERT_EQ(g_errors.size(), 1u);
  EXPECT_EQ(g_errors[0], CG_INVALID_PROGRAM_HANDLE_ERROR);
  CGparameter stale = cgGetNamedParameter(v, "amount");
  cgDestroyProgram(v);
  EXPECT_EQ(cg_layer_current_gl_program(), 0u);
  cgGLSetParameter1f(stale, 1.0f);
  EXPECT_EQ(g_errors.back(), CG_INVALID_PARAM_HANDLE_ERROR);
}
