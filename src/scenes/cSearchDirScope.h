// Puts a data directory on the search path for as long as it lives, so a
// scene's own names are found while it loads. Nothing fails.
#pragma once

#include <string>

class cSearchDirScope {
public:
  explicit cSearchDirScope(const std::string &dir);
  ~cSearchDirScope();
  cSearchDirScope(const cSearchDirScope &) = delete;
  cSearchDirScope &operator=(const cSearchDirScope &) = delete;
};
