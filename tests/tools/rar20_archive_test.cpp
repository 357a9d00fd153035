// End-to-end tests of the packer: archives of every kind of input, solid and not, with
// and without multimedia blocks, checked member by member against the independent
// extractor (unar/lsar) and against our own reader, plus the rar20 command line.
#include "cRarArchiveWriter.h"
#include "rar20_test_support.h"

#include "archive/rar/unrarlib.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace rar20_test;

namespace {

struct sMember {
  std::string name;
  bytes data;
};

struct sPacked {
  std::string path;
  sEncoderStats stats;
  std::vector<sMemberReport> reports;
  size_t size = 0;
};

const uint32_t fixed_time = (uint32_t(2004 - 1980) << 25) | (3u << 21) | (14u << 16);

sPacked pack(const scratch_dir &dir, const std::string &archive,
             const std::vector<sMember> &members, bool solid, bool multimedia) {
  sEncoderOptions options;
  options.multimedia = multimedia;
  cRarArchiveWriter writer(solid, options);
  for (const sMember &m : members) {
    sArchiveMember a;
    a.name = m.name;
    a.data = m.data.data();
    a.size = m.data.size();
    a.dos_time = fixed_time;
    writer.add(a);
  }
  sPacked p;
  p.path = dir / archive;
  const bytes &image = writer.finish();
  dir.write(archive, image);
  p.size = image.size();
  p.stats = writer.stats();
  p.reports = writer.members();
  return p;
}

bool tools_present() { return run_command("command -v unar && command -v lsar") == 0; }

bytes read_bytes(const std::string &path) {
  const std::string s = read_file(path);
  return bytes(s.begin(), s.end());
}

std::string first_difference(const bytes &got, const bytes &want) {
  const size_t n = std::min(got.size(), want.size());
  size_t i = 0;
  while (i < n && got[i] == want[i])
    ++i;
  return "sizes " + std::to_string(got.size()) + "/" + std::to_string(want.size()) +
         ", first difference at byte " + std::to_string(i);
}

// The independent extractor must test and extract every member bit-exactly.
void expect_unar_agrees(const sPacked &p, const std::vector<sMember> &members) {
  std::string out;
  run_command("lsar -t " + shell_quote(p.path), &out);
  EXPECT_NE(out.find(std::to_string(members.size()) + " passed, 0 failed."), std::string::npos)
      << out;
  const std::string target = p.path + ".unar";
  run_command("unar -q -D -o " + shell_quote(target) + " -f " + shell_quote(p.path), &out);
  for (const sMember &m : members) {
    const bytes got = read_bytes(target + "/" + m.name);
    EXPECT_TRUE(got == m.data) << m.name << ": " << first_difference(got, m.data) << "\n" << out;
  }
}

// Our reader must list what was written and extract every member bit-exactly.
void expect_reader_agrees(const sPacked &p, const std::vector<sMember> &members, bool solid) {
  rar_archive_info info;
  ASSERT_EQ(rar_list_file(p.path.c_str(), info), rar_status::ok);
  EXPECT_EQ(info.solid(), solid);
  ASSERT_EQ(info.members.size(), members.size());
  ASSERT_EQ(p.reports.size(), members.size());
  bool stream_started = false;
  for (size_t i = 0; i < info.members.size(); ++i) {
    const rar_member_info &mi = info.members[i];
    EXPECT_EQ(mi.name, p.reports[i].name);
    EXPECT_TRUE(mi.header_crc_ok) << mi.name;
    EXPECT_EQ(mi.unp_ver, 20);
    EXPECT_EQ(mi.stored(), p.reports[i].stored);
    // in a solid archive every packed member after the first continues the stream
    EXPECT_EQ(mi.continues_solid(), solid && !mi.stored() && stream_started) << mi.name;
    stream_started = stream_started || (solid && !mi.stored());
  }
  for (const sMember &m : members) {
    const auto it = std::find_if(info.members.begin(), info.members.end(),
                                 [&](const rar_member_info &mi) { return mi.name == m.name; });
    ASSERT_NE(it, info.members.end()) << m.name;
    EXPECT_EQ(it->unp_size, m.data.size());
    EXPECT_EQ(it->file_crc, rar_crc32(m.data.data(), m.data.size()));
    bytes got;
    const rar_status status = rar_extract_file(p.path.c_str(), m.name.c_str(), nullptr, got);
    EXPECT_EQ(status, rar_status::ok) << m.name << ": " << rar_status_text(status);
    EXPECT_TRUE(got == m.data) << m.name << ": " << first_difference(got, m.data);
  }
}

void expect_both_agree(const sPacked &p, const std::vector<sMember> &members, bool solid) {
  expect_unar_agrees(p, members);
  expect_reader_agrees(p, members, solid);
}

uint64_t packed_total(const sPacked &p) {
  uint64_t total = 0;
  for (const sMemberReport &r : p.reports)
    total += r.packed;
  return total;
}

class Rar20Archive : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(tools_present()) << "unar/lsar missing: run scripts/setup.sh";
  }
  scratch_dir dir{"rar20"};
};

std::vector<sMember> general_members() {
  return {{"text.txt", make_text(200000, 1)},
          {"records.bin", make_records(12000, 2)},
          {"mesh.bobj", make_mesh(100, 80)},
          {"noise.bin", make_noise(60000, 3)},
          {"empty.bin", {}},
          {"one.txt", {'x'}},
          {"short.txt", {'a', 'b', 'a', 'b', 'a', 'b', 'a', 'b', 'a', 'b', 'a', 'b', 'a', 'b'}}};
}

TEST_F(Rar20Archive, TextBinaryMeshAndNoiseInSeparateMembers) {
  const std::vector<sMember> members = general_members();
  const sPacked p = pack(dir, "general.rar", members, false, false);
  expect_both_agree(p, members, false);

  // noise and tiny members do not shrink and are stored; the rest shrink a lot
  for (const sMemberReport &r : p.reports) {
    if (r.name == "noise.bin" || r.name == "one.txt" || r.name == "empty.bin") {
      EXPECT_TRUE(r.stored) << r.name;
    }
    if (r.name == "text.txt" || r.name == "records.bin") {
      EXPECT_LT(r.packed, r.unpacked / 3) << r.name;
    }
    if (r.name == "mesh.bobj") {
      EXPECT_LT(r.packed, r.unpacked * 2 / 3) << r.name;
    }
  }
  // every LZ symbol kind of the format took part
  const sEncoderStats &s = p.stats;
  EXPECT_GT(s.literals, 0u);
  EXPECT_GT(s.long_matches, 0u);
  EXPECT_GT(s.repeat_last, 0u);
  for (int k = 0; k < 4; ++k)
    EXPECT_GT(s.ring[k], 0u) << "ring slot " << k;
  EXPECT_GT(s.short_matches, 0u);
  EXPECT_GT(s.switches, 0u);
  EXPECT_EQ(s.audio_bytes, 0u);

  // Archives of nothing, or of one empty member.
  expect_both_agree(pack(dir, "none.rar", {}, false, false), {}, false);
  const std::vector<sMember> only_empty = {{"empty.bin", {}}};
  expect_both_agree(pack(dir, "empty.rar", only_empty, false, false), only_empty, false);
  expect_both_agree(pack(dir, "empty_solid.rar", only_empty, true, false), only_empty, true);
}

TEST_F(Rar20Archive, SolidStreamCarriesWindowTablesAndDistances) {
  const bytes text = make_text(150000, 4);
  std::vector<sMember> members = {{"first.txt", text},
                                  {"note.txt", make_text(1500, 25)}, // same statistics, short
                                  {"more.txt", make_text(100000, 7)},
                                  {"empty_a.bin", {}},
                                  {"records.bin", make_records(8000, 5)},
                                  {"again.txt", text}, // only a copy of the first member
                                  {"mesh.bobj", make_mesh(60, 40)},
                                  {"noise.bin", make_noise(30000, 6)},
                                  {"empty_b.bin", {}}};
  const sPacked p = pack(dir, "solid.rar", members, true, false);
  expect_both_agree(p, members, true);

  // empty members never sit inside the stream: they follow it
  ASSERT_EQ(p.reports.size(), members.size());
  EXPECT_EQ(p.reports[p.reports.size() - 2].name, "empty_a.bin");
  EXPECT_EQ(p.reports.back().name, "empty_b.bin");
  for (const sMemberReport &r : p.reports) {
    if (r.name == "again.txt") {
      EXPECT_LT(r.packed, 1000u) << "the copy should come from the previous member";
    }
    if (r.unpacked > 0) {
      EXPECT_FALSE(r.stored) << r.name;
    }
  }
  // a short member like the one before it goes on with the tables in force: new ones
  // would cost more than they save
  EXPECT_GT(p.stats.kept_tables, 0u);

  // an empty member ahead of the stream stays first
  const std::vector<sMember> leading = {
      {"lead.bin", {}}, {"a.txt", make_text(5000, 8)}, {"b.txt", make_text(5000, 9)}};
  const sPacked lead = pack(dir, "leading.rar", leading, true, false);
  expect_both_agree(lead, leading, true);
  EXPECT_EQ(lead.reports.front().name, "lead.bin");
}

TEST_F(Rar20Archive, MultimediaBlocksForAudioSignals) {
  const std::vector<sMember> members = {{"mono8.raw", make_audio8(150000, 1, 10)},
                                        {"mono16.raw", make_audio16(80000, 1, 11)},
                                        {"three8.raw", make_audio8(50000, 3, 12)},
                                        {"stereo16.raw", make_audio16(80000, 2, 13)}};
  const sPacked mm = pack(dir, "audio.rar", members, false, true);
  expect_both_agree(mm, members, false);
  // each layout found its channel count: 1, 2 (16-bit mono), 3 and 4 (16-bit stereo)
  for (int n = 1; n <= 4; ++n)
    EXPECT_GT(mm.stats.audio_tables[n], 0u) << n << " channels";
  EXPECT_GT(mm.stats.audio_bytes, 500000u);

  // prediction beats plain LZ on these signals
  const sPacked lz = pack(dir, "audio_lz.rar", members, false, false);
  EXPECT_EQ(lz.stats.audio_bytes, 0u);
  EXPECT_LT(packed_total(mm), packed_total(lz) * 9 / 10);
}

TEST_F(Rar20Archive, SolidMultimediaSwitchesBetweenModes) {
  const std::vector<sMember> members = {
      {"mixed.bin",
       concat({make_text(80000, 14), make_audio16(60000, 2, 15), make_audio8(70000, 1, 16),
               make_records(6000, 17), make_audio8(40000, 3, 18)})},
      {"tail.raw", make_audio8(60000, 1, 19)},
      {"notes.txt", make_text(40000, 20)},
      {"mesh.bobj", make_mesh(50, 40)}};
  const sPacked p = pack(dir, "mixed.rar", members, true, true);
  expect_both_agree(p, members, true);
  EXPECT_GT(p.stats.audio_bytes, 0u);
  EXPECT_GT(p.stats.lz_tables, 0u);
  EXPECT_GT(p.stats.switches, 2u);
  EXPECT_GT(p.stats.cleared_tables, 0u);
  EXPECT_GT(p.stats.literals, 0u);
}

TEST_F(Rar20Archive, LongMembersWrapTheWindow) {
  const std::vector<sMember> members = {{"wrap.bin", make_window_wrap(21)},
                                        {"long.txt", make_text(1500000, 22)}};
  const sPacked p = pack(dir, "wrap.rar", members, false, false);
  expect_both_agree(p, members, false);
  // the repeated block was found near the far end of the window
  EXPECT_GT(p.stats.max_distance, 0xF0000u);
  EXPECT_LE(p.stats.max_distance, 0xFFFFFu);
  EXPECT_LT(p.reports[0].packed, p.reports[0].unpacked - 80000);

  // across members of a solid stream, too
  const bytes first = make_text(100000, 23);
  const std::vector<sMember> solid = {
      {"first.txt", first}, {"filler.bin", make_noise(900000, 24)}, {"copy.txt", first}};
  const sPacked s = pack(dir, "wrap_solid.rar", solid, true, false);
  expect_both_agree(s, solid, true);
  EXPECT_GT(s.stats.max_distance, 0xE0000u);
  EXPECT_LT(s.reports[2].packed, 2000u);
}

TEST_F(Rar20Archive, MultimediaMembersWrapTheWindow) {
  // text, almost a window of 16-bit stereo, the text again: the copy reaches back across
  // bytes that multimedia blocks produced, from near the far end of the window
  const bytes block = make_text(60000, 25);
  const std::vector<sMember> one = {
      {"scene.bin", concat({block, make_audio16(240000, 2, 26), block})}};
  ASSERT_GT(one[0].data.size(), size_t(1) << 20);
  const sPacked p = pack(dir, "wrap_audio.rar", one, false, true);
  expect_both_agree(p, one, false);
  EXPECT_GT(p.stats.audio_tables[4], 0u);
  EXPECT_GT(p.stats.audio_bytes, 900000u);
  EXPECT_GT(p.stats.max_distance, 0xF0000u);

  // the same stream goes on in a solid archive, multimedia state and all, and wraps
  std::vector<sMember> solid = one;
  solid.push_back({"tail.raw", make_audio8(300000, 1, 27)});
  solid.push_back({"coda.txt", concat({make_text(20000, 28), block})});
  const sPacked s = pack(dir, "wrap_audio_solid.rar", solid, true, true);
  expect_both_agree(s, solid, true);
  EXPECT_GT(s.stats.audio_tables[1], 0u);
  EXPECT_GT(s.stats.audio_tables[4], 0u);
  EXPECT_LT(s.reports[1].packed, s.reports[1].unpacked / 2);
}

// ---- the command line ----------------------------------------------------------------

class Rar20Cli : public Rar20Archive {
protected:
  std::string tool(const std::string &args, int *rc) {
    std::string out;
    *rc = run_command(shell_quote(RAR20_TOOL) + " " + args, &out);
    return out;
  }
};

TEST_F(Rar20Cli, PackListAndExtract) {
  const std::vector<sMember> members = {{"song.raw", make_audio16(40000, 2, 30)},
                                        {"readme.txt", make_text(30000, 31)},
                                        {"zero.bin", {}},
                                        {"mesh.bobj", make_mesh(40, 30)}};
  std::string files;
  for (const sMember &m : members)
    files += " " + shell_quote(dir.write(m.name, m.data)); // stored under the base name
  const std::string archive = dir / "cli.rar";
  int rc = 0;
  std::string out = tool("pack --solid --multimedia " + shell_quote(archive) + files, &rc);
  ASSERT_EQ(rc, 0) << out;

  out = tool("list " + shell_quote(archive), &rc);
  EXPECT_EQ(rc, 0) << out;
  EXPECT_NE(out.find("solid archive, 4 member(s)"), std::string::npos) << out;
  for (const sMember &m : members)
    EXPECT_NE(out.find(m.name), std::string::npos) << out;

  for (const sMember &m : members) {
    const std::string target = dir / ("out_" + m.name);
    out = tool("x " + shell_quote(archive) + " " + m.name + " " + shell_quote(target), &rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_TRUE(read_bytes(target) == m.data) << m.name;
  }
  sPacked p;
  p.path = archive;
  expect_unar_agrees(p, members);
}

TEST_F(Rar20Cli, FailuresGiveTheReaderReasonAndNonZeroStatus) {
  dir.write("a.txt", make_text(50000, 40));
  const std::string archive = dir / "f.rar";
  int rc = 0;
  std::string out = tool("pack " + shell_quote(archive) + " " + shell_quote(dir / "a.txt"), &rc);
  ASSERT_EQ(rc, 0) << out;

  out = tool("x " + shell_quote(archive) + " missing.txt " + shell_quote(dir / "o"), &rc);
  EXPECT_NE(rc, 0);
  EXPECT_NE(out.find(rar_status_text(rar_status::member_not_found)), std::string::npos) << out;

  // damage the packed data: the reader must refuse the member
  bytes image = read_bytes(archive);
  image[image.size() - 100] ^= 0x5A;
  dir.write("bad.rar", image);
  out = tool("x " + shell_quote(dir / "bad.rar") + " a.txt " + shell_quote(dir / "o"), &rc);
  EXPECT_NE(rc, 0);
  EXPECT_NE(out.find("a.txt"), std::string::npos) << out;

  out = tool("list " + shell_quote(dir / "a.txt"), &rc);
  EXPECT_NE(rc, 0);
  EXPECT_NE(out.find(rar_status_text(rar_status::not_an_archive)), std::string::npos) << out;

  out = tool("pack " + shell_quote(dir / "g.rar") + " " + shell_quote(dir / "does_not_exist"), &rc);
  EXPECT_NE(rc, 0);
  out = tool("frobnicate", &rc);
  EXPECT_NE(rc, 0);
  EXPECT_NE(out.find("usage"), std::string::npos);
}

// The reader finds the first of two members it cannot tell apart; the second would be
// dead weight, so the packer refuses before writing anything.
TEST_F(Rar20Cli, PackRefusesInputsThatShareAMemberName) {
  const struct {
    const char *first, *second;
  } cases[] = {{"a/mesh.bobj", "b/mesh.bobj"}, {"a/mesh.bobj", "b/MESH.BOBJ"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.second);
    const std::string first = dir.write(c.first, make_text(100, 50));
    const std::string second = dir.write(c.second, make_text(100, 51));
    const std::string other = dir.write("b/other.txt", make_text(100, 52));
    const std::string archive = dir / "twice.rar";
    int rc = 0;
    const std::string out = tool("pack " + shell_quote(archive) + " " + shell_quote(first) + " " +
                                     shell_quote(other) + " " + shell_quote(second),
                                 &rc);
    EXPECT_NE(rc, 0);
    EXPECT_NE(out.find("rar20: \"" + first + "\" and \"" + second + "\" would both be member \""),
              std::string::npos)
        << out;
    EXPECT_FALSE(std::filesystem::exists(archive));
    std::filesystem::remove_all(dir / "a");
    std::filesystem::remove_all(dir / "b");
  }
}

// Names over the reader's 259 bytes can only come from the library (file names stop at
// 255 bytes): the packer keeps them whole, the reader lists them but never extracts them.
TEST_F(Rar20Archive, MemberNamesOverTheReadersLimitAreListedButNeverExtracted) {
  const std::string limit(259, 'n'), over = std::string(259, 'n') + ".bobj";
  const std::vector<sMember> members = {{over, make_text(500, 60)}, {limit, make_text(500, 61)}};
  const sPacked p = pack(dir, "long_names.rar", members, false, false);
  rar_archive_info info;
  ASSERT_EQ(rar_list_file(p.path.c_str(), info), rar_status::ok);
  ASSERT_EQ(info.members.size(), 2u);
  EXPECT_EQ(info.members[0].name, over);
  EXPECT_TRUE(info.members[0].header_crc_ok);
  bytes got;
  EXPECT_EQ(rar_extract_file(p.path.c_str(), over.c_str(), nullptr, got), rar_status::bad_sizes);
  EXPECT_EQ(rar_extract_file(p.path.c_str(), limit.c_str(), nullptr, got), rar_status::ok);
  EXPECT_TRUE(got == members[1].data) << "the cut name finds the member that has it whole";
}

} // namespace
