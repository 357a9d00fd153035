// Runs recipes on worker threads and writes their files under the data
// directory, each only when its bytes changed, so unchanged files keep their
// times. Prints one progress line per asset. A recipe that throws, or a file
// that cannot be written, is reported and makes run() return false; the
// other recipes still run.
#pragma once

#include "cRecipeBook.h"

#include <string>
#include <vector>

struct sBuildResult {
  std::string output;
  size_t bytes = 0;
  bool written = false; // false: the file already held these bytes
  double seconds = 0;
  std::string error; // empty on success
};

class cDataBuilder {
public:
  cDataBuilder(std::string data_dir, unsigned jobs);

  // Makes the given recipes (all when names is empty). Returns true when every
  // one succeeded.
  bool run(const cRecipeBook &book, const std::vector<std::string> &names);
  const std::vector<sBuildResult> &results() const { return results_; }

  // Writes bytes to path unless it already holds exactly them (through a
  // temporary file and a rename). Returns false when it cannot.
  static bool write_if_changed(const std::string &path, const std::vector<uint8_t> &bytes,
                               bool &written);

private:
  std::string data_dir_;
  unsigned jobs_;
  std::vector<sBuildResult> results_;
};
