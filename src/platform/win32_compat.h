// POSIX stand-ins for the two Windows calls the program makes.
#pragma once

#include <cstdint>

// Writes the absolute form of path into buffer (at most size bytes with the
// terminator); returns its length, the needed size if it does not fit, or 0
// on failure. file_part, when given, points at the last path component.
uint32_t GetFullPathNameA(const char *path, uint32_t size, char *buffer, char **file_part);
// Milliseconds since an arbitrary fixed point (monotonic).
uint32_t GetTickCount();
