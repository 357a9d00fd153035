// Line and token scanning over bytes in memory, shared by the OBJ and MTL
// readers. Nothing here reads outside the given range or fails.
#include "assets/text_scan.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace text_scan {

bool line_reader::next(std::string_view &line) {
  if (pos_ >= end_)
    return false;
  const size_t left = static_cast<size_t>(end_ - pos_);
  const void *nl = std::memchr(pos_, '\n', left);
  const size_t length = nl ? static_cast<size_t>(static_cast<const char *>(nl) - pos_) : left;
  if (length > max_length_) {
    pos_ = end_;
    return false;
  }
  line = std::string_view(pos_, length);
  pos_ += nl ? length + 1 : length;
  return true;
}

void tokenize(std::string_view line, std::vector<std::string_view> &tokens) {
  tokens.clear();
  const size_t nul = line.find('\0');
  if (nul != std::string_view::npos)
    line = line.substr(0, nul);
  size_t i = 0;
  const size_t n = line.size();
  while (i < n) {
    while (i < n && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n'))
      ++i;
    const size_t start = i;
    while (i < n && !(line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n'))
      ++i;
    if (i > start)
      tokens.push_back(line.substr(start, i - start));
  }
}

namespace {

// The slow, exact path: a NUL-terminated copy through the C library.
double strtod_copy(std::string_view token) {
  char buffer[640];
  const size_t n = token.size() < sizeof(buffer) - 1 ? token.size() : sizeof(buffer) - 1;
  std::memcpy(buffer, token.data(), n);
  buffer[n] = '\0';
  return std::strtod(buffer, nullptr);
}

} // namespace

bool statement_reader::next(std::vector<std::string_view> &tokens) {
  std::string_view line;
  while (lines_.next(line)) {
    ++line_number_;
    tokenize(line, tokens);
    if (!tokens.empty() && tokens[0] != "#")
      return true;
  }
  return false;
}

float to_float(std::string_view token) {
  const char *first = token.data();
  const char *last = first + token.size();
  // from_chars knows no leading '+', which atof accepts once.
  if (first != last && *first == '+' && last - first > 1 && first[1] != '+' && first[1] != '-')
    ++first;
  float value = 0.0f;
  const std::from_chars_result r = std::from_chars(first, last, value);
  if (r.ec == std::errc() && (r.ptr == last || (*r.ptr != 'x' && *r.ptr != 'X')))
    return value;
  // Hexadecimal forms, out-of-range values and anything odd take the C path.
  return static_cast<float>(strtod_copy(token));
}

int32_t to_int(std::string_view token) {
  size_t i = 0;
  const size_t n = token.size();
  bool negative = false;
  if (i < n && (token[i] == '+' || token[i] == '-')) {
    negative = token[i] == '-';
    ++i;
  }
  int64_t value = 0;
  for (; i < n && token[i] >= '0' && token[i] <= '9'; ++i) {
    value = value * 10 + (token[i] - '0');
    if (value > 2147483648LL)
      value = 2147483648LL;
  }
  if (negative)
    value = -value;
  if (value > 2147483647LL)
    value = 2147483647LL;
  return static_cast<int32_t>(value);
}

} // namespace text_scan
