// The process-wide list of data directories and the lookup that turns a bare
// or relative asset name into an absolute path. A miss is an empty string;
// callers report it in their own words.
#pragma once

#include <string>
#include <vector>

// Appends dir (with a trailing '/' added if missing) to the end of the path.
void add_search_dir(std::string dir);
// Removes the last entry; nothing happens when the path is empty.
void pop_search_dir();
// Absolute path of the first entry+name that is a regular file and opens for
// reading, or "".
std::string find_in_search_path(const std::string &name);

// The current entries, first to last (for diagnostics and tests).
const std::vector<std::string> &search_dirs();
