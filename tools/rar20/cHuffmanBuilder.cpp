// Length-limited code construction for the packer's tables (all limited to 15 bits).
// Package-merge over the used symbols; cannot fail for n <= 2^max_length.
#include "cHuffmanBuilder.h"

#include <algorithm>
#include <vector>

namespace {
struct sNode {
  uint64_t weight;
  int left; // pool indices of a package's two parts, -1 for a leaf
  int right;
  int symbol;
};
} // namespace

void cHuffmanBuilder::build_lengths(const uint32_t *freq, int n, int max_length, uint8_t *lengths) {
  std::fill(lengths, lengths + n, uint8_t(0));
  std::vector<int> used;
  for (int i = 0; i < n; ++i)
    if (freq[i])
      used.push_back(i);
  // A lone code would leave half the code space undefined; pad with unused symbols.
  for (int i = 0; used.size() < 2 && i < n; ++i)
    if (!freq[i])
      used.push_back(i);
  if (used.size() < 2) {
    if (used.size() == 1)
      lengths[used[0]] = 1;
    return;
  }
  std::stable_sort(used.begin(), used.end(), [&](int a, int b) { return freq[a] < freq[b]; });

  std::vector<sNode> pool;
  pool.reserve(used.size() * size_t(max_length) * 2);
  std::vector<int> leaves;
  for (int s : used) {
    leaves.push_back(int(pool.size()));
    pool.push_back({freq[s], -1, -1, s});
  }
  std::vector<int> current = leaves;
  std::vector<int> packages, merged;
  for (int level = 1; level < max_length; ++level) {
    packages.clear();
    for (size_t i = 0; i + 1 < current.size(); i += 2) {
      packages.push_back(int(pool.size()));
      pool.push_back(
          {pool[current[i]].weight + pool[current[i + 1]].weight, current[i], current[i + 1], -1});
    }
    merged.clear();
    size_t a = 0, b = 0;
    while (a < leaves.size() || b < packages.size()) {
      if (b == packages.size() ||
          (a < leaves.size() && pool[leaves[a]].weight <= pool[packages[b]].weight))
        merged.push_back(leaves[a++]);
      else
        merged.push_back(packages[b++]);
    }
    current.swap(merged);
  }
  // Each appearance of a leaf among the first 2m-2 items adds one bit to its code.
  const size_t take = 2 * used.size() - 2;
  std::vector<int> stack;
  for (size_t i = 0; i < take && i < current.size(); ++i) {
    stack.push_back(current[i]);
    while (!stack.empty()) {
      const sNode &node = pool[stack.back()];
      stack.pop_back();
      if (node.left < 0) {
        ++lengths[node.symbol];
      } else {
        stack.push_back(node.left);
        stack.push_back(node.right);
      }
    }
  }
}

void cHuffmanBuilder::build_codes(const uint8_t *lengths, int n, uint16_t *codes) {
  int count[17] = {};
  for (int i = 0; i < n; ++i)
    ++count[lengths[i]];
  count[0] = 0;
  uint32_t next[17] = {};
  uint32_t code = 0;
  for (int len = 1; len <= 16; ++len) {
    code = (code + uint32_t(count[len - 1])) << 1;
    next[len] = code;
  }
  for (int i = 0; i < n; ++i)
    codes[i] = lengths[i] ? uint16_t(next[lengths[i]]++) : 0;
}

uint64_t cHuffmanBuilder::cost(const uint32_t *freq, const uint8_t *lengths, int n,
                               uint64_t missing) {
  uint64_t total = 0;
  for (int i = 0; i < n; ++i) {
    if (!freq[i])
      continue;
    if (!lengths[i])
      return missing;
    total += uint64_t(freq[i]) * lengths[i];
  }
  return total;
}
