# Debian packages installed by scripts/setup.sh.
find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
pkg_check_modules(SDL REQUIRED IMPORTED_TARGET sdl)
pkg_check_modules(SDL_MIXER REQUIRED IMPORTED_TARGET SDL_mixer)
pkg_check_modules(GLU REQUIRED IMPORTED_TARGET glu)
pkg_check_modules(DEVIL REQUIRED IMPORTED_TARGET IL ILU ILUT)
find_package(Threads REQUIRED)
