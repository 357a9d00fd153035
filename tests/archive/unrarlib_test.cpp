// The RAR reader against real archives written by the original archiver and against
// hand-built archives for header walk, name lookup, stored members, CRC and the log.
#include "archive/rar/unrarlib.h"

#include "archive/rar_test_builder.h"
#include "support/shared_data.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace rar_test;

namespace {

// Each test process (death-test children included) logs into one private temporary
// directory, removed at the end, so no run leaves logs behind.
class private_tmp : public ::testing::Environment {
public:
  private_tmp() {
    if (std::getenv("UNRAR_TEST_TMP")) // a death-test child: the parent removes it
      return;
    char tmpl[] = "/tmp/unrar_test_XXXXXX";
    if (char *dir = mkdtemp(tmpl)) {
      dir_ = dir;
      setenv("TMPDIR", dir, 1);
      setenv("UNRAR_TEST_TMP", dir, 1);
    }
  }
  // Not in the destructor: a death test's child runs that at its exit.
  void TearDown() override {
    std::error_code ignored;
    if (!dir_.empty())
      fs::remove_all(dir_, ignored);
  }

private:
  std::string dir_;
};
const auto *const env = ::testing::AddGlobalTestEnvironment(new private_tmp);

const std::string testdata = std::string(DEMO_SHARED_DIR) + "/testdata/rar/";

std::string md5_hex(const std::vector<uint8_t> &bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
  std::string hex;
  char two[3];
  for (unsigned i = 0; i < length; ++i) {
    std::snprintf(two, sizeof(two), "%02x", digest[i]);
    hex += two;
  }
  return hex;
}

std::string read_text(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Calls the engine's C entry over memory and owns the result.
struct c_result {
  int ok = -1;
  uint8_t *data = reinterpret_cast<uint8_t *>(1);
  uint32_t size = 12345;
  ~c_result() {
    if (ok == 1)
      std::free(data);
  }
  std::string text() const { return ok == 1 ? std::string(data, data + size) : std::string(); }
};

void get_from(c_result &r, const std::vector<uint8_t> &archive, const char *name,
              const char *password = nullptr) {
  r.ok = rar_get_file_from_memory(&r.data, &r.size, name, archive.data(), archive.size(), password);
}

// ------------------------------------------------------------------ real archives

struct expected_member {
  const char *archive;
  const char *member;
  const char *password;
  uint32_t size;
  const char *md5;
};

class RealArchive : public ::testing::TestWithParam<expected_member> {
protected:
  void SetUp() override { SKIP_WITHOUT_SHARED_FOLDER(testdata); }
};

TEST_P(RealArchive, ExtractsTheListedBytes) {
  const expected_member &e = GetParam();
  uint8_t *data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(1, rar_get_file(&data, &size, e.member, (testdata + e.archive).c_str(), e.password))
      << rar_status_text(rar_last_status());
  std::vector<uint8_t> bytes(data, data + size);
  std::free(data);
  EXPECT_EQ(e.size, size);
  EXPECT_EQ(e.md5, md5_hex(bytes));
}

// Named after archive and member, e.g. rar202_comment_psw_FILE1_TXT.
std::string member_name(const ::testing::TestParamInfo<expected_member> &info) {
  const std::string archive = info.param.archive;
  std::string name = archive.substr(0, archive.size() - 4) + "_" + info.param.member;
  for (char &c : name)
    c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(
    Expected, RealArchive,
    ::testing::Values(expected_member{"rar2-unix-owner.rar", "file.txt", nullptr, 4,
                                      "d3b07384d113edec49eaa6238ad5ff00"},
                      expected_member{"rar202-comment-nopsw.rar", "FILE1.TXT", nullptr, 7,
                                      "610abb9118043fbe0dc24bdcf8023fdc"},
                      expected_member{"rar202-comment-nopsw.rar", "FILE2.TXT", nullptr, 7,
                                      "deee49f6be4f9078e25ea6bf38d2fc74"},
                      expected_member{"rar202-comment-psw.rar", "FILE1.TXT", "password", 7,
                                      "610abb9118043fbe0dc24bdcf8023fdc"},
                      expected_member{"rar202-comment-psw.rar", "FILE2.TXT", "password", 7,
                                      "deee49f6be4f9078e25ea6bf38d2fc74"}),
    member_name);

TEST(RealArchiveFailures, ReportEachExpectedFailureWithoutData) {
  SKIP_WITHOUT_SHARED_FOLDER(testdata);
  struct failing {
    const char *archive, *member, *password;
  } cases[] = {
      {"rar202-comment-psw.rar", "FILE1.TXT", nullptr}, // no password
      {"rar202-comment-psw.rar", "FILE2.TXT", "wrong"}, // wrong password
      {"Rar15.rar", "TECT.TXT", nullptr},               // 1.5 method
      {"Rar15.rar", "JPG\\TEST.JPG", nullptr},
      {"Rar15.rar", "EXE\\TEST.EXE", nullptr},
      {"Rar2.multi.rar", "exe\\test.exe", nullptr},    // continues in a missing volume
      {"rar2-unix-owner.rar", "missing.txt", nullptr}, // stops at the owner sub-block
  };
  for (const failing &c : cases) {
    uint8_t *data = reinterpret_cast<uint8_t *>(1);
    uint32_t size = 99;
    EXPECT_EQ(0, rar_get_file(&data, &size, c.member, (testdata + c.archive).c_str(), c.password))
        << c.archive << " " << c.member;
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(0u, size);
  }
  std::vector<uint8_t> out;
  EXPECT_EQ(rar_status::unknown_method,
            rar_extract_file((testdata + "Rar15.rar").c_str(), "tect.txt", nullptr, out));
  EXPECT_EQ(rar_status::sub_block,
            rar_extract_file((testdata + "rar2-unix-owner.rar").c_str(), "x", nullptr, out));
}

TEST(RealArchiveFailures, SplitMemberUnpacksCorrectlyUntilItsDataEnds) {
  SKIP_WITHOUT_SHARED_FOLDER(testdata);
  // The first volume holds 9866 packed bytes of a 45056-byte executable; the same file
  // is TEST.EXE of Rar15.rar, whose first 20000 bytes have this CRC-32 (checked with unar).
  std::vector<uint8_t> out;
  EXPECT_EQ(rar_status::truncated,
            rar_extract_file((testdata + "Rar2.multi.rar").c_str(), "EXE/TEST.EXE", nullptr, out));
  ASSERT_GE(out.size(), 20000u);
  ASSERT_LT(out.size(), 45056u);
  EXPECT_EQ(0x9a9d6099u, rar_crc32(out.data(), 20000));
}

TEST(RealArchiveListing, ListsMembersWithTheirHeaders) {
  SKIP_WITHOUT_SHARED_FOLDER(testdata);
  rar_archive_info info;
  ASSERT_EQ(rar_status::ok, rar_list_file((testdata + "Rar15.rar").c_str(), info));
  ASSERT_EQ(5u, info.members.size());
  EXPECT_EQ("EXE", info.members[0].name);
  EXPECT_TRUE(info.members[0].directory());
  EXPECT_EQ("TECT.TXT", info.members[4].name);
  EXPECT_EQ(15498u, info.members[4].unp_size);
  EXPECT_EQ(15, info.members[4].unp_ver);

  ASSERT_EQ(rar_status::ok, rar_list_file((testdata + "rar202-comment-psw.rar").c_str(), info));
  ASSERT_EQ(2u, info.members.size());
  EXPECT_TRUE(info.members[1].encrypted());
  EXPECT_EQ(32u, info.members[1].pack_size);

  EXPECT_EQ(rar_status::cannot_open, rar_list_file((testdata + "none.rar").c_str(), info));
  EXPECT_EQ(rar_status::not_an_archive, rar_list_file((testdata + "EXPECTED.txt").c_str(), info));
}

TEST(RealArchiveListing, ExtractAllHandsOverEveryMemberWithItsOwnStatus) {
  SKIP_WITHOUT_SHARED_FOLDER(testdata);
  std::vector<std::pair<std::string, rar_status>> seen;
  std::string joined;
  ASSERT_EQ(rar_status::ok,
            rar_extract_all_file(
                (testdata + "rar202-comment-psw.rar").c_str(), "password",
                [&](const rar_member_info &m, rar_status s, const std::vector<uint8_t> &bytes) {
                  seen.emplace_back(m.name, s);
                  joined.append(bytes.begin(), bytes.end());
                }));
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ(rar_status::ok, seen[0].second);
  EXPECT_EQ(rar_status::ok, seen[1].second);
  EXPECT_EQ("file1\r\nfile2\r\n", joined);
}

// ------------------------------------------------------------------ name matching

TEST(NameMatching, IgnoresCaseAndSlashDirection) {
  EXPECT_TRUE(rar_names_match("models/a.bobj", "MODELS\\A.BOBJ"));
  EXPECT_TRUE(rar_names_match("models/a.bobj", "models_a.bobj"));
  EXPECT_TRUE(rar_names_match("A\\B/c", "a/b\\C"));
  EXPECT_FALSE(rar_names_match("models/a.bobj", "models/a.bob"));
  EXPECT_FALSE(rar_names_match("a.bobj", "models/a.bobj"));
  EXPECT_FALSE(rar_names_match("", "x"));
  EXPECT_TRUE(rar_names_match("", ""));
  // Only ASCII letters fold: other bytes compare as they are.
  EXPECT_FALSE(rar_names_match("\xe4", "\xc4"));
}

TEST(NameMatching, NamesOverTheLimitNeverMatch) {
  std::string long_name(260, 'x');
  std::string limit_name(259, 'x');
  EXPECT_FALSE(rar_names_match(long_name.c_str(), long_name.c_str()));
  EXPECT_TRUE(rar_names_match(limit_name.c_str(), limit_name.c_str()));

  // Lookups in an archive go through the same match, either separator included.
  auto a = archive({member::stored(long_name, "long"), member::stored(limit_name, "limit"),
                    member::stored("MODELS\\A.BOBJ", "first"),
                    member::stored("models_b.bobj", "second")});
  c_result limit, too_long, first, second, missing;
  get_from(limit, a, limit_name.c_str());
  get_from(too_long, a, long_name.c_str());
  get_from(first, a, "models/a.bobj");
  get_from(second, a, "Models/B.bobj");
  get_from(missing, a, "models/c.bobj");
  EXPECT_EQ("limit", limit.text());
  EXPECT_EQ(0, too_long.ok);
  EXPECT_EQ("first", first.text());
  EXPECT_EQ("second", second.text());
  EXPECT_EQ(0, missing.ok);
  EXPECT_EQ(nullptr, missing.data);
  EXPECT_EQ(0u, missing.size);
  EXPECT_EQ(rar_status::member_not_found, rar_last_status());
}

TEST(Crc32, GivesTheStandardCheckValueAndContinuesAcrossCalls) {
  const std::string check = "123456789";
  EXPECT_EQ(0xCBF43926u, rar_crc32(reinterpret_cast<const uint8_t *>(check.data()), check.size()));
  // Every split of a buffer, on and off the eight-byte steps, gives the same CRC.
  std::vector<uint8_t> bytes(37);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = uint8_t(i * 73 + 5);
  const uint32_t whole = rar_crc32(bytes.data(), bytes.size());
  for (size_t k = 0; k <= bytes.size(); ++k)
    EXPECT_EQ(whole, rar_crc32(bytes.data() + k, bytes.size() - k, rar_crc32(bytes.data(), k)))
        << "split at " << k;
}

// ------------------------------------------------------------------ header walk

TEST(HeaderWalk, AcceptsBothMarkersAndRefusesOthers) {
  std::vector<member> members{member::stored("a", "alpha")};
  c_result plain, own;
  get_from(plain, archive(members), "a");
  get_from(own, archive(members, 0, true), "a");
  EXPECT_EQ("alpha", plain.text());
  EXPECT_EQ("alpha", own.text());

  std::vector<uint8_t> old_format = archive(members);
  std::memcpy(old_format.data(), "RE~^", 4);
  c_result old;
  get_from(old, old_format, "a");
  EXPECT_EQ(0, old.ok);
  EXPECT_EQ(rar_status::old_format, rar_last_status());

  std::vector<uint8_t> sfx = archive(members);
  sfx.insert(sfx.begin(), 64, 'M');
  c_result other;
  get_from(other, sfx, "a");
  EXPECT_EQ(0, other.ok);
  EXPECT_EQ(rar_status::not_an_archive, rar_last_status());
}

TEST(HeaderWalk, StepsOverForeignBlocksAndFailsOnSubBlocks) {
  member recovery = other_block(0x78, 40);
  member comment = other_block(0x7A, 0);
  comment.flags = 0;
  auto a = archive({recovery, comment, member::stored("x", "found")});
  c_result r;
  get_from(r, a, "x");
  EXPECT_EQ("found", r.text());

  auto with_sub = archive({other_block(0x77, 8), member::stored("x", "found")});
  c_result s;
  get_from(s, with_sub, "x");
  EXPECT_EQ(0, s.ok);
  EXPECT_EQ(rar_status::sub_block, rar_last_status());

  // The listing and the all-members walk step over sub-blocks.
  rar_archive_info info;
  EXPECT_EQ(rar_status::ok, rar_list(with_sub.data(), with_sub.size(), info));
  ASSERT_EQ(1u, info.members.size());
  EXPECT_EQ("x", info.members[0].name);
}

TEST(HeaderWalk, SkipsTheMainHeaderExtensionAndHeaderExtras) {
  member m = member::stored("x", "payload");
  m.extra = {1, 2, 3, 4, 5}; // e.g. a file comment inside the header
  auto a = archive({m});
  // Grow the main header by 6 bytes.
  a[7 + 5] = 13 + 6;
  a.insert(a.begin() + 7 + 13, 6, 0xEE);
  c_result r;
  get_from(r, a, "x");
  EXPECT_EQ("payload", r.text());
}

TEST(HeaderWalk, BadHeaderCrcIsLoggedAndIgnored) {
  member m = member::stored("broken_header_member", "still here");
  m.break_header_crc = true;
  c_result r;
  get_from(r, archive({m}), "broken_header_member");
  EXPECT_EQ("still here", r.text());
  rar_archive_info info;
  auto a = archive({m});
  rar_list(a.data(), a.size(), info);
  ASSERT_EQ(1u, info.members.size());
  EXPECT_FALSE(info.members[0].header_crc_ok);
  std::string log = read_text(rar_debug_log_path());
  EXPECT_NE(std::string::npos, log.find("file header broken"));
}

TEST(HeaderWalk, VersionsOutsideTheKnownRangeFailAndStopASolidStream) {
  member newer = member::stored("n", "29");
  newer.unp_ver = 29;
  member older = member::stored("o", "12");
  older.unp_ver = 12;
  member v13 = member::stored("s", "13 stored");
  v13.unp_ver = 13;
  auto a = archive({newer, older, v13});
  c_result n, o, s;
  get_from(n, a, "n");
  EXPECT_EQ(0, n.ok);
  EXPECT_EQ(rar_status::unknown_method, rar_last_status());
  get_from(o, a, "o");
  EXPECT_EQ(0, o.ok);
  get_from(s, a, "s");
  EXPECT_EQ("13 stored", s.text()) << "a plain archive steps over what it cannot unpack";
  // A solid archive must unpack every earlier member to reach a later one.
  c_result solid;
  get_from(solid, archive({newer, v13}, 0x08), "s");
  EXPECT_EQ(0, solid.ok);
  EXPECT_EQ(rar_status::unknown_method, rar_last_status());
}

TEST(HeaderWalk, TruncatedArchivesFailAtEveryLength) {
  std::vector<uint8_t> full =
      archive({member::stored("a", "first member"), member::stored("b", "second member")});
  for (size_t n = 0; n < full.size(); ++n) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + long(n));
    c_result r;
    get_from(r, cut, "b");
    EXPECT_EQ(0, r.ok) << "length " << n;
    EXPECT_EQ(nullptr, r.data);
  }
  c_result whole;
  get_from(whole, full, "b");
  EXPECT_EQ("second member", whole.text());
}

// ------------------------------------------------------------------ stored members

TEST(StoredMembers, EmptyMemberSucceedsWithSizeZero) {
  c_result r;
  get_from(r, archive({member::stored("empty", "")}), "empty");
  EXPECT_EQ(1, r.ok);
  EXPECT_EQ(0u, r.size);
}

TEST(StoredMembers, CrcMismatchIsReported) {
  member m = member::stored("x", "original");
  m.payload[3] ^= 1;
  c_result r;
  get_from(r, archive({m}), "x");
  EXPECT_EQ(0, r.ok);
  EXPECT_EQ(nullptr, r.data);
  EXPECT_EQ(rar_status::crc_mismatch, rar_last_status());
  std::string log = read_text(rar_debug_log_path());
  EXPECT_NE(std::string::npos, log.find("CRC32 error - file couldn't be decompressed correctly!"));
}

TEST(StoredMembers, SizesThatTheDataCannotBackAreRefused) {
  member m = member::stored("x", "short");
  m.unp_size = 0xFFFFFFF0u; // would need a 4 GiB block
  c_result huge;
  get_from(huge, archive({m}), "x");
  EXPECT_EQ(0, huge.ok);
  EXPECT_EQ(rar_status::bad_sizes, rar_last_status());

  // A data area that the archive cuts short cannot hold the member either.
  std::vector<uint8_t> a = archive({member::stored("y", "0123456789")});
  a.resize(a.size() - 4);
  c_result cut;
  get_from(cut, a, "y");
  EXPECT_EQ(0, cut.ok);
  EXPECT_EQ(rar_status::bad_sizes, rar_last_status());
}

TEST(StoredMembers, FileAndMemoryReadersAgree) {
  std::vector<uint8_t> a = archive({member::stored("dir\\file.bin", std::string(5000, 'q'))});
  fs::path path = fs::temp_directory_path() / "stored_test.rar";
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(a.data()), long(a.size()));
  }
  std::vector<uint8_t> from_file, from_memory;
  EXPECT_EQ(rar_status::ok, rar_extract_file(path.c_str(), "dir/file.bin", nullptr, from_file));
  EXPECT_EQ(rar_status::ok, rar_extract(a.data(), a.size(), "dir/file.bin", nullptr, from_memory));
  EXPECT_EQ(from_file, from_memory);
  EXPECT_EQ(5000u, from_file.size());
  fs::remove(path);

  uint8_t *data = reinterpret_cast<uint8_t *>(1);
  uint32_t size = 1;
  EXPECT_EQ(0, rar_get_file(&data, &size, "x", path.c_str(), nullptr));
  EXPECT_EQ(nullptr, data);
  EXPECT_EQ(rar_status::cannot_open, rar_last_status());
}

// ------------------------------------------------------------------ debug log

// The log starts once per process, at the first call: each of these checks runs in a
// process of its own, whatever ran before it. An empty result is a pass.
void in_fresh_process(const std::function<std::string()> &check) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const std::string failures = check();
        std::fputs(failures.c_str(), stderr);
        std::exit(failures.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

std::string unless(bool ok, const std::string &failure) { return ok ? "" : failure + "\n"; }

std::string own_log_name() {
  return (fs::temp_directory_path() / ("debug_unrar." + std::to_string(getpid()) + ".txt"))
      .string();
}

TEST(DebugLog, HasANameOfItsOwnInTheTemporaryDirectoryWithItsHeaderAndMessages) {
  in_fresh_process([] {
    c_result r;
    get_from(r, archive({member::stored("x", "x")}), "log_probe_member");
    const std::string path = rar_debug_log_path();
    const std::string log = read_text(path);
    return unless(path == own_log_name(), "log at " + path + ", not " + own_log_name()) +
           unless(log.find("Debug log of Darvix's RARFileLib\n~^~~~~~~~~~~~~~~~~~~~~~~~~~~~~~^~\n"
                           "(executable compiled on ") == 0,
                  "no header:\n" + log) +
           unless(log.find("Extracting >log_probe_member< from >(memory)< (password is "
                           ">(null)<)...") != std::string::npos,
                  "no request line") +
           unless(log.find("Error - couldn't extract >log_probe_member< and allocated 0 Bytes "
                           "of unused memory!") != std::string::npos,
                  "no failure line") +
           unless(log.find(" ms (line ") != std::string::npos &&
                      log.find(" in unrarlib):\n              - ") != std::string::npos,
                  "no message frame") +
           unless(!fs::exists("C:\\temp\\debug_unrar.txt") &&
                      !fs::exists("C:/temp/debug_unrar.txt"),
                  "a log under the Windows name");
  });
}

TEST(DebugLog, MasksPasswordsAndCanBeSwitchedOff) {
  in_fresh_process([] {
    c_result first, silent;
    get_from(first, archive({member::stored("x", "x")}), "audible_member_name", "open sesame");
    const std::string path = rar_debug_log_path();
    rar_set_debug_log(false);
    get_from(silent, archive({}), "silent_member_name");
    rar_set_debug_log(true);
    const std::string log = read_text(path);
    return unless(log.find("audible_member_name") != std::string::npos, "first call not logged") +
           unless(log.find("silent_member_name") == std::string::npos, "logged while off") +
           unless(log.find("(password is >********<)") != std::string::npos, "no mask:\n" + log) +
           unless(log.find("open sesame") == std::string::npos, "the password is in the log");
  });
}

// Whatever someone left under the log's name beforehand is neither followed nor
// written: the process goes without a log.
TEST(DebugLog, SomethingAlreadyUnderItsNameIsLeftAlone) {
  for (const bool as_link : {true, false}) {
    SCOPED_TRACE(as_link ? "a link" : "a file");
    in_fresh_process([as_link] {
      const std::string victim = (fs::temp_directory_path() / "victim.txt").string();
      std::ofstream(victim) << "precious";
      if (as_link)
        fs::create_symlink(victim, own_log_name());
      else
        std::ofstream(own_log_name()) << "precious";
      c_result r;
      get_from(r, archive({}), "planted");
      return unless(rar_debug_log_path().empty(), "logging to " + rar_debug_log_path()) +
             unless(read_text(victim) == "precious", "the target was written") +
             unless(read_text(own_log_name()) == "precious", "the file was written");
    });
  }
}

// ------------------------------------------------------------------ library state

TEST(LibraryState, EveryCallStartsAfresh) {
  SKIP_WITHOUT_SHARED_FOLDER(testdata);
  // A failure with a password and an open stream must not leak into the next call.
  auto good = archive({member::stored("x", "clean")});
  std::vector<uint8_t> out;
  EXPECT_NE(rar_status::ok, rar_extract_file((testdata + "rar202-comment-psw.rar").c_str(),
                                             "FILE1.TXT", "wrong", out));
  c_result r;
  get_from(r, good, "x");
  EXPECT_EQ("clean", r.text());
  EXPECT_EQ(rar_status::ok, rar_last_status());
  // The password of one call is gone in the next: encrypted data stays encrypted.
  EXPECT_EQ(rar_status::ok, rar_extract_file((testdata + "rar202-comment-psw.rar").c_str(),
                                             "FILE1.TXT", "password", out));
  EXPECT_NE(rar_status::ok, rar_extract_file((testdata + "rar202-comment-psw.rar").c_str(),
                                             "FILE1.TXT", nullptr, out));
}

} // namespace
