// The RAR 2.0 decompressor on streams written symbol by symbol: matches, the distance
// ring, table changes, window wrap, multimedia mode, solid continuation, overruns and
// damaged input; and the 2.0 cipher on encrypted members.
#include "archive/rar/cRarUnpacker.h"

#include "archive/rar/cRarCipher20.h"
#include "archive/rar/unrarlib.h"
#include "archive/rar_test_builder.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

using namespace rar_test;

namespace {

struct memory_input {
  std::vector<uint8_t> bytes;
  size_t pos = 0;
  static size_t read(void *context, uint8_t *buffer, size_t count) {
    auto *in = static_cast<memory_input *>(context);
    size_t n = std::min(count, in->bytes.size() - in->pos);
    if (n > 0) // an empty vector's data() may be null, even for no bytes
      std::memcpy(buffer, in->bytes.data() + in->pos, n);
    in->pos += n;
    return n;
  }
};

// One decompressor with its window, as the reader sets it up.
struct unpacker {
  std::vector<uint8_t> window = std::vector<uint8_t>(cRarUnpacker::window_size);
  std::unique_ptr<cRarUnpacker> u = std::make_unique<cRarUnpacker>();
  unpacker() { u->set_window(window.data()); }

  cRarUnpacker::result run(const std::vector<uint8_t> &stream, uint32_t unp_size,
                           std::vector<uint8_t> &out, bool continue_solid = false) {
    memory_input in{stream};
    out.assign(unp_size, 0);
    uint32_t written = 0;
    auto r = u->unpack(memory_input::read, &in, unp_size, continue_solid, out.data(), written);
    out.resize(written);
    return r;
  }
};

std::vector<uint8_t> random_bytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto &b : v)
    b = uint8_t(rng());
  return v;
}

stream_writer lz_stream() {
  stream_writer w;
  w.lz_tables(stream_writer::default_lz_lengths());
  return w;
}

TEST(Unpacker, LiteralsAndOverlappingMatchesRepeatThePattern) {
  stream_writer w = lz_stream();
  for (char c : std::string("abc"))
    w.literal(uint8_t(c));
  w.match(10, 3);   // distance below length: "abc" repeats
  w.short_match(1); // "aa"
  unpacker u;
  std::vector<uint8_t> out;
  ASSERT_EQ(cRarUnpacker::result::ok, u.run(w.finish(), 15, out));
  EXPECT_EQ("abcabcabcabcaaa", std::string(out.begin(), out.end()));
}

TEST(Unpacker, DistanceRingAndLastMatchFollowTheFormat) {
  stream_writer w = lz_stream();
  std::vector<uint8_t> expect = random_bytes(600, 1);
  for (uint8_t b : expect)
    w.literal(b);
  auto copy = [&](uint32_t length, uint32_t distance) {
    for (uint32_t i = 0; i < length; ++i)
      expect.push_back(expect[expect.size() - distance]);
  };
  w.match(5, 100);
  copy(5, 100);
  w.match(4, 300);
  copy(4, 300);
  w.short_match(7);
  copy(2, 7);
  w.match(3, 12);
  copy(3, 12);
  // Ring now holds 100, 300, 7, 12 (newest last).
  w.repeat(0, 6, 12);
  copy(6, 12); // pushes 12 again: 300, 7, 12, 12
  w.repeat(3, 9, 300);
  copy(9, 300); // length grows by one at distance >= 0x101
  w.last_match();
  copy(9, 300);
  w.repeat(2, 2, 12);
  copy(2, 12);
  unpacker u;
  std::vector<uint8_t> out;
  ASSERT_EQ(cRarUnpacker::result::ok, u.run(w.finish(), uint32_t(expect.size()), out));
  EXPECT_EQ(expect, out);
}

TEST(Unpacker, FarMatchesGrowByDistanceAndTheWindowWraps) {
  // 0x50000 random bytes, matches at 0x2000 and 0x40000 and beyond, then enough periodic
  // output to wrap the 1 MiB window twice.
  std::vector<uint8_t> expect = random_bytes(0x50000, 2);
  stream_writer w = lz_stream();
  for (uint8_t b : expect)
    w.literal(b);
  auto copy = [&](uint32_t length, uint32_t distance) {
    for (uint32_t i = 0; i < length; ++i)
      expect.push_back(expect[expect.size() - distance]);
  };
  w.match(200, 0x2000);
  copy(200, 0x2000);
  w.match(257, 0x40000);
  copy(257, 0x40000);
  w.match(260, 0x4FFFF);
  copy(260, 0x4FFFF);
  w.repeat(1, 8, 0x40000); // repeat lengths grow by three this far out
  copy(8, 0x40000);
  while (expect.size() < 0x250000) {
    w.match(255, 777);
    copy(255, 777);
  }
  unpacker u;
  std::vector<uint8_t> out;
  ASSERT_EQ(cRarUnpacker::result::ok, u.run(w.finish(), uint32_t(expect.size()), out));
  ASSERT_EQ(expect.size(), out.size());
  EXPECT_TRUE(expect == out);
}

TEST(Unpacker, TableChangesKeepOrClearTheOldLengths) {
  stream_writer w = lz_stream();
  w.literal('x');
  // Long codes (up to 15 bits) take the slow decoding path.
  std::vector<uint8_t> skewed(374, 0);
  for (int i = 0; i < 15; ++i)
    skewed[size_t('a' + i)] = uint8_t(i + 1);
  skewed['a' + 15] = 15;
  skewed[269] = 0; // no way back in this table set, the stream ends in it
  w.new_tables();
  w.lz_tables(skewed, true);
  std::string tail = "abcdefghijklmnop";
  for (char c : tail)
    w.literal(uint8_t(c));
  unpacker u;
  std::vector<uint8_t> out;
  ASSERT_EQ(cRarUnpacker::result::ok, u.run(w.finish(), 17, out));
  EXPECT_EQ("x" + tail, std::string(out.begin(), out.end()));

  // The same without keeping the old table.
  stream_writer fresh = lz_stream();
  fresh.literal('y');
  fresh.new_tables();
  fresh.lz_tables(skewed, false);
  fresh.literal('p');
  ASSERT_EQ(cRarUnpacker::result::ok, u.run(fresh.finish(), 2, out));
  EXPECT_EQ("yp", std::string(out.begin(), out.end()));
}

TEST(Unpacker, MultimediaModeDecodesDeltasPerChannel) {
  // While a channel's weights are still zero (its first 31 bytes) every byte is the
  // channel's previous byte minus the coded delta.
  for (int channels : {1, 2, 4}) {
    stream_writer w;
    std::vector<uint8_t> lengths(size_t(257 * channels), 9);
    w.audio_tables(channels, lengths);
    std::vector<uint8_t> expect;
    std::vector<uint8_t> last(size_t(channels), 0);
    std::mt19937 rng{uint32_t(channels)};
    for (int i = 0; i < 30 * channels; ++i) {
      int c = i % channels;
      uint32_t delta = rng() & 0xFF;
      w.audio_delta(c, delta);
      last[size_t(c)] = uint8_t(last[size_t(c)] - delta);
      expect.push_back(last[size_t(c)]);
    }
    // Back to LZ mode through new tables.
    w.audio_new_tables(0);
    w.lz_tables(stream_writer::default_lz_lengths());
    w.literal('!');
    w.match(3, 1);
    for (int i = 0; i < 4; ++i)
      expect.push_back('!');
    unpacker u;
    std::vector<uint8_t> out;
    ASSERT_EQ(cRarUnpacker::result::ok, u.run(w.finish(), uint32_t(expect.size()), out))
        << channels;
    EXPECT_EQ(expect, out) << channels << " channels";
  }
}

TEST(Unpacker, LongMultimediaStreamsStayDeterministic) {
  // Past 32 bytes the weights adapt; decoding the same stream twice, or once more after
  // unrelated work, must give the same bytes.
  stream_writer w;
  w.audio_tables(2, std::vector<uint8_t>(514, 9));
  std::mt19937 rng(7);
  for (int i = 0; i < 5000; ++i)
    w.audio_delta(i & 1, (rng() % 9 + 252) & 0xFF);
  std::vector<uint8_t> stream = w.finish();
  unpacker u;
  std::vector<uint8_t> first, second, other;
  ASSERT_EQ(cRarUnpacker::result::ok, u.run(stream, 5000, first));
  ASSERT_EQ(cRarUnpacker::result::ok, u.run(lz_stream().finish(), 0, other));
  ASSERT_EQ(cRarUnpacker::result::ok, u.run(stream, 5000, second));
  EXPECT_EQ(first, second);
}

TEST(Unpacker, OverrunStopsAtTheOutputSize) {
  stream_writer w = lz_stream();
  w.literal('a');
  w.match(40, 1);
  std::vector<uint8_t> stream = w.finish();
  unpacker u;
  std::vector<uint8_t> out;
  EXPECT_EQ(cRarUnpacker::result::overrun, u.run(stream, 20, out));
  EXPECT_LE(out.size(), 20u);
  EXPECT_EQ(cRarUnpacker::result::ok, u.run(stream, 41, out));
}

TEST(Unpacker, StreamsThatRunDryReportIt) {
  stream_writer w = lz_stream();
  for (int i = 0; i < 1000; ++i)
    w.literal(uint8_t(i));
  std::vector<uint8_t> stream = w.finish();
  unpacker u;
  std::vector<uint8_t> out;
  for (size_t keep : {size_t(0), size_t(5), size_t(100), stream.size() / 2, stream.size() - 3}) {
    std::vector<uint8_t> cut(stream.begin(), stream.begin() + long(keep));
    EXPECT_EQ(cRarUnpacker::result::out_of_data, u.run(cut, 1000, out)) << keep;
    EXPECT_LT(out.size(), 1000u);
  }
  // A stream that claims to continue a solid stream on a fresh decoder decodes with
  // empty tables and runs dry instead of looping.
  unpacker fresh;
  EXPECT_EQ(cRarUnpacker::result::out_of_data, fresh.run({0, 0, 0}, 100000, out, true));
}

TEST(Unpacker, RandomStreamsNeverEscapeTheirBuffers) {
  std::mt19937 rng(99);
  unpacker u;
  std::vector<uint8_t> out;
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> stream = random_bytes(rng() % 3000, uint32_t(round));
    // Valid-looking table headers now and then, so decoding gets past the tables.
    if (round % 2 && stream.size() > 2)
      stream[0] &= 0x3F;
    uint32_t size = rng() % 50000;
    u.run(stream, size, out, round % 5 == 0);
    EXPECT_LE(out.size(), size);
  }
}

// ------------------------------------------------------------------ through archives

std::vector<uint8_t> plain_text(const std::string &s) { return bytes_of(s); }

TEST(SolidArchives, LaterMembersContinueTheWindowTablesAndDistances) {
  std::string one = "solid streams share one window; ";
  stream_writer first = lz_stream();
  for (char c : one)
    first.literal(uint8_t(c));
  first.match(6, 7); // pushes distance 7 and sets the last match
  // The table change right after the last symbol belongs to the next member.
  std::vector<uint8_t> next_lengths = stream_writer::default_lz_lengths();
  next_lengths['t'] = 3;
  first.new_tables();
  first.lz_tables(next_lengths, true);
  std::string first_plain = one + one.substr(one.size() - 7, 6);

  // The second member carries no tables: it decodes with the ones the first left.
  stream_writer second;
  second.use_lz_tables(next_lengths);
  second.last_match();                    // 6 bytes at distance 7, from the first member
  second.repeat(0, 4, 7);                 // the ring holds 7 twice now
  second.match(uint32_t(one.size()), 48); // back into the first member's text
  for (char c : std::string("twice"))
    second.literal(uint8_t(c));
  std::string history = first_plain;
  auto copy = [&](std::string &to, size_t length, size_t distance) {
    for (size_t i = 0; i < length; ++i) {
      char c = history[history.size() - distance];
      history += c;
      to += c;
    }
  };
  std::string second_plain;
  copy(second_plain, 6, 7);
  copy(second_plain, 4, 7);
  copy(second_plain, one.size(), 48);
  second_plain += "twice";

  member m1 = member::packed("one.txt", first.finish(), plain_text(first_plain));
  member m2 = member::packed("two.txt", second.finish(), plain_text(second_plain));
  m2.flags |= 0x10;

  std::vector<uint8_t> out;
  auto solid = archive({m1, m2}, 0x08);
  ASSERT_EQ(rar_status::ok, rar_extract(solid.data(), solid.size(), "two.txt", nullptr, out))
      << rar_status_text(rar_last_status());
  EXPECT_EQ(second_plain, std::string(out.begin(), out.end()));
  ASSERT_EQ(rar_status::ok, rar_extract(solid.data(), solid.size(), "one.txt", nullptr, out));
  EXPECT_EQ(first_plain, std::string(out.begin(), out.end()));

  // One pass over all members gives the same.
  std::vector<std::string> all;
  rar_extract_all(solid.data(), solid.size(), nullptr,
                  [&](const rar_member_info &, rar_status s, const std::vector<uint8_t> &b) {
                    EXPECT_EQ(rar_status::ok, s);
                    all.emplace_back(b.begin(), b.end());
                  });
  EXPECT_EQ((std::vector<std::string>{first_plain, second_plain}), all);

  // Without the solid flag the first member is skipped, so the second has no history.
  auto not_solid = archive({m1, m2}, 0);
  EXPECT_NE(rar_status::ok,
            rar_extract(not_solid.data(), not_solid.size(), "two.txt", nullptr, out));
}

TEST(PackedMembers, OverrunAndTruncationAreReportedByTheReader) {
  stream_writer w = lz_stream();
  w.literal('z');
  w.match(30, 1);
  std::vector<uint8_t> stream = w.finish();
  std::vector<uint8_t> plain(31, 'z');

  member over = member::packed("over", stream, plain);
  over.unp_size = 10;
  std::vector<uint8_t> out;
  auto a = archive({over});
  EXPECT_EQ(rar_status::overrun, rar_extract(a.data(), a.size(), "over", nullptr, out));
  EXPECT_LE(out.size(), 10u);

  stream_writer long_one = lz_stream();
  for (int i = 0; i < 400; ++i)
    long_one.literal(uint8_t(i * 7));
  std::vector<uint8_t> long_stream = long_one.finish();
  std::vector<uint8_t> long_plain;
  for (int i = 0; i < 400; ++i)
    long_plain.push_back(uint8_t(i * 7));
  member cut = member::packed(
      "cut", std::vector<uint8_t>(long_stream.begin(), long_stream.begin() + 300), long_plain);
  auto b = archive({cut});
  EXPECT_EQ(rar_status::truncated, rar_extract(b.data(), b.size(), "cut", nullptr, out));

  member good = member::packed("good", long_stream, long_plain);
  auto c = archive({good});
  ASSERT_EQ(rar_status::ok, rar_extract(c.data(), c.size(), "good", nullptr, out));
  EXPECT_EQ(long_plain, out);
  // A flipped bit in the packed data is caught by the CRC at the latest.
  good.payload[good.payload.size() / 2] ^= 0x10;
  auto d = archive({good});
  EXPECT_NE(rar_status::ok, rar_extract(d.data(), d.size(), "good", nullptr, out));
}

TEST(PackedMembers, PackedMembersBelowVersionTwoAreRefused) {
  stream_writer w = lz_stream();
  w.literal('v');
  member m = member::packed("v", w.finish(), plain_text("v"));
  m.unp_ver = 15;
  auto a = archive({m});
  std::vector<uint8_t> out;
  EXPECT_EQ(rar_status::unknown_method, rar_extract(a.data(), a.size(), "v", nullptr, out));
}

// ------------------------------------------------------------------ cipher

TEST(Cipher, DecryptInvertsEncryptAcrossChainedBlocks) {
  std::vector<uint8_t> plain = random_bytes(16 * 40 + 7, 5);
  std::vector<uint8_t> data = plain;
  cRarCipher20 enc;
  enc.set_password("secret");
  enc.encrypt(data.data(), data.size());
  EXPECT_NE(plain, data);
  // The trailing partial block is left alone.
  EXPECT_TRUE(std::equal(plain.end() - 7, plain.end(), data.end() - 7));
  cRarCipher20 dec;
  dec.set_password("secret");
  dec.decrypt(data.data(), data.size());
  EXPECT_EQ(plain, data);

  // Identical blocks encrypt differently: the keys follow the data.
  std::vector<uint8_t> same(32, 0x41);
  enc.set_password("secret");
  enc.encrypt(same.data(), same.size());
  EXPECT_FALSE(std::equal(same.begin(), same.begin() + 16, same.begin() + 16));
}

TEST(Cipher, EncryptedStoredMemberNeedsItsPassword) {
  std::string text = "an encrypted stored member of 37 byte";
  member m = member::stored("secret.txt", text);
  m.payload.resize((text.size() + 15) & ~size_t(15), 0);
  cRarCipher20 cipher;
  cipher.set_password("pass word");
  cipher.encrypt(m.payload.data(), m.payload.size());
  m.flags |= 0x04;
  auto a = archive({m});
  std::vector<uint8_t> out;
  ASSERT_EQ(rar_status::ok, rar_extract(a.data(), a.size(), "secret.txt", "pass word", out));
  EXPECT_EQ(text, std::string(out.begin(), out.end()));
  EXPECT_EQ(rar_status::crc_mismatch,
            rar_extract(a.data(), a.size(), "secret.txt", "pass-word", out));
  EXPECT_EQ(rar_status::crc_mismatch, rar_extract(a.data(), a.size(), "secret.txt", nullptr, out));
}

} // namespace
