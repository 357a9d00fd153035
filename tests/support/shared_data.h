// Test data kept beside the project's clone (../shared). A clone of the project alone
// lacks it: the tests that read it skip, naming the missing folder, unless
// DEMO_REQUIRE_SHARED is set (as CI does), which makes a missing folder a failure.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace shared_data {

inline bool required() {
  const char *flag = std::getenv("DEMO_REQUIRE_SHARED");
  return flag && *flag && std::string(flag) != "0";
}

} // namespace shared_data

// Skips (or, where required, fails) the calling test or SetUp when folder is missing.
#define SKIP_WITHOUT_SHARED_FOLDER(folder)                                                         \
  do {                                                                                             \
    const std::string shared_folder_ = (folder);                                                   \
    if (!std::filesystem::is_directory(shared_folder_)) {                                          \
      if (shared_data::required())                                                                 \
        FAIL() << "missing folder " << shared_folder_ << " (DEMO_REQUIRE_SHARED is set)";          \
      GTEST_SKIP() << "missing folder " << shared_folder_;                                         \
    }                                                                                              \
  } while (0)
