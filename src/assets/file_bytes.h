// Reads a whole file into memory for the readers that parse bytes. A file that does
// not open is a false result; callers report it in their own words.
#pragma once

#include <string>
#include <vector>

// Replaces out with the bytes of the file at path (used as given); false, with out
// empty, when the file does not open or is a folder.
bool read_file_bytes(const std::string &path, std::vector<char> &out);
