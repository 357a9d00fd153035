// Unit tests of the packer's building blocks whose faults a round trip would not show:
// optimal length-limited codes, the multimedia predictor's channel switches and the
// cost of table coding. The format's classes, codes and bit order are checked by the
// archive tests against the independent extractor.
#include "archive/rar/cRarAudioModel.h"
#include "cBitWriter.h"
#include "cHuffmanBuilder.h"
#include "cTableWriter.h"
#include "rar20_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <queue>

using namespace rar20_test;

namespace {

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

// ---- multimedia predictor ---------------------------------------------------------

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

// ---- table coding -----------------------------------------------------------------

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

} // namespace
