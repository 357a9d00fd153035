// A clean search path for the asset tests, and their scratch folders.
#pragma once

#include "assets/search_path.h"
#include "support/scratch_dir.h"

namespace asset_test {

inline void clear_search_path() {
  while (!search_dirs().empty())
    pop_search_dir();
}

using ::scratch_dir;

} // namespace asset_test
