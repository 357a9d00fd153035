// Our own implementation of the program-toolkit calls the shaders use, over
// OpenGL 2.0 GLSL. Failing calls record an error and call the error callback;
// a zero handle means failure or absence, as callers expect.
//
// How the toolkit's model maps onto GLSL:
// - Profiles: ARBVP1 and VP20 are vertex profiles, ARBFP1, FP30 and FP20
//   fragment profiles. All compile GLSL 1.20 (compatibility profile) source.
//   ARBVP1 and ARBFP1 are supported when the GL offers the GLSL entry points
//   and shading language 1.20 or newer; VP20, FP30 and FP20 additionally need
//   the GL extension their name comes from (GL_NV_vertex_program,
//   GL_NV_fragment_program, GL_NV_register_combiners).
// - A program is one compiled shader object of its profile's stage. Only
//   complete pairs are linked into a GL program, on first use, and cached per
//   context: both profiles enabled, and a fragment program bound after the
//   last vertex program (shaders bind the vertex program, then the fragment
//   program). Anything less (one profile enabled, one program bound, a new
//   vertex program still waiting for its fragment program) draws with fixed
//   function, without an error. A pair whose fragment program declares a
//   varying that the vertex program does not declare with the same type is
//   never linked either: drawing falls back to fixed function.
// - Parameters are the uniforms a program's source declares. Values set on a
//   parameter are kept and sent whenever a pair holding its program is in use.
//   A zero parameter handle is accepted and ignored (callers keep zero
//   handles of parameters a program lacks).
// - Texture units of samplers: GLSL 1.20 cannot name a unit in the source, so
//   a sampler whose name starts with "texunitN_" (N decimal digits, e.g.
//   "texunit2_fogscale") reads unit N, set at link time; this is for units the
//   caller binds itself. Any other sampler is a texture parameter: set with
//   cgGLSetTextureParameter and bound by cgGLEnableTextureParameter on a unit
//   of the layer's own, in declaration order from unit 5 upward in fragment
//   programs and from unit 8 upward in vertex programs.
// - The listing is the GLSL compiler's (or linker's) info log of the last
//   compile or link in the context.
#pragma once

#include <GL/gl.h>

typedef int CGbool;
#define CG_FALSE 0
#define CG_TRUE 1

typedef struct cg_context_record *CGcontext;
typedef struct cg_program_record *CGprogram;
typedef struct cg_parameter_record *CGparameter;

enum CGprofile {
  CG_PROFILE_UNKNOWN = 0,
  CG_PROFILE_VP20,
  CG_PROFILE_FP20,
  CG_PROFILE_FP30,
  CG_PROFILE_ARBVP1,
  CG_PROFILE_ARBFP1,
};

enum CGenum {
  CG_UNKNOWN = 0,
  CG_SOURCE,
  CG_OBJECT,
};

enum CGerror {
  CG_NO_ERROR = 0,
  CG_COMPILER_ERROR,
  CG_FILE_READ_ERROR,
  CG_INVALID_PROFILE_ERROR,
  CG_INVALID_ENUMERANT_ERROR,
  CG_INVALID_CONTEXT_HANDLE_ERROR,
  CG_INVALID_PROGRAM_HANDLE_ERROR,
  CG_INVALID_PARAM_HANDLE_ERROR,
  CG_INVALID_PARAMETER_TYPE_ERROR,
  CG_PROGRAM_NOT_LOADED_ERROR,
  CG_PROGRAM_LINK_ERROR,
  CG_UNSUPPORTED_GL_ERROR,
  CG_INVALID_ENTRY_ERROR,
};

typedef void (*CGerrorCallbackFunc)(void);

CGbool cgGLIsProfileSupported(CGprofile profile);
void cgGLSetOptimalOptions(CGprofile profile);
void cgSetErrorCallback(CGerrorCallbackFunc callback);
CGerrorCallbackFunc cgGetErrorCallback();
CGcontext cgCreateContext();
void cgDestroyContext(CGcontext context);

// Returns the last error and clears it.
CGerror cgGetError();
const char *cgGetErrorString(CGerror error);
// The info log of the context's last compile or link; null when empty.
const char *cgGetLastListing(CGcontext context);

// program_type must be CG_SOURCE; entry must be null or "main"; args are
// ignored (no compiler options exist).
CGprogram cgCreateProgramFromFile(CGcontext context, CGenum program_type, const char *file,
                                  CGprofile profile, const char *entry, const char **args);
void cgDestroyProgram(CGprogram program);
void cgGLLoadProgram(CGprogram program);
void cgGLBindProgram(CGprogram program);
void cgGLEnableProfile(CGprofile profile);
void cgGLDisableProfile(CGprofile profile);

CGparameter cgGetNamedParameter(CGprogram program, const char *name);
// 16 floats in column order, as GL keeps matrices.
void cgGLSetMatrixParameterfc(CGparameter parameter, const float *matrix);
void cgGLSetParameter1f(CGparameter parameter, float value);
void cgGLSetTextureParameter(CGparameter parameter, GLuint texture);
void cgGLEnableTextureParameter(CGparameter parameter);
void cgGLDisableTextureParameter(CGparameter parameter);

// Introspection of the layer (tests and diagnostics).
// The GL program object in use now (0: fixed function).
GLuint cg_layer_current_gl_program();
// The texture unit a sampler parameter reads, -1 for other parameters.
int cg_layer_parameter_unit(CGparameter parameter);
// Number of linked pairs cached in the context.
int cg_layer_linked_pair_count(CGcontext context);
