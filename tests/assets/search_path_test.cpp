// The search path: entry order, trailing slashes, popping, and absolute
// results.
#include "assets/search_path.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "asset_test_files.h"

using asset_test::clear_search_path;
using asset_test::scratch_dir;

namespace {

class SearchPath : public testing::Test {
protected:
  void SetUp() override { clear_search_path(); }
  void TearDown() override { clear_search_path(); }
};

TEST_F(SearchPath, EmptyPathFindsNothingAndStaysEmptyWhenPopped) {
  scratch_dir dir("empty");
  dir.write("a.txt", "x");
  pop_search_dir();
  add_search_dir("a");
  pop_search_dir();
  pop_search_dir();
  EXPECT_TRUE(search_dirs().empty());
  EXPECT_EQ(find_in_search_path("a.txt"), "");
  EXPECT_EQ(find_in_search_path(dir.path() + "/a.txt"), "");
}

TEST_F(SearchPath, EntriesEndWithOneSlashAndKeepDuplicates) {
  add_search_dir("../data/models/");
  add_search_dir("../data/models");
  add_search_dir("../data/models");
  ASSERT_EQ(search_dirs().size(), 3u);
  EXPECT_EQ(search_dirs()[0], "../data/models/");
  EXPECT_EQ(search_dirs()[1], "../data/models/");
  add_search_dir("../data/textures");
  pop_search_dir();
  ASSERT_EQ(search_dirs().size(), 3u);
  EXPECT_EQ(search_dirs().back(), "../data/models/");
}

TEST_F(SearchPath, FirstEntryHoldingTheFileWins) {
  scratch_dir dir("order");
  dir.write("second/shared.txt", "2");
  dir.write("first/shared.txt", "1");
  dir.write("second/only_second.txt", "2");
  add_search_dir(dir.path() + "/missing");
  add_search_dir(dir.path() + "/first");
  add_search_dir(dir.path() + "/second");
  const std::string shared = find_in_search_path("shared.txt");
  EXPECT_EQ(std::filesystem::path(shared).parent_path().filename(), "first");
  const std::string only = find_in_search_path("only_second.txt");
  EXPECT_EQ(std::filesystem::path(only).parent_path().filename(), "second");
  EXPECT_EQ(find_in_search_path("nowhere.txt"), "");
}

TEST_F(SearchPath, OnlyRegularFilesAreFound) {
  scratch_dir dir("folders");
  dir.write("first/shared.obj/inside.txt", "a folder named like the file");
  dir.write("second/shared.obj", "v 0 0 0\n");
  dir.write("first/only_a_folder/inside.txt", "x");
  add_search_dir(dir.path() + "/first");
  add_search_dir(dir.path() + "/second");
  const std::string shared = find_in_search_path("shared.obj");
  EXPECT_EQ(std::filesystem::path(shared).parent_path().filename(), "second");
  // An empty name would name the entry itself.
  for (const char *name : {"only_a_folder", "", ".", "only_a_folder/"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(find_in_search_path(name), "");
  }
}

TEST_F(SearchPath, RelativeSubfolderNamesAndAbsoluteResults) {
  scratch_dir dir("relative");
  dir.write("data/models/sub/mesh.obj", "v 1 2 3\n");
  dir.write("data/other/sub/x.obj", "");
  const auto old_cwd = std::filesystem::current_path();
  std::filesystem::create_directories(dir.path() + "/run");
  std::filesystem::current_path(dir.path() + "/run");
  add_search_dir("../data");
  add_search_dir("../data/other");
  add_search_dir("../data/models");
  const std::string found = find_in_search_path("sub/mesh.obj");
  std::filesystem::current_path(old_cwd);
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found.front(), '/');
  EXPECT_TRUE(std::filesystem::equivalent(found, dir.path() + "/data/models/sub/mesh.obj"));
  // The returned path holds no "../" left over from the entry.
  EXPECT_EQ(found.find(".."), std::string::npos);
}

TEST_F(SearchPath, AbsolutePathBeyondTheBufferIsReportedAndNotFound) {
  scratch_dir dir("long");
  std::string sub;
  for (int i = 0; i < 6; ++i)
    sub += std::string(200, char('a' + i)) + "/";
  dir.write(sub + "deep.txt", "x");
  add_search_dir(dir.path());
  testing::internal::CaptureStderr();
  const std::string found = find_in_search_path(sub + "deep.txt");
  const std::string err = testing::internal::GetCapturedStderr();
  // The file opens, but its absolute path does not fit the 1024 characters
  // of the conversion: no truncated path comes back.
  EXPECT_EQ(found, "");
  EXPECT_EQ(err, "debug - oops\n");
}

} // namespace
