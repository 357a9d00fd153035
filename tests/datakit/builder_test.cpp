// The data build: a file is rewritten only when its bytes change, recipes run
// on several threads, and a failing recipe is reported without stopping the
// others.
#include "cDataBuilder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class DataBuilder : public testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("datakit_builder_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string &name) const { return (dir_ / name).string(); }
  static std::vector<uint8_t> bytes(const std::string &text) {
    return std::vector<uint8_t>(text.begin(), text.end());
  }
  std::string read(const std::string &name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  fs::path dir_;
};

TEST_F(DataBuilder, WritesOnlyWhenTheBytesChange) {
  bool written = false;
  ASSERT_TRUE(cDataBuilder::write_if_changed(path("a/b.txt"), bytes("one"), written));
  EXPECT_TRUE(written);
  const auto first = fs::last_write_time(path("a/b.txt"));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(cDataBuilder::write_if_changed(path("a/b.txt"), bytes("one"), written));
  EXPECT_FALSE(written);
  EXPECT_EQ(fs::last_write_time(path("a/b.txt")), first);
  ASSERT_TRUE(cDataBuilder::write_if_changed(path("a/b.txt"), bytes("two!"), written));
  EXPECT_TRUE(written);
  EXPECT_EQ(read("a/b.txt"), "two!");
  EXPECT_FALSE(fs::exists(path("a/b.txt.part")));
}

TEST_F(DataBuilder, RunsEveryRecipeAndReportsTheOneThatFails) {
  cRecipeBook book;
  for (int i = 0; i < 6; ++i)
    book.add("dir" + std::to_string(i % 2) + "/f" + std::to_string(i),
             [i] { return bytes(std::string(size_t(i + 1), char('a' + i))); });
  book.add("broken", []() -> std::vector<uint8_t> { throw std::runtime_error("no good"); });
  cDataBuilder builder(dir_.string(), 3);
  EXPECT_FALSE(builder.run(book, {}));
  ASSERT_EQ(builder.results().size(), 7u);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(read("dir" + std::to_string(i % 2) + "/f" + std::to_string(i)),
              std::string(size_t(i + 1), char('a' + i)));
  EXPECT_EQ(builder.results().back().output, "broken");
  EXPECT_EQ(builder.results().back().error, "no good");
  EXPECT_FALSE(fs::exists(path("broken")));

  // Only the named recipes run; a second run finds nothing to write.
  cDataBuilder again(dir_.string(), 2);
  EXPECT_TRUE(again.run(book, {"dir0/f0", "dir1/f3"}));
  ASSERT_EQ(again.results().size(), 2u);
  for (const sBuildResult &r : again.results())
    EXPECT_FALSE(r.written);
}

TEST(RecipeBook, RefusesTwoRecipesForOneFile) {
  cRecipeBook book;
  book.add("x", [] { return std::vector<uint8_t>(); });
  EXPECT_THROW(book.add("x", [] { return std::vector<uint8_t>(); }), std::runtime_error);
  EXPECT_NE(book.find("x"), nullptr);
  EXPECT_EQ(book.find("y"), nullptr);
}

} // namespace
