// The archive member holder: extraction through the search path, its empty states,
// ownership of the block, and the fatal exit on an archive that does not open.
#include "assets/cRarFileBuffer.h"

#include "assets/search_path.h"
#include "support/shared_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

const std::string testdata = std::string(DEMO_SHARED_DIR) + "/testdata/rar";

// Puts the test archives on the search path for one test.
struct on_search_path {
  on_search_path() { add_search_dir(testdata); }
  ~on_search_path() { pop_search_dir(); }
};

TEST(RarFileBuffer, ExtractsAMemberOfAnArchiveFoundOnTheSearchPath) {
  SKIP_WITHOUT_SHARED_FOLDER(testdata);
  on_search_path path;
  std::string archive = find_in_search_path("rar202-comment-nopsw.rar");
  ASSERT_FALSE(archive.empty());
  cRarFileBuffer holder;
  EXPECT_EQ(nullptr, holder.get_data()) << "an unused holder is empty";
  ASSERT_EQ(0, holder.extract_from_archive("file2.txt", archive));
  ASSERT_EQ(7u, holder.get_size());
  EXPECT_EQ("file2\r\n", std::string(holder.get_data(), holder.get_data() + holder.get_size()));

  // A second extraction replaces the first block (the holder frees what it held).
  ASSERT_EQ(0, holder.extract_from_archive("FILE1.TXT", archive));
  EXPECT_EQ("file1\r\n", std::string(holder.get_data(), holder.get_data() + holder.get_size()));

  holder.release();
  EXPECT_EQ(nullptr, holder.get_data());
  EXPECT_EQ(0u, holder.get_size());
}

TEST(RarFileBuffer, ResetForgetsTheBlockWithoutFreeingIt) {
  SKIP_WITHOUT_SHARED_FOLDER(testdata);
  on_search_path path;
  cRarFileBuffer holder;
  ASSERT_EQ(0, holder.extract_from_archive("file.txt", find_in_search_path("rar2-unix-owner.rar")));
  const uint8_t *taken = holder.get_data();
  ASSERT_NE(nullptr, taken);
  holder.reset();
  EXPECT_EQ(nullptr, holder.get_data());
  EXPECT_EQ(0u, holder.get_size());
  // The block is still valid and now ours.
  EXPECT_EQ("foo\n", std::string(taken, taken + 4));
  std::free(const_cast<uint8_t *>(taken));
}

TEST(RarFileBuffer, MembersThatDoNotUnpackReportOne) {
  SKIP_WITHOUT_SHARED_FOLDER(testdata);
  on_search_path path;
  cRarFileBuffer holder;
  EXPECT_EQ(1, holder.extract_from_archive("no such member",
                                           find_in_search_path("rar202-comment-nopsw.rar")));
  EXPECT_EQ(nullptr, holder.get_data());
  EXPECT_EQ(0u, holder.get_size());
  // An encrypted member without its password.
  EXPECT_EQ(
      1, holder.extract_from_archive("FILE1.TXT", find_in_search_path("rar202-comment-psw.rar")));
}

TEST(RarFileBufferDeathTest, ArchiveThatDoesNotOpenEndsTheProcess) {
  cRarFileBuffer holder;
  EXPECT_EXIT(holder.extract_from_archive("x", testdata + "/no-such-archive.rar"),
              ::testing::ExitedWithCode(255), "^a hvaaaaaaaaaad\n$");
}

} // namespace
