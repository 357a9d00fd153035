// The working directory the show reads from: one whose parent holds data/.
// Nothing fails here; without such a directory the first read says what is
// missing.
#pragma once

#include <string>

// Keeps the current directory when ../data is there, otherwise moves to the
// program's own directory when ../data is beside that. Returns the
// directory the program then runs in.
std::string enter_show_directory();
