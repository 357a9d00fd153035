# One object library per subsystem directory of src/, so a test binary can
# link only the subsystems it exercises; `engine` bundles them all.
set(DEMO_SUBSYSTEMS platform runtime audio assets archive shaders effects scenes)

add_library(engine_deps INTERFACE)
target_include_directories(engine_deps INTERFACE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(engine_deps INTERFACE
  PkgConfig::SDL PkgConfig::SDL_MIXER PkgConfig::GLU PkgConfig::DEVIL
  OpenGL::GL Threads::Threads m)
target_compile_options(engine_deps INTERFACE -Wall -Wextra)

foreach(sub ${DEMO_SUBSYSTEMS})
  file(GLOB sub_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${sub}/*.cpp)
  list(FILTER sub_sources EXCLUDE REGEX "/(main|demo_main)\\.cpp$")
  if(NOT sub_sources)
    set(sub_sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(engine_${sub} OBJECT ${sub_sources})
  target_link_libraries(engine_${sub} PUBLIC engine_deps)
endforeach()

# Program start-up and the frame loop: needs every subsystem, so it is kept
# apart from the runtime objects that unit tests link.
add_library(engine_app OBJECT ${CMAKE_SOURCE_DIR}/src/runtime/demo_main.cpp)
target_link_libraries(engine_app PUBLIC engine_deps)

add_library(engine STATIC)
foreach(sub ${DEMO_SUBSYSTEMS} app)
  target_sources(engine PRIVATE $<TARGET_OBJECTS:engine_${sub}>)
endforeach()
target_link_libraries(engine PUBLIC engine_deps)

# demo_link_subsystems(target sub...) links the object files of the named
# subsystems into an executable (tests that need only part of the engine).
function(demo_link_subsystems target)
  foreach(sub ${ARGN})
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:engine_${sub}>)
  endforeach()
  target_link_libraries(${target} PRIVATE engine_deps)
endfunction()
