# The engine as layers, one static library per folder of src/, bottom first.
# Each layer names the lower layers and the third-party libraries it uses.
# It compiles against an include tree of its own in the build folder that
# holds only its own folder and what it may see below, so an include that
# climbs ("scenes/..." from assets, say) fails to compile.
set(DEMO_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)
set(DEMO_SUBSYSTEMS)

# Folder of src/ that a layer compiles (rar is the archive's byte-level code).
function(demo_layer_dir layer out)
  if(layer STREQUAL "rar")
    set(${out} archive/rar PARENT_SCOPE)
  else()
    set(${out} ${layer} PARENT_SCOPE)
  endif()
endfunction()

# demo_layer(NAME [USES lower layers...] [LIBS third-party targets...])
function(demo_layer name)
  cmake_parse_arguments(L "" "" "USES;LIBS" ${ARGN})
  demo_layer_dir(${name} dir)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${dir}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(engine_${name} STATIC ${sources})

  # Everything below that the layer sees: what it uses and what they see.
  set(visible ${name})
  foreach(lower ${L_USES})
    get_property(seen GLOBAL PROPERTY DEMO_LAYER_SEES_${lower})
    list(APPEND visible ${seen})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  set_property(GLOBAL PROPERTY DEMO_LAYER_SEES_${name} ${visible})

  set(tree ${DEMO_LAYER_ROOT}/${name})
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree})
  foreach(layer ${visible})
    demo_layer_dir(${layer} sub)
    # The archive's folder holds rar: seeing the archive means seeing both.
    if(layer STREQUAL "rar" AND "archive" IN_LIST visible)
      continue()
    endif()
    get_filename_component(parent ${tree}/${sub} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${sub} ${tree}/${sub} SYMBOLIC)
  endforeach()

  target_include_directories(engine_${name} PUBLIC $<BUILD_INTERFACE:${tree}>)
  list(TRANSFORM L_USES PREPEND engine_ OUTPUT_VARIABLE lower_targets)
  target_link_libraries(engine_${name} PUBLIC ${lower_targets} ${L_LIBS})
  target_compile_options(engine_${name} PRIVATE -Wall -Wextra)
  set(DEMO_SUBSYSTEMS ${DEMO_SUBSYSTEMS} ${name} PARENT_SCOPE)
endfunction()

demo_layer(platform LIBS PkgConfig::SDL PkgConfig::GLU PkgConfig::DEVIL OpenGL::GL)
demo_layer(audio LIBS PkgConfig::SDL PkgConfig::SDL_MIXER Threads::Threads)
demo_layer(rar USES platform)
demo_layer(assets USES platform rar LIBS PkgConfig::GLU PkgConfig::DEVIL OpenGL::GL m)
demo_layer(archive USES assets rar platform LIBS OpenGL::GL m)
demo_layer(shaders USES platform LIBS PkgConfig::SDL OpenGL::GL)
demo_layer(effects USES platform LIBS PkgConfig::GLU OpenGL::GL m)
demo_layer(runtime USES platform audio assets shaders
  LIBS PkgConfig::SDL PkgConfig::GLU PkgConfig::DEVIL OpenGL::GL m)
demo_layer(scenes USES runtime effects shaders archive assets audio platform rar
  LIBS OpenGL::GL PkgConfig::GLU PkgConfig::DEVIL m)

# The whole engine with the whole of src/ in view, for the program, tools
# and tests.
add_library(engine INTERFACE)
target_include_directories(engine INTERFACE ${CMAKE_SOURCE_DIR}/src)
foreach(sub ${DEMO_SUBSYSTEMS})
  target_link_libraries(engine INTERFACE engine_${sub})
endforeach()

# Third-party libraries and the full view of src/ for code outside the
# layers (tools, tests) that links no engine layer or only some of them.
add_library(engine_deps INTERFACE)
target_include_directories(engine_deps INTERFACE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(engine_deps INTERFACE
  PkgConfig::SDL PkgConfig::SDL_MIXER PkgConfig::GLU PkgConfig::DEVIL
  OpenGL::GL Threads::Threads m)
target_compile_options(engine_deps INTERFACE -Wall -Wextra)

# demo_link_subsystems(target layer...) links the named layers (and what
# they use) into a target that needs only part of the engine.
function(demo_link_subsystems target)
  list(TRANSFORM ARGN PREPEND engine_ OUTPUT_VARIABLE layers)
  target_link_libraries(${target} PRIVATE ${layers} engine_deps)
endfunction()
