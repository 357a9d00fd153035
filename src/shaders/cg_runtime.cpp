// The program-toolkit calls over GLSL: compiling, pairing, linking and feeding
// programs. Failures set the error code and call the error callback; the
// callback may end the process, otherwise the call returns a zero result.
#include "platform/gl_extensions.h"

#include "shaders/cg_runtime.h"

#include <SDL/SDL.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct cg_program_record;

struct cg_parameter_record {
  cg_program_record *program = nullptr;
  std::string name;
  std::string type;
  GLenum sampler_target = 0; // 0: not a sampler
  int unit = -1;
  float value[16] = {};
  bool has_value = false;
  GLuint texture = 0;
};

struct cg_program_record {
  cg_context_record *context = nullptr;
  CGprofile profile = CG_PROFILE_UNKNOWN;
  GLenum stage = 0;
  GLuint shader = 0;
  bool loaded = false;
  std::string file;
  std::vector<std::unique_ptr<cg_parameter_record>> parameters;
  std::map<std::string, std::string> varyings; // name -> type
};

namespace {

struct linked_pair {
  GLuint program = 0;
  bool ok = false;
  std::vector<std::pair<cg_parameter_record *, GLint>> locations;
};

using pair_key = std::pair<cg_program_record *, cg_program_record *>;

} // namespace

struct cg_context_record {
  std::vector<cg_program_record *> programs;
  std::map<pair_key, linked_pair> pairs;
  std::string listing;
};

namespace {

constexpr int kFirstFragmentParameterUnit = 5;
constexpr int kFirstVertexParameterUnit = 8;

struct glsl_entries {
  gl_entry<PFNGLCREATESHADERPROC> create_shader;
  gl_entry<PFNGLSHADERSOURCEPROC> shader_source;
  gl_entry<PFNGLCOMPILESHADERPROC> compile_shader;
  gl_entry<PFNGLGETSHADERIVPROC> get_shader_iv;
  gl_entry<PFNGLGETSHADERINFOLOGPROC> get_shader_info_log;
  gl_entry<PFNGLDELETESHADERPROC> delete_shader;
  gl_entry<PFNGLCREATEPROGRAMPROC> create_program;
  gl_entry<PFNGLATTACHSHADERPROC> attach_shader;
  gl_entry<PFNGLLINKPROGRAMPROC> link_program;
  gl_entry<PFNGLGETPROGRAMIVPROC> get_program_iv;
  gl_entry<PFNGLGETPROGRAMINFOLOGPROC> get_program_info_log;
  gl_entry<PFNGLUSEPROGRAMPROC> use_program;
  gl_entry<PFNGLDELETEPROGRAMPROC> delete_program;
  gl_entry<PFNGLGETUNIFORMLOCATIONPROC> get_uniform_location;
  gl_entry<PFNGLUNIFORM1IPROC> uniform_1i;
  gl_entry<PFNGLUNIFORM1FVPROC> uniform_1fv;
  gl_entry<PFNGLUNIFORM2FVPROC> uniform_2fv;
  gl_entry<PFNGLUNIFORM3FVPROC> uniform_3fv;
  gl_entry<PFNGLUNIFORM4FVPROC> uniform_4fv;
  gl_entry<PFNGLUNIFORMMATRIX2FVPROC> uniform_matrix_2fv;
  gl_entry<PFNGLUNIFORMMATRIX3FVPROC> uniform_matrix_3fv;
  gl_entry<PFNGLUNIFORMMATRIX4FVPROC> uniform_matrix_4fv;
  gl_entry<PFNGLACTIVETEXTUREPROC> active_texture;
};

struct layer_state {
  glsl_entries gl;
  bool resolved = false;
  CGerror last_error = CG_NO_ERROR;
  CGerrorCallbackFunc callback = nullptr;
  std::set<cg_context_record *> contexts;
  std::set<cg_program_record *> programs;
  std::set<cg_parameter_record *> parameters;
  cg_program_record *bound_vertex = nullptr;
  cg_program_record *bound_fragment = nullptr;
  // A vertex program bound since the last fragment program: the pair is not complete.
  bool fragment_pending = false;
  bool vertex_enabled = false;
  bool fragment_enabled = false;
  GLuint current_program = 0;
  linked_pair *current_pair = nullptr;
};

layer_state &state() {
  static layer_state s;
  return s;
}

void *proc(const char *name) { return SDL_GL_GetProcAddress(name); }

// Resolves the GLSL entry points; retried until a GL context hands them out.
bool glsl_entry_points() {
  layer_state &s = state();
  if (s.resolved)
    return true;
  glsl_entries &g = s.gl;
  g.create_shader = proc("glCreateShader");
  g.shader_source = proc("glShaderSource");
  g.compile_shader = proc("glCompileShader");
  g.get_shader_iv = proc("glGetShaderiv");
  g.get_shader_info_log = proc("glGetShaderInfoLog");
  g.delete_shader = proc("glDeleteShader");
  g.create_program = proc("glCreateProgram");
  g.attach_shader = proc("glAttachShader");
  g.link_program = proc("glLinkProgram");
  g.get_program_iv = proc("glGetProgramiv");
  g.get_program_info_log = proc("glGetProgramInfoLog");
  g.use_program = proc("glUseProgram");
  g.delete_program = proc("glDeleteProgram");
  g.get_uniform_location = proc("glGetUniformLocation");
  g.uniform_1i = proc("glUniform1i");
  g.uniform_1fv = proc("glUniform1fv");
  g.uniform_2fv = proc("glUniform2fv");
  g.uniform_3fv = proc("glUniform3fv");
  g.uniform_4fv = proc("glUniform4fv");
  g.uniform_matrix_2fv = proc("glUniformMatrix2fv");
  g.uniform_matrix_3fv = proc("glUniformMatrix3fv");
  g.uniform_matrix_4fv = proc("glUniformMatrix4fv");
  g.active_texture = proc("glActiveTexture");
  s.resolved = g.create_shader && g.shader_source && g.compile_shader && g.get_shader_iv &&
               g.get_shader_info_log && g.delete_shader && g.create_program && g.attach_shader &&
               g.link_program && g.get_program_iv && g.get_program_info_log && g.use_program &&
               g.delete_program && g.get_uniform_location && g.uniform_1i && g.uniform_1fv &&
               g.uniform_2fv && g.uniform_3fv && g.uniform_4fv && g.uniform_matrix_2fv &&
               g.uniform_matrix_3fv && g.uniform_matrix_4fv && g.active_texture;
  return s.resolved;
}

void raise(CGerror error) {
  layer_state &s = state();
  s.last_error = error;
  if (s.callback)
    s.callback();
}

bool is_vertex_profile(CGprofile p) { return p == CG_PROFILE_ARBVP1 || p == CG_PROFILE_VP20; }
bool is_fragment_profile(CGprofile p) {
  return p == CG_PROFILE_ARBFP1 || p == CG_PROFILE_FP30 || p == CG_PROFILE_FP20;
}

bool glsl_120_available() {
  if (!glsl_entry_points())
    return false;
  const char *version = reinterpret_cast<const char *>(glGetString(GL_SHADING_LANGUAGE_VERSION));
  if (!version)
    return false;
  int major = 0, minor = 0;
  if (std::sscanf(version, "%d.%d", &major, &minor) != 2)
    return false;
  return major > 1 || (major == 1 && minor >= 20);
}

bool valid_context(CGcontext c) { return c && state().contexts.count(c); }
bool valid_program(CGprogram p) { return p && state().programs.count(p); }

// Validates a program handle, raising the handle error for a bad one.
bool checked_program(CGprogram p) {
  if (valid_program(p))
    return true;
  raise(CG_INVALID_PROGRAM_HANDLE_ERROR);
  return false;
}

// --- source scanning: the uniforms and varyings a GLSL source declares ---

std::vector<std::string> tokenize(const std::string &src) {
  std::vector<std::string> tokens;
  size_t i = 0, n = src.size();
  bool line_start = true;
  while (i < n) {
    char c = src[i];
    if (c == '\n') {
      line_start = true;
      ++i;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    if (c == '#' && line_start) { // preprocessor line, with continuations
      while (i < n && !(src[i] == '\n' && src[i - 1] != '\\'))
        ++i;
      continue;
    }
    line_start = false;
    if (c == '/' && i + 1 < n && src[i + 1] == '/') {
      while (i < n && src[i] != '\n')
        ++i;
      continue;
    }
    if (c == '/' && i + 1 < n && src[i + 1] == '*') {
      size_t end = src.find("*/", i + 2);
      i = end == std::string::npos ? n : end + 2;
      continue;
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t start = i;
      while (i < n && (std::isalnum(static_cast<unsigned char>(src[i])) || src[i] == '_'))
        ++i;
      tokens.push_back(src.substr(start, i - start));
      continue;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
      size_t start = i;
      while (i < n && (std::isalnum(static_cast<unsigned char>(src[i])) || src[i] == '.'))
        ++i;
      tokens.push_back(src.substr(start, i - start));
      continue;
    }
    tokens.emplace_back(1, c);
    ++i;
  }
  return tokens;
}

bool is_qualifier(const std::string &t) {
  static const char *const words[] = {"lowp",   "mediump",       "highp", "centroid", "invariant",
                                      "smooth", "noperspective", "flat",  "const"};
  for (const char *w : words)
    if (t == w)
      return true;
  return false;
}

GLenum sampler_target_of(const std::string &type) {
  if (type == "sampler1D")
    return GL_TEXTURE_1D;
  if (type == "sampler2D")
    return GL_TEXTURE_2D;
  if (type == "sampler3D")
    return GL_TEXTURE_3D;
  if (type == "samplerCube")
    return GL_TEXTURE_CUBE_MAP;
  return 0;
}

// Unit named by a "texunitN_" prefix, or -1.
int fixed_unit_of(const std::string &name) {
  static const char prefix[] = "texunit";
  const size_t len = sizeof(prefix) - 1;
  if (name.compare(0, len, prefix) != 0)
    return -1;
  size_t i = len;
  int unit = 0;
  while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) {
    unit = unit * 10 + (name[i] - '0');
    if (unit > 1000)
      return -1;
    ++i;
  }
  if (i == len || i >= name.size() || name[i] != '_')
    return -1;
  return unit;
}

void scan_declarations(cg_program_record *p, const std::string &src) {
  std::vector<std::string> tk = tokenize(src);
  int depth = 0;
  int next_unit =
      p->stage == GL_VERTEX_SHADER ? kFirstVertexParameterUnit : kFirstFragmentParameterUnit;
  for (size_t i = 0; i < tk.size(); ++i) {
    if (tk[i] == "{" || tk[i] == "(") {
      ++depth;
      continue;
    }
    if (tk[i] == "}" || tk[i] == ")") {
      --depth;
      continue;
    }
    if (depth != 0 || (tk[i] != "uniform" && tk[i] != "varying"))
      continue;
    const bool uniform = tk[i] == "uniform";
    size_t j = i + 1;
    while (j < tk.size() && is_qualifier(tk[j]))
      ++j;
    if (j >= tk.size() || tk[j] == "struct")
      continue;
    const std::string type = tk[j++];
    while (j < tk.size() && tk[j] != ";") {
      if (tk[j] == ",") {
        ++j;
        continue;
      }
      if (tk[j] == "[") { // array size: skip to the closing bracket
        while (j < tk.size() && tk[j] != "]")
          ++j;
        ++j;
        continue;
      }
      if (tk[j] == "=") { // initialiser: skip to the next declarator
        int nest = 0;
        while (j < tk.size() && !(nest == 0 && (tk[j] == "," || tk[j] == ";"))) {
          if (tk[j] == "(")
            ++nest;
          if (tk[j] == ")")
            --nest;
          ++j;
        }
        continue;
      }
      const std::string name = tk[j++];
      if (!uniform) {
        p->varyings[name] = type;
        continue;
      }
      auto param = std::make_unique<cg_parameter_record>();
      param->program = p;
      param->name = name;
      param->type = type;
      param->sampler_target = sampler_target_of(type);
      if (param->sampler_target) {
        int fixed = fixed_unit_of(name);
        param->unit = fixed >= 0 ? fixed : next_unit++;
      }
      state().parameters.insert(param.get());
      p->parameters.push_back(std::move(param));
    }
    i = j;
  }
}

// --- pairing, linking and feeding ---

// The info log of a shader or program object, without its terminator.
template <typename GetIv, typename GetLog>
std::string info_log(GLuint object, const GetIv &get_iv, const GetLog &get_log) {
  GLint length = 0;
  get_iv(object, GL_INFO_LOG_LENGTH, &length);
  std::string log(length > 0 ? length : 0, '\0');
  if (length > 0)
    get_log(object, length, nullptr, &log[0]);
  log.resize(std::strlen(log.c_str()));
  return log;
}

void upload(const cg_parameter_record *param, GLint location) {
  if (location < 0)
    return;
  glsl_entries &g = state().gl;
  const std::string &t = param->type;
  if (param->sampler_target) {
    g.uniform_1i(location, param->unit);
    return;
  }
  if (!param->has_value)
    return;
  if (t == "float")
    g.uniform_1fv(location, 1, param->value);
  else if (t == "vec2")
    g.uniform_2fv(location, 1, param->value);
  else if (t == "vec3")
    g.uniform_3fv(location, 1, param->value);
  else if (t == "vec4")
    g.uniform_4fv(location, 1, param->value);
  else if (t == "mat2")
    g.uniform_matrix_2fv(location, 1, GL_FALSE, param->value);
  else if (t == "mat3")
    g.uniform_matrix_3fv(location, 1, GL_FALSE, param->value);
  else if (t == "mat4")
    g.uniform_matrix_4fv(location, 1, GL_FALSE, param->value);
}

bool varyings_match(const cg_program_record *v, const cg_program_record *f) {
  for (const auto &entry : f->varyings) {
    auto it = v->varyings.find(entry.first);
    if (it == v->varyings.end() || it->second != entry.second)
      return false;
  }
  return true;
}

void use_program(GLuint program, linked_pair *pair) {
  layer_state &s = state();
  if (s.current_program != program)
    s.gl.use_program(program);
  s.current_program = program;
  s.current_pair = pair;
  if (pair)
    for (const auto &loc : pair->locations)
      upload(loc.first, loc.second);
}

linked_pair *link_pair(cg_program_record *v, cg_program_record *f) {
  cg_context_record *ctx = v->context;
  pair_key key(v, f);
  auto found = ctx->pairs.find(key);
  if (found != ctx->pairs.end())
    return &found->second;
  glsl_entries &g = state().gl;
  linked_pair &pair = ctx->pairs[key];
  pair.program = g.create_program();
  g.attach_shader(pair.program, v->shader);
  g.attach_shader(pair.program, f->shader);
  g.link_program(pair.program);
  GLint status = 0;
  g.get_program_iv(pair.program, GL_LINK_STATUS, &status);
  const std::string log = info_log(pair.program, g.get_program_iv, g.get_program_info_log);
  pair.ok = status == GL_TRUE;
  if (!pair.ok) {
    ctx->listing = log;
    raise(CG_PROGRAM_LINK_ERROR);
    return &pair;
  }
  if (!log.empty())
    ctx->listing = log;
  for (cg_program_record *p : {v, f}) {
    for (const auto &param : p->parameters)
      pair.locations.emplace_back(param.get(),
                                  g.get_uniform_location(pair.program, param->name.c_str()));
  }
  return &pair;
}

// Puts the bound pair into use once it is complete: both profiles enabled, and a
// fragment program bound after the vertex program, as shaders bind them. Anything
// less is fixed function; linking it would cost a link per intermediate state and
// some drivers refuse a fragment program alone.
void refresh() {
  layer_state &s = state();
  if (!s.resolved)
    return;
  cg_program_record *v = s.vertex_enabled ? s.bound_vertex : nullptr;
  cg_program_record *f = s.fragment_enabled && !s.fragment_pending ? s.bound_fragment : nullptr;
  if (!v || !f || !varyings_match(v, f)) {
    use_program(0, nullptr);
    return;
  }
  linked_pair *pair = link_pair(v, f);
  if (!pair->ok) {
    use_program(0, nullptr);
    return;
  }
  use_program(pair->program, pair);
}

bool in_use(const cg_parameter_record *param) {
  const layer_state &s = state();
  const cg_program_record *p = param->program;
  return s.current_pair && ((p == s.bound_vertex && s.vertex_enabled) ||
                            (p == s.bound_fragment && s.fragment_enabled));
}

void send_now(const cg_parameter_record *param) {
  if (!in_use(param))
    return;
  for (const auto &loc : state().current_pair->locations)
    if (loc.first == param)
      upload(param, loc.second);
}

// Validates a parameter handle; zero handles are silently accepted (false).
cg_parameter_record *checked_parameter(CGparameter param) {
  if (!param)
    return nullptr;
  if (!state().parameters.count(param)) {
    raise(CG_INVALID_PARAM_HANDLE_ERROR);
    return nullptr;
  }
  return param;
}

// A parameter handle that must name a sampler; null when it does not.
cg_parameter_record *checked_sampler(CGparameter param) {
  cg_parameter_record *p = checked_parameter(param);
  if (p && !p->sampler_target) {
    raise(CG_INVALID_PARAMETER_TYPE_ERROR);
    return nullptr;
  }
  return p;
}

void bind_texture_on_unit(int unit, GLenum target, GLuint texture) {
  glsl_entries &g = state().gl;
  GLint active = GL_TEXTURE0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  g.active_texture(GL_TEXTURE0 + unit);
  glBindTexture(target, texture);
  g.active_texture(static_cast<GLenum>(active));
}

std::string read_file(const char *path, bool *ok) {
  std::string text;
  *ok = false;
  FILE *f = path ? std::fopen(path, "rb") : nullptr;
  if (!f)
    return text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    text.append(buffer, got);
  *ok = !std::ferror(f);
  std::fclose(f);
  return text;
}

void destroy_program_record(cg_program_record *p) {
  layer_state &s = state();
  if (s.bound_vertex == p)
    s.bound_vertex = nullptr;
  if (s.bound_fragment == p)
    s.bound_fragment = nullptr;
  for (cg_context_record *ctx : s.contexts) {
    for (auto it = ctx->pairs.begin(); it != ctx->pairs.end();) {
      if (it->first.first != p && it->first.second != p) {
        ++it;
        continue;
      }
      if (s.current_pair == &it->second)
        use_program(0, nullptr);
      s.gl.delete_program(it->second.program);
      it = ctx->pairs.erase(it);
    }
  }
  for (const auto &param : p->parameters)
    s.parameters.erase(param.get());
  if (p->shader)
    s.gl.delete_shader(p->shader);
  auto &list = p->context->programs;
  for (auto it = list.begin(); it != list.end(); ++it)
    if (*it == p) {
      list.erase(it);
      break;
    }
  s.programs.erase(p);
  delete p;
}

void set_profile_enabled(CGprofile profile, bool enabled) {
  if (is_vertex_profile(profile))
    state().vertex_enabled = enabled;
  else if (is_fragment_profile(profile))
    state().fragment_enabled = enabled;
  else {
    raise(CG_INVALID_PROFILE_ERROR);
    return;
  }
  refresh();
}

} // namespace

CGbool cgGLIsProfileSupported(CGprofile profile) {
  if (!is_vertex_profile(profile) && !is_fragment_profile(profile))
    return CG_FALSE;
  if (!glsl_120_available())
    return CG_FALSE;
  switch (profile) {
  case CG_PROFILE_VP20:
    return has_gl_extension("GL_NV_vertex_program") ? CG_TRUE : CG_FALSE;
  case CG_PROFILE_FP30:
    return has_gl_extension("GL_NV_fragment_program") ? CG_TRUE : CG_FALSE;
  case CG_PROFILE_FP20:
    return has_gl_extension("GL_NV_register_combiners") ? CG_TRUE : CG_FALSE;
  default:
    return CG_TRUE;
  }
}

void cgGLSetOptimalOptions(CGprofile profile) {
  // GLSL has no per-profile compiler options; only the profile is checked.
  if (!is_vertex_profile(profile) && !is_fragment_profile(profile))
    raise(CG_INVALID_PROFILE_ERROR);
}

void cgSetErrorCallback(CGerrorCallbackFunc callback) { state().callback = callback; }
CGerrorCallbackFunc cgGetErrorCallback() { return state().callback; }

CGcontext cgCreateContext() {
  cg_context_record *ctx = new cg_context_record;
  state().contexts.insert(ctx);
  return ctx;
}

void cgDestroyContext(CGcontext context) {
  if (!valid_context(context)) {
    raise(CG_INVALID_CONTEXT_HANDLE_ERROR);
    return;
  }
  while (!context->programs.empty())
    destroy_program_record(context->programs.back());
  layer_state &s = state();
  for (auto &entry : context->pairs) { // pairs only ever hold this context's programs
    if (s.current_pair == &entry.second)
      use_program(0, nullptr);
    s.gl.delete_program(entry.second.program);
  }
  s.contexts.erase(context);
  delete context;
  refresh();
}

CGerror cgGetError() {
  CGerror e = state().last_error;
  state().last_error = CG_NO_ERROR;
  return e;
}

const char *cgGetErrorString(CGerror error) {
  switch (error) {
  case CG_NO_ERROR:
    return "no error";
  case CG_COMPILER_ERROR:
    return "the program source did not compile";
  case CG_FILE_READ_ERROR:
    return "the program source file could not be read";
  case CG_INVALID_PROFILE_ERROR:
    return "invalid profile";
  case CG_INVALID_ENUMERANT_ERROR:
    return "invalid enumerant (only source programs are accepted)";
  case CG_INVALID_CONTEXT_HANDLE_ERROR:
    return "invalid context handle";
  case CG_INVALID_PROGRAM_HANDLE_ERROR:
    return "invalid program handle";
  case CG_INVALID_PARAM_HANDLE_ERROR:
    return "invalid parameter handle";
  case CG_INVALID_PARAMETER_TYPE_ERROR:
    return "the parameter's type does not take this value";
  case CG_PROGRAM_NOT_LOADED_ERROR:
    return "the program was bound before it was loaded";
  case CG_PROGRAM_LINK_ERROR:
    return "the vertex and fragment programs did not link";
  case CG_UNSUPPORTED_GL_ERROR:
    return "the GL offers no GLSL 1.20 support";
  case CG_INVALID_ENTRY_ERROR:
    return "the entry function must be main";
  }
  return "unknown error";
}

const char *cgGetLastListing(CGcontext context) {
  if (!valid_context(context) || context->listing.empty())
    return nullptr;
  return context->listing.c_str();
}

CGprogram cgCreateProgramFromFile(CGcontext context, CGenum program_type, const char *file,
                                  CGprofile profile, const char *entry, const char **args) {
  (void)args;
  if (!valid_context(context)) {
    raise(CG_INVALID_CONTEXT_HANDLE_ERROR);
    return nullptr;
  }
  if (program_type != CG_SOURCE) {
    raise(CG_INVALID_ENUMERANT_ERROR);
    return nullptr;
  }
  if (!is_vertex_profile(profile) && !is_fragment_profile(profile)) {
    raise(CG_INVALID_PROFILE_ERROR);
    return nullptr;
  }
  if (entry && std::strcmp(entry, "main") != 0) {
    raise(CG_INVALID_ENTRY_ERROR);
    return nullptr;
  }
  if (!glsl_entry_points()) {
    raise(CG_UNSUPPORTED_GL_ERROR);
    return nullptr;
  }
  bool ok = false;
  std::string source = read_file(file, &ok);
  if (!ok) {
    context->listing = std::string("cannot read ") + (file ? file : "(null)");
    raise(CG_FILE_READ_ERROR);
    return nullptr;
  }
  glsl_entries &g = state().gl;
  GLenum stage = is_vertex_profile(profile) ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER;
  GLuint shader = g.create_shader(stage);
  const GLchar *text = source.c_str();
  GLint length = static_cast<GLint>(source.size());
  g.shader_source(shader, 1, &text, &length);
  g.compile_shader(shader);
  GLint status = 0;
  g.get_shader_iv(shader, GL_COMPILE_STATUS, &status);
  const std::string log = info_log(shader, g.get_shader_iv, g.get_shader_info_log);
  context->listing = log.empty() ? std::string() : std::string(file) + ":\n" + log;
  if (status != GL_TRUE) {
    g.delete_shader(shader);
    raise(CG_COMPILER_ERROR);
    return nullptr;
  }
  cg_program_record *p = new cg_program_record;
  p->context = context;
  p->profile = profile;
  p->stage = stage;
  p->shader = shader;
  p->file = file;
  scan_declarations(p, source);
  context->programs.push_back(p);
  state().programs.insert(p);
  return p;
}

void cgDestroyProgram(CGprogram program) {
  if (!checked_program(program))
    return;
  destroy_program_record(program);
  refresh();
}

void cgGLLoadProgram(CGprogram program) {
  if (!checked_program(program))
    return;
  program->loaded = true;
}

void cgGLBindProgram(CGprogram program) {
  if (!checked_program(program))
    return;
  if (!program->loaded) {
    raise(CG_PROGRAM_NOT_LOADED_ERROR);
    return;
  }
  layer_state &s = state();
  if (program->stage == GL_VERTEX_SHADER) {
    s.bound_vertex = program;
    s.fragment_pending = true;
  } else {
    s.bound_fragment = program;
    s.fragment_pending = false;
  }
  refresh();
}

void cgGLEnableProfile(CGprofile profile) { set_profile_enabled(profile, true); }

void cgGLDisableProfile(CGprofile profile) { set_profile_enabled(profile, false); }

CGparameter cgGetNamedParameter(CGprogram program, const char *name) {
  if (!checked_program(program))
    return nullptr;
  if (!name)
    return nullptr;
  for (const auto &param : program->parameters)
    if (param->name == name)
      return param.get();
  return nullptr;
}

void cgGLSetMatrixParameterfc(CGparameter parameter, const float *matrix) {
  cg_parameter_record *p = checked_parameter(parameter);
  if (!p || !matrix)
    return;
  if (p->type != "mat4") {
    raise(CG_INVALID_PARAMETER_TYPE_ERROR);
    return;
  }
  std::memcpy(p->value, matrix, sizeof p->value);
  p->has_value = true;
  send_now(p);
}

void cgGLSetParameter1f(CGparameter parameter, float value) {
  cg_parameter_record *p = checked_parameter(parameter);
  if (!p)
    return;
  if (p->type != "float" && p->type != "vec2" && p->type != "vec3" && p->type != "vec4") {
    raise(CG_INVALID_PARAMETER_TYPE_ERROR);
    return;
  }
  p->value[0] = value;
  p->has_value = true;
  send_now(p);
}

void cgGLSetTextureParameter(CGparameter parameter, GLuint texture) {
  cg_parameter_record *p = checked_sampler(parameter);
  if (!p)
    return;
  p->texture = texture;
}

void cgGLEnableTextureParameter(CGparameter parameter) {
  cg_parameter_record *p = checked_sampler(parameter);
  if (!p)
    return;
  bind_texture_on_unit(p->unit, p->sampler_target, p->texture);
}

void cgGLDisableTextureParameter(CGparameter parameter) {
  cg_parameter_record *p = checked_sampler(parameter);
  if (!p)
    return;
  bind_texture_on_unit(p->unit, p->sampler_target, 0);
}

GLuint cg_layer_current_gl_program() { return state().current_program; }

int cg_layer_parameter_unit(CGparameter parameter) {
  if (!parameter || !state().parameters.count(parameter))
    return -1;
  return parameter->sampler_target ? parameter->unit : -1;
}

int cg_layer_linked_pair_count(CGcontext context) {
  if (!valid_context(context))
    return 0;
  return static_cast<int>(context->pairs.size());
}
