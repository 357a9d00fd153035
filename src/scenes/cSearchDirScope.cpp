// A data directory on the search path for the life of the scope.
#include "scenes/cSearchDirScope.h"

#include "assets/search_path.h"

cSearchDirScope::cSearchDirScope(const std::string &dir) { add_search_dir(dir); }

cSearchDirScope::~cSearchDirScope() { pop_search_dir(); }
