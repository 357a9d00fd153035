// Unit tests of the packer's building blocks: the format's length and distance classes,
// length-limited code construction, the multimedia predictor and table coding.
#include "archive/rar/cRarAudioModel.h"
#include "cBitWriter.h"
#include "cHuffmanBuilder.h"
#include "cTableWriter.h"
#include "rar20_format.h"
#include "rar20_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <queue>

using namespace rar20_test;

namespace {

// ---- format classes, checked against the published tables -------------------------

const uint32_t length_base[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                  24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
const int length_bits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                             2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};

std::vector<uint32_t> distance_bases() {
  std::vector<uint32_t> b = {0,     1,     2,     3,     4,     6,     8,     12,     16,
                             24,    32,    48,    64,    96,    128,   192,   256,    384,
                             512,   768,   1024,  1536,  2048,  3072,  4096,  6144,   8192,
                             12288, 16384, 24576, 32768, 49152, 65536, 98304, 131072, 196608};
  for (uint32_t k = 0; k < 12; ++k)
    b.push_back(262144 + 65536 * k);
  return b;
}
int distance_bits(int sym) { return sym < 4 ? 0 : sym < 34 ? sym / 2 - 1 : 16; }

TEST(Rar20Format, LengthClassesFollowTheTable) {
  for (uint32_t v = 0; v < 256; ++v) {
    const rar20::sClassCode c = rar20::length_class(v);
    ASSERT_GE(c.sym, 0);
    ASSERT_LT(c.sym, 28);
    EXPECT_EQ(c.bits, length_bits[c.sym]) << v;
    EXPECT_EQ(length_base[c.sym] + c.extra, v);
    EXPECT_LT(c.extra, 1u << c.bits);
  }
}

TEST(Rar20Format, DistanceClassesFollowTheTable) {
  const std::vector<uint32_t> base = distance_bases();
  ASSERT_EQ(base.size(), 48u);
  for (int sym = 0; sym < 48; ++sym) {
    EXPECT_EQ(rar20::distance_bases[sym], base[size_t(sym)]);
    const uint32_t last = sym + 1 < 48 ? base[size_t(sym) + 1] - 1 : rar20::max_distance;
    ASSERT_EQ(last - base[size_t(sym)] + 1 <= (1u << distance_bits(sym)), true) << sym;
    for (uint32_t v : {base[size_t(sym)], last, (base[size_t(sym)] + last) / 2}) {
      const rar20::sClassCode c = rar20::distance_class(v);
      EXPECT_EQ(c.sym, sym) << v;
      EXPECT_EQ(c.bits, distance_bits(sym));
      EXPECT_EQ(base[size_t(sym)] + c.extra, v);
    }
  }
}

TEST(Rar20Format, ShortDistancesAndLengthBonuses) {
  const uint32_t base[8] = {0, 4, 8, 16, 32, 64, 128, 192};
  const int bits[8] = {2, 2, 3, 4, 5, 6, 6, 6};
  for (uint32_t v = 0; v < 256; ++v) {
    const rar20::sClassCode c = rar20::short_class(v);
    EXPECT_EQ(base[c.sym] + c.extra, v);
    EXPECT_EQ(c.bits, bits[c.sym]);
    EXPECT_LT(c.extra, 1u << c.bits);
  }
  // a long match at 0x2000 or more is at least 4 bytes, at 0x40000 at least 5
  EXPECT_EQ(rar20::long_min_length(0x1FFF), 3);
  EXPECT_EQ(rar20::long_min_length(0x2000), 4);
  EXPECT_EQ(rar20::long_min_length(0x40000), 5);
  // ring matches gain a unit already at 0x101
  EXPECT_EQ(rar20::ring_min_length(0x100), 2);
  EXPECT_EQ(rar20::ring_min_length(0x101), 3);
  EXPECT_EQ(rar20::ring_min_length(0x40000), 5);
}

// ---- code construction ------------------------------------------------------------

// Unlimited Huffman cost, for comparison.
uint64_t plain_huffman_cost(const std::vector<uint32_t> &freq, int *depth) {
  struct sItem {
    uint64_t w;
    int depth;
    bool operator>(const sItem &o) const { return w > o.w; }
  };
  std::priority_queue<sItem, std::vector<sItem>, std::greater<sItem>> q;
  for (uint32_t f : freq)
    if (f)
      q.push({f, 0});
  uint64_t cost = 0;
  *depth = 0;
  while (q.size() > 1) {
    const sItem a = q.top();
    q.pop();
    const sItem b = q.top();
    q.pop();
    cost += a.w + b.w;
    const int d = std::max(a.depth, b.depth) + 1;
    *depth = std::max(*depth, d);
    q.push({a.w + b.w, d});
  }
  return cost;
}

void expect_complete_code(const uint8_t *lengths, int n) {
  uint64_t kraft = 0;
  for (int i = 0; i < n; ++i) {
    ASSERT_LE(lengths[i], 15);
    if (lengths[i])
      kraft += uint64_t(1) << (15 - lengths[i]);
  }
  EXPECT_EQ(kraft, uint64_t(1) << 15) << "code not complete";
}

TEST(Rar20Huffman, OptimalWithinTheLimitAndComplete) {
  cRandom r(42);
  for (int n : {19, 28, 48, 257, 298}) {
    for (int trial = 0; trial < 8; ++trial) {
      std::vector<uint32_t> freq(static_cast<size_t>(n), 0);
      for (uint32_t &f : freq)
        f = r.below(3) == 0 ? 0 : 1 + r.below(trial < 4 ? 50 : 5000);
      freq[r.below(uint32_t(n))] = 1 + r.below(10); // at least one used
      std::vector<uint8_t> len(static_cast<size_t>(n));
      cHuffmanBuilder::build_lengths(freq.data(), n, 15, len.data());
      expect_complete_code(len.data(), n);
      for (int i = 0; i < n; ++i) {
        if (freq[size_t(i)]) {
          EXPECT_GT(len[size_t(i)], 0);
        }
      }
      int depth = 0;
      const uint64_t plain = plain_huffman_cost(freq, &depth);
      if (depth <= 15) {
        EXPECT_EQ(cHuffmanBuilder::cost(freq.data(), len.data(), n), plain);
      }
    }
  }
}

TEST(Rar20Huffman, SkewedFrequenciesStayWithinFifteenBits) {
  // Fibonacci weights would need codes of dozens of bits without the limit
  std::vector<uint32_t> freq(298, 0);
  uint32_t a = 1, b = 1;
  for (int i = 0; i < 40; ++i) {
    freq[size_t(i * 7)] = a;
    const uint32_t c = a + b;
    a = b;
    b = std::min<uint32_t>(c, 1u << 30);
  }
  int depth = 0;
  const uint64_t plain = plain_huffman_cost(freq, &depth);
  ASSERT_GT(depth, 15);
  uint8_t len[298];
  cHuffmanBuilder::build_lengths(freq.data(), 298, 15, len);
  expect_complete_code(len, 298);
  EXPECT_GE(cHuffmanBuilder::cost(freq.data(), len, 298), plain);
  // a 15-bit limit costs little here
  EXPECT_LT(cHuffmanBuilder::cost(freq.data(), len, 298), plain + plain / 100);
}

TEST(Rar20Huffman, FewSymbolsStillGiveACompleteCode) {
  uint32_t none[5] = {0, 0, 0, 0, 0};
  uint8_t len[5];
  cHuffmanBuilder::build_lengths(none, 5, 15, len);
  expect_complete_code(len, 5);
  uint32_t one[5] = {0, 0, 0, 9, 0};
  cHuffmanBuilder::build_lengths(one, 5, 15, len);
  expect_complete_code(len, 5);
  EXPECT_EQ(len[3], 1);
}

TEST(Rar20Huffman, CanonicalCodesAreOrderedByLengthThenSymbol) {
  const uint8_t len[8] = {3, 3, 2, 0, 2, 0, 2, 0};
  uint16_t code[8];
  cHuffmanBuilder::build_codes(len, 8, code);
  EXPECT_EQ(code[2], 0b00);
  EXPECT_EQ(code[4], 0b01);
  EXPECT_EQ(code[6], 0b10);
  EXPECT_EQ(code[0], 0b110);
  EXPECT_EQ(code[1], 0b111);
}

// ---- multimedia predictor ---------------------------------------------------------

TEST(Rar20AudioModel, DecoderMirrorReproducesEveryByte) {
  cRandom r(7);
  const bytes signal = concat({make_audio8(3000, 2, 3), make_noise(2000, 4)});
  cRarAudioModel enc, dec;
  for (size_t i = 0; i < signal.size(); ++i) {
    if (i % 1000 == 0) {
      const int n = 1 + int(r.below(4));
      enc.set_channels(n);
      dec.set_channels(n);
    }
    const int delta = enc.encode(signal[i]);
    ASSERT_GE(delta, 0);
    ASSERT_LT(delta, 256);
    ASSERT_EQ(dec.decode(delta), signal[i]) << "byte " << i;
  }
}

TEST(Rar20AudioModel, SmoothSignalsGiveSmallDeltas) {
  const bytes signal = make_audio8(20000, 1, 5);
  cRarAudioModel model;
  size_t small = 0;
  for (uint8_t b : signal) {
    const int delta = model.encode(b);
    if (delta <= 4 || delta >= 252)
      ++small;
  }
  EXPECT_GT(small, signal.size() * 8 / 10);
}

TEST(Rar20AudioModel, ChannelCountChangesKeepAValidChannel) {
  cRarAudioModel model;
  model.set_channels(4);
  for (int i = 0; i < 3; ++i)
    model.encode(0);
  EXPECT_EQ(model.current(), 3);
  model.set_channels(2); // channel 3 no longer exists
  EXPECT_EQ(model.current(), 0);
  model.set_channels(3);
  model.encode(0);
  model.set_channels(4); // channel 1 still exists
  EXPECT_EQ(model.current(), 1);
}

// ---- table coding, read back with an independent reader ---------------------------

class cTestBitReader {
public:
  explicit cTestBitReader(const bytes &b) : m_b(b) {}
  uint32_t get(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      const size_t byte = m_pos >> 3;
      const uint32_t bit = byte < m_b.size() ? (m_b[byte] >> (7 - (m_pos & 7))) & 1 : 0;
      v = (v << 1) | bit;
      ++m_pos;
    }
    return v;
  }
  // Canonical decoding by code-length counts.
  int decode(const uint8_t *lengths, int n) {
    int count[16] = {};
    std::vector<int> sorted;
    for (int len = 1; len <= 15; ++len)
      for (int s = 0; s < n; ++s)
        if (lengths[s] == len) {
          sorted.push_back(s);
          ++count[len];
        }
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= 15; ++len) {
      code |= int(get(1));
      if (code - first < count[len])
        return sorted[size_t(index + code - first)];
      index += count[len];
      first = (first + count[len]) << 1;
      code <<= 1;
    }
    return -1;
  }
  size_t pos() const { return m_pos; }

private:
  const bytes &m_b;
  size_t m_pos = 0;
};

struct sReadTable {
  bool audio;
  bool keep;
  int channels;
  std::vector<uint8_t> lengths;
};

// Reads one table as the format defines it; fails the test on any malformed run.
sReadTable read_table(cTestBitReader &in, uint8_t *old, int *known) {
  sReadTable t;
  t.audio = in.get(1) != 0;
  t.keep = in.get(1) != 0;
  t.channels = t.audio ? int(in.get(2)) + 1 : 0;
  const int count = t.audio ? 257 * t.channels : 374;
  if (!t.keep) {
    std::fill(old, old + 1028, uint8_t(0));
    *known = 1028;
  } else {
    EXPECT_LE(count, *known) << "kept a previous table the decoder may not hold";
  }
  uint8_t bl[19];
  for (uint8_t &l : bl)
    l = uint8_t(in.get(4));
  t.lengths.assign(size_t(count), 0);
  for (int i = 0; i < count;) {
    const int s = in.decode(bl, 19);
    EXPECT_GE(s, 0);
    if (s < 0)
      break;
    if (s < 16) {
      t.lengths[size_t(i)] = uint8_t((s + old[i]) & 15);
      ++i;
      continue;
    }
    const int n = s == 16 ? int(in.get(2)) + 3 : s == 17 ? int(in.get(3)) + 3 : int(in.get(7)) + 11;
    EXPECT_LE(i + n, count) << "run past the end of the table";
    EXPECT_FALSE(s == 16 && i == 0) << "repeat with no previous length";
    for (int k = 0; k < n && i < count; ++k, ++i)
      t.lengths[size_t(i)] = s == 16 ? t.lengths[size_t(i) - 1] : 0;
  }
  std::copy(t.lengths.begin(), t.lengths.end(), old);
  *known = count;
  return t;
}

TEST(Rar20TableWriter, TablesReadBackInSequence) {
  cRandom r(11);
  cTableWriter writer;
  cBitWriter out;
  struct sWritten {
    bool audio;
    int channels;
    std::vector<uint8_t> lengths;
  };
  std::vector<sWritten> written;
  std::vector<uint8_t> previous;
  for (int k = 0; k < 24; ++k) {
    const bool audio = k % 3 == 2;
    const int channels = audio ? 1 + int(r.below(4)) : 1;
    const int count = audio ? 257 * channels : 374;
    std::vector<uint8_t> len(static_cast<size_t>(count));
    if (k % 4 == 1 && previous.size() == len.size()) {
      len = previous; // unchanged table: deltas of zero
      len[size_t(r.below(uint32_t(count)))] = uint8_t(r.below(16));
    } else {
      for (uint8_t &l : len) // long zero runs, runs of equal lengths, scattered values
        l = r.below(3) == 0 ? 0 : uint8_t(r.below(2) ? 7 : 1 + r.below(15));
      for (int z = int(r.below(uint32_t(count / 2))), e = std::min(count, z + 150); z < e; ++z)
        len[size_t(z)] = 0;
    }
    writer.write(out, audio, channels, len.data(), count);
    written.push_back({audio, channels, len});
    previous = len;
  }
  out.align();
  cTestBitReader in(out.bytes());
  uint8_t old[1028] = {};
  int known = 1028;
  for (const sWritten &w : written) {
    const sReadTable t = read_table(in, old, &known);
    EXPECT_EQ(t.audio, w.audio);
    if (w.audio) {
      EXPECT_EQ(t.channels, w.channels);
    }
    EXPECT_EQ(t.lengths, w.lengths);
  }
}

TEST(Rar20TableWriter, RepeatedTableCostsLittle) {
  cRandom r(3);
  std::vector<uint8_t> len(374);
  for (uint8_t &l : len)
    l = uint8_t(r.below(16));
  cTableWriter writer;
  const uint64_t first = writer.cost(false, 1, len.data(), 374);
  cBitWriter out;
  writer.write(out, false, 1, len.data(), 374);
  EXPECT_EQ(out.bit_count(), first);
  // all deltas zero: one short code per entry at most
  EXPECT_LT(writer.cost(false, 1, len.data(), 374), 2 + 76 + 374 + 10u);
  EXPECT_LT(writer.cost(false, 1, len.data(), 374), first / 2);
}

TEST(Rar20BitWriter, MostSignificantBitFirst) {
  cBitWriter w;
  w.put(1, 1);
  w.put(0, 2);
  w.put(0x1F, 5);
  w.put(0xABC, 12);
  w.align();
  ASSERT_EQ(w.bytes().size(), 3u);
  EXPECT_EQ(w.bytes()[0], 0x9F);
  EXPECT_EQ(w.bytes()[1], 0xAB);
  EXPECT_EQ(w.bytes()[2], 0xC0);
}

} // namespace
